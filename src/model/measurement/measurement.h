#pragma once

// The one way a measurement comes in, whatever made it (a file, an
// analyser): refused, or referred to the design's termination and
// summarised. The texts are whole sentences for a message box; the command
// line puts its prefix in front.

#include <optional>
#include <string>

#include "model/measurement/measured_network.h"

namespace diruruzevuv::model {

struct MeasurementIntake {
  // The measurement referred to the design's termination; empty when refused.
  std::optional<ShownMeasurement> shown;
  // "built.s2p, two-port, 401 points" and the referral, as measured.
  std::string summary;
  // Why it was refused: "built.s2p: ..." naming the source.
  std::string refusal;
};

// Takes an already-made measurement. sourceName names it in texts and
// legends (a file's name; an analyser's description) and replaces the
// network's own name.
// A fit may take a one-port measurement at another impedance as it was
// measured (use kFit); judging it against the design refuses it.
MeasurementIntake TakeMeasurement(MeasuredNetwork network, const std::string& sourceName,
                                  double designOhms, MeasurementUse use = MeasurementUse::kJudge);

}  // namespace diruruzevuv::model
