// Plays converted movies in Ruffle inside headless Chromium and checks what they show.
// Usage: node drive.mjs TOOLS_DIR BASE_URL PLAN.json OUT_DIR
//   TOOLS_DIR  folder whose node_modules holds playwright-core
//   BASE_URL   http server root that serves player.html, pixels.js, ruffle/, the movies and PNGs
//   PLAN.json  [{name, swf, kind: "lossless"|"jpeg"|"fitted"|"fade"|"fitted-fade", slides: [[layer, ...], ...],
//               noLoop: true when the movie stops on its last slide}, ...]; a layer is a PNG
//               URL or [URL, opacity]
//   OUT_DIR    screenshots and the console log of each movie go here
//   PLAYBACK_RENDERERS  Ruffle renderers to play each movie with, comma-separated
//                       (default wgpu-webgl, the one Chromium gets; "canvas" is the 2D fallback)
// Prints one PASS/FAIL line per movie and renderer; exits 1 when any failed.
import { createRequire } from "node:module";
import { readFileSync, rmSync, writeFileSync } from "node:fs";
import { join } from "node:path";

const [toolsDir, baseUrl, planPath, outDir] = process.argv.slice(2);
const { chromium } = createRequire(join(toolsDir, "package.json"))("playwright-core");
const plan = JSON.parse(readFileSync(planPath, "utf8"));

// Per channel, stage pixels against the source image over white. Lossless bitmaps may be off by
// the premultiplication (alpha/256) and the blend's rounding; JPEG quality 50 by its losses.
// Fitted images are compared with ImageMagick's Lanczos resize of the source, another
// implementation of the same kernel with its own rounding and edge handling: hard edges ring
// differently. A fade's frames are compared with the browser's blend of the two pictures at the
// fade's opacity; the player's alpha multiplier is that opacity to the nearest 1/256. A fade
// between fitted images is compared with the blend of their ImageMagick pictures.
const kTolerance = {
  lossless: { mean: 1.0, p99: 3, max: 6 },
  jpeg: { mean: 6.0, p99: 40, max: 255 },
  fitted: { mean: 3.0, p99: 12, max: 32 },
  fade: { mean: 1.5, p99: 4, max: 8 },
  "fitted-fade": { mean: 3.0, p99: 12, max: 32 },
};
const kLoadTimeoutMs = 30000;
const kShotPauseMs = 60;      // between screenshots, to leave CPU to others
const kPasses = 2;            // times through the movie's frames to watch
const kExtraWatchSeconds = 1;  // and a little more, for the first frame to appear
const kMaxUnmatchedShots = 3; // unmatched screenshots kept to look at
const renderers = (process.env.PLAYBACK_RENDERERS || "wgpu-webgl").split(",");

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

function Within(difference, tolerance) {
  return difference.mean <= tolerance.mean && difference.p99 <= tolerance.p99 &&
         difference.max <= tolerance.max;
}

function Format(d) {
  return `mean ${d.mean.toFixed(2)} p99 ${d.p99} max ${d.max}`;
}

async function CheckMovie(browser, movie, renderer) {
  const prefix = `${renderer}-${movie.name}`;
  // Files of an earlier run of this movie would mislead.
  for (const [i] of movie.slides.entries()) {
    rmSync(join(outDir, `${prefix}-slide${i + 1}.png`), { force: true });
    rmSync(join(outDir, `${prefix}-slide${i + 1}-nomatch.png`), { force: true });
  }
  for (let i = 1; i <= kMaxUnmatchedShots; ++i) rmSync(join(outDir, `${prefix}-unmatched${i}.png`), { force: true });
  const problems = [];
  const log = [];
  const context = await browser.newContext({ viewport: { width: 480, height: 360 }, deviceScaleFactor: 1 });
  const page = await context.newPage();
  page.on("console", (message) => log.push(`console.${message.type()}: ${message.text()}`));
  page.on("pageerror", (error) => log.push(`pageerror: ${error.message}`));
  page.on("requestfailed", (request) => log.push(`requestfailed: ${request.url()} ${request.failure()?.errorText}`));
  page.on("response", (response) => {
    if (response.status() >= 400) log.push(`http ${response.status()}: ${response.url()}`);
  });

  const query = new URLSearchParams({ swf: movie.swf, renderer, slides: JSON.stringify(movie.slides) });
  await page.goto(`${baseUrl}/player.html?${query}`);
  await page.waitForFunction(() => window.playback.ready || window.playback.failed,
                             null, { timeout: kLoadTimeoutMs });
  const failed = await page.evaluate(() => window.playback.failed);
  if (failed) problems.push(`page failed: ${failed}`);
  await page.waitForFunction(() => window.playback.metadata, null, { timeout: kLoadTimeoutMs })
            .catch(() => problems.push("Ruffle reported no movie metadata"));
  const metadata = await page.evaluate(() => window.playback.metadata);
  const stage = await page.evaluate(() => window.playback.stage);
  const margin = await page.evaluate(() => window.playback.margin);
  log.push(`metadata: ${JSON.stringify(metadata)}`);
  if (metadata && (metadata.width !== stage.width || metadata.height !== stage.height)) {
    problems.push(`stage ${metadata.width}x${metadata.height}, expected ${stage.width}x${stage.height}`);
  }

  const tolerance = kTolerance[movie.kind];
  const loopSeconds = metadata ? metadata.numFrames / metadata.frameRate : 5;
  // Nothing to watch when the movie did not load.
  const watchUntil = metadata ? Date.now() + (kPasses * loopSeconds + kExtraWatchSeconds) * 1000 : 0;
  const clip = { x: 0, y: 0, width: stage.width + margin, height: stage.height + margin };
  const slideSeconds = loopSeconds / movie.slides.length;
  const best = movie.slides.map(() => null);  // closest matching screenshot per slide
  const nearest = movie.slides.map(() => null);  // closest screenshot per slide, matching or not
  const sequence = [];  // runs of screenshots matching one slide: {index, first, last} times
  let shots = 0, unmatched = 0, unmatchedKept = 0, marginShots = 0;
  const started = Date.now();
  while (Date.now() < watchUntil) {
    const t = (Date.now() - started) / 1000;
    const png = await page.screenshot({ clip });
    const result = await page.evaluate((b64) => Analyse(b64), png.toString("base64"));
    ++shots;
    const ranked = result.slides.map((d, i) => [d, i]).sort((a, b) => a[0].mean - b[0].mean);
    const [closest, index] = ranked[0];
    const matched = Within(closest, tolerance);
    log.push(`t=${t.toFixed(2)}s slide ${index + 1} ${matched ? "matches" : "NO MATCH"} (${Format(closest)}) ` +
             `margin non-white ${result.nonWhiteMargin} pixels ${JSON.stringify(result.samples)}`);
    if (!matched && (nearest[index] === null || closest.mean < nearest[index])) {
      nearest[index] = closest.mean;  // kept to show what a slide that never matched looked like
      writeFileSync(join(outDir, `${prefix}-slide${index + 1}-nomatch.png`), png);
    }
    if (matched) {
      if (sequence.at(-1)?.index === index) sequence.at(-1).last = t;
      else sequence.push({ index, first: t, last: t });
      if (result.nonWhiteMargin > 0) ++marginShots;
      if (best[index] === null || closest.mean < best[index].difference.mean) {
        best[index] = { difference: closest };
        writeFileSync(join(outDir, `${prefix}-slide${index + 1}.png`), png);
      }
    } else if (sequence.length > 0) {
      // Before the first match the movie (or its control file) may still be loading.
      ++unmatched;
      if (unmatchedKept < kMaxUnmatchedShots) {
        writeFileSync(join(outDir, `${prefix}-unmatched${++unmatchedKept}.png`), png);
      }
    }
    await sleep(kShotPauseMs);
  }

  // Ruffle shows its panic screen inside the player's shadow root.
  const panic = await page.evaluate(() => {
    const root = document.getElementById("player")?.shadowRoot;
    const screen = root?.querySelector("#panic");
    return screen ? screen.innerText.slice(0, 500) : null;
  });
  if (panic) problems.push(`Ruffle panic screen: ${panic.replace(/\s+/g, " ")}`);
  const used = log.find((line) => line.includes("Used renderer:"))?.match(/Used renderer: ([\w-]+)/)?.[1];
  if (used !== renderer) problems.push(`Ruffle used renderer ${used}, not ${renderer}`);
  // Ruffle logs its own warnings and errors as "%cWARN" / "%cERROR" lines.
  const bad = log.filter((line) => /^(console\.error|pageerror|requestfailed|http )/.test(line) ||
                                   /%c(WARN|ERROR)|panic/i.test(line));
  if (bad.length > 0) problems.push(`console: ${bad.slice(0, 3).join(" | ")}`);

  best.forEach((b, i) => {
    if (b !== null) rmSync(join(outDir, `${prefix}-slide${i + 1}-nomatch.png`), { force: true });
    if (b === null) {
      problems.push(`slide ${i + 1} never seen` +
                    (nearest[i] === null ? "" : ` (closest screenshot: mean difference ${nearest[i].toFixed(2)})`));
    }
  });
  // Each slide must follow the one before it. Screenshots can be further apart than a slide's
  // display time on a busy machine; a slide skipped over such a gap is not held against the movie.
  // A movie that does not loop never goes back: once on its last slide it stays there.
  const lastSlide = movie.slides.length - 1;
  for (let i = 1; i < sequence.length; ++i) {
    const [before, after] = [sequence[i - 1], sequence[i]];
    const next = (before.index + 1) % movie.slides.length;
    const gap = after.first - before.last;
    if (movie.noLoop && after.index <= before.index) {
      problems.push(`slide ${before.index + 1} was followed by slide ${after.index + 1}: the movie went on`);
      break;
    }
    if (after.index !== next && gap < slideSeconds) {
      problems.push(`slide ${before.index + 1} was followed by slide ${after.index + 1} ` +
                    `within ${gap.toFixed(2)} s`);
      break;
    }
  }
  if (movie.noLoop) {
    const end = (Date.now() - started) / 1000;
    const final = sequence.at(-1);
    // Watching lasts two passes: the last slide must hold for the whole second one.
    if (!final || final.index !== lastSlide || final.last - final.first < (kPasses - 1) * loopSeconds) {
      problems.push(`the last slide did not stay after the end (last run: slide ${final ? final.index + 1 : "none"}, ` +
                    `${final ? (final.last - final.first).toFixed(2) : 0} s, watched until ${end.toFixed(2)} s)`);
    }
  }
  if (unmatched > 0) problems.push(`${unmatched} of ${shots} screenshots match no slide`);
  if (marginShots > 0) problems.push(`${marginShots} screenshots show non-white pixels outside the ${stage.width}x${stage.height} stage`);

  writeFileSync(join(outDir, `${prefix}.log`), log.join("\n") + "\n");
  await context.close();
  const seen = best.map((b, i) => b ? `${i + 1}: ${Format(b.difference)}` : `${i + 1}: unseen`).join("; ");
  return { problems, detail: `${shots} screenshots, order ${sequence.map((run) => run.index + 1).join(">")}; ${seen}` };
}

const browser = await chromium.launch({
  executablePath: "/usr/bin/chromium",
  headless: true,
  args: ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--force-color-profile=srgb", "--autoplay-policy=no-user-gesture-required"],
});
let failures = 0;
try {
  console.log(`Chromium ${browser.version()}`);
  for (const renderer of renderers) {
    for (const movie of plan) {
      let outcome;
      try {
        outcome = await CheckMovie(browser, movie, renderer);
      } catch (error) {
        outcome = { problems: [`driver error: ${error.message.split("\n")[0]}`], detail: "" };
      }
      const name = `${movie.name} (${renderer})`;
      if (outcome.problems.length === 0) {
        console.log(`PASS ${name}: ${outcome.detail}`);
      } else {
        ++failures;
        console.log(`FAIL ${name}: ${outcome.problems.join("; ")} (${outcome.detail})`);
      }
    }
  }
} finally {
  await browser.close();
}
process.exit(failures > 0 ? 1 : 0);
