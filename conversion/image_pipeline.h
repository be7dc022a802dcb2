#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "conversion/png_reader.h"

namespace lumapress {

// Runs the images of a run on a bounded pool of worker threads ahead of the one thread that
// commits them in list order. Workers take images only within a look-ahead window starting
// at the first image not committed yet, so at most `lookAhead` images are in flight whatever
// the list's length. With one job there are no workers: the committing thread runs each
// image's work itself when it asks for it.
class ImagePipeline {
 public:
  struct Stages {
    // Decodes and encodes image `index`. `reader` belongs to the calling thread and keeps its
    // row memory from image to image.
    std::function<void(size_t index, PngReader& reader)> prepare;
    // Follows prepare once writes are allowed (a batch image's movie). Optional.
    std::function<void(size_t index)> write;
    // Estimated work of image `index`: within the window, larger images are taken first so
    // that a run does not end on one long image. Optional; called on the committing thread.
    std::function<uint64_t(size_t index)> estimate;
  };

  ImagePipeline(size_t imageCount, unsigned jobs, size_t lookAhead, Stages stages);
  ~ImagePipeline();
  ImagePipeline(const ImagePipeline&) = delete;
  ImagePipeline& operator=(const ImagePipeline&) = delete;

  // Block until image `index` has reached the stage (or run it here without workers).
  void AwaitPrepared(size_t index);
  void AwaitWritten(size_t index);
  // Write stages may run from now on. Until then images are also taken in list order.
  void AllowWrites();
  // Image `index`, the first not committed, is done with; the window moves past it.
  void Committed(size_t index);
  // Takes no further images and waits for the workers to end. Images not finished stay as
  // they are.
  void Stop();

 private:
  enum class Stage { kWaiting, kPrepared, kWritten };

  void StartWorkers(unsigned count);
  void WorkerLoop();
  size_t TakeImage();  // under mutex_
  bool AllTaken() const { return firstUntaken_ >= stage_.size(); }
  size_t WindowEnd() const;
  void Estimate(size_t begin, size_t end);
  void SetStage(size_t index, Stage stage);
  void Await(size_t index, Stage stage);

  const Stages stages_;
  const size_t lookAhead_;
  std::vector<std::thread> workers_;
  PngReader callerReader_;  // for images the committing thread runs itself
  std::vector<uint64_t> work_;  // set before the window reaches an image

  std::mutex mutex_;
  std::condition_variable changed_;  // any field below
  std::vector<Stage> stage_;
  std::vector<bool> taken_;
  size_t firstUntaken_ = 0;
  size_t committed_ = 0;
  bool writesAllowed_ = false;
  bool stopping_ = false;
};

}  // namespace lumapress
