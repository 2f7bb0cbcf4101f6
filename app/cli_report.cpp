#include <QApplication>
#include <QByteArray>
#include <cstdio>
#include <string>

#include "cli_commands.h"
#include "cli_notifier.h"
#include "files/design_file.h"
#include "files/global_defaults_file.h"
#include "model/circuit/adjustment.h"
#include "model/circuit/evaluation.h"
#include "model/session.h"
#include "platform/dialogs.h"
#include "platform/screen_geometry.h"
#include "report/report.h"
#include "report/report_printer.h"

namespace diruruzevuv::cli {

namespace {

// Everything the report would show in a message box goes to standard
// error; the command never opens a window.
class StderrDialogs final : public platform::Dialogs {
 public:
  void MessageWithTitle(const std::string& text, const std::string& title) override {
    std::fprintf(stderr, "diruruzevuv-cli: %s: %s\n", title.c_str(), text.c_str());
  }
  std::string OpenFile(const std::string&, const std::string&, const std::string&) override {
    return {};
  }
  std::string SaveFile(const std::string&, const std::string&, const std::string&) override {
    return {};
  }
  void Beep() override {}
  void WriteFailed(const model::WriteFailure& failure) override { PrintWriteFailure(failure); }
};

// Qt's notes about the environment (no runtime folder on a headless
// machine, and the like) are not the user's business here; real warnings
// still reach standard error.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtDebugMsg || type == QtInfoMsg ||
      message.startsWith(QStringLiteral("QStandardPaths:")))
    return;
  std::fprintf(stderr, "diruruzevuv-cli: %s\n", message.toLocal8Bit().constData());
}

}  // namespace

int RenderReport(const model::FileLocations& where, const std::vector<std::string>& args, int argc,
                 char** argv) {
  // The tool checked the operands before handing over. The report is
  // rendered without a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
  qInstallMessageHandler(QuietQtMessages);
  QApplication app(argc, argv);

  StderrNotifier notifier;
  model::Session session;
  files::ReadGlobalDefaults(where, session.design, session.defaults, notifier);
  if (!ReadDesignOrTellWhy(args[0], session.design, notifier)) return 1;

  // What the design screen's redisplay shows: the displayed values and
  // their evaluation.
  model::ValueBoxes boxes;
  model::WriteValueBoxes(boxes, session.design);
  const model::Evaluation shown = model::Evaluate(session.design, session.defaults);

  report::ReportOptions options;
  // The level labels' width estimate as the design screen makes it.
  options.screenWidthTwips = platform::ScreenGeometry::kDisplayWidthTwips;
  StderrDialogs dialogs;
  return report::WriteReportPdf(session, shown, args[1], dialogs, options) ? 0 : 1;
}

}  // namespace diruruzevuv::cli
