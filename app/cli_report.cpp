#include <QApplication>
#include <QByteArray>
#include <cstdio>
#include <string>

#include "cli_commands.h"
#include "files/design_file.h"
#include "files/global_defaults_file.h"
#include "model/plot_grid.h"
#include "model/session.h"
#include "platform/dialogs.h"
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
};

}  // namespace

int RunReportCommand(const std::vector<std::string>& args, int argc, char** argv) {
  if (args.size() != 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  // The report is rendered without a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
  QApplication app(argc, argv);

  StderrDialogs dialogs;
  model::Session session;
  files::ReadGlobalDefaults(session.locations, session.design, session.defaults, dialogs);
  if (!files::ReadDesignFile(args[0], session.design, dialogs)) return 1;

  // What the design screen's redisplay leaves behind: the sweep and the
  // plot's frequency grid.
  session.analysis.RunSweep(session.design);
  session.plot.grid = model::ComputePlotGrid(session.design.SweepStart, session.design.SweepStop);

  report::ReportOptions options;
  // One layout unit per twip: the screen the layout grid was drawn for.
  options.screenWidthTwips = 12000.0;
  return report::WriteReportPdf(session, args[1], dialogs, options) ? 0 : 1;
}

}  // namespace diruruzevuv::cli
