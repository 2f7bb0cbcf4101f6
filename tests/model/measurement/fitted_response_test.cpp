#include "model/measurement/fitted_response.h"

#include <gtest/gtest.h>

#include "model/circuit/design_state.h"

namespace diruruzevuv::model {
namespace {

// Whole turns at the design's AL nearest each fitted inductance (L1 at 12.9
// turns: the nearest is 13, not the 12 that cutting the fraction gives);
// applied only when asked, the capacitors and Q always.
TEST(FittedResponseTest, WholeTurnsAtTheDesignsAL) {
  DesignState design;
  ApplyDefaultDesign(design);
  design.ToroidAL = 3.0f;
  FitResult fit;
  fit.done = true;
  fit.parts = {
      {kC48, 360e-12, 380e-12}, {kL2, 0, 0.679e-6}, {kL1, 0, 0.5e-6}, {kInductorQ, 200, 150}};
  const WholeTurns t = WholeTurnsAtDesignAL(fit, design);
  EXPECT_EQ(t.turnsL2, 15);
  EXPECT_EQ(t.turnsL1, 13);
  EXPECT_DOUBLE_EQ(t.l1, 3e-9 * 169);
  EXPECT_EQ(WholeTurnsText(t, design),
            "Whole turns at AL 3 nH per turns squared come only this close:\nL2 15 turns 0.675 uH "
            "(fitted 0.679 uH), L1 13 turns 0.507 uH (fitted 0.500 uH)");
  DesignState kept = design;
  ApplyFit(fit, kept, false);
  EXPECT_EQ(kept.C48, 380e-12f);
  EXPECT_EQ(kept.InductorQ, 150.0f);
  EXPECT_EQ(kept.TurnsL1, design.TurnsL1);
  ApplyFit(fit, design, true);
  EXPECT_EQ(design.TurnsL2, 15);
  EXPECT_EQ(design.TurnsL1, 13);
  EXPECT_EQ(design.L1, static_cast<float>(3e-9 * 169));
}

}  // namespace
}  // namespace diruruzevuv::model
