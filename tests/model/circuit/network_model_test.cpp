#include "model/circuit/network_model.h"

#include <gtest/gtest.h>

#include <cmath>

#include "model/measurement_support.h"

namespace diruruzevuv::model {
namespace {

struct NamedDesign {
  const char* label;
  DesignState design;
};

// The derivatives match finite differences, including the Q that enters
// both inductors and a trap capacitor of 0 F (not fitted).
TEST(NetworkModelTest, DerivativesMatchDifferences) {
  DesignState noTrap = testing::BandDesign(20);
  noTrap.C92 = 0.0f;
  for (const auto& d : {NamedDesign{"Wizard12Ohm", testing::WizardDesign12()},
                        NamedDesign{"Band20WithoutTrap", noTrap}}) {
    const PartValues parts = DesignParts(d.design);
    const LossContext losses = DesignLosses(d.design);
    for (double f : {0.5 * d.design.LowerEdge, 1.0 * d.design.LowerEdge, 2.1 * d.design.LowerEdge,
                     3.0 * d.design.UpperEdge}) {
      NetworkDerivatives dv;
      RespondWithDerivatives(parts, losses, f, 50.0, dv);
      for (int k = 0; k < kFitPartCount; ++k) {
        if (parts[k] == 0.0) continue;
        const double h = parts[k] * 1e-6;
        PartValues up = parts, down = parts;
        up[k] += h;
        down[k] -= h;
        const NetworkResponse a = Respond(up, losses, f, 50.0);
        const NetworkResponse b = Respond(down, losses, f, 50.0);
        const auto s11 = (a.s11 - b.s11) / (2 * h);
        const auto s21 = (a.s21 - b.s21) / (2 * h);
        EXPECT_NEAR(std::abs(dv.s11[k] - s11), 0.0, 1e-5 * std::abs(s11) + 1e-9 / parts[k])
            << d.label << " " << kFitPartNames[k] << " at " << f;
        EXPECT_NEAR(std::abs(dv.s21[k] - s21), 0.0, 1e-5 * std::abs(s21) + 1e-9 / parts[k])
            << d.label << " " << kFitPartNames[k] << " at " << f;
      }
    }
  }
}

}  // namespace
}  // namespace diruruzevuv::model
