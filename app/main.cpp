#include <QApplication>
#include <QFont>
#include <QLocale>
#include <QTimer>
#include <QWidget>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "files/replace_file.h"
#include "files/data_folder.h"
#include "model/session.h"
#include "platform/instance_slot.h"
#include "platform/qt_dialogs.h"
#include "program_options.h"
#include "screens/frm_opening.h"
#include "screens/screen_manager.h"

namespace {

namespace fs = std::filesystem;
using diruruzevuv::app::ProgramOptions;

// The folder the program keeps its own files in, made when missing. Empty
// (with a message for the user) when it cannot be had.
fs::path PrepareWorkDir(const ProgramOptions& options, std::string& problem) {
  std::error_code error;
  fs::path dir = options.workDir;
  if (options.userWorkDir) {
    dir = diruruzevuv::files::UserWorkFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    if (dir.empty()) {
      problem = "No folder for the program's files: neither XDG_DATA_HOME nor HOME is set.";
      return {};
    }
  }
  if (dir.empty()) {
    dir = fs::current_path(error);
    return error ? fs::path(".") : dir;
  }
  fs::create_directories(dir, error);
  if (error || !fs::is_directory(dir)) {
    problem = "Cannot use the folder '" + dir.string() + "' for the program's files.";
    return {};
  }
  const fs::path absolute = fs::absolute(dir, error);
  return error ? dir : absolute;
}

}  // namespace

int main(int argc, char** argv) {
  // A write past a file size limit then fails like any other.
  diruruzevuv::files::IgnoreFileSizeSignal();
  ProgramOptions options = diruruzevuv::app::ParseProgramOptions(argc, argv);
  switch (options.action) {
    case ProgramOptions::Action::kHelp:
      std::fputs(diruruzevuv::app::kProgramHelp, stdout);
      return 0;
    case ProgramOptions::Action::kVersion:
      std::fputs(diruruzevuv::app::ProgramVersionText().c_str(), stdout);
      return 0;
    case ProgramOptions::Action::kUsageError:
      std::fprintf(stderr, "diruruzevuv: %s (see diruruzevuv --help)\n", options.error.c_str());
      return 2;
    case ProgramOptions::Action::kRun:
      break;
  }

  int qtArgc = static_cast<int>(options.qtArgs.size()) - 1;
  QApplication app(qtArgc, options.qtArgs.data());
  if (qtArgc > 1) {
    std::fprintf(stderr, "diruruzevuv: unknown option '%s' (see diruruzevuv --help)\n",
                 options.qtArgs[1]);
    return 2;
  }
  QApplication::setApplicationName(QStringLiteral("DIRUruzevuv"));
  // Files and captions always use the full stop.
  std::setlocale(LC_NUMERIC, "C");
  QLocale::setDefault(QLocale::c());
  // The screens end the program themselves (a closed window, or the exit
  // screen); switching screens must never look like the last one closing.
  QApplication::setQuitOnLastWindowClosed(false);
  // Message boxes and file dialogs in the screens' typeface.
  QApplication::setFont(QFont(QStringLiteral("Arial"), 11));

  diruruzevuv::platform::QtDialogs dialogs;
  diruruzevuv::model::Session session;
  std::string problem;
  session.locations.workDir = PrepareWorkDir(options, problem);
  if (session.locations.workDir.empty()) {
    std::fprintf(stderr, "diruruzevuv: %s\n", problem.c_str());
    // A start from the menu has no terminal to read the message in.
    if (options.userWorkDir) dialogs.MessageWithTitle(problem, "DIRUruzevuv");
    return 1;
  }
  session.locations.dataDir = diruruzevuv::files::ShippedDataFolder(
      fs::path(QApplication::applicationDirPath().toStdString()));

  diruruzevuv::screens::ScreenManager screens(session, dialogs, [] { QApplication::exit(0); });
  const diruruzevuv::platform::InstanceSlot slot(diruruzevuv::platform::InstanceSlotFolder());
  screens.SetWindowOffset(slot.WindowOffset());
  screens.ShowOpening();
  if (!options.snapshot.empty()) {
    // Once the opening screen has been laid out and painted.
    QTimer::singleShot(0, &app, [&screens, &options] {
      QWidget* opening = screens.Opening();
      const bool saved =
          opening != nullptr &&
          opening->grab().save(QString::fromStdString(options.snapshot.string()), "PNG");
      if (!saved) std::fprintf(stderr, "diruruzevuv: cannot save '%s'\n", options.snapshot.c_str());
      QApplication::exit(saved ? 0 : 1);
    });
  }
  return QApplication::exec();
}
