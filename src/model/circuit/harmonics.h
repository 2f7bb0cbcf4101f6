#pragma once

// The transmitter's harmonics at the antenna against a spurious-emission
// rule: what the filter passes of each harmonic relative to the
// fundamental, what the rule allows at the carrier's power, and the margin
// a given power amplifier leaves.
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/circuit/design_state.h"
#include "model/measurement/measured_network.h"

namespace diruruzevuv::model {

inline constexpr double kNoLimit = std::numeric_limits<double>::infinity();

// One row of a rule: it applies to fundamentals from lowHz up to but not
// including highHz, and to powers above lowWatts up to and including
// highWatts. Several rows of one name form one rule.
struct RuleRow {
  std::string name{};
  double lowHz = 0.0;
  double highHz = kNoLimit;
  double lowWatts = 0.0;
  double highWatts = kNoLimit;
  double relativeDb = 0.0;
  double capWatts = kNoLimit;  // no cap
  double floorWatts = 0.0;     // no floor
  std::string source{};
  bool Covers(double hz, double watts) const noexcept {
    return hz >= lowHz && hz < highHz && watts > lowWatts && watts <= highWatts;
  }
};

// The spur power a row allows at the carrier's watts: the relative figure,
// held under the cap and never asked below the floor.
double AllowedWatts(const RuleRow& row, double watts) noexcept;

// The rules in file order; the rows that did not read, by file and line.
struct RuleBook {
  std::vector<RuleRow> rows{};
  std::vector<std::string> problems{};
};

// The rule's name as the book spells it, matched without regard to case;
// empty when there is none.
std::string RuleNamed(const RuleBook& book, std::string_view name);

// The spur power the rule allows over the whole band (the stricter of its
// edges), or the reason it does not apply: "the rule 'X' does not cover
// 52 MHz".
struct RuleAnswer {
  double allowedWatts = 0.0;
  std::string source{};
  std::string problem{};
};
RuleAnswer ApplyRule(const RuleBook& book, const std::string& name, double lowHz, double highHz,
                     double watts);

// The first rule in the book that covers the band at this power, or empty.
std::string FirstRuleFor(const RuleBook& book, double lowHz, double highHz, double watts);

// A filter's transmission in dB at a frequency; limited when the figure is
// only a bound (the true transmission lies at or below it). Empty where
// the filter's response is not known.
struct Transmission {
  double db = 0.0;
  bool limited = false;
};
using TransmissionAt = std::function<std::optional<Transmission>(double hz)>;

// The design's ladder with its losses, terminated as designed.
TransmissionAt DesignTransmission(const DesignState& design);
// The measured S21 interpolated in log-frequency; a level within 3 dB of
// floorDb, or below it, is a bound at that level (at the floor when below
// it). The network must outlive the function.
TransmissionAt MeasuredTransmission(const MeasuredNetwork& measured, double floorDb);

inline constexpr int kHarmonicBandPoints = 21;
inline constexpr int kDefaultHighestHarmonic = 5;
inline constexpr int kMostHarmonics = 10;

// The worst over the band of S21(n f) / S21(f), dB; empty when the filter's
// response is not known at every point (a measurement that stops below n f).
struct HarmonicFigure {
  std::optional<double> relativeDb;
  bool floorLimited = false;
};
HarmonicFigure WorstRelative(const TransmissionAt& at, double lowHz, double highHz, int n);

struct HarmonicsFilter {
  std::string name;  // "design", "soldered", "measured"
  TransmissionAt at;
};

struct HarmonicsChoices {
  std::string rule;  // as the book spells it
  double watts = 10.0;
  std::map<int, double> paDbc;  // the PA's harmonic levels by harmonic
  int highest = kDefaultHighestHarmonic;
};

// One harmonic through one filter against the rule.
struct HarmonicRow {
  int harmonic = 2;
  double lowHz = 0.0, highHz = 0.0;
  std::string filter{};
  HarmonicFigure figure{};
  double highestPaDbc = 0.0;  // the PA level that just meets the rule
  std::optional<double> paDbc{};
  double spurDbc = 0.0, spurWatts = 0.0, marginDb = 0.0;  // with a PA level
  bool Measured() const noexcept { return figure.relativeDb.has_value(); }
  bool Judged() const noexcept { return Measured() && paDbc.has_value(); }
  bool Meets() const noexcept { return marginDb >= 0.0; }
};

struct HarmonicsReport {
  std::string rule{};
  std::string source{};
  double watts = 0.0;
  double lowHz = 0.0, highHz = 0.0;
  double allowedWatts = 0.0, allowedDbc = 0.0;
  std::vector<HarmonicRow> rows{};  // by harmonic, the filters side by side
  // Every row with a PA level meets the rule (rows not measured are not judged).
  bool AllMeet() const noexcept;
};

// The report, or the rule's problem in `problem`.
HarmonicsReport JudgeHarmonics(const DesignState& design,
                               const std::vector<HarmonicsFilter>& filters, const RuleBook& book,
                               const HarmonicsChoices& choices, std::string& problem);

// "2=-30,3=-15": the PA's levels in dBc by harmonic (2 to kMostHarmonics,
// each level 0 or below); empty on a malformed list.
std::optional<std::map<int, double>> ParsePaLevels(std::string_view text);
std::string PaLevelsText(const std::map<int, double>& levels);

// The report as text lines: a header, the table and a verdict in words for
// each harmonic with a PA level; and as CSV rows with their header.
std::vector<std::string> HarmonicsLines(const HarmonicsReport& report);
std::string HarmonicsCsv(const HarmonicsReport& report);

}  // namespace diruruzevuv::model
