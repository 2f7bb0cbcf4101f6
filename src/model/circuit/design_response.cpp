#include "model/circuit/design_response.h"

#include <algorithm>
#include <cmath>

#include "model/circuit/ladder.h"

namespace diruruzevuv::model {

ResponseRange DesignResponseRange(const DesignState& design) noexcept {
  const double start = design.SweepStart;
  const double stop = design.SweepStop;
  return {std::min(start, stop), std::max(start, stop), kSweepIntervals + 1};
}

std::vector<double> ResponseFrequencies(const ResponseRange& range) {
  const double low = range.lowHz;
  const double high = range.highHz;
  if (!(std::isfinite(low) && std::isfinite(high) && low > 0.0 && low < high) ||
      range.points < 2) {
    return {};
  }
  std::vector<double> frequency(range.points);
  const double la = std::log(low);
  const double lb = std::log(high);
  const int last = range.points - 1;
  for (int i = 0; i <= last; ++i) {
    frequency[i] = i == 0 ? low : i == last ? high : std::exp(LogGridExponent(la, lb, i, last));
    if (i > 0 && !(frequency[i] > frequency[i - 1])) return {};
  }
  return frequency;
}

std::optional<MeasuredNetwork> DesignResponse(const DesignState& design,
                                              const ResponseRange& range) {
  MeasuredNetwork network;
  network.frequency = ResponseFrequencies(range);
  if (network.frequency.empty()) return std::nullopt;
  const Ladder ladder = LadderFromDesign(design);
  const double ohms = ladder.sourceOhms;
  if (!(std::isfinite(ohms) && ohms > 0.0)) return std::nullopt;
  network.ports = 2;
  network.referenceOhms = {ohms, ohms};
  network.s.reserve(network.frequency.size());
  for (const double f : network.frequency) {
    const SParameters s = Respond(ladder, f, ohms);
    for (const Complex v : {s.s11, s.s21, s.s22}) {
      if (!std::isfinite(v.real()) || !std::isfinite(v.imag())) return std::nullopt;
    }
    network.s.push_back({s.s11, s.s21, s.s21, s.s22});  // reciprocal: S12 = S21
  }
  return network;
}

}  // namespace diruruzevuv::model
