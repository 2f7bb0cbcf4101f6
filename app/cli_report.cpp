#include <QApplication>
#include <QByteArray>
#include <algorithm>
#include <cstdio>
#include <string>

#include "cli_commands.h"
#include "cli_notifier.h"
#include "files/design_file.h"
#include "files/global_defaults_file.h"
#include "model/design_state.h"
#include "model/plot_grid.h"
#include "model/session.h"
#include "notation/notation.h"
#include "platform/dialogs.h"
#include "platform/recording_canvas.h"
#include "report/report.h"
#include "report/report_printer.h"
#include "screens/schematic.h"

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

// The design screen's value boxes as the screen load leaves them: every
// capacitor and the AL are read back from their formatted texts, so the
// report describes exactly the values the screen would show.
class ReadBackBoxes final : public screens::SchematicTarget {
 public:
  explicit ReadBackBoxes(model::DesignState& design) : m_design(design) {}
  void SetField(screens::SchematicField field, const std::string& text) override {
    using screens::SchematicField;
    switch (field) {
      case SchematicField::Text1:
        m_design.C47 = notation::ParseValue(text);
        break;
      case SchematicField::Text3:
        m_design.C48 = notation::ParseValue(text);
        break;
      case SchematicField::Text5:
        m_design.C92 = notation::ParseValue(text);
        break;
      case SchematicField::Text6:
        m_design.C49 = notation::ParseValue(text);
        break;
      case SchematicField::txtAL:
        m_design.ToroidAL = std::max(1.0f, notation::ParseValue(text));
        model::UpdateInductances(m_design);
        break;
      default:
        break;
    }
  }

 private:
  model::DesignState& m_design;
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

  StderrNotifier notifier;
  model::Session session;
  const model::FileLocations where{};
  files::ReadGlobalDefaults(where, session.design, session.defaults, notifier);
  if (!files::ReadDesignFile(args[0], session.design, notifier)) return 1;

  // What the design screen's redisplay leaves behind: the displayed values,
  // the sweep and the plot's frequency grid.
  {
    platform::RecordingCanvas screen;
    ReadBackBoxes boxes(session.design);
    screens::DrawDesignSchematic(screen, session, boxes);
  }
  session.analysis.RunSweep(session.design);
  session.plot.grid = model::ComputePlotGrid(session.design.SweepStart, session.design.SweepStop);

  report::ReportOptions options;
  // One layout unit per twip: the screen the layout grid was drawn for.
  options.screenWidthTwips = 12000.0;
  StderrDialogs dialogs;
  return report::WriteReportPdf(session, args[1], dialogs, options) ? 0 : 1;
}

}  // namespace diruruzevuv::cli
