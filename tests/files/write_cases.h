#pragma once

// The cases every written file must survive, and running writers of the
// tool against them.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "process_support.h"

namespace diruruzevuv::testing {

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

// The cases every file written must survive, run once against the one
// writer: each leaves the folder exactly as it was, except the one file
// the write was meant to change, which keeps its mode and holds the new
// text. A failure says why and never blocks.
inline void ExpectSafeWrites(
    const std::function<bool(const std::string& path, const std::string& text, std::string* why)>&
        write) {
  // clang-format off
  const struct {
    const char* name;
    std::vector<std::string> before;
    std::string output;   // the name written
    std::string changed;  // the file the write changes; empty: it fails
    std::string reason;   // of a failure
    rlim_t fileSize = RLIM_INFINITY;
    mode_t mode = 0644;   // of every file made first
  } cases[] = {
      {"size limit, old file kept", {"out"}, "out", "", "File too large", 64},
      {"size limit, no file yet", {}, "out", "", "File too large", 64},
      {"pipe as target", {"out|"}, "out", "", "not a regular file"},
      {"folder as target", {"out/"}, "out", "", "Is a directory"},
      {"folder missing", {}, "none/out", "", "No such file or directory"},
      {"link to a folder", {"d/", "out->d"}, "out", "", "Is a directory"},
      {"links in a loop", {"out->loop", "loop->out"}, "out", "", "Too many levels of symbolic links"},
      {"links at the old staging names", {"victim", "out", "out.diru-new->victim",
                                          ".out.diru-new->victim"}, "out", "out", ""},
      {"mode 0600 kept", {"out"}, "out", "out", "", RLIM_INFINITY, 0600},
      {"mode 0755 kept", {"out"}, "out", "out", "", RLIM_INFINITY, 0755},
      {"symlinked target written through", {"real", "out->real"}, "out", "real", ""},
      {"dangling link makes its target", {"out->made"}, "out", "made", ""},
      {"new file", {}, "out", "out", ""},
  };
  // clang-format on
  const std::string text(200, 'x');
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TempDir dir;
    MakeEntries(dir.path(), c.before);
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
      if (!entry.is_symlink() && entry.is_regular_file())
        std::filesystem::permissions(entry.path(), static_cast<std::filesystem::perms>(c.mode));
    auto before = FolderSnapshot(dir.path());
    std::string why;
    const bool ok = UnderFileSizeLimit(c.fileSize, [&] { return write(dir / c.output, text, &why); });
    auto after = FolderSnapshot(dir.path());
    EXPECT_EQ(ok, c.changed.empty() ? false : true) << why;
    EXPECT_EQ(why, c.reason);
    if (!c.changed.empty()) {
      const std::string mode = before.contains(c.changed)
                                   ? before[c.changed].substr(0, before[c.changed].find(' '))
                                   : std::to_string(0666 & ~CurrentUmask());
      EXPECT_EQ(after[c.changed], mode + " " + text);
      before.erase(c.changed);
      after.erase(c.changed);
    }
    EXPECT_EQ(after, before);
  }
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
  const ProcessResult run = RunProcess(argv(out), {160});  // room for the message only
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "diruruzevuv-cli: cannot write " + out + ": File too large\n");
  EXPECT_EQ(FolderSnapshot(dir.path()), before);
}

}  // namespace diruruzevuv::testing
