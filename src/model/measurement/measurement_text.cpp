#include "model/measurement/measurement_text.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace diruruzevuv::model {
namespace {

// Points at 0 Hz have no response to compare or fit: counted with their
// reason, so that every point of the file is accounted for.
std::string AtZeroHz(int points) {
  return points > 0 ? "; left out at 0 Hz: " + std::to_string(points) : std::string();
}

}  // namespace

std::string General(double value) {
  char buffer[40];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 7);
  return error == std::errc{} ? std::string(buffer, end) : std::string("?");
}

namespace {

std::string Pad(std::string text, std::size_t width, bool right = true) {
  if (text.size() >= width) return text;
  const std::string fill(width - text.size(), ' ');
  return right ? fill + text : text + fill;
}

std::string Db(const std::optional<double>& v, int decimals = 2) {
  return v ? Fixed(*v, decimals) : std::string("-");
}

std::string Verdict(BoxVerdict verdict) {
  switch (verdict) {
    case BoxVerdict::kPass:
      return "yes";
    case BoxVerdict::kFail:
      return "NO";
    case BoxVerdict::kNotMeasured:
      break;
  }
  return "not measured";
}

std::string CsvVerdict(BoxVerdict verdict) {
  switch (verdict) {
    case BoxVerdict::kPass:
      return "yes";
    case BoxVerdict::kFail:
      return "no";
    case BoxVerdict::kNotMeasured:
      break;
  }
  return "";
}

constexpr const char* kBandNames[3] = {"Passband", "2nd harmonic", "3rd harmonic"};
constexpr const char* kBandKeys[3] = {"passband", "second_harmonic", "third_harmonic"};

std::string PartValue(LadderValue part, double value) {
  if (part == kInductorQ) return Fixed(value, 1);
  if (kLadderParts[part].kind == PartKind::kInductor) return Fixed(value * 1e6, 3) + " uH";
  return Fixed(value * 1e12, 1) + " pF";
}

std::string Mhz(double hz) {
  return Fixed(hz / 1e6, 4);
}

}  // namespace

std::string Fixed(double value, int decimals) {
  if (!std::isfinite(value)) return "-";
  char buffer[64];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  std::string text = error == std::errc{} ? std::string(buffer, end) : std::string("?");
  // "-0.00" reads as a difference where there is none.
  if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

std::string Signed(double value, int decimals) {
  std::string text = Fixed(value, decimals);
  if (text == "-" || text.front() == '-') return text;
  std::string plus(1, '+');
  plus += text;
  return plus;
}

std::string MeasurementSummary(const MeasuredNetwork& measured, double designOhms) {
  std::string text = measured.name + (measured.ports == 2 ? ", two-port, " : ", one-port, ") +
                     std::to_string(measured.frequency.size()) + " points";
  if (!IsReferredTo(measured, designOhms)) {
    text += ", measured at " + General(measured.referenceOhms[0]) + " ohm";
    if (measured.ports == 2 && measured.referenceOhms[1] != measured.referenceOhms[0])
      text += " and " + General(measured.referenceOhms[1]) + " ohm";
    // Only a fit takes a one-port file that was not referred.
    text += measured.ports == 1
                ? ", fitted with the filter's output loaded by " +
                      General(measured.referenceOhms[0]) + " ohm as on the analyser"
                : ", judged at " + General(designOhms) + " ohm";
  }
  return text;
}

std::string ComparisonTable(const Comparison& c, const DesignState& design) {
  std::string t;
  t += "Points used: " + std::to_string(c.pointsUsed);
  if (c.twoPort) {
    t += "; left out below " + Fixed(c.floorDb, 1) + " dB: " + std::to_string(c.pointsLeftOut);
  }
  t += AtZeroHz(c.pointsAtZeroHz) + "\n\n";
  t += "Band          From MHz     To MHz  Points  Left out  Worst diff dB  RMS diff dB"
       "  Worst meas. dB  Worst comp. dB  Box dB  Box met\n";
  for (int k = 0; k < 3; ++k) {
    const BandComparison& b = c.bands[k];
    t += Pad(kBandNames[k], 12, false);
    t += Pad(Mhz(b.start), 10) + Pad(Mhz(b.stop), 11) + Pad(std::to_string(b.points), 8) +
         Pad(std::to_string(b.leftOut), 10);
    t += Pad(b.worstGainDifferenceDb ? Signed(*b.worstGainDifferenceDb, 2) : "-", 15);
    t += Pad(Db(b.rmsGainDifferenceDb), 13);
    t += Pad(Db(b.worstMeasuredDb), 16) + Pad(Db(b.worstComputedDb), 16);
    t += Pad(Fixed(b.boxDb, 1), 8) + "  " + Verdict(b.verdict) + "\n";
  }
  t += "(worst: the highest reflection in the passband, the weakest attenuation in a "
       "harmonic band)\n\n";
  auto edge = [&](const char* which, double f, const std::optional<double>& measured,
                  double computed) {
    t += std::string("Loss at ") + which + " edge " + Mhz(f) + " MHz: measured " +
         (measured ? Fixed(*measured, 2) + " dB" : std::string("-")) + ", computed " +
         Fixed(computed, 2) + " dB\n";
  };
  edge("lower", design.LowerEdge, c.measuredLossLow, c.computedLossLow);
  edge("upper", design.UpperEdge, c.measuredLossHigh, c.computedLossHigh);
  return t;
}

std::string ComparisonCsv(const Comparison& c, const DesignState& design) {
  std::string t =
      "band,from_hz,to_hz,points,left_out,worst_difference_db,rms_difference_db,"
      "worst_measured_db,worst_computed_db,box_db,box_met\n";
  auto opt = [](const std::optional<double>& v) { return v ? General(*v) : std::string(); };
  t += "all,,," + std::to_string(c.pointsUsed) + "," + std::to_string(c.pointsLeftOut) + ",,,,,,\n";
  for (int k = 0; k < 3; ++k) {
    const BandComparison& b = c.bands[k];
    t += std::string(kBandKeys[k]) + "," + General(b.start) + "," + General(b.stop) + "," +
         std::to_string(b.points) + "," + std::to_string(b.leftOut) + "," +
         opt(b.worstGainDifferenceDb) + "," + opt(b.rmsGainDifferenceDb) + "," +
         opt(b.worstMeasuredDb) + "," + opt(b.worstComputedDb) + "," + General(b.boxDb) + "," +
         CsvVerdict(b.verdict) + "\n";
  }
  // The edge rows give the loss (positive dB) as measured and computed.
  t += "lower_edge_loss," + General(design.LowerEdge) + "," + General(design.LowerEdge) + ",,,,," +
       opt(c.measuredLossLow) + "," + General(c.computedLossLow) + ",,\n";
  t += "upper_edge_loss," + General(design.UpperEdge) + "," + General(design.UpperEdge) + ",,,,," +
       opt(c.measuredLossHigh) + "," + General(c.computedLossHigh) + ",,\n";
  return t;
}

std::string TurnAdviceText(const TurnAdvice& a) {
  const int after = a.turns + a.change;
  if (a.change == 0) return "keep " + std::to_string(a.turns) + " turns";
  const int n = std::abs(a.change);
  return std::string(a.change < 0 ? "remove " : "add ") + std::to_string(n) +
         (n == 1 ? " turn" : " turns") + " (" + std::to_string(after) + " turns)";
}

namespace {

bool IsOff(const FitResult& fit, LadderValue part) {
  for (const FittedPart& row : fit.parts)
    if (row.part == part) return row.flagged;
  return false;
}

std::string Microhenries(double henries) {
  return Fixed(henries * 1e6, 3) + " uH";
}

std::string TurnsChange(int change) {
  if (change == 0) return "keep them";
  const int n = std::abs(change);
  return std::string(change < 0 ? "remove " : "add ") + std::to_string(n) +
         (n == 1 ? " turn" : " turns");
}

}  // namespace

std::string ToroidAdviceText(const char* name, const TurnAdvice& a, bool off) {
  if (!off) {
    std::string t = std::string(name) + ": " + std::to_string(a.turns) + " turns, implied AL " +
                    Fixed(a.impliedAL, 2) + " nH per turns squared: " + TurnAdviceText(a);
    if (a.change != 0) t += " gives " + Microhenries(a.inductanceAfter);
    return t + "\n";
  }
  const double alPercent = (a.impliedAL - a.designAL) / a.designAL * 100.0;
  return std::string(name) + " measures " + Microhenries(a.fitted) +
         ".\n  If it has the design's " + std::to_string(a.turns) + " turns, the core's AL is " +
         Fixed(a.impliedAL, 2) + " (" + Signed(alPercent, 0) + " %): wind " +
         std::to_string(a.turns + a.change) + " turns for " + Microhenries(a.inductanceAfter) +
         ".\n  If the core is AL " + Fixed(a.designAL, 2) + " as designed, it has " +
         std::to_string(a.countedTurns) + " turns (" + Microhenries(a.countedInductance) +
         "): " + TurnsChange(a.turns - a.countedTurns) + ".\n";
}

std::string FitPartRows(const FitResult& fit) {
  std::string t = "Part       Design       Fitted  Difference  Uncertainty\n";
  for (const FittedPart& row : fit.parts) {
    t += Pad(ValueName(row.part), 4, false);
    t += Pad(PartValue(row.part, row.design), 13) + Pad(PartValue(row.part, row.fitted), 13);
    t += Pad(Signed(row.percent, 1) + " %", 12);
    t += Pad(std::isfinite(row.uncertaintyPercent) ? Fixed(row.uncertaintyPercent, 1) + " %" : "-",
             13);
    if (row.flagged) t += "  off";
    if (row.atLimit) t += "  at the edge of the range";
    t += "\n";
  }
  return t;
}

std::string FitTable(const FitResult& fit, const FitOptions& options) {
  if (!fit.done) return "No fit: " + fit.error + "\n";
  std::string t;
  t += "Points used: " + std::to_string(fit.pointsUsed) + "; left out below " +
       Fixed(options.floorDb, 1) + " dB: " + std::to_string(fit.pointsLeftOut) +
       AtZeroHz(fit.pointsAtZeroHz) + "\n\n";
  t += FitPartRows(fit) + "\n";
  std::string off;
  for (const FittedPart& row : fit.parts)
    if (row.flagged) off += (off.empty() ? "" : ", ") + std::string(ValueName(row.part));
  t += ToroidAdviceText("L2", fit.l2, IsOff(fit, kL2));
  t += ToroidAdviceText("L1", fit.l1, IsOff(fit, kL1));
  t += "Residual: " + Fixed(fit.residualDb, 3) + " dB RMS\n";
  t += std::string("Solver: ") +
       (fit.converged ? "converged" : "stopped at its limit of evaluations") + "\n";
  t += "Uncertainty: one standard deviation, for at least " + Fixed(kNoiseFloorDb, 2) +
       " dB of measurement noise.\n";
  t += "A part or the Q is off when its difference exceeds both " +
       General(options.tolerancePercent) + " % and twice its uncertainty.\n";
  if (fit.poor) {
    t += "POOR FIT: " + fit.poorReason + ". Do not trust the figures above.\n";
  } else if (off.empty()) {
    t += "No part is off.\n";
  } else {
    t += "Off: " + off + "\n";
  }
  return t;
}

std::string FitCsv(const FitResult& fit) {
  std::string t;
  t += "part,design,fitted,difference_percent,uncertainty_percent,off,turns,implied_al,"
       "turn_change\n";
  for (const FittedPart& row : fit.parts) {
    t += std::string(ValueName(row.part)) + "," + General(row.design) + "," + General(row.fitted) +
         "," + Fixed(row.percent, 3) + "," +
         (std::isfinite(row.uncertaintyPercent) ? Fixed(row.uncertaintyPercent, 3) : "") + "," +
         (row.flagged ? "yes" : "no");
    const TurnAdvice* a = row.part == kL2 ? &fit.l2 : row.part == kL1 ? &fit.l1 : nullptr;
    if (a != nullptr) {
      t += ',';
      t += std::to_string(a->turns);
      t += ',';
      t += Fixed(a->impliedAL, 4);
      t += ',';
      t += std::to_string(a->change);
      t += '\n';
    } else {
      t += ",,,\n";
    }
  }
  t += "residual_db,," + Fixed(fit.residualDb, 4) + ",,,,,,\n";
  t += std::string("converged,,") + (fit.converged ? "yes" : "no") + ",,,,,,\n";
  t += std::string("poor_fit,,") + (fit.poor ? "yes" : "no") + ",,,,,,\n";
  // An off inductor read both ways: the turns to wind and the inductance
  // they give, on the fitted core and on the design's core.
  auto advice = [&](const char* name, const TurnAdvice& a) {
    t += std::string("advice,") + name + ",core," + std::to_string(a.turns + a.change) + "," +
         General(a.inductanceAfter) + ",,,,\n";
    t += std::string("advice,") + name + ",turns," + std::to_string(a.turns) + "," +
         General(a.designAL * 1e-9 * a.turns * a.turns) + ",,,,\n";
  };
  if (IsOff(fit, kL2)) advice("L2", fit.l2);
  if (IsOff(fit, kL1)) advice("L1", fit.l1);
  return t;
}

}  // namespace diruruzevuv::model
