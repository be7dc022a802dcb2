#include "conversion/run_conversion.h"

#include <algorithm>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "conversion/frame_count.h"
#include "conversion/image_job.h"
#include "conversion/movie_steps.h"
#include "conversion/output_paths.h"
#include "conversion/png_reader.h"
#include "conversion/work_estimate.h"
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

LosslessEffort LosslessEffortOf(const ConversionSettings& settings) {
  return settings.smallest ? LosslessEffort::kSmallest : LosslessEffort::kDefault;
}

enum class BatchOutcome { kWritten, kCannotWrite, kControlPathTooLong, kNoMemory };

// What both kinds of run share: the user's messages and the progress callback.
class RunReporter {
 public:
  RunReporter(ConversionUser& user, const ProgressCallback& progress) : user_(user), progress_(progress) {}

  // Shows `message` unless the run has already stopped; the run is stopped afterwards.
  void Stop(const std::string& message) {
    if (!stopped_) user_.ShowMessage(message);
    stopped_ = true;
  }

  // False when the callback cancels the run.
  bool Report(const ConversionProgress& done) {
    if (progress_ && !progress_(done)) {
      stopped_ = true;
      return false;
    }
    return true;
  }

  bool AskToCreateFolder() { return user_.AskYesNo(kCreateFolderQuestion); }

 private:
  ConversionUser& user_;
  const ProgressCallback& progress_;
  bool stopped_ = false;
};

// The folder that must exist before `moviePath` can be written.
std::string MovieFolder(const ConversionSettings& settings, const std::string& batchFolder,
                        const std::string& moviePath) {
  if (settings.batchMode) return ResolvedFolder(batchFolder.substr(0, batchFolder.size() - 1), true);
  return ResolvedFolder(FolderPart(moviePath), moviePath.find('/') != std::string::npos);
}

// Single-movie mode. Images are decoded and encoded up to `jobs` at a time; their tags are
// written in list order into one movie under a temporary name, renamed into place when complete.
class SingleMovieRun {
 public:
  SingleMovieRun(const ConversionSettings& settings, std::span<const std::string> inputs,
                 ConversionUser& user, const ProgressCallback& progress)
      : settings_(settings),
        inputs_(inputs),
        reporter_(user, progress),
        jobs_(settings.jobs == 0 ? 1 : settings.jobs),
        frames_(FramesForImage(settings.delaySeconds, settings.framesPerSecond)),
        frameRate_(static_cast<int32_t>(settings.framesPerSecond)),
        prepared_(inputs.size()) {}

  ~SingleMovieRun() { Abandon(); }

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
    if (IsOpeningFault(job.fault)) return Stop(FaultMessage(job.fault, input)) == 0;

    const std::string& moviePath = settings_.outputPath;
    if (!folderCreated_ && !CheckOutputFolder(moviePath)) return false;
    if (job.fault != ImageFault::kNone) return Stop(FaultMessage(job.fault, input)) == 0;

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
    return reporter_.Report({index + 1, inputs_.size(), input, moviePath,
                             std::string(BitmapFormName(job.bitmap.form)), frames_});
  }

  // Starts decoding images up to (not including) `end`.
  void LaunchUpTo(size_t end) {
    const auto policy = jobs_ > 1 ? std::launch::async : std::launch::deferred;
    for (; launched_ < end && launched_ < inputs_.size(); ++launched_) {
      const std::string& input = inputs_[launched_];
      const int32_t quality = settings_.jpegQuality;
      const LosslessEffort effort = LosslessEffortOf(settings_);
      prepared_[launched_] = std::async(
          policy, [&input, quality, effort] { return PrepareImage(input, quality, effort); });
    }
  }

  // The folder question, while this run has not created the folder.
  bool CheckOutputFolder(const std::string& moviePath) {
    const std::string folder = MovieFolder(settings_, {}, moviePath);
    if (PathExists(folder)) return true;
    if (!reporter_.AskToCreateFolder()) return false;
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

  int Stop(const std::string& message) {
    reporter_.Stop(message);
    Abandon();
    return -1;
  }

  // Drops the movie under way. Images still being prepared are waited for and thrown away.
  void Abandon() {
    writer_.reset();
    if (!temporaryPath_.empty()) DiscardMovie(temporaryPath_);
    temporaryPath_.clear();
    for (size_t i = 0; i < launched_; ++i) {
      if (prepared_[i].valid()) prepared_[i].wait();
    }
  }

  const ConversionSettings& settings_;
  std::span<const std::string> inputs_;
  RunReporter reporter_;
  const size_t jobs_;
  const uint32_t frames_;
  const int32_t frameRate_;

  std::vector<std::future<ImageJob>> prepared_;
  size_t launched_ = 0;
  bool folderCreated_ = false;
  std::unique_ptr<SwfWriter> writer_;
  std::string temporaryPath_;
};

// Movies a batch run may have finished beyond the one being committed, per job: finished
// movies wait on disk under temporary names and hold no memory, so a slow image does not
// leave the other workers idle.
constexpr size_t kBatchLookAheadPerJob = 4;

// Batch mode: one movie per image. Each image is one task (prepare, then write its movie under
// a temporary name) run by `jobs` worker threads taking images in list order; with one job the
// calling thread runs the tasks itself. The calling thread checks, commits (renames) and reports
// the movies strictly in list order, so files, messages and progress do not depend on the
// number of jobs. No movie is written before the output folder is confirmed.
class BatchRun {
 public:
  BatchRun(const ConversionSettings& settings, std::span<const std::string> inputs,
           ConversionUser& user, const ProgressCallback& progress)
      : settings_(settings),
        inputs_(inputs),
        reporter_(user, progress),
        jobs_(settings.jobs == 0 ? 1 : settings.jobs),
        lookAhead_(jobs_ * kBatchLookAheadPerJob),
        frames_(FramesForImage(settings.delaySeconds, settings.framesPerSecond)),
        frameRate_(static_cast<int32_t>(settings.framesPerSecond)),
        batchFolder_(WithTrailingSlash(settings.outputPath)),
        slots_(inputs.size()) {}

  ~BatchRun() { Abandon(); }

  int Run() {
    if (inputs_.empty()) return -1;
    // An existing folder asks no question: movies may be written from the start (any written
    // beyond a fault are discarded as usual).
    if (PathExists(MovieFolder(settings_, batchFolder_, {}))) {
      writesAllowed_ = true;
    } else if (jobs_ > 1 && CheckImageOpens(inputs_[0]) == ImageFault::kNone) {
      // The question comes after the first image's opening checks and before anything else
      // it could report, so it can be asked now instead of after the first image is converted,
      // and the workers may write from the start.
      if (!CheckOutputFolder(BatchMoviePath(batchFolder_, inputs_[0]))) return -1;
      writesAllowed_ = true;
    }
    if (jobs_ > 1) StartWorkers(std::min(jobs_, inputs_.size()));
    for (size_t index = 0; index < inputs_.size(); ++index) {
      bool converted = false;
      try {
        converted = CommitOne(index);
      } catch (const std::bad_alloc&) {
        reporter_.Stop(WithPath(kNoMemory, inputs_[index]));
      }
      if (!converted) {
        Abandon();
        return -1;
      }
    }
    StopWorkers();
    return 0;
  }

 private:
  enum class Stage { kWaiting, kPrepared, kWritten };

  // One image's task. Fields are written by the task's thread and read by the calling thread
  // once `stage` (guarded by mutex_) says they are final; `job` belongs to the task alone.
  struct Slot {
    Stage stage = Stage::kWaiting;
    ImageJob job;  // kept from preparing until written
    ImageFault fault = ImageFault::kNone;     // final at kPrepared
    BitmapForm form = BitmapForm::kLossless32;  // final at kPrepared
    std::string temporaryPath;                // final at kWritten
    BatchOutcome outcome = BatchOutcome::kCannotWrite;  // final at kWritten
  };

  void StartWorkers(size_t count) {
    taken_.assign(inputs_.size(), false);
    work_.assign(inputs_.size(), 0);
    EstimateWork(0, WindowEnd());
    try {
      for (size_t i = 0; i < count; ++i) workers_.emplace_back([this] { WorkerLoop(); });
    } catch (const std::system_error&) {
      // Fewer threads than asked for; with none the calling thread runs every task.
    }
  }

  void WorkerLoop() {
    PngReader reader;  // one per thread, keeping its row memory from image to image
    for (;;) {
      size_t index = 0;
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return stopping_ || AllTaken() || firstUntaken_ < WindowEnd(); });
        if (stopping_ || AllTaken()) return;
        index = TakeTask();
      }
      Prepare(index, reader);
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return stopping_ || writesAllowed_; });
        if (stopping_) return;
      }
      Write(index);
    }
  }

  // The next task, under mutex_. Within the look-ahead the largest image (by its estimated
  // work) goes first, so that the run does not end on one long image while the other workers
  // are idle. Until the folder is confirmed, tasks go in list order: the first image's check
  // waits for it.
  size_t TakeTask() {
    size_t index = firstUntaken_;
    if (writesAllowed_) {
      for (size_t i = firstUntaken_ + 1; i < WindowEnd(); ++i) {
        if (!taken_[i] && work_[i] > work_[index]) index = i;
      }
    }
    taken_[index] = true;
    while (!AllTaken() && taken_[firstUntaken_]) ++firstUntaken_;
    return index;
  }

  bool AllTaken() const { return firstUntaken_ >= inputs_.size(); }
  size_t WindowEnd() const { return std::min(inputs_.size(), committed_ + lookAhead_); }

  // Estimates the work of images [begin, end), before the window reaches them: the workers
  // read work_ only inside the window.
  void EstimateWork(size_t begin, size_t end) {
    for (size_t i = begin; i < end; ++i) {
      work_[i] = EstimateConversionWork(inputs_[i], settings_.jpegQuality);
    }
  }

  void Prepare(size_t index, PngReader& reader) {
    Slot& slot = slots_[index];
    slot.job =
        PrepareImage(inputs_[index], settings_.jpegQuality, reader, LosslessEffortOf(settings_));
    slot.fault = slot.job.fault;
    slot.form = slot.job.bitmap.form;
    SetStage(slot, Stage::kPrepared);
  }

  // Writes the image's movie under a temporary name; nothing for an image with a fault.
  void Write(size_t index) {
    Slot& slot = slots_[index];
    if (slot.job.fault == ImageFault::kNone) {
      try {
        slot.temporaryPath = TemporaryMoviePath(BatchMoviePath(batchFolder_, inputs_[index]));
        slot.outcome = WriteBatchMovie(slot.temporaryPath, slot.job);
      } catch (const std::bad_alloc&) {
        slot.outcome = BatchOutcome::kNoMemory;
      }
      slot.job = {};  // the movie is on disk now
    }
    SetStage(slot, Stage::kWritten);
  }

  void SetStage(Slot& slot, Stage stage) {
    {
      std::lock_guard lock(mutex_);
      slot.stage = stage;
    }
    changed_.notify_all();
  }

  // Waits until the image's task has reached `stage`; runs it here when there are no workers.
  void WaitFor(size_t index, Stage stage) {
    if (workers_.empty()) {
      if (stage == Stage::kPrepared) {
        Prepare(index, callerReader_);
      } else {
        Write(index);
      }
      return;
    }
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return slots_[index].stage >= stage; });
  }

  bool CommitOne(size_t index) {
    WaitFor(index, Stage::kPrepared);
    Slot& slot = slots_[index];
    const std::string& input = inputs_[index];
    if (IsOpeningFault(slot.fault)) return Stop(FaultMessage(slot.fault, input));

    const std::string moviePath = BatchMoviePath(batchFolder_, input);
    if (!folderCreated_ && !CheckOutputFolder(moviePath)) return false;
    if (slot.fault != ImageFault::kNone) return Stop(FaultMessage(slot.fault, input));
    AllowWrites();

    const ConversionProgress done{index + 1, inputs_.size(), input, moviePath,
                                  std::string(BitmapFormName(slot.form)), frames_};
    WaitFor(index, Stage::kWritten);
    const bool committed = CommitWritten(slot, moviePath, input);
    slot.temporaryPath.clear();
    // The window moves on by one image; its estimate is ready before a worker can see it.
    const size_t entering = index + lookAhead_;
    if (!workers_.empty() && entering < inputs_.size()) EstimateWork(entering, entering + 1);
    {
      std::lock_guard lock(mutex_);
      committed_ = index + 1;
    }
    changed_.notify_all();
    return committed && reporter_.Report(done);
  }

  // Moves the finished movie into place, or says why it could not be written.
  bool CommitWritten(const Slot& slot, const std::string& moviePath, const std::string& input) {
    switch (slot.outcome) {
      case BatchOutcome::kWritten: break;
      case BatchOutcome::kControlPathTooLong: DiscardMovie(slot.temporaryPath); return Stop(kControlPathTooLong);
      case BatchOutcome::kNoMemory: DiscardMovie(slot.temporaryPath); return Stop(WithPath(kNoMemory, input));
      case BatchOutcome::kCannotWrite:
        DiscardMovie(slot.temporaryPath);
        return Stop(WithPath(kCannotWriteOutput, moviePath));
    }
    if (!CommitMovie(slot.temporaryPath, moviePath)) return Stop(WithPath(kCannotWriteOutput, moviePath));
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

  // The folder question, while this run has not created the folder. Every movie before this
  // one is already committed.
  bool CheckOutputFolder(const std::string& moviePath) {
    const std::string folder = MovieFolder(settings_, batchFolder_, moviePath);
    if (PathExists(folder)) return true;
    if (!reporter_.AskToCreateFolder()) return false;
    folderCreated_ = true;
    if (!CreateFolderPath(folder)) return Stop(WithPath(kCannotWriteOutput, moviePath));
    return true;
  }

  void AllowWrites() {
    {
      std::lock_guard lock(mutex_);
      if (writesAllowed_) return;
      writesAllowed_ = true;
    }
    changed_.notify_all();
  }

  // Always false, for `return Stop(...)` in the checks.
  bool Stop(const std::string& message) {
    reporter_.Stop(message);
    return false;
  }

  void StopWorkers() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& worker : workers_) worker.join();
    workers_.clear();
  }

  // Drops everything not yet committed: tasks still running are waited for, and movies
  // written beyond the last committed one are removed.
  void Abandon() {
    StopWorkers();
    for (Slot& slot : slots_) {
      if (!slot.temporaryPath.empty()) DiscardMovie(slot.temporaryPath);
      slot.temporaryPath.clear();
    }
  }

  const ConversionSettings& settings_;
  std::span<const std::string> inputs_;
  RunReporter reporter_;
  const size_t jobs_;
  const size_t lookAhead_;
  const uint32_t frames_;
  const int32_t frameRate_;
  const std::string batchFolder_;  // outputPath with a trailing '/'
  bool folderCreated_ = false;

  std::vector<Slot> slots_;
  std::vector<std::thread> workers_;
  std::mutex mutex_;
  std::condition_variable changed_;  // a slot's stage, committed_, writesAllowed_ or stopping_
  std::vector<uint64_t> work_;  // each image's estimated work, set before the window reaches it
  PngReader callerReader_;      // for tasks the calling thread runs itself
  std::vector<bool> taken_;  // guarded by mutex_
  size_t firstUntaken_ = 0;  // guarded by mutex_
  size_t committed_ = 0;     // guarded by mutex_
  bool writesAllowed_ = false;  // guarded by mutex_
  bool stopping_ = false;       // guarded by mutex_
};

}  // namespace

int RunConversion(const ConversionSettings& settings, std::span<const std::string> inputPaths,
                  ConversionUser& user, const ProgressCallback& progress) {
  if (settings.batchMode) {
    BatchRun run(settings, inputPaths, user, progress);
    return run.Run();
  }
  SingleMovieRun run(settings, inputPaths, user, progress);
  return run.Run();
}

}  // namespace lumapress
