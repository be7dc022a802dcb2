// Pixel helpers for player.html: build the picture a slide should show and measure how far a
// screenshot of the player is from it.

async function LoadImage(url) {
  const image = new Image();
  image.src = url;
  await image.decode();
  return image;
}

// The layers drawn in order over white, as ImageData of the first layer's size. A layer is a
// URL, or [URL, opacity] for one drawn partly transparent (a picture in the middle of a fade).
async function ComposeOverWhite(layers) {
  const urls = layers.map((layer) => (Array.isArray(layer) ? layer[0] : layer));
  const opacities = layers.map((layer) => (Array.isArray(layer) ? layer[1] : 1));
  const images = await Promise.all(urls.map(LoadImage));
  const canvas = document.createElement("canvas");
  canvas.width = images[0].naturalWidth;
  canvas.height = images[0].naturalHeight;
  const context = canvas.getContext("2d");
  context.fillStyle = "#ffffff";
  context.fillRect(0, 0, canvas.width, canvas.height);
  images.forEach((image, i) => {
    context.globalAlpha = opacities[i];
    context.drawImage(image, 0, 0);
  });
  context.globalAlpha = 1;
  return context.getImageData(0, 0, canvas.width, canvas.height);
}

// Differences between the stage part of a screenshot and one expected picture, per colour
// channel: mean, 99th percentile and maximum of the absolute differences.
function Difference(shot, expected) {
  const histogram = new Uint32Array(256);
  let sum = 0;
  for (let y = 0; y < expected.height; ++y) {
    for (let x = 0; x < expected.width; ++x) {
      const s = (y * shot.width + x) * 4;
      const e = (y * expected.width + x) * 4;
      for (let c = 0; c < 3; ++c) {
        const d = Math.abs(shot.data[s + c] - expected.data[e + c]);
        histogram[d] += 1;
        sum += d;
      }
    }
  }
  const count = expected.width * expected.height * 3;
  let max = 0, p99 = -1, seen = 0;
  for (let d = 0; d < 256; ++d) {
    if (histogram[d] === 0) continue;
    max = d;
    seen += histogram[d];
    if (p99 < 0 && seen >= count * 0.99) p99 = d;
  }
  return { mean: sum / count, p99, max };
}

// Pixels of the margin right of and below the stage that are not white.
function NonWhiteMargin(shot, stage) {
  let count = 0;
  for (let y = 0; y < shot.height; ++y) {
    for (let x = 0; x < shot.width; ++x) {
      if (x < stage.width && y < stage.height) continue;
      const i = (y * shot.width + x) * 4;
      if (shot.data[i] < 250 || shot.data[i + 1] < 250 || shot.data[i + 2] < 250) ++count;
    }
  }
  return count;
}

// Measures a PNG screenshot (base64) of the player against every slide of the movie.
async function Analyse(pngBase64) {
  const shot = await ComposeOverWhite(["data:image/png;base64," + pngBase64]);
  const stage = window.playback.stage;
  return {
    width: shot.width,
    height: shot.height,
    nonWhiteMargin: NonWhiteMargin(shot, stage),
    slides: window.playback.slides.map((slide) => Difference(shot, slide)),
    // A few pixels for the log: corners and centre of the stage.
    samples: [[0, 0], [stage.width - 1, 0], [stage.width >> 1, stage.height >> 1],
              [0, stage.height - 1], [stage.width - 1, stage.height - 1]].map(([x, y]) => {
      const i = (y * shot.width + x) * 4;
      return [x, y, shot.data[i], shot.data[i + 1], shot.data[i + 2]];
    }),
  };
}
