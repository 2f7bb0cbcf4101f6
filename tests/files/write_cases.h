#pragma once

// The cases every file the tool writes must survive, as one table run
// against each writing command.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "process_support.h"

namespace diruruzevuv::testing {

// A command of the tool that writes one file.
struct CliWriter {
  // The command line that writes to the output path.
  std::function<std::vector<std::string>(const std::string& output)> argv;
  // Text that every complete output contains.
  std::string marker;
};

inline mode_t CurrentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
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

// Each case leaves the folder exactly as it was, except the one file the
// write was meant to change, which keeps its mode and holds a complete
// output. A failure exits 1 with a message and never blocks.
inline void ExpectSafeWrites(const CliWriter& writer) {
  // clang-format off
  const struct {
    const char* name;
    std::vector<std::string> before;
    std::string output;   // the name given to the command
    std::string changed;  // the file the write changes; empty: it fails
    rlim_t fileSize = RLIM_INFINITY;
    mode_t mode = 0644;   // of every file made first
  } cases[] = {
      {"size limit, old file kept", {"out"}, "out", "", 64},
      {"size limit, no file yet", {}, "out", "", 64},
      {"pipe as target", {"out|"}, "out", ""},
      {"folder as target", {"out/"}, "out", ""},
      {"folder missing", {}, "none/out", ""},
      {"link to a folder", {"d/", "out->d"}, "out", ""},
      {"links in a loop", {"out->loop", "loop->out"}, "out", ""},
      {"links at the old staging names", {"victim", "out", "out.diru-new->victim",
                                          ".out.diru-new->victim"}, "out", "out"},
      {"mode 0600 kept", {"out"}, "out", "out", RLIM_INFINITY, 0600},
      {"mode 0755 kept", {"out"}, "out", "out", RLIM_INFINITY, 0755},
      {"symlinked target written through", {"real", "out->real"}, "out", "real"},
      {"dangling link makes its target", {"out->made"}, "out", "made"},
      {"new file", {}, "out", "out"},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TempDir dir;
    MakeEntries(dir.path(), c.before);
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
      if (!entry.is_symlink() && entry.is_regular_file())
        std::filesystem::permissions(entry.path(), static_cast<std::filesystem::perms>(c.mode));
    auto before = FolderSnapshot(dir.path());
    ProcessLimits limits;
    limits.fileSize = c.fileSize;
    limits.seconds = 30;
    const ProcessResult run = RunProcess(writer.argv((dir / c.output).string()), limits);
    EXPECT_FALSE(run.timedOut);
    auto after = FolderSnapshot(dir.path());
    if (c.changed.empty()) {
      EXPECT_EQ(run.status, 1) << run.err;
      EXPECT_FALSE(run.err.empty());
    } else {
      EXPECT_EQ(run.status, 0) << run.err;
      const std::string text = after[c.changed];
      const std::string mode = before.contains(c.changed)
                                   ? before[c.changed].substr(0, before[c.changed].find(' '))
                                   : std::to_string(0666 & ~CurrentUmask());
      EXPECT_EQ(text.substr(0, text.find(' ')), mode);
      EXPECT_NE(text.find(writer.marker), std::string::npos) << text.substr(0, 200);
      before.erase(c.changed);
      after.erase(c.changed);
    }
    EXPECT_EQ(after, before);
  }
}

// Starts every command line at once and waits for all of them.
inline std::vector<ProcessResult> RunTogether(const std::vector<std::vector<std::string>>& argvs) {
  const TempDir capture;
  std::vector<pid_t> pids;
  for (std::size_t i = 0; i < argvs.size(); ++i)
    pids.push_back(StartProcess(argvs[i], capture / ("out" + std::to_string(i)),
                                capture / ("err" + std::to_string(i))));
  std::vector<ProcessResult> results;
  for (std::size_t i = 0; i < pids.size(); ++i)
    results.push_back(WaitProcess(pids[i], capture / ("out" + std::to_string(i)),
                                  capture / ("err" + std::to_string(i)), 300));
  return results;
}

}  // namespace diruruzevuv::testing
