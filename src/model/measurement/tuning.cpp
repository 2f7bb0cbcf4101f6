#include "model/measurement/tuning.h"

#include <algorithm>
#include <cstdlib>

#include "model/measurement/measurement_text.h"

namespace diruruzevuv::model {
namespace {

TurnsChange ChangeOf(const TurnAdvice& a) {
  // Without a count on the design's core (no turns, no fit) the one
  // reading stands for both.
  return {a.change, a.countedTurns > 0 ? a.turns - a.countedTurns : a.change};
}

std::string ChangeText(int change) {
  if (change == 0) return "keep the turns";
  const int n = std::abs(change);
  return std::string(change < 0 ? "remove " : "add ") + std::to_string(n) +
         (n == 1 ? " turn" : " turns");
}

// The verdict's CSV key is its words joined by underscores.
std::string VerdictCsv(TuningAdvice::Verdict verdict) {
  std::string key = VerdictText(verdict);
  std::replace(key.begin(), key.end(), ' ', '_');
  return key;
}

}  // namespace

TuningAdvice AdviseTuning(const FitResult& fit) {
  TuningAdvice advice;
  if (!fit.done) {
    advice.reason = fit.error;
    return advice;
  }
  for (const FittedPart& row : fit.parts)
    if (row.flagged) advice.off.push_back(row.part);
  advice.l2 = ChangeOf(fit.l2);
  advice.l1 = ChangeOf(fit.l1);
  advice.reason = fit.poorReason;
  advice.verdict = fit.poor             ? TuningAdvice::Verdict::kPoorFit
                   : advice.off.empty() ? TuningAdvice::Verdict::kAsDesigned
                                        : TuningAdvice::Verdict::kPartsOff;
  return advice;
}

const char* VerdictText(TuningAdvice::Verdict verdict) {
  switch (verdict) {
    case TuningAdvice::Verdict::kAsDesigned:
      return "as designed";
    case TuningAdvice::Verdict::kPartsOff:
      return "parts off";
    case TuningAdvice::Verdict::kPoorFit:
      return "poor fit";
    case TuningAdvice::Verdict::kNoFit:
      break;
  }
  return "no fit";
}

std::string PartsOffText(const TuningAdvice& advice, std::string_view between) {
  std::string t;
  for (const LadderValue part : advice.off) {
    if (!t.empty()) t += between;
    t += ValueName(part);
  }
  return t;
}

std::string TurnsAdviceText(const char* toroid, const TurnsChange& change) {
  std::string t = std::string(toroid) + ": " + ChangeText(change.onFittedCore);
  if (change.onDesignCore != change.onFittedCore)
    t += " if the core differs, " + ChangeText(change.onDesignCore) +
         " if the turns were miscounted";
  return t;
}

std::string TurnsAdviceCsv(const TurnsChange& change) {
  std::string t = std::to_string(change.onFittedCore);
  if (change.onDesignCore != change.onFittedCore) t += "/" + std::to_string(change.onDesignCore);
  return t;
}

std::string TuningLine(int sweep, double seconds, const TuningAdvice& advice) {
  std::string t = "Sweep " + std::to_string(sweep) + " at " + Fixed(seconds, 1) +
                  " s: " + VerdictText(advice.verdict);
  using Verdict = TuningAdvice::Verdict;
  if (advice.verdict == Verdict::kNoFit || advice.verdict == Verdict::kPoorFit)
    t += " (" + advice.reason + ")";
  if (advice.verdict == Verdict::kNoFit) return t + "\n";
  if (advice.verdict == Verdict::kPartsOff) t += " (" + PartsOffText(advice, ", ") + ")";
  return t + "; " + TurnsAdviceText("L2", advice.l2) + "; " + TurnsAdviceText("L1", advice.l1) +
         "\n";
}

std::string TuningCsvRow(int sweep, double seconds, const TuningAdvice& advice) {
  const bool fitted = advice.verdict != TuningAdvice::Verdict::kNoFit;
  return std::to_string(sweep) + "," + Fixed(seconds, 2) + "," + VerdictCsv(advice.verdict) + "," +
         PartsOffText(advice, ";") + "," + (fitted ? TurnsAdviceCsv(advice.l2) : "") + "," +
         (fitted ? TurnsAdviceCsv(advice.l1) : "") + "," + CsvField(advice.reason) + "\n";
}

std::string TuningPanelText(const FitResult& fit, const TuningAdvice& advice, bool steady) {
  if (!fit.done) return "No fit: " + fit.error + "\n";
  std::string t = FitPartRows(fit) + "\n" + TurnsAdviceText("L2", advice.l2) + "\n" +
                  TurnsAdviceText("L1", advice.l1) + "\n\nVerdict: " + VerdictText(advice.verdict);
  if (advice.verdict == TuningAdvice::Verdict::kPartsOff)
    t += " (" + PartsOffText(advice, ", ") + ")";
  if (advice.verdict == TuningAdvice::Verdict::kPoorFit)
    t += ": " + advice.reason + ". Do not trust the figures above.";
  return t + (steady ? "\nSteady: the same advice over the last three sweeps.\n"
                     : "\nChanging: not yet the same over three sweeps.\n");
}

std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string t = "\"";
  for (const char c : text) {
    if (c == '"') t += '"';
    t += c;
  }
  return t + "\"";
}

bool SteadyAdvice::Add(const TuningAdvice& advice) {
  m_same = m_last && *m_last == advice ? m_same + 1 : 1;
  m_last = advice;
  return m_same >= kSweeps;
}

void SteadyAdvice::Clear() {
  m_last.reset();
}

}  // namespace diruruzevuv::model
