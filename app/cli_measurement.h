#pragma once

// What compare and fit share: their arguments, and reading the design,
// the global defaults and the measurement referred to the design's
// termination.
#include <optional>
#include <string>
#include <vector>

#include "cli_calibration.h"
#include "cli_commands.h"
#include "model/circuit/design_state.h"
#include "model/circuit/global_defaults.h"
#include "model/measurement/fit.h"
#include "model/measurement/measured_network.h"
#include "model/measurement/measurement.h"

namespace diruruzevuv::cli {

struct MeasurementArguments {
  std::string design;
  std::string measured;
  std::vector<std::string> allMeasured;  // measured and any further files
  std::string port;  // measure with the analyser there instead of reading a file
  double floorDb = model::kDefaultFloorDb;
  double tolerancePercent = model::kDefaultTolerancePercent;
  bool csv = false;
  Correction correction;  // of a measurement with the analyser
};

// Returns 0, or on wrong usage says what is wrong and returns 2.
// withTolerance: whether --tolerance is allowed; severalFiles: whether
// more than one measured file is.
int ParseMeasurementArguments(const char* command, const std::vector<std::string>& args,
                              bool withTolerance, MeasurementArguments& out,
                              bool severalFiles = false);

struct LoadedMeasurement {
  model::DesignState design;
  model::GlobalDefaults defaults;
  model::MeasuredNetwork measured;  // referred to the design's termination
  std::string summary;
};

// Reads everything; on failure says why on standard error and returns nothing.
// The fit may take a one-port file measured at another impedance as it
// is; compare refuses it.
std::optional<LoadedMeasurement> LoadMeasurement(
    const Context& context, const MeasurementArguments& args,
    model::MeasurementUse use = model::MeasurementUse::kJudge);

// Its two halves: the design and the global defaults (nothing, said why,
// when the design cannot be read), then a measurement taken into loaded
// (false, said why, when it is refused), as a file or as swept.
std::optional<LoadedMeasurement> LoadDesign(const Context& context, const std::string& design);
bool TakeInto(LoadedMeasurement& loaded, model::MeasurementIntake intake);

}  // namespace diruruzevuv::cli
