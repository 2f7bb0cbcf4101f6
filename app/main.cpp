#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QLocale>
#include <clocale>
#include <filesystem>

#include "model/session.h"
#include "platform/qt_dialogs.h"
#include "screens/screen_manager.h"

namespace {

namespace fs = std::filesystem;

// The shipped band presets and global defaults: beside the program, one
// level up (the build folder inside the source tree, or bin/ of an
// installation), in share/, and last the source tree the program was
// built from.
fs::path FindDataDir(const QString& programDir) {
  const QDir dir(programDir);
  const QString candidates[] = {dir.filePath(QStringLiteral("data")),
                                dir.filePath(QStringLiteral("../data")),
                                dir.filePath(QStringLiteral("../share/diruruzevuv/data"))};
  for (const QString& candidate : candidates) {
    const QDir data(candidate);
    if (QFileInfo::exists(data.filePath(QStringLiteral("20.TXT"))) ||
        QFileInfo::exists(data.filePath(QStringLiteral("DIRUruzevuvGlobalDefaults.TXT")))) {
      return fs::path(QDir::cleanPath(candidate).toStdString());
    }
  }
  return fs::path(DIRU_SOURCE_DATA_DIR);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("DIRUruzevuv"));
  // Files and captions always use the full stop.
  std::setlocale(LC_NUMERIC, "C");
  QLocale::setDefault(QLocale::c());
  // The screens end the program themselves (a closed window, or the exit
  // screen); switching screens must never look like the last one closing.
  QApplication::setQuitOnLastWindowClosed(false);
  // Message boxes and file dialogs in the screens' typeface.
  QApplication::setFont(QFont(QStringLiteral("Arial"), 11));

  diruruzevuv::model::Session session;
  std::error_code error;
  session.locations.workDir = fs::current_path(error);
  if (error) session.locations.workDir = ".";
  session.locations.dataDir = FindDataDir(QApplication::applicationDirPath());

  diruruzevuv::platform::QtDialogs dialogs;
  diruruzevuv::screens::ScreenManager screens(session, dialogs, [] { QApplication::exit(0); });
  screens.ShowOpening();
  return QApplication::exec();
}
