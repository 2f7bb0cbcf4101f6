#include "model/band_preset.h"

namespace diruruzevuv::model {

// Placeholder until the file readers land.
void LoadBandPreset(std::int16_t, DesignState& design, const FileLocations&, Notifier&) {
  UpdateInductances(design);
}

void SelectBand(std::int16_t band, DesignState& design, const FileLocations& where,
                Notifier& notifier) {
  design.Band = band;
  LoadBandPreset(band, design, where, notifier);
}

}  // namespace diruruzevuv::model
