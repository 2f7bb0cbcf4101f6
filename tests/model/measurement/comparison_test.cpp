#include "model/measurement/comparison.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "model/circuit/analysis.h"
#include "model/circuit/evaluation.h"
#include "model/measurement/measurement_text.h"
#include "model/measurement_support.h"

namespace diruruzevuv::model {
namespace {

GlobalDefaults Boxes() { return {-20.0f, -35.0f, -35.0f, 1.01f, 6, -60.0f}; }

// The comparison as the evaluation makes it, on the evaluation's own sweep.
Comparison Compare(const DesignState& design, const GlobalDefaults& defaults,
                   const MeasuredNetwork& measured, double floorDb) {
  return *Evaluate(design, defaults, &measured, floorDb).comparison;
}

MeasuredNetwork Measure(const DesignState& design, const Ladder& built) {
  testing::Synthesis synthesis;
  synthesis.points = 801;
  return testing::Measured(design, built, synthesis);
}

// Built as designed, measured with both ports and with one, and built
// without its trap.
TEST(ComparisonTest, BuiltAsDesignedDiffersByNothing) {
  const DesignState design = testing::BandDesign(20);
  const Comparison c = Compare(design, Boxes(), Measure(design, LadderFromDesign(design)), -70);
  EXPECT_EQ(std::tuple(c.twoPort, c.pointsUsed + c.pointsLeftOut), std::tuple(true, 801));
  for (const BandComparison& band : c.bands) {
    ASSERT_GT(band.points, 0);
    EXPECT_TRUE(std::fabs(*band.worstGainDifferenceDb) < 1e-4 && *band.rmsGainDifferenceDb < 1e-4 &&
                std::fabs(*band.worstMeasuredDb - *band.worstComputedDb) <= 1e-4);
  }
  EXPECT_EQ(c.bands[0].start, 14e6 / 1.01f);
  ASSERT_TRUE(c.measuredLossLow && c.measuredLossHigh);
  // Interpolated between measured points a few tenths of a percent apart.
  EXPECT_NEAR(*c.measuredLossLow, c.computedLossLow, 0.002);
  EXPECT_NEAR(*c.measuredLossHigh, c.computedLossHigh, 0.002);
  // Built as designed, it meets exactly the boxes the design meets.
  for (const BandComparison& band : c.bands)
    EXPECT_EQ(band.verdict,
              *band.worstComputedDb <= band.boxDb ? BoxVerdict::kPass : BoxVerdict::kFail);
  EXPECT_EQ(c.bands[1].verdict, BoxVerdict::kPass);
  // Without its trap it fails the second harmonic box the design meets.
  Ladder noTrap = LadderFromDesign(design);
  noTrap.value[kC92] = 0.0;
  const BandComparison second = Compare(design, Boxes(), Measure(design, noTrap), -70).bands[1];
  EXPECT_TRUE(second.verdict == BoxVerdict::kFail && *second.worstMeasuredDb > -35.0 &&
              std::fabs(*second.worstGainDifferenceDb) > 5.0);

  // Into an analyser's port 2 of the match the measurement records: nothing.
  MeasuredNetwork loaded = Measure(design, LadderFromDesign(design));
  const std::complex<double> g(0.08, 0.05);
  for (std::size_t i = 0; i < loaded.frequency.size(); ++i) {
    const SParameters s =
        Respond(LadderFromDesign(design), loaded.frequency[i], 50.0, PortTwoLoad(g, 50.0));
    loaded.s[i] = {s.s11, s.s21, s.s21, 0.0};
    loaded.portTwoMatch.push_back(g);
  }
  for (const BandComparison& band : Compare(design, Boxes(), loaded, -70).bands)
    EXPECT_LT(std::fabs(*band.worstGainDifferenceDb), 1e-4);

  // From the input reflection alone: the reflection, and nothing else judged.
  const DesignState top = testing::BandDesign(160);
  const Comparison r =
      Compare(top, Boxes(), testing::Measured(top, LadderFromDesign(top), {.twoPort = false}), -70);
  EXPECT_EQ(std::tuple(r.twoPort, r.pointsLeftOut, r.measuredLossLow.has_value(),
                       r.bands[0].worstGainDifferenceDb.has_value(), r.bands[1].verdict),
            std::tuple(false, 0, false, false, BoxVerdict::kNotMeasured));
  ASSERT_TRUE(r.bands[0].worstMeasuredDb);
  EXPECT_NEAR(*r.bands[0].worstMeasuredDb, *r.bands[0].worstComputedDb, 1e-4);
}

TEST(ComparisonTest, PointsBelowTheFloorAreLeftOutEverywhere) {
  const DesignState design = testing::BandDesign(20);
  const MeasuredNetwork m = Measure(design, LadderFromDesign(design));
  int below = 0, belowThird = 0;
  const Comparison c0 = Compare(design, Boxes(), m, -70);
  for (std::size_t i = 0; i < m.frequency.size(); ++i) {
    const bool under = 20 * std::log10(std::abs(m.s[i][1])) < -40.0;
    below += under;
    belowThird +=
        under && m.frequency[i] >= c0.bands[2].start && m.frequency[i] <= c0.bands[2].stop;
  }
  GlobalDefaults boxes = Boxes();
  const Comparison c = Compare(design, boxes, m, -40);
  EXPECT_EQ(std::tuple(c.pointsLeftOut, c.bands[2].leftOut), std::tuple(below, belowThird));
  EXPECT_EQ(c.bands[2].points + c.bands[2].leftOut, c0.bands[2].points + c0.bands[2].leftOut);
  // A point at 0 Hz has nothing to compare: left out and counted as such.
  MeasuredNetwork zero = m;
  zero.frequency.insert(zero.frequency.begin(), 0.0);
  zero.s.insert(zero.s.begin(), zero.s.front());
  EXPECT_NE(ComparisonTable(Compare(design, Boxes(), zero, -40), design)
                .find("Points used: " + std::to_string(c.pointsUsed) + "; left out below -40.0 dB: " +
                      std::to_string(below) + "; left out at 0 Hz: 1\n"),
            std::string::npos);
  // A band wholly below a floor that is itself below the box passes.
  boxes.ThirdHarmonicBoxDb = -30.0f;
  const Comparison all = Compare(design, boxes, m, -30);
  EXPECT_TRUE(all.bands[2].points != 0 ||
              (all.bands[2].verdict == BoxVerdict::kPass && !all.bands[2].worstMeasuredDb));
}

// A perfect match reads as the analysis's floor; points below the passband
// only are not a dead filter (a dead one is refused in the tool's message table).
TEST(ComparisonTest, PerfectMatchReadsAsTheFloorAndNoPassbandIsNoDeadFilter) {
  const DesignState design = testing::BandDesign(20);
  MeasuredNetwork m;
  m.name = "m.s2p";
  m.ports = 2;
  for (double f = 13.5e6; f < 45e6; f *= 1.01) {
    m.frequency.push_back(f);
    m.s.push_back({0.0, 1.0, 1.0, 0.0});  // a matched through line
  }
  const Comparison c = Compare(design, Boxes(), m, -70);
  EXPECT_EQ(c.bands[0].worstMeasuredDb, kShownFloorDb);
  EXPECT_TRUE(c.problem.empty());
  EXPECT_NE(ComparisonTable(c, design).find("  -140.00  "), std::string::npos);
  const std::string csv = ComparisonCsv(c, design);
  const std::string passband = csv.substr(csv.find("\npassband,"), csv.find("\nsecond") - csv.find("\npassband,"));
  EXPECT_NE(passband.find(",-140,"), std::string::npos) << passband;
  m.s.resize(1), m.frequency.resize(1);  // below the passband only: not measured, not dead
  EXPECT_TRUE(Compare(design, Boxes(), m, -70).problem.empty());
}

}  // namespace
}  // namespace diruruzevuv::model
