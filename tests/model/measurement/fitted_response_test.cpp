#include "model/measurement/fitted_response.h"

#include <gtest/gtest.h>

#include <tuple>

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
  EXPECT_EQ(std::tuple(t.turnsL2, t.turnsL1), std::tuple(15, 13));
  EXPECT_DOUBLE_EQ(t.l1, 3e-9 * 169);
  EXPECT_EQ(WholeTurnsText(t, design),
            "Whole turns at AL 3 nH per turns squared come only this close:\nL2 15 turns 0.675 uH "
            "(fitted 0.679 uH), L1 13 turns 0.507 uH (fitted 0.500 uH)");
  DesignState kept = design;
  ApplyFit(fit, kept, false);
  EXPECT_EQ(std::tuple(kept.C48, kept.InductorQ, kept.TurnsL1),
            std::tuple(380e-12f, 150.0f, design.TurnsL1));
  ApplyFit(fit, design, true);
  EXPECT_EQ(std::tuple(design.TurnsL2, design.TurnsL1, design.L1),
            std::tuple(15, 13, static_cast<float>(3e-9 * 169)));
}

}  // namespace
}  // namespace diruruzevuv::model
