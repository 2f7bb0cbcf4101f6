#pragma once

// Running the command-line tool as a separate process, with a file size
// limit and a time limit, and comparing a folder before and after.

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"

namespace diruruzevuv::testing {

struct ProcessLimits {
  rlim_t fileSize = RLIM_INFINITY;  // bytes; the program must survive it
  int seconds = 60;                 // then the process is killed
};

// Exit status, or -1 for a signal or a kill at the time limit.
struct ProcessResult {
  int status = -1;
  std::string out, err;
  bool timedOut = false;
};

// Starts the program with standard output and error going to the files.
inline pid_t StartProcess(const std::vector<std::string>& argv, const std::string& outPath,
                          const std::string& errPath, const ProcessLimits& limits = {}) {
  // Nothing but system calls between fork and exec: the test may have threads.
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ::dup2(out, 1);
  ::dup2(err, 2);
  // Only the tool's own output files are limited: the two capture files
  // are already open and stay small.
  const rlimit size{limits.fileSize, limits.fileSize};
  ::setrlimit(RLIMIT_FSIZE, &size);
  ::execv(args[0], args.data());
  ::_exit(127);
}

inline ProcessResult WaitProcess(pid_t pid, const std::string& outPath, const std::string& errPath,
                                 int seconds) {
  ProcessResult result;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  int raw = 0;
  while (::waitpid(pid, &raw, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &raw, 0);
      result.timedOut = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  result.status = !result.timedOut && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = ReadText(outPath);
  result.err = ReadText(errPath);
  return result;
}

// Starts every command line at once and waits for all of them; output is
// captured in files beside the test's temporary folder, so the folder
// under test stays untouched.
inline std::vector<ProcessResult> RunTogether(const std::vector<std::vector<std::string>>& argvs,
                                              const ProcessLimits& limits = {RLIM_INFINITY, 300}) {
  const TempDir capture;
  const auto out = [&](std::size_t i) { return capture / ("out" + std::to_string(i)); };
  const auto err = [&](std::size_t i) { return capture / ("err" + std::to_string(i)); };
  std::vector<pid_t> pids;
  for (std::size_t i = 0; i < argvs.size(); ++i)
    pids.push_back(StartProcess(argvs[i], out(i), err(i), limits));
  std::vector<ProcessResult> results;
  for (std::size_t i = 0; i < pids.size(); ++i)
    results.push_back(WaitProcess(pids[i], out(i), err(i), limits.seconds));
  return results;
}

inline ProcessResult RunProcess(const std::vector<std::string>& argv,
                                const ProcessLimits& limits = {}) {
  return RunTogether({argv}, limits).front();
}

// Every entry under the folder as it is, links not followed: files with
// their mode and contents, links with their target, folders and pipes by kind.
inline std::map<std::string, std::string> FolderSnapshot(const std::filesystem::path& dir) {
  std::map<std::string, std::string> entries;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    struct stat info {};
    ::lstat(entry.path().c_str(), &info);
    const std::string mode = std::to_string(info.st_mode & 07777) + " ";
    std::string& text = entries[entry.path().lexically_relative(dir)];
    if (S_ISLNK(info.st_mode))
      text = "link to " + std::filesystem::read_symlink(entry.path()).string();
    else if (S_ISDIR(info.st_mode))
      text = mode + "folder";
    else if (S_ISFIFO(info.st_mode))
      text = mode + "pipe";
    else
      text = mode + ReadText(entry.path());
  }
  return entries;
}

}  // namespace diruruzevuv::testing
