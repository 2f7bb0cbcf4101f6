#include "model/fit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "files/touchstone.h"
#include "measurement_support.h"
#include "model/measured_network.h"

namespace diruruzevuv::model {
namespace {

enum class Which { kBand20, kBand160, kWizard12 };

DesignState MakeDesign(Which which) {
  return which == Which::kWizard12 ? testing::WizardDesign12()
                                   : testing::BandDesign(which == Which::kBand160 ? 160 : 20);
}

struct FitCase {
  const char* label;
  Which design;
  FitPart part;   // the part that is off
  double factor;  // its built value over the design value; 0: one turn more on it
  bool parasitics = false;
};

using testing::Measured;

class FitFinds : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitFinds, ThePartThatIsOff) {
  const FitCase& c = GetParam();
  const DesignState design = MakeDesign(c.design);
  PartValues built = DesignParts(design);
  double factor = c.factor;
  if (factor == 0.0) {
    const int turns = c.part == kPartL2 ? design.TurnsL2 : design.TurnsL1;
    factor = std::pow((turns + 1.0) / turns, 2.0);
  }
  built[c.part] *= factor;
  testing::Synthesis synthesis;
  synthesis.noiseDb = -90.0;
  synthesis.parasitics = c.parasitics;
  const FitResult fit = FitBuiltValues(design, Measured(design, built, synthesis), FitOptions{});
  ASSERT_TRUE(fit.done) << fit.error;
  EXPECT_FALSE(fit.poor) << fit.poorReason;
  const double truePercent = (factor - 1.0) * 100.0;
  const FittedPart* off = nullptr;
  for (const FittedPart& row : fit.parts) {
    if (row.part == c.part) off = &row;
  }
  ASSERT_NE(off, nullptr);
  EXPECT_NEAR(off->percent, truePercent, c.parasitics ? 1.5 : 0.5);
  EXPECT_TRUE(off->flagged);
  for (const FittedPart& row : fit.parts) {
    if (row.part == c.part) continue;
    if (!c.parasitics) {
      EXPECT_LT(std::fabs(row.percent), 1.0) << kFitPartNames[row.part];
    } else {
      // Named: no other part looks as far off.
      EXPECT_LT(std::fabs(row.percent), std::fabs(off->percent)) << kFitPartNames[row.part];
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Designs, FitFinds,
    ::testing::Values(
        FitCase{"Band20C48Plus5", Which::kBand20, kPartC48, 1.05},
        FitCase{"Band20C47Minus4", Which::kBand20, kPartC47, 0.96},
        FitCase{"Band20C92Plus6", Which::kBand20, kPartC92, 1.06},
        FitCase{"Band20C49Minus5", Which::kBand20, kPartC49, 0.95},
        FitCase{"Band20OneTurnMoreOnL2", Which::kBand20, kPartL2, 0.0},
        FitCase{"Band20OneTurnMoreOnL1", Which::kBand20, kPartL1, 0.0},
        FitCase{"Band20InductorQLow", Which::kBand20, kPartQ, 0.7},
        FitCase{"Band160C48Minus5", Which::kBand160, kPartC48, 0.95},
        FitCase{"Band160OneTurnMoreOnL2", Which::kBand160, kPartL2, 0.0},
        FitCase{"Band160InductorQHigh", Which::kBand160, kPartQ, 1.3},
        FitCase{"Wizard12OhmC47Plus5", Which::kWizard12, kPartC47, 1.05},
        FitCase{"Wizard12OhmOneTurnMoreOnL1", Which::kWizard12, kPartL1, 0.0},
        FitCase{"Band20ParasiticsC48Plus5", Which::kBand20, kPartC48, 1.05, true},
        FitCase{"Band20ParasiticsOneTurnMoreOnL2", Which::kBand20, kPartL2, 0.0, true},
        FitCase{"Band160ParasiticsC92Minus6", Which::kBand160, kPartC92, 0.94, true},
        FitCase{"Wizard12OhmParasiticsOneTurnMoreOnL2", Which::kWizard12, kPartL2, 0.0, true}),
    [](const auto& row) { return std::string(row.param.label); });

PartValues OneTurnMoreOnL2(const DesignState& design) {
  PartValues built = DesignParts(design);
  built[kPartL2] *= std::pow((design.TurnsL2 + 1.0) / design.TurnsL2, 2.0);
  return built;
}

TEST(FitTest, AdvisesWholeTurnsAndTheImpliedAL) {
  const DesignState design = testing::BandDesign(20);
  testing::Synthesis synthesis;
  synthesis.noiseDb = -90.0;
  const FitResult fit =
      FitBuiltValues(design, Measured(design, OneTurnMoreOnL2(design), synthesis), FitOptions{});
  ASSERT_TRUE(fit.done);
  EXPECT_EQ(fit.l2.turns, 14);
  EXPECT_EQ(fit.l2.change, -1);
  EXPECT_NEAR(fit.l2.impliedAL, 3.0 * (15.0 / 14.0) * (15.0 / 14.0), 0.01);
  // 13 turns on the core the fit implies come nearest the design's L2.
  EXPECT_NEAR(fit.l2.inductanceAfter, 3e-9 * 225.0 / 196.0 * 169.0, 3e-9);
  EXPECT_EQ(fit.l1.change, 0);
  EXPECT_NEAR(fit.l1.impliedAL, 3.0, 0.01);
  EXPECT_LT(fit.residualDb, 0.05);
}

TEST(FitTest, ToleranceDecidesTheFlagsAndTheFloorLeavesPointsOut) {
  const DesignState design = testing::BandDesign(20);
  PartValues built = DesignParts(design);
  built[kPartC48] *= 1.05;
  const MeasuredNetwork measured = Measured(design, built, {});
  int below = 0;
  for (const auto& m : measured.s) below += 20 * std::log10(std::abs(m[1])) < -50.0;
  ASSERT_GE(below, 10);
  FitOptions options;
  options.tolerancePercent = 6.0;
  options.floorDb = -50.0;
  const FitResult fit = FitBuiltValues(design, measured, options);
  ASSERT_TRUE(fit.done);
  EXPECT_EQ(fit.pointsLeftOut, below);
  EXPECT_EQ(fit.pointsUsed + fit.pointsLeftOut, static_cast<int>(measured.frequency.size()));
  for (const FittedPart& row : fit.parts) EXPECT_FALSE(row.flagged) << kFitPartNames[row.part];
  EXPECT_NEAR(fit.parts[kPartC48].percent, 5.0, 0.1);
}

TEST(FitTest, OnePortFileIsFittedFromTheReflection) {
  const DesignState design = testing::BandDesign(160);
  testing::Synthesis synthesis;
  synthesis.twoPort = false;
  synthesis.noiseDb = -90.0;
  const files::TouchstoneRead read = files::ParseTouchstone(
      testing::MeasurementText(design, OneTurnMoreOnL2(design), synthesis), "built.s1p");
  ASSERT_TRUE(read.network);
  const FitResult fit = FitBuiltValues(design, *read.network, FitOptions{});
  ASSERT_TRUE(fit.done);
  EXPECT_FALSE(fit.poor);
  EXPECT_EQ(fit.l2.change, -1);
  EXPECT_EQ(fit.pointsLeftOut, 0);
}

// What a plain verdict must catch: a missing part, and an analyser whose
// reference plane is a metre of cable away (uncalibrated).
TEST(FitTest, SaysPlainlyWhenTheFitIsPoor) {
  const DesignState design = testing::BandDesign(20);
  PartValues missing = DesignParts(design);
  missing[kPartC48] = 0.0;
  const FitResult noC48 = FitBuiltValues(design, Measured(design, missing, {}), FitOptions{});
  ASSERT_TRUE(noC48.done);
  EXPECT_TRUE(noC48.poor);
  EXPECT_FALSE(noC48.poorReason.empty());

  MeasuredNetwork cable = Measured(design, DesignParts(design), {});
  for (std::size_t i = 0; i < cable.frequency.size(); ++i)
    cable.s[i][0] *= std::polar(1.0, -2.0 * 2.0 * 3.14159265 * cable.frequency[i] * 5e-9);
  const FitResult uncalibrated = FitBuiltValues(design, cable, FitOptions{});
  ASSERT_TRUE(uncalibrated.done);
  EXPECT_TRUE(uncalibrated.poor);

  const FitResult good =
      FitBuiltValues(design, Measured(design, DesignParts(design), {}), FitOptions{});
  EXPECT_FALSE(good.poor);
  EXPECT_LT(good.residualDb, 1e-3);
}

TEST(FitTest, RefusesWithoutEnoughPoints) {
  const DesignState design = testing::BandDesign(20);
  testing::Synthesis few;
  few.points = 2;
  const FitResult fit =
      FitBuiltValues(design, Measured(design, DesignParts(design), few), FitOptions{});
  EXPECT_FALSE(fit.done);
  EXPECT_EQ(fit.error, "too few measured points above the floor to fit the parts");
}

}  // namespace
}  // namespace diruruzevuv::model
