#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <system_error>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/cancellation.h"
#include "conversion/file_identity.h"
#include "conversion/image_job.h"
#include "conversion/image_pipeline.h"
#include "conversion/movie_steps.h"
#include "conversion/output_paths.h"
#include "conversion/output_preflight.h"
#include "conversion/temporary_movie.h"
#include "conversion/work_estimate.h"
#include "conversion/write_image_bitmap.h"
#include "lumapress/convert.h"
#include "platform/file_system.h"
#include "platform/path_rules.h"
#include "swf/bitmap_tags.h"
#include "swf/swf_writer.h"

namespace lumapress {
namespace {

// Images a run may have in flight beyond the one being committed, per job. A batch image in
// flight is a finished movie waiting on disk under a temporary name; a slide-show image is an
// encoded bitmap waiting in memory, so that window stays short.
constexpr size_t kBatchLookAheadPerJob = 4;
constexpr size_t kSlideShowLookAheadExtra = 1;

// The stage of a slide show that takes the first image's size, for the threads preparing
// later images: they wait until the first image's header has been read. The first image is
// always taken first, and whatever becomes of it, its size (0 x 0 when it could not be read)
// is set.
class FirstImageSize {
 public:
  void Set(uint32_t width, uint32_t height) {
    {
      std::lock_guard lock(mutex_);
      if (known_) return;
      size_ = {width, height};
      known_ = true;
    }
    known_changed_.notify_all();
  }
  std::pair<uint32_t, uint32_t> Await() {
    std::unique_lock lock(mutex_);
    known_changed_.wait(lock, [this] { return known_; });
    return size_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable known_changed_;
  bool known_ = false;
  std::pair<uint32_t, uint32_t> size_;
};

// A movie's stage, pixels.
struct Stage {
  uint32_t width = 0;
  uint32_t height = 0;
};

// Each image's ShowFrame tags.
std::vector<uint32_t> FramesOfImages(const ConversionSettings& settings, size_t imageCount) {
  std::vector<uint32_t> frames(imageCount);
  for (size_t index = 0; index < imageCount; ++index) {
    frames[index] = FramesForImage(ImageDelay(settings, index), settings.framesPerSecond);
  }
  return frames;
}

// One image's share of the run. `job` is written by the thread that prepares the image and
// read by the committing thread once the pipeline says it is prepared; a batch image's movie
// fields likewise once it is written.
struct ImageSlot {
  ImageJob job;
  std::unique_ptr<TemporaryMovie> movie;  // batch: the movie written under a temporary name
  ConversionResult written;               // batch: how writing the movie went
  std::string diagnostics;                // batch: the movie writer's diagnostic lines
};


// One conversion: images are prepared on the pipeline's workers and committed here, on the
// caller's thread, strictly in list order, so files, messages and progress do not depend on
// the number of jobs. Single-movie mode writes each committed image into the one movie;
// batch mode's workers write each image's movie under a temporary name, and committing
// renames it into place. No movie is written before the output folder is confirmed. Every
// thread working for the run polls its cancellation.
class ConversionRun {
 public:
  ConversionRun(const ConversionSettings& settings, std::span<const std::string> inputs,
                const ConversionCallbacks& callbacks, std::vector<PlannedMovie> movies)
      : settings_(settings),
        inputs_(inputs),
        callbacks_(callbacks),
        movies_(std::move(movies)),
        cancellation_(callbacks.cancelRequested),
        frames_(FramesOfImages(settings, inputs.size())),
        fadeFrames_(FramesForFade(settings.fadeSeconds, settings.framesPerSecond)),
        frameRate_(static_cast<int32_t>(settings.framesPerSecond)),
        batchFolder_(settings.batchMode ? WithTrailingSeparator(settings.outputPath) : std::string()),
        slots_(inputs.size()) {}

  ~ConversionRun() { Abandon(); }

  ConversionResult Run() {
    CancellationScope scope(&cancellation_);
    ConversionResult result = ConvertImages();
    if (!result.ok()) {
      Abandon();
      // What a cancelled run's work stopped with (a decoder or writer that gave up) is no fault.
      if (cancellation_.Requested()) result = MakeResult(Status::kCancelled);
      RemoveCreatedFolders();
    }
    return result;
  }

 private:
  ConversionResult ConvertImages() {
    std::vector<std::string> writePaths;
    for (const PlannedMovie& movie : movies_) writePaths.push_back(movie.writePath);
    RemoveStaleTemporaryMovies(writePaths);
    if (settings_.batchMode) {
      if (auto asked = AskForBatchFolderEarly(); !asked.ok()) return asked;
    }
    StartPipeline();
    for (size_t index = 0; index < inputs_.size(); ++index) {
      ConversionResult committed;
      try {
        committed = CommitOne(index);
      } catch (const std::bad_alloc&) {
        committed = AboutInput(MakeResult(Status::kNoMemory, {inputs_[index]}), index);
      }
      if (!committed.ok()) return committed;
    }
    pipeline_->Stop();
    if (!settings_.batchMode) return FinishSlideShow();
    return MakeResult(Status::kOk);
  }

  const PlannedMovie& MovieOf(size_t index) const { return movies_[settings_.batchMode ? index : 0]; }

  void StartPipeline() {
    const unsigned jobs = std::max(settings_.jobs, 1u);
    const size_t lookAhead = settings_.batchMode ? size_t{jobs} * kBatchLookAheadPerJob
                                                 : size_t{jobs} + kSlideShowLookAheadExtra;
    ImagePipeline::Stages stages;
    stages.prepare = [this](size_t index, PngReader& reader) {
      CancellationScope scope(&cancellation_);
      ImageJob job;
      try {
        if (!cancellation_.Requested()) {
          job = PrepareImage(inputs_[index], settings_.jpegQuality, settings_.maxPixels, reader,
                             settings_.smallest ? LosslessEffort::kSmallest : LosslessEffort::kDefault,
                             Placement(index));
        }
      } catch (const std::bad_alloc&) {
        job.status = Status::kNoMemory;
      }
      // Unless its header set it already: releases the images waiting for the first one's size.
      if (index == 0) firstImageSize_.Set(0, 0);
      if (cancellation_.Requested()) job.status = Status::kCancelled;
      slots_[index].job = std::move(job);
    };
    if (settings_.batchMode) stages.write = [this](size_t index) { WriteBatchMovie(index); };
    stages.estimate = [this](size_t index) {
      return EstimateConversionWork(inputs_[index], settings_.jpegQuality);
    };
    pipeline_.emplace(inputs_.size(), jobs, lookAhead, std::move(stages));
    if (writesAllowed_) pipeline_->AllowWrites();
  }

  // Where image `index` goes on the stage; nothing when every image keeps its own size at
  // the top-left corner, as without a stage or fit.
  PlaceImage Placement(size_t index) {
    if (settings_.fit == Fit::kNone && !StageGiven()) return {};
    return [this, index](uint32_t width, uint32_t height) {
      uint32_t stageWidth = settings_.stageWidth;
      uint32_t stageHeight = settings_.stageHeight;
      if (!StageGiven()) {
        if (settings_.batchMode || index == 0) {
          stageWidth = width;
          stageHeight = height;
          if (index == 0) firstImageSize_.Set(width, height);
        } else {
          std::tie(stageWidth, stageHeight) = firstImageSize_.Await();
          // The first image could not be read: the run stops there, this image is not shown.
          if (stageWidth == 0 || stageHeight == 0) return PlaceOnStage(width, height, width, height, Fit::kNone);
        }
      }
      return PlaceOnStage(width, height, stageWidth, stageHeight, settings_.fit);
    };
  }

  bool StageGiven() const { return settings_.stageWidth != 0 && settings_.stageHeight != 0; }

  // The stage of a movie whose first image is `job`: as given, else that image's size (as
  // shown: a fit keeps it).
  Stage StageFor(const ImageJob& job) const {
    return StageGiven() ? Stage{settings_.stageWidth, settings_.stageHeight} : Stage{job.width, job.height};
  }

  // How image `index` appears in a slide show: a fade for every image but the first (that one
  // only with fadeIn), a stop at the end of the last one unless the show loops.
  ImageFrames FramesOf(size_t index, const Stage& stage) const {
    const ImageJob& job = slots_[index].job;
    ImageFrames shown;
    shown.width = job.width;
    shown.height = job.height;
    shown.x = job.x;
    shown.y = job.y;
    shown.stageWidth = stage.width;
    shown.stageHeight = stage.height;
    shown.backgroundColor = settings_.backgroundColor;
    shown.frames = frames_[index];
    if (!settings_.batchMode) {
      shown.replacePrevious = index > 0;
      if (index > 0 || settings_.fadeIn) shown.fadeFrames = fadeFrames_;
      shown.stopAtEnd = !settings_.loop && index + 1 == inputs_.size();
    }
    return shown;
  }

  // Batch mode: with an existing folder, movies may be written from the start (any written
  // beyond a fault are discarded as usual). With several jobs the folder question comes right
  // after the first image's opening checks, before anything else it could report, so that the
  // workers may write from the start too; not when that image can be read only once.
  ConversionResult AskForBatchFolderEarly() {
    if (PathExists(MovieFolder())) {
      writesAllowed_ = true;
    } else if (settings_.jobs > 1 && IsRegularFile(inputs_[0]) &&  // a pipe is read only once
               CheckImageOpens(inputs_[0], settings_.maxPixels).status == Status::kOk) {
      if (auto checked = CheckOutputFolder(movies_[0].path); !checked.ok()) {
        return checked;
      }
      writesAllowed_ = true;
    }
    return MakeResult(Status::kOk);
  }

  ConversionResult CommitOne(size_t index) {
    if (cancellation_.Requested()) return MakeResult(Status::kCancelled);
    pipeline_->AwaitPrepared(index);
    ImageSlot& slot = slots_[index];
    const std::string& input = inputs_[index];
    const std::string& moviePath = MovieOf(index).path;
    if (slot.job.status == Status::kCancelled) return MakeResult(Status::kCancelled);
    Report(moviePath, slot.job.diagnostics);
    if (IsOpeningFault(slot.job.status)) return AboutInput(ImageResult(slot.job, input), index);

    if (!folderCreated_) {
      if (auto checked = CheckOutputFolder(moviePath); !checked.ok()) return checked;
    }
    if (slot.job.status != Status::kOk) return AboutInput(ImageResult(slot.job, input), index);
    pipeline_->AllowWrites();

    if (settings_.batchMode) {
      pipeline_->AwaitWritten(index);
      ConversionResult committed = CommitBatchMovie(slot, index);  // may rename the movie
      Report(moviePath, slot.diagnostics);
      if (!committed.ok()) return committed;
    } else {
      ConversionResult written = WriteSlideShowImage(index, moviePath);
      if (writer_) Report(moviePath, writer_->diagnostics().Take());
      if (!written.ok()) return written;
    }
    const ConversionProgress done{index + 1, inputs_.size(), input, moviePath,
                                  std::string(BitmapFormName(slot.job.bitmap.form)), frames_[index]};
    KeepTagBody(std::move(slot.job.bitmap.tag.body));
    slot.job = {};
    pipeline_->Committed(index);
    if (callbacks_.progress && !callbacks_.progress(done)) return MakeResult(Status::kCancelled);
    return MakeResult(Status::kOk);
  }

  // Single-movie mode: the first image starts the movie under a temporary name.
  ConversionResult WriteSlideShowImage(size_t index, const std::string& moviePath) {
    const ImageJob& job = slots_[index].job;
    if (index == 0) {
      stage_ = StageFor(job);
      writer_ = std::make_unique<SwfWriter>(static_cast<int32_t>(stage_.width), static_cast<int32_t>(stage_.height),
                                            frameRate_, kMovieVersion);
      temporary_ = std::make_unique<TemporaryMovie>(MovieOf(index).writePath);
      if (!temporary_->ok()) return MakeResult(Status::kCannotWriteOutput, {moviePath});
      uint64_t movieFrames = 0;
      for (const uint32_t frames : frames_) movieFrames += frames;
      if (auto started = StartResult(StartMovie(*writer_, temporary_->path(), settings_.controlFilePath,
                                                inputs_.size(), movieFrames, settings_.backgroundColor),
                                     moviePath);
          !started.ok()) {
        return started;
      }
    }
    if (!MovieFits(writer_->BytesWritten(), CertainImageBytes(job.bitmap, frames_[index]))) return TooLarge(moviePath);
    WriteImageFrames(*writer_, job.bitmap, FramesOf(index, stage_));
    if (writer_->Failed()) return MakeResult(Status::kCannotWriteOutput, {moviePath});
    return MakeResult(Status::kOk);
  }

  ConversionResult FinishSlideShow() {
    const std::string& moviePath = MovieOf(0).path;
    if (!MovieFits(writer_->BytesWritten(), 0)) return TooLarge(moviePath);
    const bool finished = FinishMovie(*writer_);
    Report(moviePath, writer_->diagnostics().Take());
    // A name that was free when the run was planned is taken only if it still is.
    const PlannedMovie& movie = MovieOf(0);
    if (!finished || !(movie.existed ? temporary_->Commit() : temporary_->CommitIfFree(movie.writePath))) {
      return NameTakenOrCannotWrite(movie);
    }
    writer_.reset();
    temporary_.reset();
    return MakeResult(Status::kOk);
  }

  static ConversionResult TooLarge(const std::string& moviePath) {
    return MakeResult(Status::kMovieTooLarge, {moviePath, std::to_string(kMaxMovieBytes)});
  }

  // Batch mode, on a worker: the image's movie under a temporary name; nothing for an image
  // with a fault.
  void WriteBatchMovie(size_t index) {
    CancellationScope scope(&cancellation_);
    ImageSlot& slot = slots_[index];
    if (slot.job.status != Status::kOk) return;
    try {
      slot.written = WriteBatchMovieFile(slot, index);
    } catch (const std::bad_alloc&) {
      slot.written = AboutInput(MakeResult(Status::kNoMemory, {inputs_[index]}), index);
    }
    if (!slot.written.ok() && cancellation_.Requested()) slot.written = MakeResult(Status::kCancelled);
    // The movie is on disk now, or will not be. Only the tag goes: the committing thread may be
    // reading the rest of the job meanwhile.
    KeepTagBody(std::move(slot.job.bitmap.tag.body));
    slot.job.bitmap.tag = {};
  }

  ConversionResult WriteBatchMovieFile(ImageSlot& slot, size_t index) {
    const std::string& moviePath = MovieOf(index).path;
    slot.movie = std::make_unique<TemporaryMovie>(MovieOf(index).writePath);
    if (!slot.movie->ok()) return MakeResult(Status::kCannotWriteOutput, {moviePath});
    const Stage stage = StageFor(slot.job);
    SwfWriter writer(static_cast<int32_t>(stage.width), static_cast<int32_t>(stage.height), frameRate_, kMovieVersion);
    ConversionResult result = StartResult(StartMovie(writer, slot.movie->path(), settings_.controlFilePath, 1,
                                                     frames_[index], settings_.backgroundColor),
                                          moviePath);
    if (result.ok() && !MovieFits(writer.BytesWritten(), CertainImageBytes(slot.job.bitmap, frames_[index]))) {
      result = TooLarge(moviePath);
    }
    if (result.ok()) {
      // A new movie's depth 1 is empty: no RemoveObject2 before its only image.
      WriteImageFrames(writer, slot.job.bitmap, FramesOf(index, stage));
      if (!MovieFits(writer.BytesWritten(), 0)) {
        result = TooLarge(moviePath);
      } else if (!FinishMovie(writer)) {
        result = MakeResult(Status::kCannotWriteOutput, {moviePath});
      }
    }
    slot.diagnostics = writer.diagnostics().Take();
    return result;
  }

  // Moves a finished batch movie into place, or says why it could not be written.
  ConversionResult CommitBatchMovie(ImageSlot& slot, size_t index) {
    ConversionResult result = std::move(slot.written);
    if (result.ok()) result = MoveBatchMovieIntoPlace(*slot.movie, index);
    slot.movie.reset();  // removes the file unless it was committed
    if (result.ok()) committedMovies_.try_emplace(InspectPath(MovieOf(index).writePath).key, index);
    return result;
  }

  // Names that differ when the run is planned can name one file when it commits: in a folder
  // that ignores case (A.swf and a.swf on vfat, exFAT or macOS's default volumes) or folds
  // Unicode forms, or when a file of that name was saved meanwhile. A name that was free when
  // the run was planned is therefore taken only if it still is; with renameCollisions a taken
  // one is renamed as planning renames, otherwise the run stops and what is there stays.
  ConversionResult MoveBatchMovieIntoPlace(TemporaryMovie& file, size_t index) {
    PlannedMovie& movie = movies_[index];
    if (movie.existed) {  // an older movie, whose identity planning compared with the run's files
      return file.Commit() ? MakeResult(Status::kOk) : MakeResult(Status::kCannotWriteOutput, {movie.path});
    }
    if (file.CommitIfFree(movie.writePath)) return MakeResult(Status::kOk);
    if (!PathExists(movie.writePath)) return MakeResult(Status::kCannotWriteOutput, {movie.path});
    if (settings_.renameCollisions) {
      const std::string named = movie.path;
      for (size_t attempt = 2; attempt <= kMaxRenameAttempts; ++attempt) {
        const std::string renamed = RenamedMovie(named, attempt);
        if (file.CommitIfFree(renamed)) {
          movie.path = movie.writePath = renamed;
          return MakeResult(Status::kOk);
        }
        if (!PathExists(renamed)) return MakeResult(Status::kCannotWriteOutput, {renamed});
      }
    }
    if (auto collision = CheckNoEarlierMovieThere(index); !collision.ok()) return collision;
    return NameTakenOrCannotWrite(movie);
  }

  // A collision when the movie's path now names a movie this run committed. (File systems
  // whose file numbers are not stable, as some FUSE drivers', do not tell; there the commit
  // itself refuses a taken name.)
  ConversionResult CheckNoEarlierMovieThere(size_t index) const {
    const FileFacts facts = InspectPath(MovieOf(index).writePath);
    if (facts.kind == FileFacts::Kind::kMissing) return MakeResult(Status::kOk);
    const auto earlier = committedMovies_.find(facts.key);
    if (earlier == committedMovies_.end()) return MakeResult(Status::kOk);
    return AboutInput(
        MakeResult(Status::kOutputCollision, {inputs_[earlier->second], inputs_[index], MovieOf(index).path}),
        index);
  }

  // Why a movie could not take its name: something that is not a movie took it, or the move
  // failed.
  static ConversionResult NameTakenOrCannotWrite(const PlannedMovie& movie) {
    if (PathExists(movie.writePath) && !HoldsMovieOrNothing(movie.writePath)) {
      return MakeResult(Status::kOutputNotAMovie, {movie.path});
    }
    return MakeResult(Status::kCannotWriteOutput, {movie.path});
  }

  static ConversionResult StartResult(MovieStart start, const std::string& moviePath) {
    switch (start) {
      case MovieStart::kOk: break;
      case MovieStart::kCannotCreate: return MakeResult(Status::kCannotWriteOutput, {moviePath});
      case MovieStart::kControlPathTooLong: return MakeResult(Status::kControlPathTooLong);
    }
    return MakeResult(Status::kOk);
  }

  static ConversionResult AboutInput(ConversionResult result, size_t index) {
    result.inputIndex = index;
    return result;
  }

  void Report(const std::string& moviePath, const std::string& text) const {
    if (!text.empty() && callbacks_.diagnostics) callbacks_.diagnostics(moviePath, text);
  }

  // The folder that must exist before `moviePath` can be written.
  std::string MovieFolder(const std::string& moviePath = {}) const {
    // The batch folder ends in a separator: the folder is the text before it.
    return ContainingFolder(settings_.batchMode ? batchFolder_ : moviePath);
  }

  // The folder question, while this run has not created the folder. Every movie before this
  // one is already committed.
  ConversionResult CheckOutputFolder(const std::string& moviePath) {
    const std::string folder = MovieFolder(moviePath);
    if (PathExists(folder)) return MakeResult(Status::kOk);
    if (!callbacks_.createFolder || !callbacks_.createFolder(kCreateFolderQuestion)) {
      return MakeResult(Status::kFolderDeclined);
    }
    folderCreated_ = true;
    if (!CreateFolderPath(folder, &createdFolders_)) return MakeResult(Status::kCannotWriteOutput, {moviePath});
    return MakeResult(Status::kOk);
  }

  // Drops everything not committed: images in flight are waited for, the slide show under way
  // and batch movies written beyond the last committed one are removed.
  void Abandon() {
    if (pipeline_) pipeline_->Stop();
    writer_.reset();
    temporary_.reset();
    for (ImageSlot& slot : slots_) slot.movie.reset();
  }

  // After a failure: the folders this run created and left empty go again, deepest first.
  void RemoveCreatedFolders() {
    for (auto folder = createdFolders_.rbegin(); folder != createdFolders_.rend(); ++folder) {
      std::error_code error;
      std::filesystem::remove(NativePath(*folder), error);  // only an empty folder is removed
    }
    createdFolders_.clear();
  }

  const ConversionSettings& settings_;
  std::span<const std::string> inputs_;
  const ConversionCallbacks& callbacks_;
  // One, or one per input in batch mode; a batch movie renamed as it commits takes its new name
  // there (each entry is changed only by the committing thread, after its worker is done).
  std::vector<PlannedMovie> movies_;
  const CancellationCheck cancellation_;
  const std::vector<uint32_t> frames_;  // of each image
  const uint32_t fadeFrames_;            // of each fade; 0 without fades
  const int32_t frameRate_;
  const std::string batchFolder_;  // batch mode: outputPath ending in a separator
  bool folderCreated_ = false;
  std::unordered_map<std::string, size_t> committedMovies_;  // batch: file key -> input index
  std::vector<std::string> createdFolders_;  // top down
  bool writesAllowed_ = false;

  FirstImageSize firstImageSize_;  // before the pipeline: its workers wait on it
  std::vector<ImageSlot> slots_;
  std::optional<ImagePipeline> pipeline_;  // after slots_: its workers use them
  std::unique_ptr<SwfWriter> writer_;      // single-movie mode
  Stage stage_;                            // single-movie mode: the movie's stage, pixels
  std::unique_ptr<TemporaryMovie> temporary_;  // single-movie mode
};

}  // namespace

ConversionResult RunConversion(const ConversionSettings& settings, std::span<const std::string> inputPaths,
                               const ConversionCallbacks& callbacks) {
  if (ConversionResult checked = CheckSettings(settings, inputPaths.size()); !checked.ok()) return checked;
  std::vector<PlannedMovie> movies;
  if (ConversionResult planned = PlanOutputs(settings, inputPaths, movies); !planned.ok()) return planned;
  // Declared before the run, so it ends after the run has returned every buffer it borrowed.
  struct ReleaseKeptMemoryAtEnd {
    ~ReleaseKeptMemoryAtEnd() { ReleaseKeptBitmapMemory(); }
  } releaseKeptMemory;
  ConversionRun run(settings, inputPaths, callbacks, std::move(movies));
  return run.Run();
}

}  // namespace lumapress
