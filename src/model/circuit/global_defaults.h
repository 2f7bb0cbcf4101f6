#pragma once

#include <cstdint>

namespace diruruzevuv::model {

// Plot and design-aid settings that do not belong to one design.
struct GlobalDefaults {
  float PassbandBoxDb = 0.0f;
  float SecondHarmonicBoxDb = 0.0f;
  float ThirdHarmonicBoxDb = 0.0f;
  float BandwidthMultiplier = 0.0f;
  std::int16_t GridDivisions = 0;
  float PlotFloorDb = 0.0f;
};

}  // namespace diruruzevuv::model
