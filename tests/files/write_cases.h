#pragma once

// Running writers of the tool as separate processes, with a file size
// limit and a time limit, and comparing a folder before and after.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "test_support.h"

namespace diruruzevuv::testing {

// Exit status, or -1 for a signal (SIGALRM at the time limit).
struct ProcessResult {
  int status = -1;
  std::string out, err;
};

// Starts every command line at once, each limited to fileSize bytes per
// file written, and waits for all of them; output is captured in files
// beside the test's temporary folder, so the folder under test stays untouched.
inline std::vector<ProcessResult> RunTogether(const std::vector<std::vector<std::string>>& argvs,
                                              rlim_t fileSize = RLIM_INFINITY) {
  const TempDir capture;
  const auto out = [&](std::size_t i) { return (capture / ("out" + std::to_string(i))).string(); };
  const auto err = [&](std::size_t i) { return (capture / ("err" + std::to_string(i))).string(); };
  std::vector<pid_t> pids;
  for (std::size_t i = 0; i < argvs.size(); ++i) {
    const std::string outPath = out(i), errPath = err(i);
    std::vector<char*> args;
    for (const auto& a : argvs[i]) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pids.push_back(::fork());
    if (pids.back() != 0) continue;
    // Nothing but system calls between fork and exec: the test may have threads.
    ::dup2(::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
    ::dup2(::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
    // Only the tool's own output files are limited: the two capture files
    // are already open and stay small.
    const rlimit size{fileSize, fileSize};
    ::setrlimit(RLIMIT_FSIZE, &size);
    ::alarm(300);  // survives exec: a hanging program is ended
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  std::vector<ProcessResult> results;
  for (std::size_t i = 0; i < pids.size(); ++i) {
    int raw = 0;
    ::waitpid(pids[i], &raw, 0);
    results.push_back({WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(out(i)), ReadText(err(i))});
  }
  return results;
}

// Every entry under the folder as it is, links not followed: files with
// their mode and contents, links with their target, folders and pipes by kind.
inline std::map<std::string, std::string> FolderSnapshot(const std::filesystem::path& dir) {
  std::map<std::string, std::string> entries;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    struct stat info {};
    ::lstat(entry.path().c_str(), &info);
    const std::string mode = std::to_string(info.st_mode & 07777) + " ";
    entries[entry.path().lexically_relative(dir)] =
        S_ISLNK(info.st_mode)    ? "link to " + std::filesystem::read_symlink(entry.path()).string()
        : S_ISDIR(info.st_mode)  ? mode + "folder"
        : S_ISFIFO(info.st_mode) ? mode + "pipe"
                                 : mode + ReadText(entry.path());
  }
  return entries;
}

// Makes the entries: "name" a file holding "older name", "name/" a folder,
// "name|" a pipe, "name->target" a symbolic link.
inline void MakeEntries(const std::filesystem::path& dir, const std::vector<std::string>& entries) {
  for (const std::string& entry : entries) {
    if (const auto arrow = entry.find("->"); arrow != std::string::npos)
      std::filesystem::create_symlink(entry.substr(arrow + 2), dir / entry.substr(0, arrow));
    else if (entry.back() == '/')
      std::filesystem::create_directory(dir / entry);
    else if (entry.back() == '|')
      ::mkfifo((dir / entry.substr(0, entry.size() - 1)).c_str(), 0644);
    else
      WriteText(dir / entry, "older " + entry);
  }
}

// Runs f under a file size limit, a full disk's stand-in, with SIGXFSZ
// ignored as the program ignores it.
inline bool UnderFileSizeLimit(rlim_t bytes, const std::function<bool()>& f) {
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  const rlimit limit{std::min(bytes, old.rlim_max), old.rlim_max};
  const auto handler = std::signal(SIGXFSZ, SIG_IGN);
  ::setrlimit(RLIMIT_FSIZE, &limit);
  const bool ok = f();
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, handler);
  return ok;
}

// A command of the tool run under a file size limit of 160 bytes, over an
// older file: it fails plainly (exit 1, one line naming the file and the
// reason) and leaves the folder as it was, however it writes.
inline void ExpectPlainFailureUnderSizeLimit(
    const std::function<std::vector<std::string>(const std::string& output)>& argv) {
  const TempDir dir;
  MakeEntries(dir.path(), {"out"});
  const auto before = FolderSnapshot(dir.path());
  const std::string out = (dir / "out").string();
  const ProcessResult run = RunTogether({argv(out)}, 160).front();  // room for the message only
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "diruruzevuv-cli: cannot write " + out + ": File too large\n");
  EXPECT_EQ(FolderSnapshot(dir.path()), before);
}

}  // namespace diruruzevuv::testing
