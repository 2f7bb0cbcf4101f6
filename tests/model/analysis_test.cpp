#include "model/analysis.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "analysis_reference.h"
#include "model/design_state.h"

namespace diruruzevuv::model {
namespace {

DesignState TwentyMetres(float inductorQ = 200.0f, float capacitorQ = 1000.0f) {
  DesignState design;
  ApplyDefaultDesign(design);
  design.InductorQ = inductorQ;
  design.CapacitorQ = capacitorQ;
  return design;
}

// Distance in representable floats; equal values (and +0/-0) give 0.
std::int64_t UlpDistance(float a, float b) {
  auto key = [](float v) {
    const auto bits = static_cast<std::int64_t>(std::bit_cast<std::int32_t>(v));
    return bits < 0 ? -(bits & 0x7fffffff) : bits;
  };
  const std::int64_t d = key(a) - key(b);
  return d < 0 ? -d : d;
}

template <typename Row>
std::string RowName(const ::testing::TestParamInfo<Row>& row) {
  return row.param.name;
}

struct PointAfterSweep {
  double gain;
  double reflection;
};

PointAfterSweep Evaluate(Analyzer& analyzer, DesignState& design, double f) {
  analyzer.RunSweep(design);
  analyzer.AnalyzePoint(design, f);
  return {analyzer.Result().pointGain, analyzer.Result().pointReflection};
}

// ---------------------------------------------------------------------------
// The 20-metre design's response at single frequencies.

struct WorkedPoint {
  const char* name;
  std::function<void(DesignState&)> change;
  double frequency;
  double gain;
  double gainTolerance;
  double reflection;  // NaN: not checked
  double reflectionTolerance;
};

const double kNoCheck = std::numeric_limits<double>::quiet_NaN();

class WorkedFigureTest : public ::testing::TestWithParam<WorkedPoint> {};

TEST_P(WorkedFigureTest, MatchesHandFigures) {
  const WorkedPoint& row = GetParam();
  DesignState design = TwentyMetres();
  if (row.change) row.change(design);
  Analyzer analyzer;
  const PointAfterSweep p = Evaluate(analyzer, design, row.frequency);
  EXPECT_NEAR(p.gain, row.gain, row.gainTolerance);
  if (!std::isnan(row.reflection)) {
    EXPECT_NEAR(p.reflection, row.reflection, row.reflectionTolerance);
  }
}

INSTANTIATE_TEST_SUITE_P(
    TwentyMetre, WorkedFigureTest,
    ::testing::Values(WorkedPoint{"LowerEdge", nullptr, 14e6, -0.14, 0.01, -20.0, 1.0},
                      WorkedPoint{"UpperEdge", nullptr, 14.35e6, -0.15, 0.01, -20.0, 1.0},
                      WorkedPoint{"SecondHarmonicStart", nullptr, 21e6, -10.2, 0.1, kNoCheck, 0.0},
                      WorkedPoint{"NextToTrap", nullptr, 29.4e6, -72.0, 1.0, kNoCheck, 0.0},
                      WorkedPoint{"TrapNotFitted", [](DesignState& d) { d.C92 = 0.0f; }, 29.4e6,
                                  -19.0, 0.5, kNoCheck, 0.0},
                      WorkedPoint{"NearlyLosslessLowFrequency",
                                  [](DesignState& d) { d.InductorQ = d.CapacitorQ = 1e9f; }, 100e3,
                                  0.0, 0.001, -45.0, 0.5}),
    RowName<WorkedPoint>);

TEST(AnalysisTest, StopBandBelowFortyDbFromTwentyEightToFiftyMegahertz) {
  DesignState design = TwentyMetres();
  Analyzer analyzer;
  analyzer.RunSweep(design);
  const SweepResult& r = analyzer.Result();
  ASSERT_TRUE(r.valid);
  int checked = 0;
  for (int i = 0; i <= r.intervals; ++i) {
    if (r.frequency[i] < 28e6f) continue;
    EXPECT_LT(r.gain[i], -40.0f) << r.frequency[i];
    ++checked;
  }
  EXPECT_GT(checked, 500);
}

TEST(AnalysisTest, NearlyLosslessPassbandIsLosslessAndMatched) {
  DesignState design = TwentyMetres(1e9f, 1e9f);
  Analyzer analyzer;
  analyzer.RunSweep(design);
  for (const double f : {14e6, 14.35e6}) {
    analyzer.AnalyzePoint(design, f);
    EXPECT_LE(analyzer.Result().pointGain, 0.0);
    // Only mismatch remains: |T|^2 RL / 4Rs = 1 / (1 - rho^2).
    const double rho2 = std::pow(10.0, analyzer.Result().pointReflection / 10.0);
    EXPECT_NEAR(analyzer.Result().pointGain, 10.0 * std::log10(1.0 - rho2), 1e-6);
  }
}

// ---------------------------------------------------------------------------
// Sweep layout.

TEST(AnalysisTest, SweepIsLogarithmicFromStartToStop) {
  DesignState design = TwentyMetres();
  Analyzer analyzer;
  analyzer.RunSweep(design);
  const SweepResult& r = analyzer.Result();
  EXPECT_EQ(r.intervals, 2000);
  EXPECT_EQ(r.frequency[0], 5e6f);
  EXPECT_EQ(r.frequency[2000], 50e6f);
  EXPECT_NEAR(r.frequency[1000], std::sqrt(5e6 * 50e6), 1.0);
  for (int i = 1; i <= 2000; ++i) EXPECT_NEAR(r.frequency[i] / r.frequency[i - 1], 1.00115, 1e-5);
  EXPECT_EQ(r.frequency[2001], 0.0f);  // the spare room is untouched
}

TEST(AnalysisTest, DescendingSweepStartsAtSweepStart) {
  DesignState design = TwentyMetres();
  design.SweepStart = 50e6f;
  design.SweepStop = 5e6f;
  Analyzer analyzer;
  analyzer.RunSweep(design);
  const SweepResult& r = analyzer.Result();
  ASSERT_TRUE(r.valid);
  EXPECT_EQ(r.frequency[0], 50e6f);
  EXPECT_EQ(r.frequency[2000], 5e6f);
  for (int i = 1; i <= 2000; ++i) EXPECT_LT(r.frequency[i], r.frequency[i - 1]);
  // The last point analysed is SweepStop, and the point results say so.
  analyzer.AnalyzePoint(design, 5e6);
  EXPECT_EQ(static_cast<float>(analyzer.Result().pointGain), r.gain[2000]);
}

TEST(AnalysisTest, SweepLeavesLastPointAsPointResult) {
  DesignState design = TwentyMetres();
  Analyzer analyzer;
  analyzer.RunSweep(design);
  const SweepResult r = analyzer.Result();
  EXPECT_EQ(static_cast<float>(r.pointGain), r.gain[2000]);
  EXPECT_EQ(static_cast<float>(r.pointReflection), r.reflection[2000]);
}

TEST(AnalysisTest, SweepCopiesInputTerminationToLoad) {
  DesignState design = TwentyMetres();
  design.InputTermination = 75.0f;
  design.LoadTermination = 12.0f;
  Analyzer analyzer;
  analyzer.RunSweep(design);
  EXPECT_EQ(design.LoadTermination, 75.0f);
}

// ---------------------------------------------------------------------------
// The fast sweep against the one-point complex version, float by float.

struct SweepCase {
  const char* name;
  std::function<void(DesignState&)> change;
};

class SweepAgreementTest : public ::testing::TestWithParam<SweepCase> {};

TEST_P(SweepAgreementTest, EveryStoredFloatWithinOneUlp) {
  DesignState design = TwentyMetres();
  GetParam().change(design);
  DesignState copy = design;
  const reference::Sweep expected = reference::RunSweep(copy);
  Analyzer analyzer;
  analyzer.RunSweep(design);
  const SweepResult& r = analyzer.Result();
  ASSERT_TRUE(r.valid);
  std::int64_t worst = 0;
  for (int i = 0; i <= 2000; ++i) {
    ASSERT_EQ(r.frequency[i], expected.frequency[i]) << i;
    EXPECT_LE(UlpDistance(r.gain[i], expected.gain[i]), 1)
        << i << ": " << r.gain[i] << " vs " << expected.gain[i];
    EXPECT_LE(UlpDistance(r.reflection[i], expected.reflection[i]), 1)
        << i << ": " << r.reflection[i] << " vs " << expected.reflection[i];
    worst = std::max({worst, UlpDistance(r.gain[i], expected.gain[i]),
                      UlpDistance(r.reflection[i], expected.reflection[i])});
  }
  RecordProperty("worst_ulp", static_cast<int>(worst));
}

INSTANTIATE_TEST_SUITE_P(
    Designs, SweepAgreementTest,
    ::testing::Values(
        SweepCase{"Q200C1000", [](DesignState&) {}},
        SweepCase{"Q200C2000", [](DesignState& d) { d.CapacitorQ = 2000.0f; }},
        SweepCase{"LowQ", [](DesignState& d) { d.InductorQ = 10.0f, d.CapacitorQ = 100.0f; }},
        SweepCase{"TrapNotFitted", [](DesignState& d) { d.C92 = 0.0f; }},
        SweepCase{"Descending", [](DesignState& d) { d.SweepStart = 60e6f, d.SweepStop = 1e6f; }},
        SweepCase{"HighQ", [](DesignState& d) { d.InductorQ = d.CapacitorQ = 1e9f; }},
        SweepCase{"FortyMetreLike",
                  [](DesignState& d) {
                    d.C47 = d.C49 = 4.7e-10f, d.C48 = 1.2e-9f, d.C92 = 1.5e-10f;
                    d.TurnsL1 = 17, d.TurnsL2 = 19, d.ToroidAL = 4.9f;
                    d.LowerEdge = 7e6f, d.UpperEdge = 7.3e6f;
                    d.SweepStart = 2.3e6f, d.SweepStop = 25e6f;
                    d.InputTermination = 75.0f;
                    UpdateInductances(d);
                  }},
        SweepCase{"NoShuntCapacitors", [](DesignState& d) { d.C47 = d.C48 = d.C49 = 0.0f; }},
        SweepCase{"NoL2", [](DesignState& d) { d.L2 = 0.0f; }}),
    RowName<SweepCase>);

// Many plausible and less plausible designs from a fixed seed, each swept
// by the fast kernel and by the one-point version.
TEST(AnalysisTest, RandomDesignsAgreeWithinOneUlp) {
  std::mt19937 random(20260);
  auto logUniform = [&](double lo, double hi) {
    std::uniform_real_distribution<double> u(std::log(lo), std::log(hi));
    return static_cast<float>(std::exp(u(random)));
  };
  std::uniform_int_distribution<int> turns(1, 60);
  std::int64_t worst = 0;
  int checkedSweeps = 0;
  for (int trial = 0; trial < 60; ++trial) {
    DesignState d = TwentyMetres();
    d.C47 = logUniform(1e-12, 1e-8);
    d.C48 = logUniform(1e-12, 1e-8);
    d.C49 = logUniform(1e-12, 1e-8);
    d.C92 = trial % 5 == 0 ? 0.0f : logUniform(1e-13, 1e-9);
    d.TurnsL1 = static_cast<std::int16_t>(turns(random));
    d.TurnsL2 = static_cast<std::int16_t>(trial % 7 == 0 ? 0 : turns(random));
    d.ToroidAL = logUniform(0.5, 50.0);
    UpdateInductances(d);
    d.LowerEdge = logUniform(1e5, 1e8);
    d.SweepStart = logUniform(1e4, 1e9);
    d.SweepStop = logUniform(1e4, 1e9);
    d.InputTermination = logUniform(1.0, 1000.0);
    d.InductorQ = logUniform(10.0, 1e9);
    d.CapacitorQ = logUniform(100.0, 1e9);
    DesignState copy = d;
    const reference::Sweep expected = reference::RunSweep(copy);
    Analyzer analyzer;
    analyzer.RunSweep(d);
    const SweepResult& r = analyzer.Result();
    ASSERT_TRUE(r.valid) << trial;
    for (int i = 0; i <= 2000; ++i) {
      ASSERT_EQ(r.frequency[i], expected.frequency[i]) << trial << " " << i;
      const std::int64_t g = UlpDistance(r.gain[i], expected.gain[i]);
      const std::int64_t e = UlpDistance(r.reflection[i], expected.reflection[i]);
      ASSERT_LE(g, 1) << trial << " " << i << ": " << r.gain[i] << " vs " << expected.gain[i];
      ASSERT_LE(e, 1) << trial << " " << i << ": " << r.reflection[i] << " vs "
                      << expected.reflection[i];
      worst = std::max({worst, g, e});
    }
    ++checkedSweeps;
  }
  EXPECT_EQ(checkedSweeps, 60);
  RecordProperty("worst_ulp", static_cast<int>(worst));
}

TEST(AnalysisTest, ChangedRangeRebuildsFrequenciesAndOverwritesCallerEdits) {
  DesignState design = TwentyMetres();
  Analyzer analyzer;
  analyzer.RunSweep(design);
  const std::vector<float> first(analyzer.Result().frequency.begin(),
                                 analyzer.Result().frequency.begin() + 2001);
  design.SweepStop = 30e6f;
  analyzer.RunSweep(design);
  EXPECT_EQ(analyzer.Result().frequency[2000], 30e6f);
  DesignState copy = design;
  EXPECT_EQ(reference::RunSweep(copy).frequency,
            std::vector<float>(analyzer.Result().frequency.begin(),
                               analyzer.Result().frequency.begin() + 2001));
  design.SweepStop = 50e6f;
  analyzer.Result().frequency[7] = -1.0f;  // a careless caller
  analyzer.RunSweep(design);
  EXPECT_EQ(first, std::vector<float>(analyzer.Result().frequency.begin(),
                                      analyzer.Result().frequency.begin() + 2001));
  analyzer.Result().frequency[7] = -1.0f;
  analyzer.RunSweep(design);
  EXPECT_EQ(analyzer.Result().frequency[7], first[7]);
}

// ---------------------------------------------------------------------------
// Limits and special elements.

TEST(AnalysisTest, PerfectMatchGivesLowerReflectionLimit) {
  // No shunt capacitors, no L2 and a vanishing L1 leave a straight wire
  // between equal terminations: rho is far below 1e-7.
  DesignState design = TwentyMetres(1e9f, 1e9f);
  design.C47 = design.C48 = design.C92 = design.C49 = 0.0f;
  design.L2 = 0.0f;
  design.L1 = 1e-15f;
  Analyzer analyzer;
  analyzer.RunSweep(design);
  const SweepResult& r = analyzer.Result();
  ASSERT_TRUE(r.valid);
  for (int i = 0; i <= 2000; i += 100) EXPECT_EQ(r.reflection[i], -140.0f) << i;
  EXPECT_NEAR(r.gain[1000], 0.0f, 1e-6f);
}

TEST(AnalysisTest, AlmostReactiveInputGivesUpperReflectionLimit) {
  // Far up the stop band almost no power reaches the load.
  DesignState design = TwentyMetres(1e9f, 1e9f);
  design.SweepStop = 500e6f;
  Analyzer analyzer;
  const PointAfterSweep p = Evaluate(analyzer, design, 500e6);
  EXPECT_DOUBLE_EQ(p.reflection, 20.0 * std::log10(0.9999999));
  EXPECT_NEAR(p.reflection, -8.7e-7, 0.02e-7);
  EXPECT_EQ(analyzer.Result().reflection[2000], static_cast<float>(p.reflection));
}

TEST(AnalysisTest, TrapNotFittedLeavesPlainLossyInductor) {
  DesignState trap = TwentyMetres();
  DesignState plain = TwentyMetres();
  plain.C92 = 0.0f;
  Analyzer a;
  Analyzer b;
  a.RunSweep(trap);
  b.RunSweep(plain);
  // Far below the trap's resonance the capacitor hardly matters ...
  EXPECT_NEAR(a.Result().gain[0], b.Result().gain[0], 0.01);
  // ... and without it the deep notch near 29.4 MHz is gone.
  float deepestTrap = 0.0f;
  float deepestPlain = 0.0f;
  for (int i = 0; i <= 2000; ++i) {
    if (a.Result().frequency[i] < 25e6f || a.Result().frequency[i] > 35e6f) continue;
    deepestTrap = std::min(deepestTrap, a.Result().gain[i]);
    deepestPlain = std::min(deepestPlain, b.Result().gain[i]);
  }
  EXPECT_LT(deepestTrap, -70.0f);
  EXPECT_GT(deepestPlain, -35.0f);
}

// Finds a frequency at which Xc + Xp_L of the trap comes out exactly 0.
double ExactResonance(const DesignState& d) {
  const double twoPi = 2.0 * static_cast<double>(kPi);
  const double l = d.L1;
  const double c = d.C92;
  const double rsl = twoPi * static_cast<double>(d.LowerEdge) * l / d.InductorQ;
  auto sum = [&](double f) {
    const double w = f * twoPi;
    const double xl = w * l;
    const double rpl = rsl * (1.0 + (xl / rsl) * (xl / rsl));
    const double xpl = rpl * rsl / xl;
    return -1.0 / (w * c) + xpl;
  };
  double lo = 20e6;
  double hi = 40e6;
  for (int i = 0; i < 200; ++i) {
    const double mid = 0.5 * (lo + hi);
    (sum(mid) < 0.0 ? lo : hi) = mid;
  }
  double f = lo;
  for (int i = 0; i < 4000; ++i) {
    if (sum(f) == 0.0) return f;
    f = std::nextafter(f, 0.0);
  }
  f = hi;
  for (int i = 0; i < 4000; ++i) {
    if (sum(f) == 0.0) return f;
    f = std::nextafter(f, 1e300);
  }
  return 0.0;
}

TEST(AnalysisTest, ExactTrapResonanceIsNudgedAndStaysFinite) {
  DesignState design = TwentyMetres();
  const double f = ExactResonance(design);
  ASSERT_GT(f, 0.0) << "no exactly resonant frequency found";
  Analyzer analyzer;
  const PointAfterSweep p = Evaluate(analyzer, design, f);
  ASSERT_TRUE(std::isfinite(p.gain));
  ASSERT_TRUE(std::isfinite(p.reflection));
  EXPECT_LT(p.gain, -60.0);
  DesignState copy = design;
  const reference::Setup s = reference::SetupFrom(copy);
  const reference::Point expected = reference::Analyze(s, design, f);
  EXPECT_DOUBLE_EQ(p.gain, expected.gain);
  EXPECT_NEAR(p.reflection, expected.reflection, 1e-12);
  // One step away the nudge no longer applies, and the response barely moves.
  analyzer.AnalyzePoint(design, std::nextafter(f, 0.0));
  EXPECT_NEAR(analyzer.Result().pointGain, p.gain, 1e-3);
}

// ---------------------------------------------------------------------------
// State kept between sweeps.

TEST(AnalysisTest, PointAnswersForTheDesignOfTheLastSweep) {
  DesignState design = TwentyMetres();
  Analyzer analyzer;
  analyzer.RunSweep(design);
  analyzer.AnalyzePoint(design, 21e6);
  const double before = analyzer.Result().pointGain;
  const SweepResult sweepBefore = analyzer.Result();

  design.C48 *= 1.5f;
  design.LowerEdge = 7e6f;
  design.SweepStart = 1e6f;
  analyzer.AnalyzePoint(design, 21e6);
  EXPECT_EQ(analyzer.Result().pointGain, before);
  EXPECT_EQ(analyzer.Result().gain, sweepBefore.gain);

  analyzer.RunSweep(design);
  analyzer.AnalyzePoint(design, 21e6);
  EXPECT_NE(analyzer.Result().pointGain, before);
}

TEST(AnalysisTest, PointReadsSourceResistanceAndQFromTheDesign) {
  DesignState design = TwentyMetres();
  Analyzer analyzer;
  const double base = Evaluate(analyzer, design, 14e6).gain;
  design.InductorQ = 100.0f;
  analyzer.AnalyzePoint(design, 14e6);
  EXPECT_LT(analyzer.Result().pointGain, base - 0.05);
  design.InductorQ = 200.0f;
  design.InputTermination = 60.0f;  // Rs changes, RL and R0 stay at 50
  analyzer.AnalyzePoint(design, 14e6);
  EXPECT_NE(analyzer.Result().pointGain, base);
  EXPECT_EQ(design.LoadTermination, 50.0f);
}

TEST(AnalysisTest, PointBeforeAnySweepKeepsOldResults) {
  DesignState design = TwentyMetres();
  Analyzer analyzer;
  analyzer.Result().pointGain = -3.0;
  analyzer.AnalyzePoint(design, 14e6);
  EXPECT_EQ(analyzer.Result().pointGain, -3.0);
}

// A network of L2 alone (no capacitors, a vanishing L1) between 50 ohm:
// |T|^2 * 2500 = (100 + R)^2 + X^2, so the gain gives back L2's loss R.
double SeriesLossOhms(Analyzer& analyzer, const DesignState& design, double f) {
  analyzer.AnalyzePoint(design, f);
  const double t2 = std::pow(10.0, -analyzer.Result().pointGain / 10.0) * 4.0;
  const double x = f * 2.0 * static_cast<double>(kPi) * static_cast<double>(design.L2);
  return std::sqrt(t2 * 2500.0 - x * x) - 100.0;
}

TEST(AnalysisTest, InductorLossIsFixedAtTheLowerEdge) {
  DesignState design = TwentyMetres(200.0f, 1e9f);
  design.C47 = design.C48 = design.C92 = design.C49 = 0.0f;
  design.L1 = 1e-15f;
  Analyzer analyzer;
  analyzer.RunSweep(design);
  const double expected = static_cast<float>(2.0 * static_cast<double>(kPi) * 14e6 *
                                             static_cast<double>(design.L2) / 200.0);
  for (const double f : {5e6, 14e6, 40e6}) {
    EXPECT_NEAR(SeriesLossOhms(analyzer, design, f), expected, 1e-6) << f;
  }
  // Moving the lower edge moves the loss, though no part has changed.
  design.LowerEdge = 7e6f;
  analyzer.RunSweep(design);
  EXPECT_NEAR(SeriesLossOhms(analyzer, design, 14e6), expected / 2.0, 1e-6);
}

// ---------------------------------------------------------------------------
// Inputs that break the arithmetic.

struct BadInput {
  const char* name;
  std::function<void(DesignState&)> change;
  bool networkBroken = true;  // false: only the sweep range is broken
};

const float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::numeric_limits<float>::quiet_NaN();

class InvalidInputTest : public ::testing::TestWithParam<BadInput> {};

void ExpectNoNaN(const SweepResult& r) {
  for (int i = 0; i < SweepResult::kCapacity; ++i) {
    ASSERT_TRUE(std::isfinite(r.frequency[i])) << i;
    ASSERT_TRUE(std::isfinite(r.gain[i])) << i;
    ASSERT_TRUE(std::isfinite(r.reflection[i])) << i;
  }
  EXPECT_TRUE(std::isfinite(r.pointGain));
  EXPECT_TRUE(std::isfinite(r.pointReflection));
}

TEST_P(InvalidInputTest, SweepIsMarkedInvalidWithoutNaN) {
  DesignState design = TwentyMetres();
  Analyzer analyzer;
  analyzer.RunSweep(design);
  ASSERT_TRUE(analyzer.Result().valid);

  GetParam().change(design);
  analyzer.RunSweep(design);
  const SweepResult& r = analyzer.Result();
  EXPECT_FALSE(r.valid);
  ExpectNoNaN(r);
  // Nothing of the earlier, valid sweep survives.
  for (int i = 0; i <= 2000; ++i) {
    ASSERT_EQ(r.gain[i], 0.0f) << i;
    ASSERT_EQ(r.reflection[i], 0.0f) << i;
  }
  // A broken network gives 0 dB at any single frequency; with only the
  // sweep range broken the network itself still answers.
  for (const double f : {14e6, 0.0, -1.0, 1e300}) {
    analyzer.AnalyzePoint(design, f);
    const bool answers = !GetParam().networkBroken && f == 14e6;
    EXPECT_EQ(r.pointGain == 0.0, !answers) << f;
    EXPECT_EQ(r.pointReflection == 0.0, !answers) << f;
  }
}

INSTANTIATE_TEST_SUITE_P(
    BrokenDesigns, InvalidInputTest,
    ::testing::Values(
        BadInput{"StartZero", [](DesignState& d) { d.SweepStart = 0.0f; }, false},
        BadInput{"StartNegative", [](DesignState& d) { d.SweepStart = -5e6f; }, false},
        BadInput{"StartInfinite", [](DesignState& d) { d.SweepStart = kInf; }, false},
        BadInput{"StartNaN", [](DesignState& d) { d.SweepStart = kNaN; }, false},
        BadInput{"StopZero", [](DesignState& d) { d.SweepStop = 0.0f; }, false},
        BadInput{"StopNegative", [](DesignState& d) { d.SweepStop = -1.0f; }, false},
        BadInput{"StopInfinite", [](DesignState& d) { d.SweepStop = kInf; }, false},
        BadInput{"StopNaN", [](DesignState& d) { d.SweepStop = kNaN; }, false},
        BadInput{"L1Zero", [](DesignState& d) { d.TurnsL1 = 0, UpdateInductances(d); }},
        BadInput{"L1Negative", [](DesignState& d) { d.L1 = -4e-7f; }},
        BadInput{"AlZero", [](DesignState& d) { d.ToroidAL = 0.0f, UpdateInductances(d); }},
        BadInput{"InductorQZero", [](DesignState& d) { d.InductorQ = 0.0f; }},
        BadInput{"InductorQNegative", [](DesignState& d) { d.InductorQ = -200.0f; }},
        BadInput{"InductorQInfinite", [](DesignState& d) { d.InductorQ = kInf; }},
        BadInput{"CapacitorQZero", [](DesignState& d) { d.CapacitorQ = 0.0f; }},
        BadInput{"CapacitorQNegative", [](DesignState& d) { d.CapacitorQ = -1.0f; }},
        BadInput{"TerminationZero", [](DesignState& d) { d.InputTermination = 0.0f; }},
        BadInput{"TerminationNegative", [](DesignState& d) { d.InputTermination = -50.0f; }},
        BadInput{"TerminationNaN", [](DesignState& d) { d.InputTermination = kNaN; }},
        BadInput{"LowerEdgeZero", [](DesignState& d) { d.LowerEdge = 0.0f; }},
        BadInput{"C47Infinite", [](DesignState& d) { d.C47 = kInf; }},
        BadInput{"C48NaN", [](DesignState& d) { d.C48 = kNaN; }},
        BadInput{"C92Infinite", [](DesignState& d) { d.C92 = -kInf; }},
        BadInput{"L2Infinite", [](DesignState& d) { d.L2 = kInf; }},
        BadInput{"HugeLossResistance",
                 [](DesignState& d) { d.L2 = FLT_MAX, d.LowerEdge = FLT_MAX; }}),
    RowName<BadInput>);

// Extreme but finite designs: the sweep may or may not be usable, but it
// never holds NaN and never trips the sanitizers.
class ExtremeInputTest : public ::testing::TestWithParam<BadInput> {};

TEST_P(ExtremeInputTest, NeverHoldsNaN) {
  DesignState design = TwentyMetres();
  GetParam().change(design);
  Analyzer analyzer;
  analyzer.RunSweep(design);
  ExpectNoNaN(analyzer.Result());
  for (const double f : {14e6, 1e-300, 1e300, static_cast<double>(FLT_MAX)}) {
    analyzer.AnalyzePoint(design, f);
    EXPECT_TRUE(std::isfinite(analyzer.Result().pointGain)) << f;
    EXPECT_TRUE(std::isfinite(analyzer.Result().pointReflection)) << f;
  }
}

INSTANTIATE_TEST_SUITE_P(
    FiniteExtremes, ExtremeInputTest,
    ::testing::Values(
        BadInput{"StopAtFloatMax", [](DesignState& d) { d.SweepStop = FLT_MAX; }},
        BadInput{"StartAtSmallestFloat",
                 [](DesignState& d) { d.SweepStart = std::numeric_limits<float>::denorm_min(); }},
        BadInput{"HugeCapacitors", [](DesignState& d) { d.C47 = d.C48 = d.C49 = FLT_MAX; }},
        BadInput{"HugeTrap", [](DesignState& d) { d.C92 = FLT_MAX; }},
        BadInput{"TinyL1", [](DesignState& d) { d.L1 = std::numeric_limits<float>::denorm_min(); }},
        BadInput{"HugeL1", [](DesignState& d) { d.L1 = FLT_MAX; }},
        BadInput{"HugeQ", [](DesignState& d) { d.InductorQ = d.CapacitorQ = FLT_MAX; }},
        BadInput{"TinyQ", [](DesignState& d) { d.InductorQ = d.CapacitorQ = 1e-38f; }},
        BadInput{"HugeTermination", [](DesignState& d) { d.InputTermination = FLT_MAX; }},
        BadInput{"TinyTermination", [](DesignState& d) { d.InputTermination = 1e-38f; }},
        BadInput{"NegativeCapacitor", [](DesignState& d) { d.C48 = -3.6e-10f; }}),
    RowName<BadInput>);

TEST(AnalysisTest, PointWithBrokenFrequencyGivesZeroAfterValidSweep) {
  DesignState design = TwentyMetres();
  Analyzer analyzer;
  analyzer.RunSweep(design);
  for (const double f : {0.0, -14e6, std::numeric_limits<double>::infinity(),
                         std::numeric_limits<double>::quiet_NaN()}) {
    analyzer.AnalyzePoint(design, 14e6);
    analyzer.AnalyzePoint(design, f);
    EXPECT_EQ(analyzer.Result().pointGain, 0.0) << f;
    EXPECT_EQ(analyzer.Result().pointReflection, 0.0) << f;
  }
  // The sweep itself is not touched by a single point.
  EXPECT_TRUE(analyzer.Result().valid);
}

TEST(AnalysisTest, ValidSweepAfterInvalidOneRecovers) {
  DesignState design = TwentyMetres();
  design.SweepStart = 0.0f;
  Analyzer analyzer;
  analyzer.RunSweep(design);
  EXPECT_FALSE(analyzer.Result().valid);
  design.SweepStart = 5e6f;
  analyzer.RunSweep(design);
  EXPECT_TRUE(analyzer.Result().valid);
  EXPECT_EQ(analyzer.Result().frequency[0], 5e6f);
}

}  // namespace
}  // namespace diruruzevuv::model
