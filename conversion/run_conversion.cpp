#include "conversion/run_conversion.h"

#include <deque>
#include <future>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "conversion/frame_count.h"
#include "conversion/image_job.h"
#include "conversion/movie_steps.h"
#include "conversion/output_paths.h"
#include "swf/swf_writer.h"

namespace lumapress {
namespace {

constexpr char kCannotOpenInput[] = "Cannot open input file %s!";
constexpr char kReaderFailed[] = "PNG reader initialisation failed.";
constexpr char kImageTooLarge[] = "Image %s is too large!";
constexpr char kCannotDecode[] = "Cannot decode input file %s!";
constexpr char kNoMemory[] = "Not enough memory to convert %s!";
constexpr char kEncoderUnavailable[] = "The JPEG encoder could not be initialised.";
constexpr char kCannotEncode[] = "Cannot encode image %s!";
constexpr char kCannotWriteOutput[] = "Cannot write output file %s!";
constexpr char kControlPathTooLong[] = "The control file path is too long.";
constexpr char kCreateFolderQuestion[] =
    "The specified output directory doesn't exist.\nWould you like to create it?";

// `text` with its "%s" replaced by `path`.
std::string WithPath(const char* text, const std::string& path) {
  std::string result(text);
  const size_t at = result.find("%s");
  if (at != std::string::npos) result.replace(at, 2, path);
  return result;
}

std::string FaultMessage(ImageFault fault, const std::string& path) {
  switch (fault) {
    case ImageFault::kNone: break;
    case ImageFault::kCannotOpen: return WithPath(kCannotOpenInput, path);
    case ImageFault::kReaderFailed: return kReaderFailed;
    case ImageFault::kTooLarge: return WithPath(kImageTooLarge, path);
    case ImageFault::kCannotDecode: return WithPath(kCannotDecode, path);
    case ImageFault::kNoMemory: return WithPath(kNoMemory, path);
    case ImageFault::kEncoderUnavailable: return kEncoderUnavailable;
    case ImageFault::kEncodeFailed: return WithPath(kCannotEncode, path);
  }
  return {};
}

enum class BatchOutcome { kWritten, kCannotWrite, kControlPathTooLong, kNoMemory };

// A batch movie written on a worker under its temporary name, committed in list order.
struct BatchMovie {
  size_t index = 0;
  std::string moviePath;
  std::string temporaryPath;
  std::future<BatchOutcome> written;
  ConversionProgress done;
};

// One run over the input list. Images are decoded and encoded up to `jobs` at a time; the
// movie tags are written in list order, so the files do not depend on the number of jobs.
// Every movie is written under a temporary name and renamed into place when complete.
class ConversionRun {
 public:
  ConversionRun(const ConversionSettings& settings, std::span<const std::string> inputs,
                ConversionUser& user, const ProgressCallback& progress)
      : settings_(settings),
        inputs_(inputs),
        user_(user),
        progress_(progress),
        jobs_(settings.jobs == 0 ? 1 : settings.jobs),
        frames_(FramesForImage(settings.delaySeconds, settings.framesPerSecond)),
        frameRate_(static_cast<int32_t>(settings.framesPerSecond)),
        batchFolder_(WithTrailingSlash(settings.outputPath)),
        prepared_(inputs.size()) {}

  ~ConversionRun() { Abandon(); }

  int Run() {
    for (size_t index = 0; index < inputs_.size(); ++index) {
      bool converted = false;
      try {
        converted = ConvertOne(index);
      } catch (const std::bad_alloc&) {
        Stop(WithPath(kNoMemory, inputs_[index]));
      }
      if (!converted) {
        Abandon();
        return -1;
      }
    }
    if (settings_.batchMode) return DrainBatchMovies() ? 0 : (Abandon(), -1);
    if (!writer_) return -1;  // no inputs
    if (!FinishMovie(*writer_) || !CommitMovie(temporaryPath_, settings_.outputPath)) {
      return Stop(WithPath(kCannotWriteOutput, settings_.outputPath));
    }
    writer_.reset();
    temporaryPath_.clear();
    return 0;
  }

 private:
  bool ConvertOne(size_t index) {
    LaunchUpTo(index + jobs_);
    ImageJob job = prepared_[index].get();
    const std::string& input = inputs_[index];
    if (IsOpeningFault(job.fault)) return StopBeforeMessage(FaultMessage(job.fault, input));

    const std::string moviePath =
        settings_.batchMode ? BatchMoviePath(batchFolder_, input) : settings_.outputPath;
    if (!folderCreated_ && !CheckOutputFolder(moviePath)) return false;
    if (job.fault != ImageFault::kNone) return StopBeforeMessage(FaultMessage(job.fault, input));

    ConversionProgress done{index + 1, inputs_.size(), input, moviePath,
                            std::string(BitmapFormName(job.bitmap.form)), frames_};
    if (settings_.batchMode) return StartBatchMovie(index, std::move(job), moviePath, std::move(done));

    if (index == 0) {
      writer_ = std::make_unique<SwfWriter>(static_cast<int32_t>(job.width),
                                            static_cast<int32_t>(job.height), frameRate_, kMovieVersion);
      temporaryPath_ = TemporaryMoviePath(moviePath);
      if (!Started(StartMovie(*writer_, temporaryPath_, settings_.controlFilePath, inputs_.size(), frames_),
                   moviePath)) {
        return false;
      }
    }
    WriteImageFrames(*writer_, job.bitmap, job.width, job.height, index > 0, frames_);
    if (writer_->Failed()) return Stop(WithPath(kCannotWriteOutput, moviePath)) == 0;
    return Report(done);
  }

  // Starts decoding images up to (not including) `end`.
  void LaunchUpTo(size_t end) {
    const auto policy = jobs_ > 1 ? std::launch::async : std::launch::deferred;
    for (; launched_ < end && launched_ < inputs_.size(); ++launched_) {
      prepared_[launched_] =
          std::async(policy, PrepareImage, inputs_[launched_], settings_.jpegQuality);
    }
  }

  // The folder question, while this run has not created the folder.
  bool CheckOutputFolder(const std::string& moviePath) {
    std::string folder;
    if (settings_.batchMode) {
      folder = ResolvedFolder(batchFolder_.substr(0, batchFolder_.size() - 1), true);
    } else {
      folder = ResolvedFolder(FolderPart(moviePath), moviePath.find('/') != std::string::npos);
    }
    if (PathExists(folder)) return true;
    // Movies written so far are complete before the user is asked.
    if (!DrainBatchMovies()) return false;
    if (!user_.AskYesNo(kCreateFolderQuestion)) return false;
    folderCreated_ = true;
    if (!CreateFolderPath(folder)) return Stop(WithPath(kCannotWriteOutput, moviePath)) == 0;
    return true;
  }

  bool Started(MovieStart start, const std::string& moviePath) {
    switch (start) {
      case MovieStart::kOk: return true;
      case MovieStart::kCannotCreate: Stop(WithPath(kCannotWriteOutput, moviePath)); return false;
      case MovieStart::kControlPathTooLong: Stop(kControlPathTooLong); return false;
    }
    return false;
  }

  // Batch mode: the image's own movie, written on a worker when there are several jobs.
  bool StartBatchMovie(size_t index, ImageJob job, const std::string& moviePath,
                       ConversionProgress done) {
    BatchMovie movie{index, moviePath, TemporaryMoviePath(moviePath), {}, std::move(done)};
    const auto policy = jobs_ > 1 ? std::launch::async : std::launch::deferred;
    movie.written = std::async(policy, [this, path = movie.temporaryPath, job = std::move(job)] {
      return WriteBatchMovie(path, job);
    });
    pending_.push_back(std::move(movie));
    // At most `jobs` movies are in the making; the oldest is committed first.
    while (pending_.size() >= jobs_) {
      if (!CommitOldest()) return false;
    }
    return true;
  }

  BatchOutcome WriteBatchMovie(const std::string& path, const ImageJob& job) const {
    try {
      SwfWriter writer(static_cast<int32_t>(job.width), static_cast<int32_t>(job.height),
                       frameRate_, kMovieVersion);
      switch (StartMovie(writer, path, settings_.controlFilePath, 1, frames_)) {
        case MovieStart::kOk: break;
        case MovieStart::kCannotCreate: return BatchOutcome::kCannotWrite;
        case MovieStart::kControlPathTooLong: return BatchOutcome::kControlPathTooLong;
      }
      // A new movie's depth 1 is empty; the RemoveObject2 is still written, as for every image.
      WriteImageFrames(writer, job.bitmap, job.width, job.height, true, frames_);
      return FinishMovie(writer) ? BatchOutcome::kWritten : BatchOutcome::kCannotWrite;
    } catch (const std::bad_alloc&) {
      return BatchOutcome::kNoMemory;
    }
  }

  // Waits for the oldest batch movie and moves it into place.
  bool CommitOldest() {
    BatchMovie movie = std::move(pending_.front());
    pending_.pop_front();
    const BatchOutcome outcome = movie.written.get();
    if (outcome != BatchOutcome::kWritten) {
      DiscardMovie(movie.temporaryPath);
      if (outcome == BatchOutcome::kControlPathTooLong) return Stop(kControlPathTooLong) == 0;
      if (outcome == BatchOutcome::kNoMemory) return Stop(WithPath(kNoMemory, movie.done.inputPath)) == 0;
      return Stop(WithPath(kCannotWriteOutput, movie.moviePath)) == 0;
    }
    if (!CommitMovie(movie.temporaryPath, movie.moviePath)) {
      return Stop(WithPath(kCannotWriteOutput, movie.moviePath)) == 0;
    }
    return Report(movie.done);
  }

  bool DrainBatchMovies() {
    while (!pending_.empty()) {
      if (!CommitOldest()) return false;
    }
    return true;
  }

  bool Report(const ConversionProgress& done) {
    if (progress_ && !progress_(done)) {
      stopped_ = true;
      return false;
    }
    return true;
  }

  // Shows a fault found in an image, after the movies before it are complete.
  bool StopBeforeMessage(const std::string& message) {
    if (!DrainBatchMovies()) return false;
    Stop(message);
    return false;
  }

  int Stop(const std::string& message) {
    if (!stopped_) user_.ShowMessage(message);
    stopped_ = true;
    Abandon();
    return -1;
  }

  // Drops everything not yet committed: the single movie under way and batch movies in the
  // making. Images still being prepared are waited for and thrown away.
  void Abandon() {
    writer_.reset();
    if (!temporaryPath_.empty()) DiscardMovie(temporaryPath_);
    temporaryPath_.clear();
    for (BatchMovie& movie : pending_) {
      if (movie.written.valid()) movie.written.wait();
      DiscardMovie(movie.temporaryPath);
    }
    pending_.clear();
    for (size_t i = 0; i < launched_; ++i) {
      if (prepared_[i].valid()) prepared_[i].wait();
    }
  }

  const ConversionSettings& settings_;
  std::span<const std::string> inputs_;
  ConversionUser& user_;
  const ProgressCallback& progress_;
  const size_t jobs_;
  const uint32_t frames_;
  const int32_t frameRate_;
  const std::string batchFolder_;  // outputPath with a trailing '/'

  std::vector<std::future<ImageJob>> prepared_;
  size_t launched_ = 0;
  bool folderCreated_ = false;
  bool stopped_ = false;
  std::unique_ptr<SwfWriter> writer_;  // single-movie mode
  std::string temporaryPath_;          // single-movie mode
  std::deque<BatchMovie> pending_;     // batch mode, in list order
};

}  // namespace

int RunConversion(const ConversionSettings& settings, std::span<const std::string> inputPaths,
                  ConversionUser& user, const ProgressCallback& progress) {
  ConversionRun run(settings, inputPaths, user, progress);
  return run.Run();
}

}  // namespace lumapress
