#include "files/replace_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

#include "process_support.h"
#include "write_cases.h"

namespace diruruzevuv::files {
namespace {

using namespace testing;

// Names the writer will try, in order: anyone can place something there first.
TemporaryNameSource Predictable() {
  return [n = 0]() mutable { return "guess" + std::to_string(n++); };
}

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
  ASSERT_TRUE(ReplaceFileContents(target, "new", &why, Predictable())) << why;
  auto after = FolderSnapshot(dir.path());
  EXPECT_EQ(after["d.TXT"].substr(after["d.TXT"].find(' ')), " new");
  before.erase("d.TXT");
  after.erase("d.TXT");
  EXPECT_EQ(after, before);  // the victim untouched, the links still links, nothing made

  // With every name taken the write fails and says so.
  const auto always = [] { return std::string("guess0"); };
  EXPECT_FALSE(ReplaceFileContents(target, "newer", &why, always));
  EXPECT_EQ(why, "no free temporary file name in its folder");
  EXPECT_EQ(ReadText(target), "new");
  EXPECT_EQ(ReadText(dir / "victim"), "older victim");
}

TEST(ReplaceFileTest, TemporaryNamesStayBesideTheTargetAndWithinTheNameLimit) {
  EXPECT_EQ(TemporaryPathFor("a/b/c.TXT", "x1"), "a/b/.c.TXT.diru-x1");
  // The writer's process id comes first, so a later write can tell whether it is gone.
  const TempDir named;
  std::string temporary;
  ASSERT_TRUE(ReplaceFileUsing(named / "n", [&](int, const std::string& path, std::string&) {
    temporary = path;
    return true;
  }, nullptr));
  EXPECT_TRUE(temporary.starts_with(TemporaryPathFor(named / "n", std::to_string(::getpid()) + "-")))
      << temporary;
  EXPECT_EQ(TemporaryPathFor("c.TXT", "x1"), ".c.TXT.diru-x1");
  const TempDir dir;
  const std::string longName(250, 'n');  // a valid name whose temporary name would not be
  std::string why;
  ASSERT_TRUE(ReplaceFileContents(dir / longName, "long", &why)) << why;
  EXPECT_EQ(ReadText(dir / longName), "long");
  EXPECT_EQ(FolderSnapshot(dir.path()).size(), 1u);
  EXPECT_FALSE(ReplaceFileContents("", "x", &why));
  EXPECT_FALSE(ReplaceFileContents((dir / "sub/").string(), "x", &why));
}

TEST(ReplaceFileTest, EveryCaseLeavesTheFolderAsItWasOrHoldsTheWholeNewFile) {
  ExpectSafeWrites([](const std::string& path, const std::string& text, std::string* why) {
    return ReplaceFileContents(path, text, why);
  });
}

// A writer killed mid-write leaves its temporary; the next write of the
// same file removes it, but never a live writer's, nor anything else.
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
  ASSERT_TRUE(ReplaceFileContents(target, "whole"));
  EXPECT_FALSE(std::filesystem::exists(dead));
  for (const std::string& path : {live, parent, other}) EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(FolderSnapshot(dir.path()).size(), 4u);
}

// Many writers at once: each either wins whole or is replaced whole.
TEST(ReplaceFileTest, ParallelWritersInOneProcessNeverMix) {
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
