#pragma once

#include <cstdint>

#include "model/design_state.h"
#include "model/notifier.h"
#include "model/session.h"

namespace diruruzevuv::model {

// Reads "<band>.TXT" (working directory first, then the shipped data
// folder) into the design; CurrentFile becomes the bare name.
void LoadBandPreset(std::int16_t band, DesignState& design, const FileLocations& where,
                    Notifier& notifier);

// The model side of a band button: sets Band, then LoadBandPreset.
void SelectBand(std::int16_t band, DesignState& design, const FileLocations& where,
                Notifier& notifier);

}  // namespace diruruzevuv::model
