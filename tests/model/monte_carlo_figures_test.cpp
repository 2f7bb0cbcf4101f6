// The first Monte Carlo run of two designs, pinned to figures worked out
// independently of this code: a separate complex-arithmetic calculation of
// the ladder, the trial draws, the harmonic windows and the upper band edge,
// run once (tests/model/monte_carlo_figures.py) and written in here. A run
// that took its passband figure from the lower band edge would give
// 0.17216 dB for the 20-metre design.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "model/adjustment.h"
#include "model/monte_carlo.h"

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

struct FirstRunRow {
  const char* name;
  void (*load)(DesignState&);
  const char* worst;
  const char* second;
  const char* third;
};

void Forty(DesignState& d) {
  d.C47 = 4.7e-10f, d.TurnsL2 = 18, d.C48 = 9.1e-10f, d.TurnsL1 = 16;
  d.C92 = 1.5e-10f, d.C49 = 4.3e-10f;
  d.LowerEdge = 7e6f, d.UpperEdge = 7.3e6f, d.SweepStart = 2.3e6f, d.SweepStop = 2.55e7f;
  d.ToroidAL = 3.0f, d.InputTermination = 50.0f, d.Band = 40;
}

class FirstRunTest : public ::testing::TestWithParam<FirstRunRow> {};

TEST_P(FirstRunTest, FiguresAndTrialColours) {
  const FirstRunRow& row = GetParam();
  Session session;
  ApplyDefaultDesign(session.design);
  row.load(session.design);
  session.design.InductorQ = 200.0f;
  session.design.CapacitorQ = 2000.0f;
  UpdateInductances(session.design);
  const DesignState before = session.design;

  RecordingView view(session);
  const auto figures = std::tuple(std::string(row.worst), std::string(row.second),
                                  std::string(row.third));
  ASSERT_TRUE(RunMonteCarlo(session, view));
  EXPECT_EQ(std::tie(view.labels.worst, view.labels.worstSecond, view.labels.worstThird), figures);
  // The nominal plot in blue, 201 trials in the nine trial colours from
  // the first, the restored nominal response in yellow.
  ASSERT_EQ(view.colours.size(), 203u);
  EXPECT_EQ(view.colours.front(), kBlue);
  EXPECT_EQ(view.colours.back(), kYellow);
  const std::vector<Rgb> firstTrials(view.colours.begin() + 1, view.colours.begin() + 12);
  // clang-format off
  EXPECT_EQ(firstTrials, (std::vector<Rgb>{{17, 17, 255}, {51, 51, 255}, {85, 85, 255},
      {119, 119, 255}, {153, 153, 255}, {187, 187, 255}, {204, 204, 255}, {221, 221, 255},
      {17, 17, 119}, {17, 17, 255}, {51, 51, 255}}));
  // clang-format on
  EXPECT_EQ(session.DrawColor, kBlue);
  EXPECT_EQ(session.design.C48, before.C48);
  EXPECT_EQ(session.design.ToroidAL, before.ToroidAL);

  // The tool's drawing-free run gives the same texts.
  Session quiet;
  ApplyDefaultDesign(quiet.design);
  quiet.design = before;
  ValueBoxes boxes;
  WriteValueBoxes(boxes, quiet.design);
  WorstCaseLabels labels;
  RunMonteCarloWithoutDrawing(quiet, boxes, labels);
  EXPECT_EQ(std::tie(labels.worst, labels.worstSecond, labels.worstThird), figures);
}

INSTANTIATE_TEST_SUITE_P(
    Designs, FirstRunTest,
    ::testing::Values(
        FirstRunRow{"BuiltInTwentyMetres", [](DesignState&) {},
                    "Worst-case passband loss: 0.18326 dB", "Worst-case 2nd harm. atten: 39.03 dB",
                    "Worst-case 3ed harm. atten: 41.85 dB"},
        FirstRunRow{"FortyMetrePreset", Forty, "Worst-case passband loss: 0.12723 dB",
                    "Worst-case 2nd harm. atten: 38.549 dB",
                    "Worst-case 3ed harm. atten: 43.204 dB"}),
    [](const ::testing::TestParamInfo<FirstRunRow>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace diruruzevuv::model
