#include "model/measurement/fit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "model/measurement/measured_network.h"
#include "model/measurement/measurement_text.h"
#include "model/measurement_support.h"

namespace diruruzevuv::model {
namespace {

using testing::Measured;
const auto Preset = testing::BandDesign;

struct Off {
  LadderValue part;
  double factor;  // built over design
};

FitResult FitBuilt(const DesignState& design, const std::vector<Off>& off, bool twoPort,
                   testing::Synthesis synthesis = {}) {
  Ladder built = LadderFromDesign(design);
  for (const Off& o : off) ValueOf(built, o.part) *= o.factor;
  synthesis.twoPort = twoPort;
  if (synthesis.noiseDb == 0.0) synthesis.noiseDb = -90.0;
  return FitBuiltValues(design, Measured(design, built, synthesis), FitOptions{});
}

const FittedPart& Row(const FitResult& fit, LadderValue part) {
  for (const FittedPart& row : fit.parts)
    if (row.part == part) return row;
  static const FittedPart none;
  ADD_FAILURE() << ValueName(part) << " not fitted";
  return none;
}

// Under the sanitizers a fit costs ten times as long: the table below runs
// whole in the optimised build and one part and one pair there.
constexpr bool kWholeTable = !DIRU_SANITIZED;

// A part from the wrong drawer, alone or with a second one: each is found
// within 1 % and called off, no other part is, on presets of several bands
// measured with two ports and with one.
TEST(FitTest, FindsPartsFromTheWrongDrawer) {
  const LadderPart parts[] = {kC47, kC48, kC92, kC49, kL2, kL1};
  const Off pairs[][2] = {{{kL1, 1.6}, {kC49, 0.6}},  {{kC47, 2.0}, {kC48, 0.5}},
                          {{kL2, 0.5}, {kL1, 0.5}},   {{kC48, 0.5}, {kL2, 0.5}},
                          {{kC92, 2.0}, {kL2, 2.0}},  {{kC49, 0.5}, {kL1, 2.0}},
                          {{kC47, 0.5}, {kL1, 0.5}},  {{kC48, 2.0}, {kL1, 2.0}},
                          {{kC92, 0.6}, {kC47, 1.6}}, {{kC49, 2.0}, {kL2, 2.0}}};
  struct Measurement {
    std::int16_t band;
    bool twoPort;
  };
  std::vector<Measurement> measurements = {{20, true}, {160, true}, {40, false}, {10, false}};
  if (!kWholeTable) measurements.resize(1);
  int fits = 0;
  for (const Measurement m : measurements) {
    const DesignState design = Preset(m.band);
    std::vector<std::vector<Off>> cases;
    for (LadderPart p : parts)
      for (double f : {0.5, 2.0}) cases.push_back({{p, f}});
    // The pairs on one two-port and one one-port preset: the pair search is the
    // same on every band.
    if (m.band == 20 || m.band == 40) {
      for (const auto& pair : pairs) cases.push_back({pair[0], pair[1]});
      // A third part off is left to the single moves after the pair search.
      cases.push_back({{kC92, 0.7}, {kC49, 0.5}, {kL2, 0.5}});
    }
    cases.push_back({{kC47, 1.8}});
    if (!kWholeTable) cases = {cases.front(), {pairs[0][0], pairs[0][1]}};
    for (const std::vector<Off>& off : cases) {
      std::string label = std::to_string(m.band) + (m.twoPort ? " m two-port:" : " m one-port:");
      for (const Off& o : off)
        label += std::string(" ") + ValueName(o.part) + " x" + std::to_string(o.factor);
      const FitResult fit = FitBuilt(design, off, m.twoPort);
      ++fits;
      EXPECT_TRUE(fit.done && !fit.poor) << label << ": " << fit.poorReason;
      for (const FittedPart& row : fit.parts) {
        double factor = 1.0;
        for (const Off& o : off) factor = o.part == row.part ? o.factor : factor;
        if (row.part != kInductorQ) {
          EXPECT_NEAR(row.fitted / (row.design * factor), 1.0, 0.01)
              << label << " " << ValueName(row.part);
        }
        EXPECT_EQ(row.flagged, factor != 1.0) << label << " " << ValueName(row.part);
      }
    }
  }
  EXPECT_EQ(fits, kWholeTable ? 74 : 2);
}

// Measurements that cannot decide the values give a verdict, not figures.
TEST(FitTest, SaysWhenTheMeasurementCannotDecide) {
  const DesignState design = Preset(20);
  struct Case {
    const char* label;
    double start, stop;
    int points;
    const char* reason;
  } cases[] = {
      {"six points within 1 Hz", 14.23e6, 14.23e6 + 1.0, 6,
       "the measurement does not reach the trap's notch"},
      {"below the passband only", 2e6, 8e6, 401, "the measurement does not reach the passband"},
  };
  for (const Case& c : cases) {
    testing::Synthesis s;
    s.start = c.start, s.stop = c.stop, s.points = c.points;
    const FitResult fit = FitBuilt(design, {{kC48, 1.05}}, true, s);
    EXPECT_EQ(std::tuple(fit.done, fit.poor, fit.poorReason), std::tuple(true, true, c.reason))
        << c.label << fit.error;
  }
  // Points at two frequencies only, one in the passband and one at the
  // notch: they cover both but cannot pin seven values, whether they lie
  // 1 Hz apart or so close that the Jacobian loses rank.
  for (double spread : {1.0, 1e-6}) {
    MeasuredNetwork twoFrequencies;
    for (double f : {14.2e6, 31e6}) {
      testing::Synthesis s;
      s.start = f, s.stop = f + spread, s.points = 4;
      const MeasuredNetwork part = Measured(design, LadderFromDesign(design), s);
      twoFrequencies.ports = 2;
      twoFrequencies.frequency.insert(twoFrequencies.frequency.end(), part.frequency.begin(),
                                      part.frequency.end());
      twoFrequencies.s.insert(twoFrequencies.s.end(), part.s.begin(), part.s.end());
    }
    const FitResult pair = FitBuiltValues(design, twoFrequencies, FitOptions{});
    EXPECT_EQ(std::tuple(pair.done, pair.poorReason),
              std::tuple(true, "C49 cannot be told from C48 with these points"));
    EXPECT_GT(Row(pair, kC49).uncertaintyPercent, 100.0);
  }
}

// Small differences with parasitics the model lacks and on a wizard design
// for 12.5 ohm measured at 50 ohm: the part that is off is named.
TEST(FitTest, NamesThePartThatIsOffDespiteParasitics) {
  struct Case {
    DesignState design;
    LadderValue part;
    double factor;  // 0: one turn more
    bool parasitics;
  } cases[] = {{Preset(20), kC48, 1.05, true},
               {Preset(160), kC92, 0.94, true},
               {testing::WizardDesign12(), kL2, 0.0, true},
               {Preset(20), kInductorQ, 0.7, false}};
  for (const Case& c : cases) {
    double factor = c.factor;
    if (factor == 0.0) factor = std::pow((c.design.TurnsL2 + 1.0) / c.design.TurnsL2, 2.0);
    testing::Synthesis s;
    s.parasitics = c.parasitics;
    const FitResult fit = FitBuilt(c.design, {{c.part, factor}}, true, s);
    const std::string label = ValueName(c.part) + std::string(" x") + std::to_string(factor);
    EXPECT_TRUE(fit.done && !fit.poor) << label << fit.poorReason;
    const FittedPart& off = Row(fit, c.part);
    EXPECT_NEAR(off.percent, (factor - 1.0) * 100.0, c.parasitics ? 1.5 : 0.5) << label;
    EXPECT_TRUE(off.flagged) << label;
    for (const FittedPart& row : fit.parts) {
      if (row.part != c.part) {
        EXPECT_LT(std::fabs(row.percent), c.parasitics ? std::fabs(off.percent) : 1.0)
            << label << " " << ValueName(row.part);
      }
    }
  }
}

// The rule for "off": beyond the tolerance and beyond twice the
// uncertainty; the uncertainty never below what the stated noise allows.
TEST(FitTest, CallsOffOnlyWhatTheNoiseCannotExplain) {
  const DesignState design = Preset(20);
  testing::Synthesis noisy;
  noisy.noiseDb = -60.0;
  Ladder built = LadderFromDesign(design);
  built.value[kC48] *= 1.05;
  FitOptions strict;
  strict.tolerancePercent = 0.001;
  const FitResult fit = FitBuiltValues(design, Measured(design, built, noisy), strict);
  EXPECT_TRUE(fit.done && !fit.poor) << fit.poorReason;
  for (const FittedPart& row : fit.parts) {
    EXPECT_EQ(row.flagged, row.part == kC48) << ValueName(row.part);
  }
  // Off by one and a half times its uncertainty: beyond the tolerance but
  // within what the noise explains.
  const double sigma = Row(fit, kC48).uncertaintyPercent;
  built.value[kC48] = LadderFromDesign(design).value[kC48] * (1.0 + 1.5 * sigma / 100.0);
  testing::Synthesis quiet;
  quiet.noiseDb = -120.0;
  const FitResult near = FitBuiltValues(design, Measured(design, built, quiet), strict);
  EXPECT_NEAR(Row(near, kC48).percent, 1.5 * sigma, 0.2 * sigma);
  EXPECT_FALSE(Row(near, kC48).flagged);
  // Cut short, the same fit says it stopped at its limit.
  strict.evaluationLimit = 3;
  EXPECT_FALSE(FitBuiltValues(design, Measured(design, built, noisy), strict).converged);
}

// The residual is the RMS over every row the fit weighs: one passband
// point's transmission 2 dB high among otherwise exact points, which the
// seven values can hardly absorb, leaves 2 dB over the root of the rows.
TEST(FitTest, TheResidualIsTheRmsOverTheRows) {
  const DesignState design = Preset(20);
  testing::Synthesis quiet;
  quiet.noiseDb = -120.0;
  MeasuredNetwork measured = Measured(design, LadderFromDesign(design), quiet);
  std::size_t i = 0;
  while (measured.frequency[i] < 0.5 * (design.LowerEdge + design.UpperEdge)) ++i;
  measured.s[i][1] *= std::pow(10.0, 2.0 / 20.0);
  const FitResult fit = FitBuiltValues(design, measured, FitOptions{});
  ASSERT_TRUE(fit.done);
  EXPECT_NEAR(fit.residualDb, 2.0 / std::sqrt(3.0 * fit.pointsUsed), 0.002);
}

// L2 wound so that 13.6 turns would give the design's inductance: 14
// turns come nearer than 13 (rounding down would remove one). L1 has one
// turn too many.
TEST(FitTest, AdvisesTheNearestWholeTurnsAndTheImpliedAL) {
  const DesignState design = Preset(20);
  ASSERT_EQ(design.TurnsL2, 14);
  const double factor = (14.0 / 13.6) * (14.0 / 13.6);
  const FitResult fit = FitBuilt(design, {{kL2, factor}, {kL1, 169.0 / 144.0}}, true);
  ASSERT_TRUE(fit.done);
  EXPECT_NEAR(fit.l2.impliedAL, 3.0 * factor, 0.01);
  EXPECT_NEAR(fit.l2.inductanceAfter, 3e-9 * factor * 196.0, 1e-9);
  // L2 kept; L1 has 12 turns and one too many.
  EXPECT_EQ(std::tuple(fit.l2.change, fit.l1.turns, fit.l1.change), std::tuple(0, 12, -1));
  // Off, it reads both ways: a strong core under 12 turns, or 13 turns on the design's core.
  const std::string table = FitTable(fit, FitOptions{});
  EXPECT_NE(table.find("L1 measures 0.507 uH.\n  If it has the design's 12 turns, the core's AL is "
                       "3.52 (+17 %): wind 11 turns for 0.426 uH.\n  If the core is AL 3.00 as "
                       "designed, it has 13 turns (0.507 uH): remove 1 turn.\n"),
            std::string::npos)
      << table;
  // L2, 6 % high, is off too, yet no whole turn comes nearer on the design's core.
  EXPECT_NE(table.find("it has 14 turns (0.588 uH): keep them.\n"), std::string::npos);
  const std::string csv = FitCsv(fit);
  EXPECT_NE(csv.find("poor_fit,,no,,,,,,\nadvice,L2,core,14,"), std::string::npos);
  EXPECT_NE(csv.find(",,,,\nadvice,L2,turns,14,5.88e-07,,,,\nadvice,L1,core,11,4.26"),
            std::string::npos);
  EXPECT_TRUE(csv.ends_with(",,,,\nadvice,L1,turns,12,4.32e-07,,,,\n"));
}

// What a plain verdict must catch, every point kept: a missing part, an
// analyser whose reference plane is a metre of cable away (uncalibrated),
// and no transmission at all (an open filter), where the reflection alone
// must not make a good fit.
TEST(FitTest, SaysPlainlyWhenTheFitIsPoor) {
  const DesignState design = Preset(20);
  Ladder missing = LadderFromDesign(design);
  missing.value[kC48] = 0.0;
  // 201 points: a poor fit runs every search, and this is enough to show it.
  testing::Synthesis few;
  few.points = 201;
  MeasuredNetwork cable = Measured(design, LadderFromDesign(design), few);
  // A point at 0 Hz, which nothing can fit, is left out and counted.
  cable.frequency.insert(cable.frequency.begin(), 0.0);
  cable.s.insert(cable.s.begin(), cable.s.front());
  MeasuredNetwork open = cable;
  for (std::size_t i = 0; i < cable.frequency.size(); ++i)
    cable.s[i][0] *= std::polar(1.0, -2.0 * 2.0 * 3.14159265 * cable.frequency[i] * 5e-9);
  for (auto& s : open.s) s[1] = s[2] = std::polar(1e-20, 0.3);
  FitOptions all;
  all.floorDb = -1000.0;
  FitResult fit;
  for (const MeasuredNetwork& m : {Measured(design, missing, few), cable, open}) {
    fit = FitBuiltValues(design, m, all);
    ASSERT_TRUE(fit.done);
    EXPECT_EQ(fit.pointsLeftOut, 0);
    EXPECT_TRUE(fit.poor);
  }
  EXPECT_EQ(fit.poorReason.substr(0, 49), "the parts of this filter do not explain the measu");
  EXPECT_NE(FitTable(fit, all).find("below -1000.0 dB: 0; left out at 0 Hz: 1\n"),
            std::string::npos);
}

}  // namespace
}  // namespace diruruzevuv::model
