#pragma once

#include <cstdint>

#include "model/circuit/design_state.h"
#include "model/notifier.h"
#include "model/session.h"

namespace diruruzevuv::files {

// Reads "<band>.TXT" (working directory first, then the shipped data
// folder) into the design; CurrentFile becomes the bare name.
void LoadBandPreset(std::int16_t band, model::DesignState& design,
                    const model::FileLocations& where, model::Notifier& notifier);

// What a band button does to the design: sets Band, then LoadBandPreset.
void SelectBand(std::int16_t band, model::DesignState& design, const model::FileLocations& where,
                model::Notifier& notifier);

}  // namespace diruruzevuv::files
