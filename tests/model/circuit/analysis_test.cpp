#include "model/circuit/analysis.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <tuple>
#include <utility>

#include "analysis_reference.h"
#include "model/circuit/analysis_problem.h"

namespace diruruzevuv::model {
namespace {

using Change = std::function<void(DesignState&)>;

DesignState TwentyMetres(const Change& change = nullptr) {
  DesignState d;
  d.InductorQ = 200.0f, d.CapacitorQ = 1000.0f;
  ApplyDefaultDesign(d);  // leaves the Q values alone
  if (change) change(d);
  return d;
}

const auto kLossless = [](DesignState& d) { d.InductorQ = d.CapacitorQ = 1e9f; };
const double kNo = NAN;  // not checked

// The 20-metre design at single frequencies, including both reflection
// clamps (its figures elsewhere are pinned through the Monte Carlo run).
TEST(AnalysisTest, WorkedFigures) {
  const auto wire = [](DesignState& d) {  // a straight wire: rho far below 1e-7
    kLossless(d), d.C47 = d.C48 = d.C92 = d.C49 = d.L2 = 0.0f, d.L1 = 1e-15f;
  };
  const struct {
    const char* name;
    Change change;
    double frequency, gain, gainTolerance, reflection, reflectionTolerance;
  } rows[] = {
      {"NextToTrap", nullptr, 29.4e6, -72.0, 1.0, kNo, 0.0},
      {"PerfectMatchLowerClamp", wire, 14e6, 0.0, 1e-6, -140.0, 0.0},
      // Far up the stop band almost no power reaches the load.
      {"ReactiveInputUpperClamp", kLossless, 500e6, kNo, 0.0, 20.0 * std::log10(0.9999999), 0.0}};
  for (const auto& row : rows) {
    DesignState design = TwentyMetres(row.change);
    Analyzer analyzer;
    analyzer.RunSweep(design);
    analyzer.AnalyzePoint(design, row.frequency);
    auto near = [](double a, double b, double t) { return std::isnan(b) || std::fabs(a - b) <= t; };
    const SweepResult& r = analyzer.Result();
    EXPECT_TRUE(near(r.pointGain, row.gain, row.gainTolerance) &&
                near(r.pointReflection, row.reflection, row.reflectionTolerance))
        << row.name << ": " << r.pointGain << " dB, reflection " << r.pointReflection << " dB";
  }
}

// Distance in representable floats; equal values (and +0/-0) give 0.
std::int64_t UlpDistance(float a, float b) {
  auto key = [](float v) {
    const auto bits = static_cast<std::int64_t>(std::bit_cast<std::int32_t>(v));
    return bits < 0 ? -(bits & 0x7fffffff) : bits;
  };
  return std::abs(key(a) - key(b));
}

// Every stored float of the fast sweep against the one-point complex version.
// The analyser is reused, so a stale frequency table or a caller's edit shows.
void ExpectAgreement(Analyzer& analyzer, DesignState design, const std::string& label) {
  const reference::Sweep expected = reference::RunSweep(design);
  analyzer.Result().frequency[7] = -1.0f;  // a careless caller
  analyzer.RunSweep(design);
  const SweepResult& r = analyzer.Result();
  ASSERT_TRUE(r.valid) << label;
  EXPECT_EQ(design.LoadTermination, design.InputTermination) << label;
  // Ascending or descending, from start to stop, leaving the last point as the point result.
  const float pointGain = float(r.pointGain), pointReflection = float(r.pointReflection);
  EXPECT_EQ(std::tuple(r.frequency[0], r.frequency[2000], pointGain, pointReflection),
            std::tuple(design.SweepStart, design.SweepStop, r.gain[2000], r.reflection[2000]))
      << label;
  for (int i = 0; i <= 2000; ++i) {
    ASSERT_EQ(r.frequency[i], expected.frequency[i]) << label << " " << i;
    ASSERT_TRUE(UlpDistance(r.gain[i], expected.gain[i]) <= 1 &&
                UlpDistance(r.reflection[i], expected.reflection[i]) <= 1)
        << label << " " << i << ": " << r.gain[i] << ", " << r.reflection[i] << " against "
        << expected.gain[i] << ", " << expected.reflection[i];
  }
}

// Two named designs, then a modest set of random ones from a fixed seed,
// descending sweeps, low Q and missing traps among them.
TEST(AnalysisTest, FastSweepAgreesWithReferenceWithinOneUlp) {
  const std::pair<const char*, Change> designs[] = {
      {"Default", nullptr},
      {"NoShuntCapacitorsNoL2", [](DesignState& d) { d.C47 = d.C48 = d.C49 = d.L2 = 0.0f; }}};
  Analyzer analyzer;
  for (const auto& [name, change] : designs) ExpectAgreement(analyzer, TwentyMetres(change), name);
  std::mt19937 random(20260);
  auto logUniform = [&](double lo, double hi) {
    std::uniform_real_distribution<double> u(std::log(lo), std::log(hi));
    return static_cast<float>(std::exp(u(random)));
  };
  std::uniform_int_distribution<int> turns(1, 60);
  for (int trial = 0; trial < 40; ++trial) {
    DesignState d = TwentyMetres();
    d.C47 = logUniform(1e-12, 1e-8), d.C48 = logUniform(1e-12, 1e-8);
    d.C49 = logUniform(1e-12, 1e-8), d.C92 = trial % 5 == 0 ? 0.0f : logUniform(1e-13, 1e-9);
    d.TurnsL1 = static_cast<std::int16_t>(turns(random));
    d.TurnsL2 = static_cast<std::int16_t>(trial % 7 == 0 ? 0 : turns(random));
    d.ToroidAL = logUniform(0.5, 50.0), UpdateInductances(d);
    d.LowerEdge = logUniform(1e5, 1e8), d.InputTermination = logUniform(1.0, 1000.0);
    // Every other design keeps the range, so the frequency table is reused.
    if (trial % 2 == 0) d.SweepStart = logUniform(1e4, 1e9), d.SweepStop = logUniform(1e4, 1e9);
    d.InductorQ = logUniform(10.0, 1e9), d.CapacitorQ = logUniform(100.0, 1e9);
    ExpectAgreement(analyzer, d, "trial " + std::to_string(trial));
  }
}

// Where Xc + Xp_L of the trap comes out exactly 0, Xp_L is multiplied by 1.00001.
TEST(AnalysisTest, ExactTrapResonanceIsNudged) {
  const DesignState design = TwentyMetres();
  const double twoPi = 2.0 * static_cast<double>(kPi);
  const double rsl = twoPi * static_cast<double>(design.LowerEdge) * design.L1 / design.InductorQ;
  auto sum = [&](double f) {
    const double xl = f * twoPi * design.L1;
    return -1.0 / (f * twoPi * design.C92) + rsl * (1.0 + (xl / rsl) * (xl / rsl)) * rsl / xl;
  };
  double lo = 20e6, hi = 40e6, f = 0.0;
  for (int i = 0; i < 200; ++i) (sum(0.5 * (lo + hi)) < 0.0 ? lo : hi) = 0.5 * (lo + hi);
  for (int i = 0; i < 4000 && f == 0.0; ++i) {
    f = sum(lo) == 0.0 ? lo : sum(hi) == 0.0 ? hi : 0.0;
    lo = std::nextafter(lo, 0.0), hi = std::nextafter(hi, 1e9);
  }
  ASSERT_GT(f, 0.0) << "no exactly resonant frequency found";
  DesignState copy = design;
  const reference::Point expected = reference::Analyze(design, f);
  Analyzer analyzer;
  analyzer.RunSweep(copy);
  analyzer.AnalyzePoint(design, f);
  const SweepResult& r = analyzer.Result();
  EXPECT_LT(r.pointGain, -60.0);
  EXPECT_DOUBLE_EQ(r.pointGain, expected.gain);
  EXPECT_NEAR(r.pointReflection, expected.reflection, 1e-12);
}

TEST(AnalysisTest, PointAnswersForTheDesignOfTheLastSweep) {
  DesignState design = TwentyMetres();
  Analyzer analyzer;
  analyzer.RunSweep(design);
  analyzer.AnalyzePoint(design, 21e6);
  const SweepResult before = analyzer.Result();
  design.C48 *= 1.5f, design.LowerEdge = 7e6f, design.SweepStart = 1e6f;
  analyzer.AnalyzePoint(design, 21e6);
  EXPECT_EQ(analyzer.Result().pointGain, before.pointGain);
  EXPECT_EQ(analyzer.Result().gain, before.gain);
  design.InductorQ = 100.0f;  // the Q values and Rs, though, are read at every call
  analyzer.AnalyzePoint(design, 21e6);
  EXPECT_NE(analyzer.Result().pointGain, before.pointGain);
}

// Inputs that break the arithmetic: never NaN, never a sanitizer report,
// and the first broken thing named. A sweep with a reason is invalid, and
// nothing of an earlier valid sweep survives; reason nullptr: an extreme
// design that may or may not be usable, as long as the reason agrees.
struct BadInput {
  const char* name;
  Change change;
  const char* reason;
  friend void PrintTo(const BadInput& row, std::ostream* os) { *os << row.name; }
};

class InvalidInputTest : public ::testing::TestWithParam<BadInput> {};

TEST_P(InvalidInputTest, NamedAndNeverNaN) {
  const BadInput& row = GetParam();
  const DesignState design = TwentyMetres(row.change);
  const std::string reason = DescribeUnanalysable(design);
  EXPECT_TRUE(!row.reason || reason == row.reason) << reason;
  Analyzer analyzer;
  DesignState swept = TwentyMetres();
  analyzer.RunSweep(swept);
  analyzer.RunSweep(swept = design);
  const SweepResult& r = analyzer.Result();
  EXPECT_TRUE(design.SweepStart == design.SweepStop || r.valid == reason.empty()) << reason;
  for (int i = 0; i < SweepResult::kCapacity; ++i) {
    ASSERT_TRUE(std::isfinite(r.frequency[i]) && std::isfinite(r.gain[i]) &&
                std::isfinite(r.reflection[i])) << i;
    ASSERT_TRUE(r.valid || (r.gain[i] == 0.0f && r.reflection[i] == 0.0f)) << i;
  }
  // A broken frequency or network gives 0 dB; with only the range broken the network answers.
  const bool range = reason.starts_with("the sweep");
  const bool network = row.reason && !range && !reason.empty();
  for (const double f : {14e6, 0.0, -1.0, 1e-300, 1e300, HUGE_VAL, kNo}) {
    analyzer.AnalyzePoint(design, f);
    EXPECT_TRUE(std::isfinite(r.pointGain) && std::isfinite(r.pointReflection)) << f;
    const bool zero = !(f > 0.0) || std::isinf(f) || network;
    const bool mustAnswer = f == 14e6 && (range || reason.empty());
    EXPECT_TRUE(zero ? r.pointGain == 0.0 && r.pointReflection == 0.0
                     : r.pointGain != 0.0 || !mustAnswer) << f;
  }
  analyzer.RunSweep(swept = TwentyMetres());
  EXPECT_TRUE(r.valid);  // a usable design afterwards is usable again
}

const float kInf = HUGE_VALF, kNaN = NAN, kTiny = FLT_TRUE_MIN;

#define BAD(name, reason, ...) BadInput{#name, [](DesignState& d) { __VA_ARGS__; }, reason}
const char* const kOutOfRange = "the values are out of the analysis's range";
// clang-format off
INSTANTIATE_TEST_SUITE_P(BrokenDesigns, InvalidInputTest, ::testing::Values(
    BAD(Sound, "", (void)d), BAD(L2NoTurns, "", d.TurnsL2 = 0, UpdateInductances(d)),
    BAD(Downwards, "", std::swap(d.SweepStart, d.SweepStop)),
    BAD(EqualLimits, "the sweep range is empty", d.SweepStop = d.SweepStart),
    BAD(RangeFirst, "the sweep range is empty", d.TurnsL1 = 0, d.SweepStop = d.SweepStart),
    BAD(StartZero, "the sweep start is 0 Hz", d.SweepStart = 0),
    BAD(StopNegative, "the sweep stop is below 0 Hz", d.SweepStop = -5e6f),
    BAD(StartInfinite, "the sweep start is not a number", d.SweepStart = kInf),
    BAD(TerminationZero, "the termination is 0 ohm", d.InputTermination = 0),
    BAD(TerminationNaN, "the termination is not a number", d.InputTermination = kNaN),
    BAD(LowerEdgeZero, "the lower band edge is 0 Hz", d.LowerEdge = 0),
    BAD(InductorQZero, "the inductor Q is 0", d.InductorQ = 0),
    BAD(CapacitorQNegative, "the capacitor Q is below 0", d.CapacitorQ = -1),
    BAD(L1NoTurns, "L1 has 0 turns", d.TurnsL1 = 0, UpdateInductances(d)),
    BAD(AlZero, "the toroid AL is 0", d.ToroidAL = 0, UpdateInductances(d)),
    BAD(C48NaN, kOutOfRange, d.C48 = kNaN), BAD(C47Inf, kOutOfRange, d.C47 = kInf),
    BAD(L2Inf, kOutOfRange, d.L2 = kInf), BAD(C92MinusInf, kOutOfRange, d.C92 = -kInf),
    BAD(HugeLoss, kOutOfRange, d.L2 = d.LowerEdge = FLT_MAX),
    BAD(HugeTurns, kOutOfRange, d.ToroidAL = FLT_MAX, d.TurnsL2 = 32767, UpdateInductances(d)),
    BAD(StopAtFloatMax, nullptr, d.SweepStop = FLT_MAX), BAD(TinyL1, nullptr, d.L1 = kTiny),
    BAD(StartTiny, nullptr, d.SweepStart = kTiny), BAD(HugeL1, nullptr, d.L1 = FLT_MAX),
    BAD(HugeCapacitors, nullptr, d.C47 = d.C48 = d.C49 = d.C92 = FLT_MAX),
    BAD(HugeQ, nullptr, d.InductorQ = d.CapacitorQ = FLT_MAX),
    BAD(TinyQ, nullptr, d.InductorQ = d.CapacitorQ = 1e-38f),
    BAD(HugeTermination, nullptr, d.InputTermination = FLT_MAX),
    BAD(NegativeCapacitor, nullptr, d.C48 = -3.6e-10f)),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on
#undef BAD

}  // namespace
}  // namespace diruruzevuv::model
