// A measurement however it was made (here built in memory, as an analyser
// would hand it over) comes in through one intake: referred to the
// design's termination, summarised under its source's name, or refused.
#include "model/measurement/measurement.h"

#include <gtest/gtest.h>

#include "files/touchstone.h"
#include "model/measurement_support.h"

namespace diruruzevuv::model {
namespace {

TEST(MeasurementIntakeTest, ReferredToTheDesignAndNamedByItsSource) {
  const DesignState design = testing::WizardDesign12();  // 12.5 ohm
  files::TouchstoneRead read = files::ParseTouchstone(
      testing::MeasurementText(design, LadderFromDesign(design), {}), "file.s2p");
  ASSERT_TRUE(read.network);
  MeasuredNetwork expected;
  ASSERT_TRUE(Renormalise(*read.network, 12.5, expected));

  const MeasurementIntake intake = TakeMeasurement(*read.network, "analyser", 12.5);
  ASSERT_TRUE(intake.shown) << intake.refusal;
  EXPECT_EQ(intake.shown->network.name, "analyser");
  EXPECT_EQ(intake.shown->network.referenceOhms, (std::array<double, 2>{12.5, 12.5}));
  EXPECT_EQ(intake.shown->measuredOhms, (std::array<double, 2>{50.0, 50.0}));
  EXPECT_EQ(intake.shown->network.s[7][0], expected.s[7][0]);
  EXPECT_EQ(intake.summary, "analyser, two-port, " + std::to_string(expected.frequency.size()) +
                                " points, measured at 50 ohm, judged at 12.5 ohm");

  // Gain where a filter has none: refused, whatever else is wrong with it.
  files::TouchstoneRead loud = read;
  loud.network->s[9][1] *= 1.06 / std::abs(loud.network->s[9][1]);
  EXPECT_EQ(TakeMeasurement(*loud.network, "analyser", 12.5).refusal,
            "analyser: gains above 0 dB: not a passive filter, or a faulty measurement");

  // A two-port without S12 and S22 cannot be referred: refused by name.
  for (auto& m : read.network->s) m[2] = m[3] = 0.0;
  const MeasurementIntake half = TakeMeasurement(*read.network, "analyser", 12.5);
  EXPECT_FALSE(half.shown);
  EXPECT_EQ(half.refusal.rfind("analyser: S12 and S22 are zero", 0), 0u) << half.refusal;
  // Ports at different references: both are named, even where one matches.
  read.network->referenceOhms = {50.0, 75.0};
  EXPECT_NE(TakeMeasurement(*read.network, "analyser", 50.0)
                .refusal.find("a measurement at 50 and 75 ohm cannot be judged at the design's 50"),
            std::string::npos);
}

}  // namespace
}  // namespace diruruzevuv::model
