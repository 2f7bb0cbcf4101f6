#include "model/circuit/ladder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "model/circuit/analysis.h"
#include "model/measurement/measured_network.h"
#include "model/measurement_support.h"

namespace diruruzevuv::model {
namespace {

// The ladder's S-parameters and the float-exact sweep are two separate
// pieces of arithmetic over one topology: they agree to well within
// 0.001 dB, the trap left out included.
TEST(LadderTest, RespondAgreesWithTheSweep) {
  DesignState noTrap = testing::BandDesign(40);
  noTrap.C92 = 0.0f;
  for (DesignState design : {testing::BandDesign(20), testing::WizardDesign12(), noTrap}) {
    Analyzer analysis;
    analysis.RunSweep(design);
    const SweepResult& sweep = analysis.Result();
    ASSERT_TRUE(sweep.valid);
    const Ladder ladder = LadderFromDesign(design);
    for (int i = 0; i <= sweep.intervals; i += 40) {
      const SParameters s = Respond(ladder, sweep.frequency[i], design.InputTermination);
      EXPECT_NEAR(20 * std::log10(std::abs(s.s21)), sweep.gain[i], 1e-4) << i;
      if (sweep.reflection[i] > -139.0f) {
        EXPECT_NEAR(20 * std::log10(std::abs(s.s11)), sweep.reflection[i], 1e-4) << i;
      }
    }
  }
}

// Into its own termination the load voltage is S21 times half the EMF;
// into any load the part currents meet at every node (Kirchhoff).
TEST(LadderTest, SolveMeetsTheSParametersAndKirchhoff) {
  const Ladder ladder = LadderFromDesign(testing::BandDesign(20));
  const double r = ladder.loadOhms;
  for (double f : {7e6, 14.2e6, 28.4e6, 42.6e6}) {
    const Complex emf{2.0 * std::sqrt(10.0 * r), 0.0};  // 10 W available
    const LadderSolution matched = Solve(ladder, f, emf, r);
    const Complex expected = Respond(ladder, f, r).s21 * emf / 2.0;
    EXPECT_NEAR(std::abs(matched.node[3] - expected), 0.0, 1e-9 * std::abs(emf)) << f;

    const LadderSolution s = Solve(ladder, f, emf, Complex(25.0, -40.0));
    const Complex shunt = s.volts[kL1] / kShuntOhms;
    const Complex nodes[] = {s.inputAmps - s.amps[kC47] - s.amps[kL2],
                             s.amps[kL2] - s.amps[kC48] - s.amps[kL1] - s.amps[kC92] - shunt,
                             s.amps[kL1] + s.amps[kC92] + shunt - s.amps[kC49] - s.loadAmps};
    for (const Complex& sum : nodes) EXPECT_NEAR(std::abs(sum), 0.0, 1e-12) << f;
    EXPECT_NEAR(std::abs(s.node[3] - s.loadAmps * Complex(25.0, -40.0)), 0.0, 1e-9) << f;
  }
}

// The derivatives match finite differences, including the Q that enters
// both inductors and a trap capacitor of 0 F (not fitted), with port 2 at
// the reference or at an analyser's port-2 match g, whose response is the
// wave ratio: S11 + S21^2 g / (1 - S22 g) and S21 / (1 - S22 g).
TEST(LadderTest, DerivativesMatchDifferences) {
  DesignState noTrap = testing::BandDesign(20);
  noTrap.C92 = 0.0f;
  const Complex g(0.08, -0.06);
  for (const DesignState& design : {testing::WizardDesign12(), noTrap})
    for (const bool loaded : {false, true}) {
      const Ladder ladder = LadderFromDesign(design);
      const auto respond = [&](const Ladder& l, double f) {
        return loaded ? Respond(l, f, 50.0, PortTwoLoad(g, 50.0)) : Respond(l, f, 50.0);
      };
      for (double f : {0.5 * design.LowerEdge, 1.0 * design.LowerEdge, 2.1 * design.LowerEdge,
                       3.0 * design.UpperEdge}) {
        SDerivatives dv;
        const SParameters s =
            loaded ? RespondWithDerivatives(ladder, f, 50.0, PortTwoLoad(g, 50.0), dv)
                   : RespondWithDerivatives(ladder, f, 50.0, dv);
        const SParameters bare = Respond(ladder, f, 50.0);
        const Complex at2 = loaded ? g : 0.0, wave = 1.0 / (1.0 - bare.s22 * at2);
        EXPECT_NEAR(std::abs(s.s11 - bare.s11 - bare.s21 * bare.s21 * at2 * wave), 0.0, 1e-12);
        EXPECT_NEAR(std::abs(s.s21 - bare.s21 * wave), 0.0, 1e-12);
        for (LadderValue k = 0; k < kLadderValueCount; ++k) {
          const double value = ValueOf(ladder, k);
          if (value == 0.0) continue;
          const double h = value * 1e-6;
          Ladder up = ladder, down = ladder;
          ValueOf(up, k) += h, ValueOf(down, k) -= h;
          const SParameters a = respond(up, f), b = respond(down, f);
          const auto s11 = (a.s11 - b.s11) / (2 * h), s21 = (a.s21 - b.s21) / (2 * h);
          const std::string at =
              std::to_string(design.Band) + " m " + ValueName(k) + " at " + std::to_string(f);
          EXPECT_NEAR(std::abs(dv.s11[k] - s11), 0.0, 1e-5 * std::abs(s11) + 1e-9 / value) << at;
          EXPECT_NEAR(std::abs(dv.s21[k] - s21), 0.0, 1e-5 * std::abs(s21) + 1e-9 / value) << at;
        }
      }
    }
}

}  // namespace
}  // namespace diruruzevuv::model
