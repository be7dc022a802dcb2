#include "app/conversion_thread.h"

#include <new>
#include <system_error>
#include <utility>

namespace lumapress {

// One message or question on its way to the dialog's thread.
struct OpenQuestion {
  bool answered = false;
  bool answer = false;
  bool fallback = false;  // the answer a cancelled run gets
};

struct ConversionThread::Shared {
  std::mutex mutex;
  std::condition_variable answeredChanged;
  std::shared_ptr<OpenQuestion> open;  // the one the worker waits for, if any
  bool detached = false;

  bool Detached() {
    std::lock_guard lock(mutex);
    return detached;
  }
};

ConversionThread::ConversionThread(Post post, RunListener& listener, ConversionCall call)
    : post_(std::move(post)),
      listener_(listener),
      call_(call ? std::move(call) : ConversionCall(RunConversion)),
      shared_(std::make_shared<Shared>()) {}

ConversionThread::~ConversionThread() {
  Cancel();
  {
    std::lock_guard lock(shared_->mutex);
    shared_->detached = true;
  }
  if (worker_.joinable()) worker_.join();
}

bool ConversionThread::Start(ConversionSettings settings, std::vector<std::string> inputPaths) {
  if (active_) return false;
  settings_ = std::move(settings);
  inputPaths_ = std::move(inputPaths);
  cancelled_ = false;
  try {
    worker_ = std::thread([this] { Work(); });
  } catch (const std::system_error&) {
    return false;  // no thread to be had: nothing started
  }
  active_ = true;
  return true;
}

void ConversionThread::Cancel() {
  {
    std::lock_guard lock(shared_->mutex);
    cancelled_ = true;
    if (shared_->open && !shared_->open->answered) {
      shared_->open->answered = true;
      shared_->open->answer = shared_->open->fallback;
    }
  }
  shared_->answeredChanged.notify_all();
}

void ConversionThread::Work() {
  ConversionCallbacks callbacks;
  callbacks.progress = [this](const ConversionProgress& done) {
    post_([this, shared = shared_, done] {
      if (!shared->Detached()) listener_.RunProgressed(done);
    });
    return !cancelled_;
  };
  callbacks.createFolder = [this](std::string_view question) {
    return AskOnDialogThread([&listener = listener_, text = std::string(question)] { return listener.AskYesNo(text); },
                             false);
  };
  ConversionResult result;
  try {
    // The library's call: the one place that knows its signature.
    result = call_(settings_, inputPaths_, callbacks);
  } catch (const std::bad_alloc&) {
    // The run could not go on; what it wrote is left as after a failed run.
    result = MakeResult(Status::kNoMemory, {"the images"});
  }
  post_([this, shared = shared_, result = std::move(result)] {
    if (!shared->Detached()) Finished(result);
  });
}

bool ConversionThread::AskOnDialogThread(std::function<bool()> ask, bool fallback) {
  auto question = std::make_shared<OpenQuestion>();
  question->fallback = fallback;
  {
    std::lock_guard lock(shared_->mutex);
    if (cancelled_) return fallback;
    shared_->open = question;
  }
  post_([shared = shared_, question, ask = std::move(ask)] {
    {
      std::lock_guard lock(shared->mutex);
      if (shared->detached || question->answered) return;
    }
    const bool answer = ask();
    {
      std::lock_guard lock(shared->mutex);
      if (!question->answered) {
        question->answered = true;
        question->answer = answer;
      }
    }
    shared->answeredChanged.notify_all();
  });
  std::unique_lock lock(shared_->mutex);
  shared_->answeredChanged.wait(lock, [&] { return question->answered; });
  shared_->open.reset();
  return question->answer;
}

void ConversionThread::Finished(const ConversionResult& result) {
  worker_.join();  // it has nothing left to do but return
  active_ = false;
  listener_.RunFinished(result);
}

}  // namespace lumapress
