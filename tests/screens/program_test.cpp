// The program as started from a terminal or the menu: its options, and the
// folder it keeps its own files in.
#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <filesystem>
#include <string>

#include "../files/test_support.h"
#include "files/design_file.h"
#include "model/design_state.h"

namespace diruruzevuv::screens {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

struct Outcome {
  int status = -1;
  QString out;
};

Outcome RunProgram(const fs::path& folder, const QStringList& args,
                   const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
                   const QString& program = DIRU_PROGRAM_PATH) {
  QProcess p;
  QProcessEnvironment headless = env;
  headless.insert("QT_QPA_PLATFORM", "offscreen");
  p.setProcessEnvironment(headless);
  p.setWorkingDirectory(QString::fromStdString(folder.string()));
  p.start(program, args);
  Outcome outcome;
  if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit)
    outcome.status = p.exitCode();
  outcome.out = QString::fromUtf8(p.readAllStandardOutput());
  return outcome;
}

QString Q(const fs::path& path) {
  return QString::fromStdString(path.string());
}

void PutLastSession(const fs::path& folder) {
  model::DesignState design;
  model::ApplyDefaultDesign(design);
  model::SilentNotifier quiet;
  ASSERT_TRUE(files::WriteLastSession({folder, folder}, design, quiet));
}

// The opening screen offers "Last session" only when the working folder has
// one, so its picture shows which folder the program works in.
TEST(ProgramTest, WorkDirIsWhereTheOpeningScreenLooksForTheLastSession) {
  TempDir start, root;
  PutLastSession(start.path());  // the current folder has one; it must not count
  const fs::path empty = root / "made/on/start", withSession = root / "with";
  fs::create_directories(withSession);
  PutLastSession(withSession);

  ASSERT_EQ(
      RunProgram(start.path(), {"--work-dir", Q(empty), "--snapshot", Q(root / "a.png")}).status,
      0);
  EXPECT_TRUE(fs::is_directory(empty));
  ASSERT_EQ(
      RunProgram(start.path(), {"--work-dir=" + Q(withSession), "--snapshot", Q(root / "b.png")})
          .status,
      0);
  ASSERT_EQ(RunProgram(start.path(), {"--snapshot", Q(root / "c.png")}).status, 0);
  const QImage a(Q(root / "a.png")), b(Q(root / "b.png")), c(Q(root / "c.png"));
  ASSERT_FALSE(a.isNull());
  EXPECT_GT(a.width(), 100);
  EXPECT_NE(a, b);
  EXPECT_EQ(b, c);  // a terminal start works in the current folder, as before
}

TEST(ProgramTest, UserWorkDirIsMadeUnderTheUsersDataFolder) {
  struct Row {
    const char* name;
    bool setXdg;
    const char* expected;  // below the temporary folder
  } rows[] = {{"XDG_DATA_HOME", true, "xdg/diruruzevuv"},
              {"HOME only", false, "home/.local/share/diruruzevuv"}};
  for (const Row& row : rows) {
    TempDir root;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", Q(root / "home"));
    if (row.setXdg)
      env.insert("XDG_DATA_HOME", Q(root / "xdg"));
    else
      env.remove("XDG_DATA_HOME");
    EXPECT_EQ(
        RunProgram(root.path(), {"--user-work-dir", "--snapshot", Q(root / "s.png")}, env).status,
        0)
        << row.name;
    EXPECT_TRUE(fs::is_directory(root / row.expected)) << row.name;
    EXPECT_FALSE(fs::exists(root / "home/DIRUruzevuvLastSession.TXT")) << row.name;
  }
}

TEST(ProgramTest, HelpVersionAndWrongUsage) {
  TempDir dir;
  const Outcome help = RunProgram(dir.path(), {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.contains("--work-dir DIR") && help.out.contains("--user-work-dir"))
      << help.out.toStdString();
  const Outcome version = RunProgram(dir.path(), {"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, QStringLiteral("diruruzevuv " DIRU_VERSION "\n"));
  EXPECT_EQ(RunProgram(dir.path(), {"--work-dir"}).status, 2);
  EXPECT_EQ(RunProgram(dir.path(), {"--no-such-option"}).status, 2);
  const fs::path blocked = dir / "file";
  testing::WriteText(blocked, "x");
  EXPECT_EQ(
      RunProgram(dir.path(), {"--work-dir", Q(blocked / "sub"), "--snapshot", Q(dir / "x.png")})
          .status,
      1);
}

}  // namespace
}  // namespace diruruzevuv::screens
