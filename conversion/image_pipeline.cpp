#include "conversion/image_pipeline.h"

#include <algorithm>
#include <system_error>

namespace lumapress {

ImagePipeline::ImagePipeline(size_t imageCount, unsigned jobs, size_t lookAhead, Stages stages)
    : stages_(std::move(stages)),
      lookAhead_(std::max<size_t>(lookAhead, 1)),
      stage_(imageCount, Stage::kWaiting),
      taken_(imageCount, false) {
  if (jobs > 1 && imageCount > 0) StartWorkers(static_cast<unsigned>(std::min<size_t>(jobs, imageCount)));
}

ImagePipeline::~ImagePipeline() { Stop(); }

void ImagePipeline::StartWorkers(unsigned count) {
  work_.assign(stage_.size(), 0);
  Estimate(0, WindowEnd());
  try {
    for (unsigned i = 0; i < count; ++i) workers_.emplace_back([this] { WorkerLoop(); });
  } catch (const std::system_error&) {
    // Fewer threads than asked for; with none the committing thread runs every image.
  }
}

void ImagePipeline::WorkerLoop() {
  PngReader reader;
  for (;;) {
    size_t index = 0;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return stopping_ || AllTaken() || firstUntaken_ < WindowEnd(); });
      if (stopping_ || AllTaken()) return;
      index = TakeImage();
    }
    stages_.prepare(index, reader);
    SetStage(index, Stage::kPrepared);
    if (stages_.write) {
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return stopping_ || writesAllowed_; });
        if (stopping_) return;
      }
      stages_.write(index);
    }
    SetStage(index, Stage::kWritten);
  }
}

size_t ImagePipeline::TakeImage() {
  size_t index = firstUntaken_;
  if (writesAllowed_ && stages_.estimate) {
    for (size_t i = firstUntaken_ + 1; i < WindowEnd(); ++i) {
      if (!taken_[i] && work_[i] > work_[index]) index = i;
    }
  }
  taken_[index] = true;
  while (!AllTaken() && taken_[firstUntaken_]) ++firstUntaken_;
  return index;
}

size_t ImagePipeline::WindowEnd() const { return std::min(stage_.size(), committed_ + lookAhead_); }

void ImagePipeline::Estimate(size_t begin, size_t end) {
  if (!stages_.estimate) return;
  for (size_t i = begin; i < end; ++i) work_[i] = stages_.estimate(i);
}

void ImagePipeline::SetStage(size_t index, Stage stage) {
  {
    std::lock_guard lock(mutex_);
    stage_[index] = stage;
  }
  changed_.notify_all();
}

void ImagePipeline::Await(size_t index, Stage stage) {
  if (workers_.empty()) {
    if (stage_[index] == Stage::kWaiting) {
      stages_.prepare(index, callerReader_);
      stage_[index] = Stage::kPrepared;
    }
    if (stage == Stage::kWritten && stage_[index] == Stage::kPrepared) {
      if (stages_.write) stages_.write(index);
      stage_[index] = Stage::kWritten;
    }
    return;
  }
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return stage_[index] >= stage; });
}

void ImagePipeline::AwaitPrepared(size_t index) { Await(index, Stage::kPrepared); }
void ImagePipeline::AwaitWritten(size_t index) { Await(index, Stage::kWritten); }

void ImagePipeline::AllowWrites() {
  {
    std::lock_guard lock(mutex_);
    if (writesAllowed_) return;
    writesAllowed_ = true;
  }
  changed_.notify_all();
}

void ImagePipeline::Committed(size_t index) {
  // The image entering the window is estimated before any worker can see it.
  const size_t entering = index + lookAhead_;
  if (!workers_.empty() && entering < stage_.size()) Estimate(entering, entering + 1);
  {
    std::lock_guard lock(mutex_);
    committed_ = index + 1;
  }
  changed_.notify_all();
}

void ImagePipeline::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (std::thread& worker : workers_) worker.join();
  workers_.clear();
}

}  // namespace lumapress
