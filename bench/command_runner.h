#pragma once

// Runs commands as whole processes and measures them: CPU time (user + system), wall time and
// peak resident memory of each. The measuring is done by a small process forked before the
// benchmark allocates anything: a process started straight from the benchmark would inherit
// its memory high-water mark (Linux keeps ru_maxrss across fork and exec), and a forked copy
// that does not exec pays for copy-on-write pages it did not allocate.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace lumapress::bench {

class CommandRunner {
 public:
  struct Result {
    double cpu = 0;  // seconds, user + system
    double wall = 0;
    double peakMiB = 0;
    bool ok = false;  // exit status 0
  };

  // Call first thing in main, before the benchmark allocates.
  static void Start() { Instance(); }

  // Runs `argv` (argv[0] is the program's path) with its output discarded.
  static Result Run(const std::vector<std::string>& argv) { return Instance().Send(argv); }

 private:
  static CommandRunner& Instance() {
    static CommandRunner runner;
    return runner;
  }

  CommandRunner() {
    int request[2], reply[2];
    if (pipe(request) != 0 || pipe(reply) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(request[1]);
      close(reply[0]);
      Serve(request[0], reply[1]);
      _exit(0);
    }
    close(request[0]);
    close(reply[1]);
    toRunner_ = request[1];
    fromRunner_ = reply[0];
  }
  ~CommandRunner() {
    if (toRunner_ >= 0) close(toRunner_);  // the runner ends at the end of its input
    if (fromRunner_ >= 0) close(fromRunner_);
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
  }

  // A command is its arguments, each ended by a zero byte, and an empty argument after them.
  Result Send(const std::vector<std::string>& argv) {
    std::string message;
    for (const std::string& arg : argv) message += arg + '\0';
    message += '\0';
    Result result;
    if (toRunner_ < 0 || !WriteAll(toRunner_, message.data(), message.size()) ||
        !ReadAll(fromRunner_, &result, sizeof result)) {
      return {};
    }
    return result;
  }

  static void Serve(int in, int out) {
    std::string pending;
    char chunk[4096];
    for (;;) {
      const size_t end = pending.find(std::string(2, '\0'));
      if (end == std::string::npos) {
        const ssize_t got = read(in, chunk, sizeof chunk);
        if (got <= 0) return;
        pending.append(chunk, static_cast<size_t>(got));
        continue;
      }
      std::vector<std::string> args;
      for (size_t at = 0; at <= end;) {
        const size_t zero = pending.find('\0', at);
        args.push_back(pending.substr(at, zero - at));
        at = zero + 1;
      }
      pending.erase(0, end + 2);
      const Result result = Execute(args);
      WriteAll(out, &result, sizeof result);
    }
  }

  static Result Execute(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    Result result;
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
      if (std::freopen("/dev/null", "w", stdout) == nullptr) _exit(127);
      execv(argv[0], argv.data());
      _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child) return result;
    result.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                 double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    result.peakMiB = double(usage.ru_maxrss) / 1024;  // KiB on Linux
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return result;
  }

  static bool WriteAll(int fd, const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
      const ssize_t done = write(fd, bytes, size);
      if (done <= 0) return false;
      bytes += done;
      size -= static_cast<size_t>(done);
    }
    return true;
  }
  static bool ReadAll(int fd, void* data, size_t size) {
    char* bytes = static_cast<char*>(data);
    while (size > 0) {
      const ssize_t done = read(fd, bytes, size);
      if (done <= 0) return false;
      bytes += done;
      size -= static_cast<size_t>(done);
    }
    return true;
  }

  pid_t pid_ = -1;
  int toRunner_ = -1;
  int fromRunner_ = -1;
};

}  // namespace lumapress::bench
