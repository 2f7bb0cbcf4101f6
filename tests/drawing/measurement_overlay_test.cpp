// The measured filter over the design screen's plot and the report's:
// through the recording canvas, and on the design screen as a user works it.
#include "drawing/measurement_overlay.h"

#include <gtest/gtest.h>

#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "../files/test_support.h"
#include "../model/measurement_support.h"
#include "../platform/canvas_checks.h"
#include "../screens/design_screen.h"
#include "files/touchstone.h"
#include "model/circuit/evaluation.h"
#include "model/plot/plot_geometry.h"
#include "notation/notation.h"
#include "platform/recording_canvas.h"
#include "report/report.h"
#include "screens/fit_dialog.h"
#include "screens/measurement_control.h"
#include "screens/plot.h"

namespace diruruzevuv::screens {
namespace {

namespace fs = std::filesystem;
using platform::RecordingCanvas;
using Kind = RecordingCanvas::Kind;
using Op = RecordingCanvas::Op;
using testing::HasText;
using testing::Strokes;

bool Inside(const Op& op, const model::PlotFrame& f) {
  auto in = [&](platform::GridPoint p) {
    return p.x >= f.left && p.x <= f.right && p.y >= f.top && p.y <= f.bottom;
  };
  return in(op.a) && (op.kind != Kind::Line || in(op.b));
}

// The file measured on a design built as designed (or with C48 5 % high).
std::string Measured(const model::DesignState& design, testing::Synthesis synthesis, bool c48High) {
  model::Ladder built = model::LadderFromDesign(design);
  if (c48High) built.value[model::kC48] *= 1.05;
  return testing::MeasurementText(design, built, synthesis);
}

model::ShownMeasurement Shown(const model::DesignState& design, testing::Synthesis synthesis,
                              const char* name, bool c48High = false) {
  const files::TouchstoneRead read =
      files::ParseTouchstone(Measured(design, synthesis, c48High), name);
  model::ShownMeasurement shown;
  shown.measuredOhms = read.network->referenceOhms;
  EXPECT_TRUE(model::Renormalise(*read.network, design.InputTermination, shown.network));
  return shown;
}

model::Session SweptSession(const model::DesignState& design) {
  model::Session s;
  s.design = design;
  s.defaults = {-20.0f, -35.0f, -35.0f, 1.01f, 6, -60.0f};
  return s;
}

// What the design screen evaluates: the design with its measurement.
model::Evaluation Evaluated(const model::Session& s) {
  return model::Evaluate(s.design, s.defaults, s.measurement ? &s.measurement->network : nullptr);
}

// Measured from 1 to 100 MHz, beyond the plot on both sides; the losses
// differ from the design's and from each other. A long name is shortened
// in its middle so that the legend ends inside the frame.
TEST(MeasurementOverlayTest, BothCurvesEachPointInTheFrameWithLegendAndLosses) {
  model::Session s = SweptSession(testing::BandDesign(20));
  const std::string name = "filter_built_on_the_kitchen_table_after_rewinding_L2_2026-12-06.s2p";
  const std::string legendText = "Measured: filter_built_on_th...L2_2026-12-06.s2p";
  s.measurement = Shown(s.design, {.start = 1e6, .stop = 1e8}, name.c_str(), true);
  const model::Evaluation shown = Evaluated(s);
  const model::MeasuredNetwork& n = s.measurement->network;
  const model::Comparison& c = *shown.comparison;
  const std::string low = notation::FormatValue(static_cast<float>(*c.measuredLossLow));
  const std::string high = notation::FormatValue(static_cast<float>(*c.measuredLossHigh));
  EXPECT_TRUE(low != high && low != notation::FormatValue(static_cast<float>(c.computedLossLow)));
  for (const bool page : {false, true}) {
    SCOPED_TRACE(page ? "report" : "screen");
    RecordingCanvas canvas;
    page ? report::DrawReport(canvas, s, shown, report::ReportOptions{12000, "06.12.2026"})
         : void(Plot(canvas, s, shown, 12000.0));
    const model::PlotFrame& frame = page ? model::kReportPlotFrame : model::kScreenPlotFrame;
    const auto s21 = Strokes(canvas, drawing::kMeasuredTransmissionColour);
    const auto s11 = Strokes(canvas, drawing::kMeasuredReflectionColour);
    const std::size_t inside = static_cast<std::size_t>(std::count_if(
        n.frequency.begin(), n.frequency.end(), [](double f) { return f >= 5e6 && f <= 5e7; }));
    // One Line and then a LineTo per further point inside the sweep.
    ASSERT_EQ(std::pair(s21.size(), s11.size()), std::pair(inside - 1, inside - 1));
    EXPECT_EQ(std::pair(s21[0].lineWidth, s11[0].lineWidth),
              page ? std::pair(9.0, 6.0) : std::pair(2.0, 1.0));
    const model::PlotGeometry g(frame, s.design, s.defaults);
    std::size_t k = 0;  // the first stroke ends at the sweep's second point
    for (std::size_t i = 0; i < n.frequency.size(); ++i) {
      const double f = n.frequency[i];
      if (f < 5e6 || f > 5e7 || k++ == 0) continue;
      const auto level = [&](int p) { return g.ClampedY(20 * std::log10(std::abs(n.s[i][p]))); };
      ASSERT_NEAR(s11[k - 2].b.x, g.X(f), 1e-6) << f;
      ASSERT_NEAR(s11[k - 2].b.y, level(0), 1e-6) << f;
      ASSERT_NEAR(s21[k - 2].b.y, level(1), 1e-6) << f;
      ASSERT_TRUE(Inside(s21[k - 2], frame)) << f;
    }
    EXPECT_EQ(std::tuple(HasText(canvas, "Measured loss at lower edge: " + low + "dB"),
                         HasText(canvas, "Measured loss at upper edge: " + high + "dB"),
                         HasText(canvas, "Measured at 50 ohm, judged at 50 ohm"),
                         HasText(canvas, "green S21, violet S11")),
              std::tuple(page, page, false, true));
    const auto& ops = canvas.Ops();
    const auto legend = std::ranges::find(ops, legendText, &Op::text);
    ASSERT_NE(legend, ops.end());
    const auto box = std::find_if(ops.begin(), legend, [](const Op& op) {
      return op.kind == Kind::FilledBox && op.colour == model::kWhite;
    });
    ASSERT_NE(box, legend);
    EXPECT_TRUE(Inside(*box, frame) && box->a.x < legend->a.x && box->a.y < legend->a.y &&
                box->b.y > legend->a.y && legend->a.x + 100.0 * legend->text.size() <= box->b.x);
    // Nothing but the legend's own text is drawn after its box.
    for (auto op = box + 1; op != legend; ++op) EXPECT_NE(op->kind, Kind::Line);
    EXPECT_EQ(std::ranges::count(canvas.Texts(), legendText), page ? 2 : 1);
  }
  EXPECT_EQ(MeasuredLossText(s.design, shown.comparison),
            "Measured loss at 14MHz: " + low + "dB\nMeasured loss at 14.35MHz: " + high + "dB");
  EXPECT_EQ(drawing::ShortenInTheMiddle("d\xc3\xa9" "f\xc3\xa9" "rent.s2p", 9), "d\xc3\xa9...s2p");
  // No legend while a Monte Carlo run draws its trials over the one drawn
  // before them, in the run's first, nominal drawing.
  s.monte.running = true;
  for (const int trials : {0, 1}) {
    s.monte.trialCount = trials;
    RecordingCanvas canvas;
    Plot(canvas, s, shown, 12000.0);
    EXPECT_EQ(HasText(canvas, legendText), trials == 0) << trials;
    EXPECT_FALSE(Strokes(canvas, drawing::kMeasuredTransmissionColour).empty());
  }
}

TEST(MeasurementOverlayTest, OnePortAndReferredFilesSayWhatTheyShow) {
  model::Session s = SweptSession(testing::WizardDesign12());
  s.measurement = Shown(s.design, {.twoPort = false}, "reflection.s1p");
  RecordingCanvas canvas;
  const model::Evaluation shown = Evaluated(s);
  Plot(canvas, s, shown, 12000.0);
  EXPECT_TRUE(Strokes(canvas, drawing::kMeasuredTransmissionColour).empty());
  EXPECT_FALSE(Strokes(canvas, drawing::kMeasuredReflectionColour).empty());
  EXPECT_TRUE(HasText(canvas, "Measured: reflection.s1p"));
  EXPECT_TRUE(HasText(canvas, "Measured at 50 ohm, judged at 12.5 ohm"));
  EXPECT_EQ(MeasuredLossText(s.design, shown.comparison), "");
}

class MeasurementScreenTest : public ::testing::Test, public testing::DesignScreen {
 protected:
  MeasurementScreenTest() {
    testing::WriteText(measured, Measured(session.design, {.noiseDb = -90.0}, true));
  }
  bool Drawn(model::Rgb colour = drawing::kMeasuredTransmissionColour) {
    RecordingCanvas canvas;
    Plot(canvas, session, Evaluated(session), 12000.0);
    return !Strokes(canvas, colour).empty();
  }

  fs::path measured = dir / "built.s2p";
};

TEST_F(MeasurementScreenTest, StaysThroughReplotsUntilRemovedOrTheScreenIsLeft) {
  dialogs.answers.push_back(measured.string());
  Choose("Load measured filter...");
  ASSERT_TRUE(session.measurement && Drawn() && !Form().Measurement().lblMeasuredLoss->isHidden());
  Click("cmdC48plus");
  Click("cmdAccept");
  EXPECT_TRUE(session.measurement && Drawn());
  Choose("Remove measurement");
  EXPECT_TRUE(!session.measurement && !Drawn() && Form().Measurement().lblMeasuredLoss->isHidden());

  EXPECT_TRUE(Form().Measurement().Load(measured.string()));
  Click("cmdRestart");
  Settle();
  EXPECT_FALSE(session.measurement || Drawn());
}

TEST_F(MeasurementScreenTest, ADroppedFileIsShownAndABrokenOneChangesNothing) {
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(measured.string()))});
  QDragEnterEvent enter(QPoint(700, 200), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&Form(), &enter);
  QDropEvent drop(QPointF(700, 200), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&Form(), &drop);
  EXPECT_TRUE(enter.isAccepted() && drop.isAccepted());
  EXPECT_EQ(session.measurement ? session.measurement->network.name : "", "built.s2p");

  testing::WriteText(dir / "broken.s2p", "# Hz S RI R 50\r\n1 0 0\r\n");
  EXPECT_FALSE(Form().Measurement().Load((dir / "broken.s2p").string()));
  EXPECT_EQ(dialogs.messages,
            std::vector<std::string>{"broken.s2p, line 2: wrong count of numbers: "
                                     "9 are needed for each frequency"});
  EXPECT_EQ(session.measurement->network.name, "built.s2p");
}

// The menu opens over the plot only; without the mouse through the button
// that names it or the keys, even from a box with a menu of its own.
TEST_F(MeasurementScreenTest, MenuOverThePlotFromTheMeasuredButtonAndKeys) {
  EXPECT_EQ(Form().Measurement().MenuAt({3000.0, 2000.0}), nullptr);
  EXPECT_NE(std::unique_ptr<QMenu>(Form().Measurement().MenuAt({6001.0, 3999.0})), nullptr);
  Form().show();
  QPushButton* button = Form().Measurement().cmdMeasured;
  auto* box = Find<QLineEdit>("Text3");
  const auto opens = [this, box](const std::function<void()>& open) {
    // Shortcuts act in the active window (a closed menu leaves none here).
    Form().activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&Form()));
    box->setFocus();
    QStringList entries;
    testing::WhileModal(open, [&entries](QWidget& up) {
      auto* menu = qobject_cast<QMenu*>(&up);
      ASSERT_NE(menu, nullptr);
      for (const QAction* action : menu->actions())
        if (!action->isSeparator() && action->isEnabled()) entries << action->text();
      menu->close();
    });
    return entries;
  };
  const QStringList enabled({"Load measured filter...", "Measure with analyser...", "Repeat",
                             "Calibrate analyser...", "Measure a part...", "Save plot as PNG...",
                             "Save computed response as CSV...", "Export response as Touchstone...",
                             "Build sheet..."});
  EXPECT_EQ(opens([button] { button->click(); }), enabled);
  EXPECT_EQ(opens([box] { QTest::keyClick(box, Qt::Key_Menu); }), enabled);
  EXPECT_EQ(opens([box] { QTest::keyClick(box, Qt::Key_F10, Qt::ShiftModifier); }), enabled);
  QContextMenuEvent request(QContextMenuEvent::Keyboard, {}, {});  // sent with the Menu key
  QCoreApplication::sendEvent(box, &request);
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  EXPECT_EQ(button->text(), QStringLiteral("Measured, export, build sheet..."));
}

// Names typed without an ending get theirs.
TEST_F(MeasurementScreenTest, SavesThePlotAndTheComputedResponse) {
  dialogs.answers = {(dir / "plot").string(), (dir / "response").string(),
                     (dir / "filter").string()};
  Choose("Save plot as PNG...");
  Choose("Save computed response as CSV...");
  Choose("Export response as Touchstone...");
  EXPECT_FALSE(QImage(QString::fromStdString((dir / "plot.png").string())).isNull());
  EXPECT_TRUE(testing::ReadText(dir / "response.csv").starts_with("frequency_hz,gain_db,"));
  EXPECT_TRUE(dialogs.messages.empty());
  const files::TouchstoneRead read = files::ReadTouchstoneFile(dir / "filter.s2p");
  ASSERT_TRUE(read.network) << read.error.Text();
  EXPECT_EQ(read.network->referenceOhms[0], session.design.InputTermination);
  const std::string nowhere = (dir / "missing" / "response.csv").string();
  dialogs.answers = {nowhere};
  Choose("Save computed response as CSV...");
  EXPECT_EQ(dialogs.messages,
            std::vector<std::string>{"Cannot write " + nowhere + ": No such file or directory"});
  EXPECT_FALSE(fs::exists(nowhere));
}

// After a fit the fitted parts' response lies on the measured curves.
TEST_F(MeasurementScreenTest, FitShowsTheFittedResponseAndChangesTheDesignOnlyWhenAsked) {
  ASSERT_TRUE(Form().Measurement().Load(measured.string()));
  const float c48 = session.design.C48;
  QString shown;
  auto answer = [&](const char* button) {
    const QImage before = Form().Surface().Image();
    testing::WhileModal([this] { Choose("Fit built values..."); },
                        [&, button](QWidget& up) {
                          EXPECT_NE(Form().Surface().Image(), before) << "no fit drawn";
                          auto* dialog = qobject_cast<FitDialog*>(&up);
                          ASSERT_NE(dialog, nullptr);
                          shown = dialog->table->toPlainText();
                          dialog->findChild<QPushButton*>(button)->click();
                        });
  };
  answer("cmdClose");
  EXPECT_EQ(session.design.C48, c48);
  EXPECT_TRUE(shown.contains("exceeds both 3 % and twice its uncertainty.\nOff: C48\n") &&
              shown.contains("Whole turns at AL 3 nH per turns squared come only this close:\n"
                             "L2 14 turns 0.588 uH"))
      << shown.toStdString();
  RecordingCanvas screen;
  Plot(screen, session, Evaluated(session), 12000.0);
  const auto fitted = Strokes(screen, drawing::kFittedColour);
  const auto s21 = Strokes(screen, drawing::kMeasuredTransmissionColour);
  const auto s11 = Strokes(screen, drawing::kMeasuredReflectionColour);
  ASSERT_EQ(fitted.size(), s21.size() + s11.size());
  for (std::size_t i = 0; i < s21.size(); ++i) {  // within half a dB everywhere
    ASSERT_EQ(fitted[i].a.x, s21[i].a.x);
    ASSERT_NEAR(fitted[i].a.y, s21[i].a.y, 0.5 * 3500.0 / 60.0);
    ASSERT_NEAR(fitted[s21.size() + i].a.y, s11[i].a.y, 0.5 * 3500.0 / 60.0);
  }
  EXPECT_TRUE(HasText(screen, "orange: fitted parts, S21 and S11"));

  // A turn too many on L2: only the other button would take it off.
  model::SetTurns(session.design, session.design.TurnsL1, 15);
  answer("cmdUse");
  EXPECT_NEAR(session.design.C48, c48 * 1.05f, c48 * 0.005f);
  EXPECT_EQ(session.design.TurnsL2, 15);
  EXPECT_EQ(Find<QLineEdit>("Text3")->text().toStdString(),
            notation::FormatCapacitance(session.design.C48));
  Choose("Remove measurement");
  EXPECT_FALSE(Drawn(drawing::kFittedColour));
}

// Each trace colour apart from the others and well away from the curves
// already drawn: the response, trials, boxes, measurement and fit.
TEST(TraceOverlayTest, PaletteColoursStandApart) {
  const auto far = [](auto a, auto b) { return std::hypot(a.r - b.r, a.g - b.g, a.b - b.b); };
  const auto& p = model::kTracePalette;
  for (std::size_t i = 0; i < p.size(); ++i) {
    for (const model::Rgb other :
         {model::kBlue, model::kYellow, model::kRed, drawing::kFittedColour,
          drawing::kMeasuredTransmissionColour, drawing::kMeasuredReflectionColour})
      EXPECT_GT(far(p[i], other), 80.0) << i;
    for (std::size_t j = 0; j < i; ++j) EXPECT_GT(far(p[i], p[j]), 50.0) << i;
  }
}

// Kept traces lie under the current measurement in their own colours,
// S21 solid and S11 dashed, named in a legend, on the screen and the page.
TEST_F(MeasurementScreenTest, KeptTracesAreDrawnUnderTheMeasurementWithTheirLegend) {
  const auto inTrace = [this](const QString& trace, const QString& entry) {
    std::unique_ptr<QMenu> menu(Form().Measurement().MenuAt({8500.0, 2000.0}));
    for (QAction* a : menu->actions())
      for (QAction* b : a->menu() ? a->menu()->actions() : QList<QAction*>())
        if (a->text() == "Trace: " + trace && b->text() == entry) return b->trigger();
    ADD_FAILURE() << entry.toStdString();
  };
  ASSERT_TRUE(Form().Measurement().Load(measured.string()));
  dialogs.answers = {"before"};
  Choose("Keep this trace...");
  Choose("Keep this trace...");  // under the name offered
  const std::string offered = session.traces.Items().at(1).name;
  EXPECT_TRUE(offered.ends_with(" built.s2p") && offered.size() == 18) << offered;
  inTrace(QString::fromStdString(offered), "Shown");
  for (const bool page : {false, true}) {
    SCOPED_TRACE(page ? "report" : "screen");
    RecordingCanvas canvas;
    page ? report::DrawReport(canvas, session, Evaluated(session),
                              report::ReportOptions{12000, "07.12.2026"})
         : void(Plot(canvas, session, Evaluated(session), 12000.0));
    const auto strokes = Strokes(canvas, model::kTracePalette[0]);
    const auto dashed = std::ranges::count_if(strokes, &Op::dashed);
    const double s11 = page ? 6.0 : 1.0;  // the thinner, dashed one
    EXPECT_TRUE(
        dashed > 100 && 2 * dashed == std::ssize(strokes) &&
        std::ranges::all_of(strokes, [s11](auto& o) { return o.dashed == (o.lineWidth == s11); }));
    EXPECT_TRUE(Strokes(canvas, model::kTracePalette[1]).empty());
    const auto first = [&canvas](model::Rgb c) {
      return std::ranges::find(canvas.Ops(), c, &Op::colour);
    };
    EXPECT_TRUE(first(model::kTracePalette[0]) < first(drawing::kMeasuredTransmissionColour));
    EXPECT_TRUE(HasText(canvas, "before") && !HasText(canvas, offered));
  }
  dialogs.answers = {"after", (dir / "kept").string()};
  inTrace("before", "Rename...");
  inTrace("after", "Save as Touchstone...");
  const files::TouchstoneRead read = files::ReadTouchstoneFile(dir / "kept.s2p");
  ASSERT_TRUE(read.network) << read.error.Text();
  EXPECT_EQ(read.network->s.size(), session.measurement->network.s.size());
  inTrace("after", "Remove");
  EXPECT_EQ(session.traces.Items().at(0).name, offered);
}

}  // namespace
}  // namespace diruruzevuv::screens
