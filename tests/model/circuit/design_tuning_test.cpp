#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <tuple>
#include <utility>

#include "model/circuit/adjustment.h"
#include "model/circuit/monte_carlo.h"
#include "model/circuit/wizard.h"
#include "notation/notation.h"

namespace diruruzevuv::model {
namespace {

// Leading number, halves to even, at most 32767; 0: below 1, raised to 1 and the box set to "1".
TEST(AdjustmentTest, TurnsBoxReadings) {
  const std::pair<const char*, int> rows[] = {
      {"12", 12}, {"14.5", 14}, {"15.5", 16}, {"14.51", 15}, {"12 turns", 12}, {"1 2", 12},
      {"1E1", 10}, {"&H10", 16}, {"1.5", 2}, {"", 0}, {"abc", 0}, {"0.5", 0}, {"-5", 0},
      {"-99999", 0}, {"40000", 32767}, {"1E300", 32767}, {"32767", 32767}};
  for (const auto& [text, turns] : rows) {
    const TurnsBoxReading reading = ReadTurnsBox(text);
    EXPECT_EQ(std::pair(int{reading.turns}, reading.resetBoxToOne),
              std::pair(std::max(turns, 1), turns == 0)) << '"' << text << '"';
  }
}

TEST(AdjustmentTest, StepsTypedTextsAndChangedBoxes) {
  DesignState design;
  ApplyDefaultDesign(design);
  design.C48 = 330e-12f;
  ValueBoxes boxes;
  EXPECT_TRUE(WriteValueBoxes(boxes, design));
  EXPECT_FALSE(WriteValueBoxes(boxes, design));  // nothing changed: the labels stay
  // +1 % then -1 % returns to the displayed value; each box's text is read back.
  design.C48 = StepCapacitorUp(design.C48);
  EXPECT_TRUE(WriteValueBoxes(boxes, design));
  EXPECT_EQ(std::pair(boxes.c48, design.C48),
            std::pair(std::string("333.3pF"), notation::ParseValue("333.3pF")));
  design.C48 = StepCapacitorDown(design.C48);
  WriteValueBoxes(boxes, design);
  EXPECT_EQ(std::pair(boxes.c48, design.C48),
            std::pair(std::string("330pF"), notation::ParseValue("330pF")));
  design.C92 = 5e-15f;  // below what the box can show
  EXPECT_TRUE(WriteValueBoxes(boxes, design));
  EXPECT_EQ(std::pair(boxes.c92, design.C92), std::pair(std::string(), 0.0f));
  CapacitorTextChanged("abc", design.C47);
  EXPECT_EQ(design.C47, 0.0f);
  AlTextChanged("0.5", design);
  EXPECT_EQ(std::tuple(design.ToroidAL, design.L1), std::tuple(1.0f, float(1e-9 * 144)));
  const AlBoxReading replot = ReadAlBox("0.5");  // "Replot" sets the box to "1"
  EXPECT_EQ(std::pair(replot.al, replot.resetBoxToOne), std::pair(1.0f, true));
}

std::array<float, 7> Values(const DesignState& d) {
  return {d.C47, d.C48, d.C92, d.C49, d.ToroidAL, d.L1, d.L2};
}

// With AL 1, the least the AL box allows, the AL still spreads over +-2.5 %
// (the trials themselves, their count and the yellow end are pinned in
// monte_carlo_figures_test.cpp); then a run stopped in its first trial
// restores exactly.
TEST(MonteCarloTest, FullRunEndsInYellowAndStopRestoresExactly) {
  Session session;
  ApplyDefaultDesign(session.design);
  session.design.InductorQ = 200.0f, session.design.CapacitorQ = 1000.0f;
  SetToroidAL(session.design, 1.0f);
  const auto nominal = Values(session.design);
  ASSERT_TRUE(StartMonteCarlo(session));
  float lowestAl = 2.0f, highestAl = 0.0f;
  for (const DesignState& d = session.design; MonteCarloContinues(session.monte);) {
    const Evaluation trial = BeginTrial(session);
    EXPECT_FALSE(StartMonteCarlo(session));  // no second start while running
    lowestAl = std::min(lowestAl, d.ToroidAL), highestAl = std::max(highestAl, d.ToroidAL);
    FinishTrial(session, trial);
  }
  EXPECT_TRUE(lowestAl >= 0.975f && lowestAl < 0.98f && highestAl > 1.02f && highestAl <= 1.025f);
  BeginEndOfRun(session);
  FinishEndOfRun(session);

  ASSERT_TRUE(StartMonteCarlo(session));
  FinishTrial(session, BeginTrial(session));
  EXPECT_NE(Values(session.design), nominal);
  StopMonteCarlo(session);
  EXPECT_EQ(Values(session.design), nominal);
  EXPECT_EQ(std::pair(session.DrawColor, MonteCarloContinues(session.monte)),
            std::pair(kBlue, false));
  BeginEndOfRun(session);
  FinishEndOfRun(session);
  EXPECT_EQ(session.monte.trialCount, 1);
}

struct Synthesis {
  DesignState design;
  GlobalDefaults defaults;
  WizardOutcome outcome;
};

// On the built-in design, with a Q and a grid showing whether the fixed settings are written.
Synthesis Synthesise(const std::string& edge, const std::string& al, const std::string& input,
                     bool accepted = true) {
  Synthesis s;
  ApplyDefaultDesign(s.design);
  s.design.InductorQ = 123.0f;
  s.defaults.GridDivisions = 4;
  s.outcome = WizardPreview(WizardEntries{edge, al, input}, s.design, s.defaults);
  EXPECT_EQ(s.outcome.accepted, accepted) << edge << " / " << al << " / " << input;
  return s;
}

// The initial entries give the 80-metre design; its result texts are
// pinned through the command-line tool.
TEST(WizardTest, WorkedExamplesAndEdgeCases) {
  const Synthesis s = Synthesise("3500k", "3", "50");
  const DesignState& d = s.design;
  const WizardEntries& n = s.outcome.normalised;
  EXPECT_EQ(std::tie(n.lowerEdge, n.toroid, n.input, d.LowerEdge, d.UpperEdge, d.SweepStart),
            std::tuple(" 3.5M", "3 ", "50 ", 3.5e6f, 3.85e6f, 1.75e6f));
  // The design holds the whole-turn inductances, never the targets.
  EXPECT_EQ(std::tie(d.SweepStop, d.TurnsL2, d.TurnsL1, d.ToroidAL, d.InputTermination,
                     d.LoadTermination, d.L2),
            std::tuple(1.75e7f, 26, 23, 3.0f, 50.0f, 50.0f, float(3.0 * 1e-9 * 26 * 26)));
  const GlobalDefaults& g = s.defaults;
  EXPECT_EQ(std::tuple(d.InductorQ, d.CapacitorQ, g.BandwidthMultiplier, g.PassbandBoxDb,
                       g.SecondHarmonicBoxDb, g.ThirdHarmonicBoxDb, g.GridDivisions, g.PlotFloorDb),
            std::tuple(200.0f, 2000.0f, 1.01f, -20.0f, -35.0f, -35.0f, 6, -60.0f));

  // A quarter of the impedance: capacitors four times, inductors a quarter.
  const Synthesis low = Synthesise("3500k", "3", "12.5");
  const DesignState& q = low.design;
  EXPECT_EQ(std::tuple(q.C47, q.C48, q.C92, q.C49, q.InputTermination, q.LoadTermination),
            std::tuple(4 * d.C47, 4 * d.C48, 4 * d.C92, 4 * d.C49, 12.5f, 12.5f));
  EXPECT_EQ(std::pair(low.outcome.targetL2, low.outcome.targetL1),
            std::pair(s.outcome.targetL2 / 4, s.outcome.targetL1 / 4));
  // AL 1e9 makes AL x 1e-9 exactly 1, so the turns are the root of the target.
  EXPECT_EQ(std::tuple(WholeTurns(12.25f, 1e9f), WholeTurns(12.24f, 1e9f), WholeTurns(0.2f, 1e9f)),
            std::tuple(4.0, 3.0, 0.0));  // 3.5 turns round up
  const Synthesis none = Synthesise("3500k", "1E10", "50");
  EXPECT_EQ(std::tuple(none.design.TurnsL2, none.design.L2), std::tuple(0, 0.0f));
  EXPECT_EQ(std::tie(none.outcome.results[2], none.outcome.results[5]),
            std::tuple("0  (result: )", "0  (result: )"));
  DesignState edited;
  LowerEdgeChanged("7M", edited);  // on every change of the entry, before any Preview
  EXPECT_EQ(std::pair(edited.LowerEdge, edited.UpperEdge), std::pair(7e6f, 7.7e6f));
  // The typed edge is read back from its normalised text.
  const Synthesis typed = Synthesise("3512345", "3", "50");
  EXPECT_EQ(std::pair(typed.outcome.normalised.lowerEdge, typed.design.LowerEdge),
            std::pair(std::string(" 3.5123M"), notation::ParseValue(" 3.5123M")));
  EXPECT_EQ(typed.design.C47, static_cast<float>(0.0033489 / double{typed.design.LowerEdge}));
  // AL below 1 is used as entered: sqrt(2.09uH / 0.5nH) = 64.7.
  const Synthesis small = Synthesise("3500k", "0.5", "50");
  EXPECT_EQ(std::tuple(small.design.ToroidAL, small.design.TurnsL2), std::tuple(0.5f, 65));
}

TEST(WizardTest, RefusalsNameTheEntryAndLeaveTheDesignAlone) {
  using enum WizardEntry;
  const std::tuple<const char*, const char*, const char*, WizardEntry> rows[] = {
      {"0", "3", "50", LowerEdge},   {"", "3", "50", LowerEdge},  {"abc", "3", "50", LowerEdge},
      {"-7M", "3", "50", LowerEdge}, {"7M", "0", "50", Toroid},   {"7M", "-3", "50", Toroid},
      {"7M", "", "50", Toroid},      {"7M", "3", "0", Input},     {"7M", "3", "-50", Input},
      {"7M", "3", "ohms", Input},    {"7M", "1E-9", "50", Toroid}};  // turns beyond 16 bits
  DesignState nominal;
  ApplyDefaultDesign(nominal);
  for (const auto& [edge, al, input, wrong] : rows) {
    const Synthesis s = Synthesise(edge, al, input, false);
    const DesignState& d = s.design;
    EXPECT_EQ(std::tuple(s.outcome.wrongEntry, s.outcome.message.empty(), d.C47, d.LowerEdge,
                         d.UpperEdge, d.TurnsL2, d.ToroidAL, d.InputTermination, d.InductorQ,
                         s.defaults.GridDivisions),
              std::tuple(wrong, false, nominal.C47, nominal.LowerEdge, nominal.UpperEdge,
                         nominal.TurnsL2, nominal.ToroidAL, nominal.InputTermination, 123.0f, 4))
        << edge << " / " << al << " / " << input;
  }
}

}  // namespace
}  // namespace diruruzevuv::model
