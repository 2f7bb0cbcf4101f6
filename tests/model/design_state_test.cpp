#include "model/design_state.h"

#include <gtest/gtest.h>

namespace diruruzevuv::model {
namespace {

TEST(DesignStateTest, DefaultDesignDerivesInductances) {
  DesignState design;
  design.InductorQ = 123.0f;
  design.CurrentFile = "40.TXT";
  ApplyDefaultDesign(design);
  EXPECT_EQ(design.L1, 4.32e-7f);
  EXPECT_EQ(design.L2, 5.88e-7f);
  EXPECT_EQ(design.Band, 20);
  // The built-in design leaves the Q values and the file name alone.
  EXPECT_EQ(design.InductorQ, 123.0f);
  EXPECT_EQ(design.CurrentFile, "40.TXT");
}

TEST(DesignStateTest, FreshRecordIsAllZero) {
  const DesignState design;
  EXPECT_EQ(design.InductorQ, 0.0f);
  EXPECT_EQ(design.InputTermination, 0.0f);
  EXPECT_EQ(design.TurnsL1, 0);
}

}  // namespace
}  // namespace diruruzevuv::model
