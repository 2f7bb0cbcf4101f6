// The program as started from a terminal or the menu: its options, and the
// folder it keeps its own files in.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <string>
#include <vector>

#include "../files/write_cases.h"
#include "files/design_file.h"

namespace diruruzevuv::screens {
namespace {

namespace fs = std::filesystem;

// The program started headless in `folder`, ended after a minute if a message box holds
// it; the environment is changed first as env(1) takes it: "-u NAME", "NAME=value".
testing::ProcessResult RunProgram(const fs::path& folder, const std::vector<std::string>& args,
                                  const std::vector<std::string>& env = {}) {
  std::vector<std::string> argv = {"/usr/bin/timeout", "60", "/usr/bin/env", "-C", folder.string()};
  argv.insert(argv.end(), env.begin(), env.end());
  argv.insert(argv.end(), {"QT_QPA_PLATFORM=offscreen", DIRU_PROGRAM_PATH});
  argv.insert(argv.end(), args.begin(), args.end());
  return testing::RunTogether({argv}).front();
}

// The opening screen offers "Last session" only when the working folder has
// one, so its picture shows which folder the program works in.
TEST(ProgramTest, WorkDirIsWhereTheOpeningScreenLooksForTheLastSession) {
  testing::TempDir start, root;
  const fs::path design = DIRU_SOURCE_DATA_DIR "/20.TXT";
  fs::copy_file(design, start / files::kLastSessionName);  // here, it must not count
  const fs::path empty = root / "made/on/start", withSession = root / "with";
  fs::create_directories(withSession);
  fs::copy_file(design, withSession / files::kLastSessionName);
  const auto shot = [&root](const char* name) { return (root / name).string(); };

  ASSERT_EQ(RunProgram(start.path(), {"--work-dir", empty, "--snapshot", shot("a.png")}).status, 0);
  EXPECT_TRUE(fs::is_directory(empty));
  const std::string inWith = "--work-dir=" + withSession.string();
  ASSERT_EQ(RunProgram(start.path(), {inWith, "--snapshot", shot("b.png")}).status, 0);
  ASSERT_EQ(RunProgram(start.path(), {"--snapshot", shot("c.png")}).status, 0);
  const QImage a(shot("a.png").c_str()), b(shot("b.png").c_str()), c(shot("c.png").c_str());
  ASSERT_FALSE(a.isNull());
  EXPECT_NE(a, b);
  EXPECT_EQ(b, c);  // a terminal start works in the current folder, as before
}

TEST(ProgramTest, UserWorkDirIsMadeUnderTheUsersDataFolder) {
  for (const bool xdg : {true, false}) {
    SCOPED_TRACE(xdg ? "XDG_DATA_HOME" : "HOME only");
    testing::TempDir root;
    std::vector<std::string> env = {"-u", "XDG_DATA_HOME", "HOME=" + (root / "home").string()};
    if (xdg) env.push_back("XDG_DATA_HOME=" + (root / "xdg").string());
    const std::string shot = (root / "s.png").string();
    EXPECT_EQ(RunProgram(root.path(), {"--user-work-dir", "--snapshot", shot}, env).status, 0);
    EXPECT_TRUE(
        fs::is_directory(root / (xdg ? "xdg/diruruzevuv" : "home/.local/share/diruruzevuv")));
    EXPECT_FALSE(fs::exists(root / "home/DIRUruzevuvLastSession.TXT"));
  }
}

TEST(ProgramTest, HelpVersionAndWrongUsage) {
  testing::TempDir dir;
  const auto help = RunProgram(dir.path(), {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--user-work-dir"), std::string::npos) << help.out;
  const auto version = RunProgram(dir.path(), {"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "diruruzevuv " DIRU_VERSION "\n");
  EXPECT_EQ(RunProgram(dir.path(), {"--work-dir"}).status, 2);
  EXPECT_EQ(RunProgram(dir.path(), {"--no-such-option"}).status, 2);
  testing::WriteText(dir / "file", "x");
  const std::string under = (dir / "file/sub").string(), shot = (dir / "x.png").string();
  EXPECT_EQ(RunProgram(dir.path(), {"--work-dir", under, "--snapshot", shot}).status, 1);
}

}  // namespace
}  // namespace diruruzevuv::screens
