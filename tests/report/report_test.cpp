#include "report/report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../platform/canvas_checks.h"
#include "../screens/scripted_dialogs.h"
#include "model/circuit/design_state.h"
#include "model/circuit/evaluation.h"
#include "platform/recording_canvas.h"

namespace diruruzevuv::report {
namespace {

using platform::GridPoint;
using platform::RecordingCanvas;
using platform::Rgb;
using Kind = RecordingCanvas::Kind;
using Op = RecordingCanvas::Op;

// A session with the evaluation the design screen last showed.
struct Shown : model::Session {
  model::Evaluation shown;
};

// The 20-metre design, evaluated as the design screen leaves it.
Shown TwentyMetreSession(float capacitorQ = 1000) {
  Shown s;
  model::ApplyDefaultDesign(s.design);
  s.design.InductorQ = 200;
  s.design.CapacitorQ = capacitorQ;
  s.defaults = {-1, -40, -50, 1.1f, 6, -60};
  s.shown = model::Evaluate(s.design, s.defaults);
  return s;
}

const ReportOptions kOptions{12000, "06.12.2026"};

RecordingCanvas Draw(const Shown& s) {
  RecordingCanvas page;
  DrawReport(page, s, s.shown, kOptions);
  return page;
}

std::string TextAt(const RecordingCanvas& page, GridPoint at) {
  for (const Op& op : page.OfKind(Kind::Text))
    if (op.a == at) return op.text;
  return "<none>";
}

// Figures worked out independently (tests/model/monte_carlo_figures.py);
// a value that is not there is written as nothing.
TEST(ReportTest, TitleFiguresAndFooter) {
  Shown s = TwentyMetreSession(2000);
  const RecordingCanvas page = Draw(s);
  std::vector<std::string> lines;  // the block from top to bottom
  for (const Op& op : page.OfKind(Kind::Text))
    if (op.a.x == 9000) lines.push_back(op.text);
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "Lower bandedge:  14M", "Upper bandedge:  14.35M",
                       "Loss at lower edge: 0.13502 dB", "Loss at upper edge: 0.14229 dB",
                       "Toroid Al: 3  nH per turns squared", "Number of turns, L1: 12 ",
                       "Number of turns, L2: 14 ", "Inductor Q values: 200 ",
                       "Capacitor Q values: 2k"}));
  EXPECT_EQ(TextAt(page, {5000, 900}), "DIRUruzevuv Utility -  14M to  14.35M");
  EXPECT_EQ(TextAt(page, {2000, 9000}),
            "Printed by DIRUruzevuv from the DIRUruzevuv developers - "
            "https://diruruzevuv.example.org - 06.12.2026");
  s.design.C92 = 0;
  EXPECT_EQ(TextAt(Draw(s), {7150, 6200}), "");
}

// One symbol a line: generator, C47, L2, C48, L1, C92, C49, Rgen, Rload,
// grounds, wires.
constexpr const char* kSchematic =
    R"(A 2000,7480 190 0 6.2 2000,7685-2000,8000 2000,7280-2000,7000 A 1935,7480 60 0 3.2 A 2055,7480 60 3.1 6.2
4000,7000-4000,7480 3880,7480-4120,7480 3880,7540-4120,7540 4000,7540-4000,8000 W 4100,7650 "200pF" W 4100,7200 "C47"
4500,7000-4920,7000 A 5000,7000 80 0 3.14159 A 5160,7000 80 0 3.14159 A 5320,7000 80 0 3.14159 5400,7000-5800,7000
W 4900,7200 "588nH" W 5100,6600 "L2"
6200,7000-6200,7480 6080,7480-6320,7480 6080,7540-6320,7540 6200,7540-6200,8000 W 6300,7650 "360pF" W 6300,7200 "C48"
6700,7000-7120,7000 A 7200,7000 80 0 3.14159 A 7360,7000 80 0 3.14159 A 7520,7000 80 0 3.14159 7600,7000-8000,7000
W 7100,7200 "432nH" W 7300,6600 "L1"
6900,6000-7350,6000 7350,5880-7350,6120 7410,5880-7410,6120 7410,6000-7900,6000 W 7150,6200 "68pF" W 7200,5650 "C92"
8500,7000-8500,7480 8380,7480-8620,7480 8380,7540-8620,7540 8500,7540-8500,8000 W 8600,7650 "200pF" W 8600,7200 "C49"
2500,7000-2760,7000 >2790,6940 >2850,7060 >2910,6940 >2970,7060 >3030,6940 >3090,7060 >3120,7000 >3500,7000
W 2850,7200 "50 " W 2700,6600 "Rgen"
9800,7000-9800,7320 >9860,7350 >9740,7410 >9860,7470 >9740,7530 >9860,7590 >9740,7650 >9800,7680 >9800,8000
W 10000,7550 "50 " W 10000,7300 "Rload"
1850,8000-2150,8000 >2000,8150 >1850,8000 3850,8000-4150,8000 >4000,8150 >3850,8000
6050,8000-6350,8000 >6200,8150 >6050,8000 8350,8000-8650,8000 >8500,8150 >8350,8000
9650,8000-9950,8000 >9800,8150 >9650,8000
2000,7000-2500,7000 3500,7000-4500,7000 5800,7000-6800,7000 8000,7000-9800,7000
6900,7000-6900,6000 7900,7000-7900,6000
)";

TEST(ReportTest, SchematicSymbolsAndValuesAtTheirPlaces) {
  EXPECT_EQ(testing::Describe(Draw(TwentyMetreSession()), 5500.0), testing::OneLine(kSchematic));
}

// A printer whose driver fails after a number of drawing operations.
class FakePrinter final : public BufferedReportPrinter, public platform::Canvas {
 public:
  bool ShowPrintDialog() override { return true; }
  platform::Canvas& StartFreshPage() override {
    m_page = &BufferedReportPrinter::StartFreshPage();
    return *this;
  }
  void Clear() override { Tick().Clear(); }
  void Line(GridPoint a, GridPoint b, Rgb c) override { Tick().Line(a, b, c); }
  void LineTo(GridPoint b, Rgb c) override { Tick().LineTo(b, c); }
  void Box(GridPoint a, GridPoint b, Rgb c) override { Tick().Box(a, b, c); }
  void FilledBox(GridPoint a, GridPoint b, Rgb c) override { Tick().FilledBox(a, b, c); }
  void Arc(GridPoint c, double r, double s, double e, Rgb k) override { Tick().Arc(c, r, s, e, k); }
  void Point(GridPoint a, Rgb c) override { Tick().Point(a, c); }
  void SetTextPosition(GridPoint a) override { Tick().SetTextPosition(a); }
  void Text(std::string_view t) override { Tick().Text(t); }
  void SetLineWidth(double w) override { Tick().SetLineWidth(w); }
  void SetFontSize(double p) override { Tick().SetFontSize(p); }
  void SetAutoRedraw(bool on) override { Tick().SetAutoRedraw(on); }
  int failAfter = -1;  // operations until the failure; -1 for none
  std::vector<RecordingCanvas> sent;

 protected:
  void SendPage(const RecordingCanvas& page) override { sent.push_back(page); }

 private:
  platform::Canvas& Tick() {
    if (failAfter >= 0 && failAfter-- == 0) throw PrinterError("The printer is out of paper.");
    return *m_page;
  }
  platform::Canvas* m_page = nullptr;
};

TEST(PrintReportTest, AFailurePartWaySendsNothingAndTheNextReportStartsOnAFreshPage) {
  const RecordingCanvas clean = Draw(TwentyMetreSession());
  for (int failAfter : {1, 400, static_cast<int>(clean.Ops().size()) - 1}) {
    Shown s = TwentyMetreSession();
    FakePrinter printer;
    printer.failAfter = failAfter;
    testing::ScriptedDialogs dialogs;
    EXPECT_FALSE(PrintReport(s, s.shown, printer, dialogs, kOptions));
    EXPECT_TRUE(printer.sent.empty()) << failAfter;
    EXPECT_EQ(dialogs.titles, std::vector<std::string>{"Printer Error"});
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"The printer is out of paper."});
    EXPECT_TRUE(PrintReport(s, s.shown, printer, dialogs, kOptions));
    ASSERT_EQ(printer.sent.size(), 1u);
    EXPECT_EQ(printer.sent[0].Ops().size(), clean.Ops().size()) << failAfter;
    EXPECT_EQ(printer.sent[0].Texts(), clean.Texts());
  }
}

}  // namespace
}  // namespace diruruzevuv::report
