#include "app/conversion_thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <future>
#include <string>
#include <vector>

namespace lumapress {
namespace {

using namespace std::chrono_literals;

// The dialog's thread stood in for by the test's own: posted calls wait in a queue until the
// test runs them.
class DialogQueue {
 public:
  ConversionThread::Post Poster() {
    return [this](std::function<void()> call) {
      std::lock_guard lock(mutex_);
      calls_.push_back(std::move(call));
      changed_.notify_all();
    };
  }
  // Runs posted calls until `done` holds; false after about ten seconds without it.
  template <typename Condition>
  bool RunUntil(Condition done) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!done()) {
      std::function<void()> call;
      {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_until(lock, deadline, [&] { return !calls_.empty(); })) return false;
        call = std::move(calls_.front());
        calls_.pop_front();
      }
      call();
    }
    return true;
  }
  // Runs whatever is queued now.
  void RunQueued() {
    for (;;) {
      std::function<void()> call;
      {
        std::lock_guard lock(mutex_);
        if (calls_.empty()) return;
        call = std::move(calls_.front());
        calls_.pop_front();
      }
      call();
    }
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::function<void()>> calls_;
};

// Logs what it hears, with a mark when a call comes on another thread than the test's.
class LoggingListener : public RunListener {
 public:
  void ShowMessage(const std::string& text) override { Log("message " + text); }
  bool AskYesNo(const std::string& question) override {
    Log("question " + question);
    return answer;
  }
  void RunProgressed(const ConversionProgress& progress) override {
    Log("progress " + std::to_string(progress.imagesDone) + "/" +
        std::to_string(progress.imageCount));
  }
  void RunFinished(const ConversionResult& result) override {
    Log("finished: " + result.message);
    finished = true;
  }

  std::vector<std::string> log;
  bool answer = true;
  bool finished = false;

 private:
  void Log(std::string entry) {
    if (std::this_thread::get_id() != testThread_) entry += " (on the worker!)";
    log.push_back(std::move(entry));
  }
  std::thread::id testThread_ = std::this_thread::get_id();
};

ConversionProgress Done(size_t done, size_t count) {
  ConversionProgress progress;
  progress.imagesDone = done;
  progress.imageCount = count;
  return progress;
}

TEST(ConversionThread, RunsTheCallOnAWorkerAndReportsOnTheDialogThreadInOrder) {
  DialogQueue dialog;
  LoggingListener listener;
  std::thread::id callThread;
  ConversionSettings seen;
  std::vector<std::string> seenInputs;
  std::vector<std::string> worker;  // what the call saw, in its order
  ConversionThread thread(dialog.Poster(), listener,
                          [&](const ConversionSettings& settings,
                              std::span<const std::string> inputs, const ConversionCallbacks& callbacks) {
                            callThread = std::this_thread::get_id();
                            seen = settings;
                            seenInputs.assign(inputs.begin(), inputs.end());
                            worker.push_back(callbacks.createFolder("two?") ? "yes" : "no");
                            worker.push_back(callbacks.progress(Done(1, 2)) ? "go on" : "stop");
                            worker.push_back(callbacks.progress(Done(2, 2)) ? "go on" : "stop");
                            return MakeResult(Status::kOk);
                          });
  ConversionSettings settings;
  settings.outputPath = "/out/show.swf";
  settings.jobs = 2;
  ASSERT_TRUE(thread.Start(settings, {"/p/a.png", "/p/b.png"}));
  EXPECT_TRUE(thread.Active());
  EXPECT_FALSE(thread.Start(settings, {"/p/c.png"})) << "one run at a time";

  ASSERT_TRUE(dialog.RunUntil([&] { return listener.finished; }));
  EXPECT_FALSE(thread.Active());
  EXPECT_NE(callThread, std::this_thread::get_id());
  EXPECT_EQ(seen.outputPath, "/out/show.swf");
  EXPECT_EQ(seen.jobs, 2u);
  EXPECT_EQ(seenInputs, (std::vector<std::string>{"/p/a.png", "/p/b.png"}));
  EXPECT_EQ(listener.log, (std::vector<std::string>{"question two?", "progress 1/2", "progress 2/2",
                                                    "finished: Conversion completed successfully."}));
  EXPECT_EQ(worker, (std::vector<std::string>{"yes", "go on", "go on"}));

  // Another run once the first has finished; a No reaches the call.
  listener.answer = false;
  listener.finished = false;
  ASSERT_TRUE(thread.Start(settings, {"/p/c.png"}));
  ASSERT_TRUE(dialog.RunUntil([&] { return listener.finished; }));
  EXPECT_EQ(worker.back(), "go on");
  EXPECT_EQ(worker[worker.size() - 3], "no");
}

TEST(ConversionThread, CancelStopsAtTheNextReportAndAnswersQuestionsNo) {
  DialogQueue dialog;
  LoggingListener listener;
  std::promise<void> reported, cancelled;
  std::vector<std::string> worker;
  ConversionThread thread(dialog.Poster(), listener,
                          [&](const ConversionSettings&, std::span<const std::string>,
                              const ConversionCallbacks& callbacks) {
                            worker.push_back(callbacks.progress(Done(1, 3)) ? "go on" : "stop");
                            reported.set_value();
                            cancelled.get_future().wait();  // the image under way
                            worker.push_back(callbacks.progress(Done(2, 3)) ? "go on" : "stop");
                            worker.push_back(callbacks.createFolder("create?") ? "yes" : "no");
                            return MakeResult(Status::kCancelled);
                          });
  ASSERT_TRUE(thread.Start({}, {"/p/a.png", "/p/b.png", "/p/c.png"}));
  reported.get_future().wait();
  ASSERT_TRUE(dialog.RunUntil([&] { return !listener.log.empty(); }));
  thread.Cancel();
  EXPECT_TRUE(thread.Cancelled());
  EXPECT_TRUE(thread.Active()) << "active until the run has ended";
  cancelled.set_value();
  ASSERT_TRUE(dialog.RunUntil([&] { return listener.finished; }));
  EXPECT_EQ(worker, (std::vector<std::string>{"go on", "stop", "no"}));
  EXPECT_EQ(listener.log,
            (std::vector<std::string>{"progress 1/3", "progress 2/3",
                                      "finished: The conversion was cancelled."}));
}

TEST(ConversionThread, GoingAwayDuringAQuestionAnswersNoAndJoins) {
  DialogQueue dialog;
  LoggingListener listener;
  std::atomic<int> answer = -1;
  {
    ConversionThread thread(dialog.Poster(), listener,
                            [&](const ConversionSettings&, std::span<const std::string>,
                                const ConversionCallbacks& callbacks) {
                              answer = callbacks.createFolder("create?") ? 1 : 0;
                              callbacks.progress(Done(1, 1));
                              return MakeResult(Status::kCancelled);
                            });
    ASSERT_TRUE(thread.Start({}, {"/p/a.png"}));
    // The question is queued for the dialog's thread, which never gets to it.
  }
  EXPECT_EQ(answer, 0);
  dialog.RunQueued();  // calls left over from the run do nothing
  EXPECT_TRUE(listener.log.empty());
}

TEST(ConversionThread, ACancelAnswersTheOpenQuestionWithNo) {
  DialogQueue dialog;
  LoggingListener listener;
  std::atomic<bool> asking = false;
  std::vector<std::string> worker;
  ConversionThread thread(dialog.Poster(), listener,
                          [&](const ConversionSettings&, std::span<const std::string>,
                              const ConversionCallbacks& callbacks) {
                            asking = true;
                            worker.push_back(callbacks.createFolder("create?") ? "yes" : "no");
                            return MakeResult(Status::kCancelled);
                          });
  ASSERT_TRUE(thread.Start({}, {"/p/a.png"}));
  while (!asking) std::this_thread::sleep_for(1ms);
  thread.Cancel();  // before the dialog's thread has shown the question
  ASSERT_TRUE(dialog.RunUntil([&] { return listener.finished; }));
  EXPECT_EQ(worker, std::vector<std::string>{"no"});
  EXPECT_EQ(listener.log, std::vector<std::string>{"finished: The conversion was cancelled."})
      << "the question never shows";
}

}  // namespace
}  // namespace lumapress
