#include "conversion/output_preflight.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <fstream>
#include <functional>

#include "conversion_fixture.h"
#include "platform/path_rules.h"
#include "support/folder_snapshot.h"
#include "support/png_maker.h"

namespace lumapress::test {
namespace {

namespace fs = std::filesystem;

// The start of a movie: an existing file like this may be replaced.
constexpr char kEarlierMovie[] = "CWS\x06 an earlier movie";

class OutputPreflightTest : public ConversionTest {
 protected:
  // Inputs and files the cases refer to, in the test's folder.
  void SetUp() override {
    for (const char* folder : {"d1", "d2", "bx", "out"}) fs::create_directory(Path(folder));
    for (const char* name : {"self.png", "a.png", "b.png", "c.png", "a.PNG", "d1/a.png", "d2/a.png", "bx/x.png"}) {
      FlatPng(name, 6, 4, 7);
    }
    fs::copy_file(Path("self.png"), Path("bx/x.swf"));  // a PNG named like a movie
    std::ofstream(Path("control.swf")) << kEarlierMovie;
    std::ofstream(Path("notes.txt")) << "a user's notes";
    std::ofstream(Path("movie.swf")) << kEarlierMovie;
    std::ofstream(Path("empty.swf"));
  }

  std::vector<std::string> Paths(const std::vector<const char*>& names) const {
    std::vector<std::string> paths;
    for (const char* name : names) paths.push_back(Path(name));
    return paths;
  }
};

struct RefusalCase {
  const char* what;
  std::function<void(const std::string& folder)> setUp;  // links, FIFOs, ...
  bool batch;
  const char* output;                    // relative to the test's folder, or absolute
  std::vector<const char*> inputs;
  const char* control;                   // "" for none
  Status status;
  std::vector<const char*> messageValues;  // each relative to the test's folder, or absolute
};

// Everything in `from` into the existing folder `to`, links as links.
void CopyEntries(const std::string& from, const std::string& to) {
  for (const fs::directory_entry& entry : fs::directory_iterator(from)) {
    fs::copy(entry.path(), fs::path(to) / entry.path().filename(),
             fs::copy_options::recursive | fs::copy_options::copy_symlinks);
  }
}

void Link(const std::string& folder, const char* target, const char* name) {
  fs::create_symlink(target, folder + "/" + name);
}

// Every way an output could reach a file the run must not replace is refused before anything
// is written: the folder is exactly as it was.
TEST_F(OutputPreflightTest, RefusedOutputsLeaveEveryFileAsItWas) {
  std::vector<RefusalCase> cases = {
      {"the movie is the input", {}, false, "self.png", {"self.png"}, "", Status::kOutputIsInput,
       {"self.png", "self.png"}},
      {"the same file through ./", {}, false, "./self.png", {"self.png"}, "", Status::kOutputIsInput,
       {"./self.png", "self.png"}},
      {"the same file through ..", {}, false, "d1/../self.png", {"self.png"}, "", Status::kOutputIsInput,
       {"d1/../self.png", "self.png"}},
      {"a hard link to the input", [](const std::string& f) { fs::create_hard_link(f + "/self.png", f + "/hard.png"); },
       false, "hard.png", {"self.png"}, "", Status::kOutputIsInput, {"hard.png", "self.png"}},
      {"the second of three inputs", {}, false, "b.png", {"a.png", "b.png", "c.png"}, "", Status::kOutputIsInput,
       {"b.png", "b.png"}},
      {"the control file", {}, false, "control.swf", {"a.png"}, "control.swf", Status::kOutputIsControlFile,
       {"control.swf", "control.swf"}},
      {"a control file not there yet", {}, false, "new.swf", {"a.png"}, "./new.swf", Status::kOutputIsControlFile,
       {"new.swf", "./new.swf"}},
      {"a folder", {}, false, "d1", {"a.png"}, "", Status::kOutputNotAFile, {"d1"}},
      {"a file that is not a movie", {}, false, "notes.txt", {"a.png"}, "", Status::kOutputNotAMovie,
       {"notes.txt"}},
      {"batch: one name in two folders", {}, true, "out", {"d1/a.png", "d2/a.png"}, "", Status::kOutputCollision,
       {"d1/a.png", "d2/a.png", "out|a.swf"}},
      {"batch: the extension's case", {}, true, "out", {"a.png", "a.PNG"}, "", Status::kOutputCollision,
       {"a.png", "a.PNG", "out|a.swf"}},
      {"batch: one file given twice", {}, true, "out", {"c.png", "b.png", "c.png"}, "", Status::kOutputCollision,
       {"c.png", "c.png", "out|c.swf"}},
      {"batch: a movie named like another input", {}, true, "bx", {"bx/x.png", "bx/x.swf"}, "",
       Status::kOutputIsInput, {"bx|x.swf", "bx/x.swf"}},
      {"batch: a movie named like the control file",
       [](const std::string& f) { WritePngFile(f + "/control.png", PatternPng(kRgb, 8, 4, 4)); }, true, ".",
       {"control.png"}, "control.swf",
       Status::kOutputIsControlFile, {".|control.swf", "control.swf"}},
      {"batch: a folder at a movie's name", [](const std::string& f) { fs::create_directory(f + "/out/b.swf"); },
       true, "out", {"a.png", "b.png"}, "", Status::kOutputNotAFile, {"out|b.swf"}},
  };
#ifndef _WIN32
  // Links, FIFOs and devices as POSIX systems have them.
  cases.insert(cases.end(), {
      {"a symbolic link to the input", [](const std::string& f) { Link(f, "self.png", "soft.png"); }, false,
       "soft.png", {"self.png"}, "", Status::kOutputIsInput, {"soft.png", "self.png"}},
      {"a link to the input's folder", [](const std::string& f) { Link(f, "d1", "dl"); }, false, "dl/a.png",
       {"d1/a.png"}, "", Status::kOutputIsInput, {"dl/a.png", "d1/a.png"}},
      {"a FIFO", [](const std::string& f) { ASSERT_EQ(mkfifo((f + "/fifo").c_str(), 0600), 0); }, false, "fifo",
       {"a.png"}, "", Status::kOutputNotAFile, {"fifo"}},
      {"a device", {}, false, "/dev/null", {"a.png"}, "", Status::kOutputNotAFile, {"/dev/null"}},
      {"a dangling link", [](const std::string& f) { Link(f, "nowhere.swf", "dangling.swf"); }, false,
       "dangling.swf", {"a.png"}, "", Status::kOutputNotAFile, {"dangling.swf"}},
      {"a link to a folder", [](const std::string& f) { Link(f, "d2", "folder.swf"); }, false, "folder.swf",
       {"a.png"}, "", Status::kOutputNotAFile, {"folder.swf"}},
      {"a link to a file that is not a movie", [](const std::string& f) { Link(f, "notes.txt", "show.swf"); },
       false, "show.swf", {"a.png"}, "", Status::kOutputNotAMovie, {"show.swf"}},
  });
#endif
  // "folder|name": a batch movie, the folder as given and then the separator the run adds.
  const auto full = [this](const char* name) {
    const std::string text(name);
    if (const size_t bar = text.find('|'); bar != std::string::npos) {
      return WithTrailingSeparator(Path(text.substr(0, bar))) + text.substr(bar + 1);
    }
    return text[0] == '/' ? text : Path(text);
  };
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder scratch;  // a fresh copy of the case's files
    CopyEntries(folder_.path(), scratch.path());
    if (c.setUp) c.setUp(folder_.path());
    settings_ = {};
    settings_.batchMode = c.batch;
    settings_.outputPath = full(c.output);
    settings_.controlFilePath = c.control[0] ? full(c.control) : std::string();
    std::vector<std::string> inputs;
    for (const char* input : c.inputs) inputs.push_back(full(input));
    const FolderSnapshot before = SnapshotFolder(folder_.path());

    EXPECT_EQ(Convert(inputs), -1);
    EXPECT_EQ(result_.status, c.status);
    std::vector<std::string> values;
    for (const char* value : c.messageValues) values.push_back(full(value));
    ConversionResult expected;
    switch (values.size()) {
      case 1: expected = MakeResult(c.status, {values[0]}); break;
      case 2: expected = MakeResult(c.status, {values[0], values[1]}); break;
      default: expected = MakeResult(c.status, {values[0], values[1], values[2]}); break;
    }
    EXPECT_EQ(result_.message, expected.message);
    EXPECT_TRUE(user_.questions.empty());
    EXPECT_EQ(SnapshotFolder(folder_.path()), before) << "nothing written, nothing removed";

    // Back to the shared files for the next case.
    fs::remove_all(folder_.path());
    fs::create_directory(folder_.path());
    CopyEntries(scratch.path(), folder_.path());
  }
}

TEST_F(OutputPreflightTest, MessagesReadAsTheUserWouldSayIt) {
  settings_.outputPath = Path("b.png");
  EXPECT_EQ(Convert(Paths({"a.png", "b.png"})), -1);
  EXPECT_EQ(result_.message, "The movie " + Path("b.png") + " would replace the input file " + Path("b.png") + "!");
  settings_.batchMode = true;
  settings_.outputPath = Path("out");
  EXPECT_EQ(Convert(Paths({"d1/a.png", "d2/a.png"})), -1);
  EXPECT_EQ(result_.message, "The images " + Path("d1/a.png") + " and " + Path("d2/a.png") +
                                 " would both become the movie " + WithTrailingSeparator(Path("out")) + "a.swf!");
  EXPECT_EQ(result_.inputIndex, 1u) << "about the second of the two";
  settings_.outputPath = Path("bx");
  EXPECT_EQ(Convert(Paths({"bx/x.swf", "bx/x.png"})), -1);
  EXPECT_EQ(result_.status, Status::kOutputIsInput);
  EXPECT_EQ(result_.inputIndex, 0u) << "about the input that would be replaced";
  settings_.batchMode = false;
  settings_.outputPath = Path("notes.txt");
  EXPECT_EQ(Convert(Paths({"a.png"})), -1);
  EXPECT_EQ(result_.message, "The output " + Path("notes.txt") + " exists and is not a movie!");
  EXPECT_EQ(result_.inputIndex, ConversionResult::kNoInput);
}

struct AcceptedCase {
  const char* what;
  std::function<void(const std::string& folder)> setUp;
  const char* output;
  const char* linkTarget;  // the file a link at the output names, "" for none
};

TEST_F(OutputPreflightTest, MissingMoviesAndEmptyFilesAreReplacedAndLinksWrittenThrough) {
  std::vector<AcceptedCase> cases = {
      {"nothing there yet", {}, "new.swf", ""},
      {"an earlier movie", {}, "movie.swf", ""},
      {"an empty file", {}, "empty.swf", ""},
  };
#ifndef _WIN32
  cases.insert(cases.end(), {
      {"a link to a movie", [](const std::string& f) { Link(f, "movie.swf", "current.swf"); }, "current.swf",
       "movie.swf"},
      {"a chain of links", [](const std::string& f) { Link(f, "../current.swf", "d1/chain.swf"); }, "d1/chain.swf",
       "movie.swf"},
  });
#endif
  for (const AcceptedCase& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.setUp) c.setUp(folder_.path());
    settings_.outputPath = Path(c.output);
    std::vector<PlannedMovie> movies;
    ASSERT_TRUE(PlanOutputs(settings_, Paths({"a.png"}), movies).ok());
    ASSERT_EQ(movies.size(), 1u);
    EXPECT_EQ(movies[0].path, Path(c.output));
    const std::string writes = c.linkTarget[0] ? fs::canonical(Path(c.linkTarget)).string() : Path(c.output);
    EXPECT_EQ(movies[0].writePath, writes);
  }
}

TEST_F(OutputPreflightTest, ALinkAtTheOutputStaysAndItsTargetBecomesTheMovie) {
#ifdef _WIN32
  GTEST_SKIP() << "symbolic links need privileges on Windows";
#endif
  Link(folder_.path(), "d1/shows/may.swf", "current.swf");
  fs::create_directory(Path("d1/shows"));
  std::ofstream(Path("d1/shows/may.swf")) << kEarlierMovie;
  settings_.outputPath = Path("current.swf");
  ASSERT_EQ(Convert(Paths({"a.png"})), 0) << result_.message;
  EXPECT_TRUE(fs::is_symlink(Path("current.swf")));
  EXPECT_EQ(ReadSwfFile(Path("d1/shows/may.swf")).frameCount, 13);
  EXPECT_TRUE(TemporaryFilesIn(Path("d1/shows")).empty());
  EXPECT_TRUE(TemporaryFilesIn(folder_.path()).empty());
}

struct RenameCase {
  const char* what;
  std::vector<const char*> inputs;
  const char* control;
  std::vector<const char*> movies;  // in the output folder
};

TEST_F(OutputPreflightTest, RenameGivesDistinctNamesInListOrderAndNeverAnInputsName) {
  FlatPng("out/c-2.swf", 4, 4, 9);  // an input named like a renamed movie
  std::ofstream(Path("out/b.swf")) << kEarlierMovie;
  const RenameCase cases[] = {
      {"one name in three places", {"d1/a.png", "d2/a.png", "a.png"}, "", {"a.swf", "a-2.swf", "a-3.swf"}},
      {"an input in the way", {"c.png", "out/c-2.swf", "c.png"}, "", {"c.swf", "c-2.swf.swf", "c-3.swf"}},
      {"the extension's case", {"a.png", "a.PNG"}, "", {"a.swf", "a-2.swf"}},
      {"one file twice, over an earlier movie", {"b.png", "b.png"}, "", {"b.swf", "b-2.swf"}},
      {"the control file in the way", {"self.png"}, "out/self.swf", {"self-2.swf"}},
  };
  settings_.batchMode = true;
  settings_.renameCollisions = true;
  settings_.outputPath = Path("out");
  for (const RenameCase& c : cases) {
    SCOPED_TRACE(c.what);
    settings_.controlFilePath = c.control[0] ? Path(c.control) : std::string();
    std::vector<PlannedMovie> movies;
    std::vector<std::string> inputs;
    for (const char* input : c.inputs) inputs.push_back(Path(input));
    ASSERT_TRUE(PlanOutputs(settings_, inputs, movies).ok());
    std::vector<std::string> names;
    for (const PlannedMovie& movie : movies) names.push_back(movie.path);
    std::vector<std::string> expected;
    for (const char* movie : c.movies) expected.push_back(WithTrailingSeparator(Path("out")) + movie);
    EXPECT_EQ(names, expected);
  }
}

TEST_F(OutputPreflightTest, RenamedBatchWritesEveryMovieAndKeepsItsInputs) {
  settings_.batchMode = true;
  settings_.renameCollisions = true;
  settings_.outputPath = Path("bx");
  settings_.jobs = 2;
  const std::string inputBefore = SnapshotFolder(Path("bx"))["x.swf"];
  ASSERT_EQ(Convert(Paths({"bx/x.png", "bx/x.swf", "d1/a.png", "d2/a.png"})), 0) << result_.message;
  EXPECT_EQ(SnapshotFolder(Path("bx"))["x.swf"], inputBefore);
  for (const char* movie : {"bx/x-2.swf", "bx/x.swf.swf", "bx/a.swf", "bx/a-2.swf"}) {
    EXPECT_EQ(ReadSwfFile(Path(movie)).frameCount, 13) << movie;
  }
  EXPECT_TRUE(TemporaryFilesIn(Path("bx")).empty());
}

}  // namespace
}  // namespace lumapress::test
