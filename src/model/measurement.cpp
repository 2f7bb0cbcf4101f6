#include "model/measurement.h"

#include <utility>

#include "model/measurement_text.h"

namespace diruruzevuv::model {

MeasurementIntake TakeMeasurement(MeasuredNetwork network, const std::string& sourceName,
                                  double designOhms) {
  MeasurementIntake intake;
  network.name = sourceName;
  if (std::string problem = ReferralProblem(network, designOhms); !problem.empty()) {
    intake.refusal = std::move(problem);
    return intake;
  }
  ShownMeasurement shown;
  shown.measuredOhms = network.referenceOhms;
  if (!Renormalise(network, designOhms, shown.network)) {
    intake.refusal = network.name + ": cannot be referred to the design's termination";
    return intake;
  }
  intake.summary = MeasurementSummary(network, designOhms);
  intake.shown = std::move(shown);
  return intake;
}

}  // namespace diruruzevuv::model
