// The first Monte Carlo run of the built-in design, pinned to figures worked out
// independently of this code: a separate complex-arithmetic calculation of
// the ladder, the trial draws, the harmonic windows and the upper band edge,
// run once (tests/model/circuit/monte_carlo_figures.py) and written in here. A run
// that took its passband figure from the lower band edge would give
// 0.17216 dB for the 20-metre design.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "model/circuit/adjustment.h"
#include "model/circuit/monte_carlo.h"

namespace diruruzevuv::model {
namespace {

// The run's plots as the tool makes them, with the colour of each.
class RecordingView final : public MonteCarloView {
 public:
  explicit RecordingView(Session& session) : m_session(session) {}
  void ShowNominal() override {
    ValueBoxes boxes;
    WriteValueBoxes(boxes, m_session.design);
    Plot(Evaluate(m_session.design, m_session.defaults));
  }
  void Plot(const Evaluation& evaluation) override {
    colours.push_back(m_session.DrawColor);
    ApplyWorstHarmonics(evaluation, m_session.plot, labels);
  }
  void ShowWorst(const std::string& text) override { labels.worst = text; }

  std::vector<Rgb> colours;
  WorstCaseLabels labels;

 private:
  Session& m_session;
};

// The built-in 20-metre design. A second run in the same session draws on
// and differs, the trial colours continuing.
TEST(MonteCarloFiguresTest, FirstRunFiguresAndTrialColours) {
  Session session;
  ApplyDefaultDesign(session.design);
  session.design.InductorQ = 200.0f, session.design.CapacitorQ = 2000.0f;
  const DesignState before = session.design;

  RecordingView view(session);
  const auto figures = std::tuple(std::string("Worst-case passband loss: 0.18326 dB"),
                                  std::string("Worst-case 2nd harm. atten: 39.03 dB"),
                                  std::string("Worst-case 3ed harm. atten: 41.85 dB"));
  ASSERT_TRUE(RunMonteCarlo(session, view));
  EXPECT_EQ(std::tie(view.labels.worst, view.labels.worstSecond, view.labels.worstThird), figures);
  // The nominal plot in blue, 201 trials in the nine trial colours from
  // the first, the restored nominal response in yellow.
  ASSERT_EQ(view.colours.size(), 203u);
  EXPECT_EQ(std::tuple(view.colours.front(), view.colours.back()), std::tuple(kBlue, kYellow));
  const std::vector<Rgb> firstTrials(view.colours.begin() + 1, view.colours.begin() + 12);
  // clang-format off
  EXPECT_EQ(firstTrials, (std::vector<Rgb>{{17, 17, 255}, {51, 51, 255}, {85, 85, 255},
      {119, 119, 255}, {153, 153, 255}, {187, 187, 255}, {204, 204, 255}, {221, 221, 255},
      {17, 17, 119}, {17, 17, 255}, {51, 51, 255}}));
  // clang-format on
  EXPECT_EQ(std::tuple(session.DrawColor, session.design.C48, session.design.ToroidAL),
            std::tuple(kBlue, before.C48, before.ToroidAL));

  // The tool's drawing-free run gives the same texts, then different ones.
  Session quiet;
  quiet.design = before;
  ValueBoxes boxes;
  WriteValueBoxes(boxes, quiet.design);
  WorstCaseLabels first, second;
  RunMonteCarloWithoutDrawing(quiet, boxes, first);
  EXPECT_EQ(std::tie(first.worst, first.worstSecond, first.worstThird), figures);
  RunMonteCarloWithoutDrawing(quiet, boxes, second);
  EXPECT_NE(std::tie(second.worst, second.worstSecond, second.worstThird), figures);
  EXPECT_EQ(quiet.monte.trialColorCounter, 402 % 9);

  // A sweep that cannot be drawn (one frequency, in the second harmonic's
  // window) gives no worst-case harmonic figures.
  Session flat;
  flat.design = before;
  flat.design.SweepStart = flat.design.SweepStop = 28.2e6f;
  WorstCaseLabels none;
  RunMonteCarloWithoutDrawing(flat, boxes, none);
  EXPECT_EQ(none.worstSecond + none.worstThird, "");
}

}  // namespace
}  // namespace diruruzevuv::model
