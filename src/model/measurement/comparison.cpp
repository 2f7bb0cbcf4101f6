#include "model/measurement/comparison.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "model/circuit/ladder.h"

namespace diruruzevuv::model {
namespace {

double Db(std::complex<double> v) {
  const double m = std::abs(v);
  return m > 0.0 ? std::max(20.0 * std::log10(m), kShownFloorDb) : kShownFloorDb;
}

void KeepHighest(std::optional<double>& worst, double value) {
  worst = worst ? std::max(*worst, value) : value;
}

}  // namespace

std::optional<double> MeasuredGainAt(const MeasuredNetwork& measured, double f, double floorDb) {
  if (measured.ports != 2 || !(f > 0.0)) return std::nullopt;
  const auto& fr = measured.frequency;
  const auto above = std::lower_bound(fr.begin(), fr.end(), f);
  if (above == fr.end()) return std::nullopt;
  const std::size_t i = static_cast<std::size_t>(above - fr.begin());
  const double g1 = Db(measured.s[i][1]);
  if (!(g1 >= floorDb)) return std::nullopt;
  if (fr[i] == f) return g1;
  if (i == 0 || !(fr[i - 1] > 0.0)) return std::nullopt;
  const double g0 = Db(measured.s[i - 1][1]);
  if (!(g0 >= floorDb)) return std::nullopt;
  const double t = std::log(f / fr[i - 1]) / std::log(fr[i] / fr[i - 1]);
  return g0 + (g1 - g0) * t;
}

Comparison CompareWithDesign(const DesignState& design, const std::array<AidSpan, 3>& boxes,
                             const EdgeGains& edges, Analyzer& swept,
                             const MeasuredNetwork& measured, double floorDb) {
  Comparison out;
  out.twoPort = measured.ports == 2;
  out.floorDb = floorDb;
  std::array<double, 3> sumSquares{};
  // The design's gain and reflection at point i; loaded at port 2 as the
  // measurement was when it says by what.
  const Ladder ladder = LadderFromDesign(design);
  const auto Computed = [&](std::size_t i) -> std::pair<double, double> {
    const double f = measured.frequency[i];
    if (i < measured.portTwoMatch.size()) {
      const double ohms = measured.referenceOhms[1];
      const SParameters s = Respond(ladder, f, ohms, PortTwoLoad(measured.portTwoMatch[i], ohms));
      return {20.0 * std::log10(std::abs(s.s21)), 20.0 * std::log10(std::abs(s.s11))};
    }
    swept.AnalyzePoint(design, f);
    return {swept.Result().pointGain, swept.Result().pointReflection};
  };
  for (int k = 0; k < 3; ++k) {
    BandComparison& band = out.bands[k];
    band.start = boxes[k].lowHz;
    band.stop = boxes[k].highHz;
    band.boxDb = boxes[k].levelDb;
  }
  for (std::size_t i = 0; i < measured.frequency.size(); ++i) {
    const double f = measured.frequency[i];
    if (!(f > 0.0)) {
      ++out.pointsAtZeroHz;
      continue;
    }
    const double gain = out.twoPort ? Db(measured.s[i][1]) : 0.0;
    const bool below = out.twoPort && !(gain >= floorDb);
    if (below) {
      ++out.pointsLeftOut;
    } else {
      ++out.pointsUsed;
    }
    for (int k = 0; k < 3; ++k) {
      BandComparison& band = out.bands[k];
      if (f < band.start || f > band.stop) continue;
      if (below) {
        ++band.leftOut;
        continue;
      }
      ++band.points;
      const auto [computedGain, computedReflection] = Computed(i);
      if (out.twoPort) {
        const double diff = gain - computedGain;
        if (!band.worstGainDifferenceDb || std::fabs(diff) > std::fabs(*band.worstGainDifferenceDb))
          band.worstGainDifferenceDb = diff;
        sumSquares[k] += diff * diff;
      }
      if (k == 0) {
        const double reflection = Db(measured.s[i][0]);
        KeepHighest(band.worstMeasuredDb, reflection);
        KeepHighest(band.worstComputedDb, std::max<double>(computedReflection, kShownFloorDb));
      } else if (out.twoPort) {
        KeepHighest(band.worstMeasuredDb, gain);
        KeepHighest(band.worstComputedDb, std::max<double>(computedGain, kShownFloorDb));
      }
    }
  }
  for (int k = 0; k < 3; ++k) {
    BandComparison& band = out.bands[k];
    if (band.points > 0 && out.twoPort)
      band.rmsGainDifferenceDb = std::sqrt(sumSquares[k] / band.points);
    if (band.worstMeasuredDb) {
      band.verdict = *band.worstMeasuredDb <= band.boxDb ? BoxVerdict::kPass : BoxVerdict::kFail;
    } else if (k > 0 && band.leftOut > 0 && floorDb <= band.boxDb) {
      // Every point of the band lies below the floor, and so below the box.
      band.verdict = BoxVerdict::kPass;
    }
  }
  out.computedLossLow = std::fabs(edges.lower);
  out.computedLossHigh = std::fabs(edges.upper);
  if (const auto g = MeasuredGainAt(measured, design.LowerEdge, floorDb)) out.measuredLossLow = -*g;
  if (const auto g = MeasuredGainAt(measured, design.UpperEdge, floorDb))
    out.measuredLossHigh = -*g;
  // An open or dead filter would otherwise meet every harmonic box.
  const BandComparison& passband = out.bands[0];
  if (out.twoPort && passband.points == 0 && passband.leftOut > 0) {
    char floor[64];
    const auto end =
        std::to_chars(floor, floor + sizeof floor, floorDb, std::chars_format::fixed, 1).ptr;
    out.problem = measured.name + ": S21 stays below the floor (" + std::string(floor, end) +
                  " dB) in the passband: not a working filter";
  }
  return out;
}

}  // namespace diruruzevuv::model
