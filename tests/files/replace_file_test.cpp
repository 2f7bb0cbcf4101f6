#include "files/replace_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "write_cases.h"

namespace diruruzevuv::files {
namespace {

using namespace testing;

TEST(ReplaceFileTest, NeverWritesThroughSomethingPlacedAtATemporaryName) {
  const TempDir dir;
  const std::string target = dir / "d.TXT";
  MakeEntries(dir.path(), {"d.TXT", "victim"});
  // The first two names the writer will try are links to another file,
  // one of them dangling; the third is free.
  std::filesystem::create_symlink(dir / "victim", TemporaryPathFor(target, "guess0"));
  std::filesystem::create_symlink(dir / "gone", TemporaryPathFor(target, "guess1"));
  auto before = FolderSnapshot(dir.path());
  std::string why;
  // Names the writer will try, in order: anyone can place something there first.
  const auto predictable = [n = 0]() mutable { return "guess" + std::to_string(n++); };
  ASSERT_TRUE(ReplaceFileContents(target, "new", &why, predictable)) << why;
  before["d.TXT"].replace(before["d.TXT"].find(' '), std::string::npos, " new");
  EXPECT_EQ(FolderSnapshot(dir.path()), before);  // links and victim as they were, nothing made

  // With every name taken the write fails and says so.
  const auto always = [] { return std::string("guess0"); };
  EXPECT_FALSE(ReplaceFileContents(target, "newer", &why, always));
  EXPECT_EQ(why, "no free temporary file name in its folder");
  EXPECT_EQ(ReadText(target), "new");
  EXPECT_EQ(ReadText(dir / "victim"), "older victim");
}

// Each case leaves the folder exactly as it was, except the one file the
// write was meant to change, which keeps its mode and holds the new text.
// A failure says why and never blocks.
TEST(ReplaceFileTest, EveryCaseLeavesTheFolderAsItWasOrHoldsTheWholeNewFile) {
  const std::string longName(250, 'n');  // a valid name whose temporary name would not be
  // clang-format off
  const struct {
    const char* name;
    std::vector<std::string> before;  // see MakeEntries
    std::string output;   // the name written
    std::string changed;  // the file the write changes; empty: it fails
    std::string reason;   // of a failure
    rlim_t fileSize = RLIM_INFINITY;
    mode_t mode = 0644;   // of every file made first
  } cases[] = {
      {"size limit, old file kept", {"out"}, "out", "", "File too large", 64},
      {"pipe as target", {"out|"}, "out", "", "not a regular file"},
      {"folder as target", {"out/"}, "out", "", "Is a directory"},
      {"folder missing", {}, "none/out", "", "No such file or directory"},
      {"no file name", {"sub/"}, "sub/", "", "not a file name"},
      {"links in a loop", {"out->loop", "loop->out"}, "out", "", "Too many levels of symbolic links"},
      {"mode 0600 kept", {"out"}, "out", "out", "", RLIM_INFINITY, 0600},
      {"mode 0755 kept", {"out"}, "out", "out", "", RLIM_INFINITY, 0755},
      {"symlinked target written through", {"real", "out->real"}, "out", "real", ""},
      {"dangling link makes its target", {"out->made"}, "out", "made", ""},
      {"new file, long name", {}, longName, longName, ""},
  };
  // clang-format on
  const std::string text(200, 'x');
  const mode_t mask = ::umask(0);
  ::umask(mask);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TempDir dir;
    MakeEntries(dir.path(), c.before);
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
      if (!entry.is_symlink() && entry.is_regular_file())
        std::filesystem::permissions(entry.path(), static_cast<std::filesystem::perms>(c.mode));
    auto before = FolderSnapshot(dir.path());
    std::string why;
    const bool ok = UnderFileSizeLimit(
        c.fileSize, [&] { return ReplaceFileContents(dir / c.output, text, &why); });
    auto after = FolderSnapshot(dir.path());
    EXPECT_EQ(ok, !c.changed.empty()) << why;
    EXPECT_EQ(why, c.reason);
    if (!c.changed.empty()) {  // an older file's mode, or a new one's
      const std::string old =
          before.contains(c.changed) ? before[c.changed] : std::to_string(0666 & ~mask);
      before[c.changed] = old.substr(0, old.find(' ')) + " " + text;
    }
    EXPECT_EQ(after, before);
  }
}

// The cases above hold for every writer; through the tool each writing
// command shows that a write failure reaches the user plainly.
TEST(ReplaceFileTest, EachWriterOfTheToolFailsPlainlyUnderAFileSizeLimit) {
  ExpectPlainFailureUnderSizeLimit([](const std::string& out) {
    return std::vector<std::string>{DIRU_CLI_PATH, "wizard", "7M", "3", "50", out};
  });
  ExpectPlainFailureUnderSizeLimit([](const std::string& out) {
    return std::vector<std::string>{DIRU_CLI_PATH, "spice", DIRU_SOURCE_DATA_DIR "/40.TXT", out};
  });
}

// A writer killed mid-write leaves its temporary, named beside the target
// after the writer's process id; the next write of the same file removes
// it, but never a live writer's, nor anything else.
TEST(ReplaceFileTest, RemovesTheTemporariesOfWritersThatAreGone) {
  const TempDir dir;
  const pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ::waitpid(gone, nullptr, 0);
  const std::string target = dir / "t.ASC";
  const std::string dead = TemporaryPathFor(target, std::to_string(gone) + "-abc");
  const std::string live = TemporaryPathFor(target, std::to_string(::getpid()) + "-abc");
  const std::string parent = TemporaryPathFor(target, std::to_string(::getppid()) + "-abc");
  const std::string other = TemporaryPathFor(dir / "u.ASC", std::to_string(gone) + "-abc");
  for (const std::string& path : {dead, live, parent, other}) WriteText(path, "part");
  std::string temporary;
  ASSERT_TRUE(ReplaceFileUsing(target, [&](int, const std::string& path, std::string&) {
    temporary = path;
    return true;
  }, nullptr));
  EXPECT_TRUE(
      temporary.starts_with((dir / (".t.ASC.diru-" + std::to_string(::getpid()) + "-")).string()))
      << temporary;
  EXPECT_FALSE(std::filesystem::exists(dead));
  for (const std::string& path : {live, parent, other}) EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(FolderSnapshot(dir.path()).size(), 4u);
}

// Many writers at once: each either wins whole or is replaced whole.
TEST(ReplaceFileTest, ParallelWritersNeverMix) {
  const TempDir dir;
  const std::string target = dir / "t";
  std::vector<std::string> texts;
  for (int i = 0; i < 30; ++i) texts.push_back(std::string(20000 + i * 997, char('a' + i % 26)));
  std::vector<std::thread> threads;
  std::atomic<int> failures = 0;
  for (const auto& text : texts)
    threads.emplace_back([&] { failures += ReplaceFileContents(target, text) ? 0 : 1; });
  for (auto& t : threads) t.join();
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(std::count(texts.begin(), texts.end(), ReadText(target)), 1);
  EXPECT_EQ(FolderSnapshot(dir.path()).size(), 1u);
}

}  // namespace
}  // namespace diruruzevuv::files
