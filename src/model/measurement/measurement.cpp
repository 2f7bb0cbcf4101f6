#include "model/measurement/measurement.h"

#include <utility>

#include "model/measurement/measurement_text.h"

namespace diruruzevuv::model {

MeasurementIntake TakeMeasurement(MeasuredNetwork network, const std::string& sourceName,
                                  double designOhms, MeasurementUse use) {
  MeasurementIntake intake;
  network.name = sourceName;
  if (GainAbovePassive(network)) {
    intake.refusal = sourceName + ": " + kGainProblem;
    return intake;
  }
  PreparedMeasurement prepared = PrepareMeasurement(network, designOhms, use);
  if (!prepared.network) {
    intake.refusal = std::move(prepared.problem);
    return intake;
  }
  ShownMeasurement shown;
  shown.measuredOhms = network.referenceOhms;
  shown.network = std::move(*prepared.network);
  intake.summary = MeasurementSummary(network, designOhms);
  intake.shown = std::move(shown);
  return intake;
}

}  // namespace diruruzevuv::model
