#pragma once

// From a design to what the builder solders: the toroid core and its
// windings, the standard capacitors and what the filter does with them, and
// the stress on each part at the power the transmitter delivers.

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/circuit/design_state.h"
#include "model/circuit/evaluation.h"
#include "model/circuit/global_defaults.h"
#include "model/circuit/ladder.h"

namespace diruruzevuv::model {

// ---- Cores and windings ----

struct Core {
  std::string name;      // as builders write it: "T50-2"
  std::string material;  // "iron powder mix 2"
  double alNh = 0.0;     // nH per turn squared
  double odMm = 0.0;
  double idMm = 0.0;
  double heightMm = 0.0;
  double alTolerancePercent = 0.0;
  double lowestHz = 0.0;  // the material's useful range
  double highestHz = 0.0;
  std::string source;  // where the figures come from
};

// A core's name as the catalogue compares it: in any case, spaces aside.
std::string CoreKey(std::string_view name);

struct CoreCatalogue {
  std::vector<Core> cores;
  // One line per row that could not be read: "FILE line N: why".
  std::vector<std::string> problems;
  // A source key in words, from the catalogue's "*[AL] words" comments.
  std::map<std::string, std::string, std::less<>> sourceWords;  // "AL" -> words
  const Core* Find(std::string_view name) const noexcept;
  // The core whose AL is nearest the design's (the first of equals).
  const Core* NearestByAl(double alNh) const noexcept;
};

// Enamelled copper wire: a gauge (AWG 20 to 30) or a bare diameter in mm.
struct Wire {
  std::string name;        // "AWG 24", "0.5 mm"
  double bareMm = 0.0;     // copper
  double overallMm = 0.0;  // with the enamel: what the winding takes
};
// "24", "AWG24", "awg 24", "0.5mm", "0.5 mm"; empty for anything else.
std::optional<Wire> ParseWire(std::string_view text);
inline constexpr const char* kDefaultWire = "24";

inline constexpr double kDefaultLeadMm = 15.0;
// A winding has two leads, each of the lead length.
inline constexpr int kLeadsPerWinding = 2;
// The gap left between the two ends of a one-layer winding.
inline constexpr double kWindingGapDegrees = 30.0;

// Wire one turn takes: over both faces, across both walls and round the
// wire's own bend.
double TurnLengthMm(const Core& core, const Wire& wire) noexcept;
// Turns that lie side by side on the inner circumference, less the gap.
int TurnsInOneLayer(const Core& core, const Wire& wire) noexcept;

struct Winding {
  std::int16_t turns = 0;
  double henries = 0.0;  // the turns on the design's AL
  Wire wire;
  double wireLengthMm = 0.0;  // winding plus both leads
  int oneLayerTurns = 0;
  bool fits = false;
};
Winding Wind(const Core& core, std::int16_t turns, double alNh, const Wire& wire, double leadMm);

struct CoreWarnings {
  bool outsideRange = false;  // a band edge lies outside the material's range
  bool alOffCore = false;     // the design's AL differs by more than the tolerance
};
CoreWarnings CheckCore(const Core& core, const DesignState& design) noexcept;
// Whether an AL lies within the core's AL and its tolerance.
bool AlWithinTolerance(const Core& core, double alNh) noexcept;
// What a measured AL says about the catalogue: the cores it is consistent
// with, and the nearest of the others with how far off it is.
struct CoreMatch {
  std::vector<std::string> consistent;
  std::string nearestOther;   // empty when every core is consistent
  double otherPercent = 0.0;  // measured against that core's AL
};
CoreMatch MatchCores(const CoreCatalogue& catalogue, double alNh);
// "consistent with T50-2; T50-6 is 18 % off"
std::string CoreMatchText(const CoreMatch& match);

// Sets the design's AL to the core's as typing it into the AL box would,
// and returns the turns (L1, L2) nearest to the inductances the design had
// before. The turns themselves are left for the user to accept.
struct TurnsOffer {
  std::int16_t turnsL1 = 1;
  std::int16_t turnsL2 = 1;
};
TurnsOffer ChooseCore(DesignState& design, const Core& core);
// The same for an AL however found (a measured core's).
TurnsOffer UseAl(DesignState& design, double alNh);

// ---- Standard capacitors ----

enum class ESeries { kE6, kE12, kE24 };
std::optional<ESeries> ParseSeries(std::string_view text);
const char* SeriesName(ESeries series) noexcept;

// Values are held in tenths of a picofarad so that sums compare exactly.
using Tenths = std::int64_t;
inline double TenthsToFarads(Tenths v) noexcept { return static_cast<double>(v) * 1e-13; }

// The series' values from 1 pF up to 1 uF, ascending.
const std::vector<Tenths>& SeriesValues(ESeries series);

// A capacitor as soldered: one value, or two in parallel (second 0 for one).
struct CapacitorBuild {
  Tenths first = 0;
  Tenths second = 0;
  double Farads() const noexcept { return TenthsToFarads(first + second); }
  bool IsPair() const noexcept { return second != 0; }
  bool Fitted() const noexcept { return first != 0; }
};

struct StandardChoice {
  double target = 0.0;
  std::optional<CapacitorBuild> single;  // nearest by ratio
  std::optional<CapacitorBuild> pair;    // best two in parallel
  // The one the builder solders: the closer of the two (the single on a tie).
  CapacitorBuild Built() const noexcept;
};
// Ratio error of a value against a target: value / target - 1.
inline double RatioError(double value, double target) noexcept { return value / target - 1.0; }

std::optional<CapacitorBuild> NearestSingle(double farads, ESeries series);
// Two values, each from 1 pF up to the target, whose sum is nearest by
// ratio; of equally near pairs the one with the larger first value.
std::optional<CapacitorBuild> BestPair(double farads, ESeries series);
StandardChoice StandardFor(double farads, ESeries series);

// ---- Figures of a response against the design-aid boxes ----

struct ResponseFigures {
  double lossLowDb = 0.0;  // loss (positive) at the band edges
  double lossHighDb = 0.0;
  double passbandReflectionDb = 0.0;  // highest in the passband box
  double worstSecondDb = 0.0;         // weakest attenuation (positive) in the 2nd box
  double worstThirdDb = 0.0;
  std::array<double, 3> boxDb{};   // the boxes' levels as drawn
  std::array<double, 3> marginDb{};  // how far inside each box, negative when outside
  bool Met(int box) const noexcept { return marginDb[box] >= 0.0; }
  double SmallestMarginDb() const noexcept;
  double WorseEdgeLossDb() const noexcept;
};

// The figures of an evaluation (Evaluate): its band-edge losses and the
// worst levels in its boxes; of a design, those of its evaluation.
ResponseFigures FiguresOf(const Evaluation& evaluation) noexcept;
ResponseFigures FiguresOf(const DesignState& design, const GlobalDefaults& defaults);

// ---- Stress at the user's power ----

struct StressSettings {
  double watts = 10.0;  // into a matched load, continuous carrier
  double swr = 2.0;     // of the filter's load, at any phase
  double ratingVolts = 100.0;
  double margin = 2.0;  // a capacitor is over its rating when peak x margin > rating
};
inline constexpr double kPhaseStepDegrees = 5.0;

struct PartStress {
  double peakVolts = 0.0;         // highest across the part
  double rmsAmps = 0.0;           // highest through it
  double dissipationWatts = 0.0;  // highest lost in it through its Q
  bool overRating = false;        // capacitors only
};
// Highest over both band edges and every phase of the load.
std::array<PartStress, kLadderPartCount> Stress(const DesignState& design,
                                                const StressSettings& settings);

// ---- The whole sheet ----

struct BuildSheetChoices {
  std::string core;                      // empty: the one nearest the design's AL
  std::array<std::string, 2> wire = {kDefaultWire, kDefaultWire};  // L2, L1
  double leadMm = kDefaultLeadMm;
  ESeries series = ESeries::kE12;
  StressSettings stress;
};

// The plausible values of a choice: one outside them is refused where it
// is read (an option, the settings file, the window), so no sheet shows
// an infinite figure.
struct ChoiceRange {
  double lowest, highest;
  bool Holds(double value) const noexcept { return value >= lowest && value <= highest; }
};
inline constexpr ChoiceRange kLeadRangeMm{0.0, 1000.0};
inline constexpr ChoiceRange kPowerRangeWatts{0.001, 10000.0};
inline constexpr ChoiceRange kSwrRange{1.0, 100.0};
inline constexpr ChoiceRange kRatingRangeVolts{1.0, 100000.0};
inline constexpr ChoiceRange kMarginRange{1.0, 10.0};

struct BuildSheet {
  DesignState design;   // as the sheet was made for
  DesignState built;    // with the capacitors the builder solders
  std::optional<Core> core;
  CoreWarnings warnings;
  std::array<Winding, 2> winding;                                   // L2, L1
  std::array<StandardChoice, kLadderCapacitors.size()> capacitors;  // in kLadderCapacitors' order
  ResponseFigures designFigures;
  ResponseFigures builtFigures;
  std::array<PartStress, kLadderPartCount> stress{};
  BuildSheetChoices choices;
};

// Wires the two choices name, the default for one that does not read.
BuildSheet MakeBuildSheet(const DesignState& design, const GlobalDefaults& defaults,
                          const Core* core, const BuildSheetChoices& choices);

// The sheet as text lines (CR LF), for the terminal and the printed page.
std::vector<std::string> BuildSheetLines(const BuildSheet& sheet);
// The command's --csv table, one row per part in ladder order.
std::string BuildSheetCsv(const BuildSheet& sheet);
// "100p", "4.7n": a capacitor value in picofarads or nanofarads as on the
// part's label; "10p+2.2p" for a pair.
std::string CapacitorBuildText(const CapacitorBuild& build);

}  // namespace diruruzevuv::model
