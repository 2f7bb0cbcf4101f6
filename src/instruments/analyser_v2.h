#pragma once

#include <memory>
#include <string>

#include "instruments/analyser.h"

namespace diruruzevuv::instruments {

// The register-protocol family (the "V2" boards): registers read and
// written in binary, the sweep's raw readings from a FIFO, never corrected
// by the device. Probes the device on the link (eight zero bytes, then
// 0x0D must answer '2') and reads what it is; nothing, with the link's
// error set, when it does not answer so or waits for a firmware update.
// Takes the link only when it succeeds.
std::unique_ptr<Analyser> ConnectRegisters(std::unique_ptr<AnalyserShell>& link);

}  // namespace diruruzevuv::instruments
