#include "model/measurement/comparison.h"

#include <algorithm>
#include <cmath>
#include <charconv>
#include <memory>

#include "model/circuit/analysis.h"

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

Comparison CompareWithDesign(const DesignState& design, const GlobalDefaults& defaults,
                             const MeasuredNetwork& measured, double floorDb) {
  Comparison out;
  out.twoPort = measured.ports == 2;
  out.floorDb = floorDb;
  DesignState d = design;
  auto analysis = std::make_unique<Analyzer>();  // large: keep it off the stack
  analysis->RunSweep(d);

  const double m = defaults.BandwidthMultiplier;
  const std::array<float, 3> levels = {defaults.PassbandBoxDb, defaults.SecondHarmonicBoxDb,
                                       defaults.ThirdHarmonicBoxDb};
  std::array<double, 3> sumSquares{};
  for (int k = 0; k < 3; ++k) {
    BandComparison& band = out.bands[k];
    band.start = (k + 1) * static_cast<double>(d.LowerEdge) / m;
    band.stop = (k + 1) * static_cast<double>(d.UpperEdge) * m;
    band.boxDb = levels[k];
  }
  for (std::size_t i = 0; i < measured.frequency.size(); ++i) {
    const double f = measured.frequency[i];
    if (!(f > 0.0)) continue;
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
      analysis->AnalyzePoint(d, f);
      const SweepResult& r = analysis->Result();
      if (out.twoPort) {
        const double diff = gain - r.pointGain;
        if (!band.worstGainDifferenceDb || std::fabs(diff) > std::fabs(*band.worstGainDifferenceDb))
          band.worstGainDifferenceDb = diff;
        sumSquares[k] += diff * diff;
      }
      if (k == 0) {
        const double reflection = Db(measured.s[i][0]);
        KeepHighest(band.worstMeasuredDb, reflection);
        KeepHighest(band.worstComputedDb, std::max<double>(r.pointReflection, kShownFloorDb));
      } else if (out.twoPort) {
        KeepHighest(band.worstMeasuredDb, gain);
        KeepHighest(band.worstComputedDb, std::max<double>(r.pointGain, kShownFloorDb));
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
  analysis->AnalyzePoint(d, d.LowerEdge);
  out.computedLossLow = std::fabs(analysis->Result().pointGain);
  analysis->AnalyzePoint(d, d.UpperEdge);
  out.computedLossHigh = std::fabs(analysis->Result().pointGain);
  if (const auto g = MeasuredGainAt(measured, d.LowerEdge, floorDb)) out.measuredLossLow = -*g;
  if (const auto g = MeasuredGainAt(measured, d.UpperEdge, floorDb)) out.measuredLossHigh = -*g;
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
