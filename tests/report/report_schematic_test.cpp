// The report's schematic strokes: every symbol's geometry on the page,
// drawn through the symbol functions the screens share.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "model/design_state.h"
#include "model/evaluation.h"
#include "platform/recording_canvas.h"
#include "report/report.h"

namespace diruruzevuv::report {
namespace {

using Kind = platform::RecordingCanvas::Kind;

// "x,y-x,y" a line, ">x,y" a line continued, "A x,y r start end" an arc;
// one symbol a line: generator, C47, L2, C48, L1, C92, C49, Rgen, Rload,
// then the five grounds and the wires.
constexpr const char* kStrokes = R"(A 2000,7480 190 0 6.2 2000,7685-2000,8000 2000,7280-2000,7000 A 1935,7480 60 0 3.2 A 2055,7480 60 3.1 6.2
4000,7000-4000,7480 3880,7480-4120,7480 3880,7540-4120,7540 4000,7540-4000,8000
4500,7000-4920,7000 A 5000,7000 80 0 3.14159 A 5160,7000 80 0 3.14159 A 5320,7000 80 0 3.14159 5400,7000-5800,7000
6200,7000-6200,7480 6080,7480-6320,7480 6080,7540-6320,7540 6200,7540-6200,8000
6700,7000-7120,7000 A 7200,7000 80 0 3.14159 A 7360,7000 80 0 3.14159 A 7520,7000 80 0 3.14159 7600,7000-8000,7000
6900,6000-7350,6000 7350,5880-7350,6120 7410,5880-7410,6120 7410,6000-7900,6000
8500,7000-8500,7480 8380,7480-8620,7480 8380,7540-8620,7540 8500,7540-8500,8000
2500,7000-2760,7000 >2790,6940 >2850,7060 >2910,6940 >2970,7060 >3030,6940 >3090,7060 >3120,7000 >3500,7000
9800,7000-9800,7320 >9860,7350 >9740,7410 >9860,7470 >9740,7530 >9860,7590 >9740,7650 >9800,7680 >9800,8000
1850,8000-2150,8000 >2000,8150 >1850,8000 3850,8000-4150,8000 >4000,8150 >3850,8000
6050,8000-6350,8000 >6200,8150 >6050,8000 8350,8000-8650,8000 >8500,8150 >8350,8000
9650,8000-9950,8000 >9800,8150 >9650,8000
2000,7000-2500,7000 3500,7000-4500,7000 5800,7000-6800,7000 8000,7000-9800,7000
6900,7000-6900,6000 7900,7000-7900,6000
)";

TEST(ReportSchematicTest, SymbolsAtTheirPlaces) {
  model::Session s;
  model::ApplyDefaultDesign(s.design);
  platform::RecordingCanvas page;
  DrawReport(page, s, model::Evaluate(s.design, s.defaults), ReportOptions{12000, "06.12.2026"});
  std::ostringstream out;
  for (const platform::RecordingCanvas::Op& op : page.Ops()) {
    if (op.lineWidth != 8 || op.colour != model::kBlack) continue;
    const auto at = [&](platform::GridPoint p) { out << p.x << ',' << p.y; };
    if (op.kind == Kind::Line) at(op.a), out << '-', at(op.b), out << ' ';
    if (op.kind == Kind::LineTo) out << '>', at(op.b), out << ' ';
    if (op.kind == Kind::Arc)
      out << "A ", at(op.a), out << ' ' << op.radius << ' ' << op.start << ' ' << op.end << ' ';
  }
  std::string expected = kStrokes;
  for (char& c : expected) c = c == '\n' ? ' ' : c;
  EXPECT_EQ(out.str(), expected);
}

}  // namespace
}  // namespace diruruzevuv::report
