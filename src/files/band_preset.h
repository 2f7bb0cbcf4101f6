#pragma once

#include <cstdint>

#include "model/circuit/design_state.h"
#include "model/notifier.h"
#include "model/session.h"

namespace diruruzevuv::files {

// Reads "<band>.TXT" (working directory first, then the shipped data
// folder) into the design; CurrentFile becomes the bare name. False when
// no such file was found or a value in it does not fit.
bool LoadBandPreset(std::int16_t band, model::DesignState& design,
                    const model::FileLocations& where, model::Notifier& notifier);

// What a band button does to the design: sets Band, then LoadBandPreset.
bool SelectBand(std::int16_t band, model::DesignState& design, const model::FileLocations& where,
                model::Notifier& notifier);

}  // namespace diruruzevuv::files
