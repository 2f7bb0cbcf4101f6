#include "model/design_state.h"

#include <gtest/gtest.h>

#include <utility>

namespace diruruzevuv::model {
namespace {

// Turns and AL never leave the inductances behind; the load always
// follows the input termination.
TEST(DesignStateTest, SettersKeepDerivedValuesInStep) {
  DesignState d;
  ApplyDefaultDesign(d);
  SetTurns(d, 16, 20);
  EXPECT_EQ(d.TurnsL1, 16);
  EXPECT_EQ(d.TurnsL2, 20);
  EXPECT_EQ(std::pair(d.L1, d.L2), std::pair(768e-9f, 1.2e-6f));
  SetToroidAL(d, 4.9f);
  EXPECT_EQ(d.L1, static_cast<float>(4.9f * 1e-9 * 256));
  EXPECT_EQ(d.L2, static_cast<float>(4.9f * 1e-9 * 400));
  SetTermination(d, 75.25f);
  EXPECT_EQ(std::pair(d.InputTermination, d.LoadTermination), std::pair(75.25f, 75.25f));
}

}  // namespace
}  // namespace diruruzevuv::model
