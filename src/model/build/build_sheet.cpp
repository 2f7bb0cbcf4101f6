#include "model/build/build_sheet.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "model/circuit/adjustment.h"
#include "notation/notation.h"

namespace diruruzevuv::model {
namespace {

std::string Lower(std::string_view text) {
  std::string out;
  for (char c : text)
    if (c != ' ' && c != '\t') out += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return out;
}

// Enamel as the heavy grade builds it: within 0.003 mm of the published
// overall diameters for AWG 20 to 30 (0.864 mm over 0.812 mm bare, 0.551
// over 0.511, 0.284 over 0.255).
double OverallMm(double bareMm) { return 1.04 * bareMm + 0.02; }

std::string Fixed(double value, int places) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", places, value);
  return buffer;
}

std::string Plain(double value, int digits = 6) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
  return buffer;
}

std::string ShortestOf(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value));
  return std::string(buffer, result.ptr);
}

// Published values of the series, in tenths of a picofarad over the first
// decade (IEC 60063: 8.2, not the 8.3 that 10^(i/n) gives).
constexpr Tenths kE6[] = {10, 15, 22, 33, 47, 68};
constexpr Tenths kE12[] = {10, 12, 15, 18, 22, 27, 33, 39, 47, 56, 68, 82};
constexpr Tenths kE24[] = {10, 11, 12, 13, 15, 16, 18, 20, 22, 24, 27, 30,
                           33, 36, 39, 43, 47, 51, 56, 62, 68, 75, 82, 91};

std::vector<Tenths> Expand(const Tenths* first, const Tenths* last) {
  std::vector<Tenths> values;
  Tenths decade = 1;
  for (int k = 0; k < 6; ++k, decade *= 10)
    for (const Tenths* v = first; v != last; ++v) values.push_back(*v * decade);
  values.push_back(10 * decade);  // 1 uF
  return values;
}

double RatioDistance(double value, double target) { return std::fabs(std::log(value / target)); }

// Distances closer than this are equal: a tie goes by the rule, not by
// rounding.
constexpr double kTie = 1e-12;

}  // namespace

// ---- Cores and windings ----

std::string CoreKey(std::string_view name) {
  return Lower(name);
}

const Core* CoreCatalogue::Find(std::string_view name) const noexcept {
  const std::string wanted = CoreKey(name);
  for (const Core& core : cores)
    if (CoreKey(core.name) == wanted) return &core;
  return nullptr;
}

const Core* CoreCatalogue::NearestByAl(double alNh) const noexcept {
  const Core* best = nullptr;
  for (const Core& core : cores)
    if (!best || std::fabs(core.alNh - alNh) < std::fabs(best->alNh - alNh)) best = &core;
  return best;
}

std::optional<Wire> ParseWire(std::string_view text) {
  std::string t = Lower(text);
  if (t.size() > 2 && t.ends_with("mm")) {
    const auto mm = notation::PlainNumber(std::string_view(t).substr(0, t.size() - 2));
    if (!mm || *mm < 0.05 || *mm > 3.0) return std::nullopt;
    return Wire{ShortestOf(*mm) + " mm", *mm, OverallMm(*mm)};
  }
  if (t.starts_with("awg")) t.erase(0, 3);
  int gauge = 0;
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), gauge);
  if (t.empty() || ec != std::errc() || end != t.data() + t.size() || gauge < 10 || gauge > 40)
    return std::nullopt;
  // The gauge's definition: 0.127 mm at AWG 36, 92 times that at AWG 0000.
  const double bare = 0.127 * std::pow(92.0, (36.0 - gauge) / 39.0);
  return Wire{"AWG " + std::to_string(gauge), bare, OverallMm(bare)};
}

double TurnLengthMm(const Core& core, const Wire& wire) noexcept {
  return 2.0 * core.heightMm + (core.odMm - core.idMm) + kPi * wire.overallMm;
}

int TurnsInOneLayer(const Core& core, const Wire& wire) noexcept {
  const double d = wire.overallMm;
  if (!(d > 0.0) || core.idMm <= d) return 0;
  return static_cast<int>(
      std::floor(kPi * (core.idMm - d) * (1.0 - kWindingGapDegrees / 360.0) / d));
}

Winding Wind(const Core& core, std::int16_t turns, double alNh, const Wire& wire, double leadMm) {
  Winding w;
  w.turns = turns;
  w.henries = alNh * 1e-9 * turns * turns;
  w.wire = wire;
  w.wireLengthMm = turns * TurnLengthMm(core, wire) + kLeadsPerWinding * leadMm;
  w.oneLayerTurns = TurnsInOneLayer(core, wire);
  w.fits = turns <= w.oneLayerTurns;
  return w;
}

CoreWarnings CheckCore(const Core& core, const DesignState& design) noexcept {
  CoreWarnings warnings;
  warnings.outsideRange = design.LowerEdge < core.lowestHz || design.UpperEdge > core.highestHz;
  warnings.alOffCore = !AlWithinTolerance(core, design.ToroidAL);
  return warnings;
}

bool AlWithinTolerance(const Core& core, double alNh) noexcept {
  return std::fabs(alNh / core.alNh - 1.0) * 100.0 <= core.alTolerancePercent;
}

CoreMatch MatchCores(const CoreCatalogue& catalogue, double alNh) {
  CoreMatch match;
  double nearest = std::numeric_limits<double>::infinity();
  for (const Core& core : catalogue.cores) {
    const double percent = (alNh / core.alNh - 1.0) * 100.0;
    if (AlWithinTolerance(core, alNh)) {
      match.consistent.push_back(core.name);
    } else if (std::fabs(percent) < nearest) {
      nearest = std::fabs(percent);
      match.nearestOther = core.name;
      match.otherPercent = percent;
    }
  }
  return match;
}

std::string CoreMatchText(const CoreMatch& match) {
  std::string text = "consistent with ";
  for (std::size_t i = 0; i < match.consistent.size(); ++i)
    text += (i > 0 ? ", " : "") + match.consistent[i];
  if (match.consistent.empty()) text += "no catalogue core";
  if (!match.nearestOther.empty())
    text += "; " + match.nearestOther + " is " + Fixed(std::fabs(match.otherPercent), 0) + " % off";
  return text;
}

TurnsOffer ChooseCore(DesignState& design, const Core& core) {
  return UseAl(design, core.alNh);
}

TurnsOffer UseAl(DesignState& design, double alNh) {
  const double l1 = design.L1;
  const double l2 = design.L2;
  AlTextChanged(notation::ShortestFloatText(static_cast<float>(alNh)), design);
  const double al = design.ToroidAL * 1e-9;
  return {NearestWholeTurns(l1, al), NearestWholeTurns(l2, al)};
}

// ---- Standard capacitors ----

std::optional<ESeries> ParseSeries(std::string_view text) {
  const std::string t = Lower(text);
  if (t == "e6") return ESeries::kE6;
  if (t == "e12") return ESeries::kE12;
  if (t == "e24") return ESeries::kE24;
  return std::nullopt;
}

const char* SeriesName(ESeries series) noexcept {
  switch (series) {
    case ESeries::kE6: return "E6";
    case ESeries::kE24: return "E24";
    default: return "E12";
  }
}

const std::vector<Tenths>& SeriesValues(ESeries series) {
  static const std::vector<Tenths> e6 = Expand(std::begin(kE6), std::end(kE6));
  static const std::vector<Tenths> e12 = Expand(std::begin(kE12), std::end(kE12));
  static const std::vector<Tenths> e24 = Expand(std::begin(kE24), std::end(kE24));
  switch (series) {
    case ESeries::kE6: return e6;
    case ESeries::kE24: return e24;
    default: return e12;
  }
}

CapacitorBuild StandardChoice::Built() const noexcept {
  if (!single) return pair.value_or(CapacitorBuild{});
  if (pair && RatioDistance(pair->Farads(), target) + kTie <
                  RatioDistance(single->Farads(), target))
    return *pair;
  return *single;
}

std::optional<CapacitorBuild> NearestSingle(double farads, ESeries series) {
  if (!(farads > 0.0) || !std::isfinite(farads)) return std::nullopt;
  std::optional<CapacitorBuild> best;
  double bestDistance = 0.0;
  for (Tenths v : SeriesValues(series)) {
    const double d = RatioDistance(TenthsToFarads(v), farads);
    if (!best || d + kTie < bestDistance) {
      best = CapacitorBuild{v, 0};
      bestDistance = d;
    }
  }
  return best;
}

std::optional<CapacitorBuild> BestPair(double farads, ESeries series) {
  if (!(farads > 0.0) || !std::isfinite(farads)) return std::nullopt;
  const std::vector<Tenths>& values = SeriesValues(series);
  // Each value at most the target (a float, so allow its rounding).
  const double target = farads / 1e-13;
  const double limit = target * (1.0 + 1e-6);
  std::optional<CapacitorBuild> best;
  double bestDistance = 0.0;
  // Larger first values first, so that an equally near pair found later
  // never replaces one found earlier.
  for (auto a = values.rbegin(); a != values.rend(); ++a) {
    if (static_cast<double>(*a) > limit) continue;
    for (auto b = values.begin(); b != values.end() && *b <= *a; ++b) {
      const double d = RatioDistance(static_cast<double>(*a + *b), target);
      if (!best || d + kTie < bestDistance) {
        best = CapacitorBuild{*a, *b};
        bestDistance = d;
      }
    }
  }
  return best;
}

StandardChoice StandardFor(double farads, ESeries series) {
  return {farads, NearestSingle(farads, series), BestPair(farads, series)};
}

std::string CapacitorBuildText(const CapacitorBuild& build) {
  const auto one = [](Tenths v) {
    return notation::FormatCapacitance(static_cast<float>(TenthsToFarads(v)));
  };
  if (!build.Fitted()) return "not fitted";
  return build.IsPair() ? one(build.first) + "+" + one(build.second) : one(build.first);
}

// ---- Figures ----

double ResponseFigures::SmallestMarginDb() const noexcept {
  return std::min({marginDb[0], marginDb[1], marginDb[2]});
}

double ResponseFigures::WorseEdgeLossDb() const noexcept {
  return std::max(lossLowDb, lossHighDb);
}

ResponseFigures FiguresOf(const Evaluation& evaluation) noexcept {
  ResponseFigures figures;
  figures.lossLowDb = -evaluation.edges.lower;
  figures.lossHighDb = -evaluation.edges.upper;
  const std::array<double, 3>& worst = evaluation.boxWorstDb;
  figures.passbandReflectionDb = worst[0];
  figures.worstSecondDb = -worst[1];
  figures.worstThirdDb = -worst[2];
  for (int k = 0; k < 3; ++k) {
    figures.boxDb[k] = evaluation.aidBoxes[k].levelDb;
    figures.marginDb[k] = figures.boxDb[k] - worst[k];
  }
  return figures;
}

ResponseFigures FiguresOf(const DesignState& design, const GlobalDefaults& defaults) {
  return FiguresOf(Evaluate(design, defaults));
}

// ---- Stress ----

std::array<PartStress, kLadderPartCount> Stress(const DesignState& design,
                                                const StressSettings& settings) {
  std::array<PartStress, kLadderPartCount> stress{};
  const Ladder ladder = LadderFromDesign(design);
  const double r = ladder.sourceOhms;
  // The EMF that puts P watts into a matched load of R.
  const Complex emf = 2.0 * std::sqrt(settings.watts * r);
  const double rho = (settings.swr - 1.0) / (settings.swr + 1.0);
  const int phases = rho > 0.0 ? static_cast<int>(std::ceil(360.0 / kPhaseStepDegrees)) : 1;
  const double degree = static_cast<double>(kPi) / 180.0;
  for (double f : {static_cast<double>(design.LowerEdge), static_cast<double>(design.UpperEdge)})
    for (int i = 0; i < phases; ++i) {
      const Complex gamma = std::polar(rho, i * kPhaseStepDegrees * degree);
      const Complex load = r * (1.0 + gamma) / (1.0 - gamma);
      const LadderSolution s = Solve(ladder, f, emf, load);
      for (int p = 0; p < kLadderPartCount; ++p) {
        if (p == kC92 && ladder.value[kC92] == 0.0) continue;  // not fitted
        PartStress& part = stress[p];
        part.peakVolts = std::max(part.peakVolts, std::sqrt(2.0) * std::abs(s.volts[p]));
        part.rmsAmps = std::max(part.rmsAmps, std::abs(s.amps[p]));
        part.dissipationWatts =
            std::max(part.dissipationWatts, (s.volts[p] * std::conj(s.amps[p])).real());
      }
    }
  for (int p = 0; p < kLadderPartCount; ++p)
    if (kLadderParts[p].kind == PartKind::kCapacitor)
      stress[p].overRating = stress[p].peakVolts * settings.margin > settings.ratingVolts;
  return stress;
}

// ---- The sheet ----

BuildSheet MakeBuildSheet(const DesignState& design, const GlobalDefaults& defaults,
                          const Core* core, const BuildSheetChoices& choices) {
  BuildSheet sheet;
  sheet.design = design;
  sheet.choices = choices;
  UpdateInductances(sheet.design);
  sheet.built = sheet.design;
  if (core) {
    sheet.core = *core;
    sheet.warnings = CheckCore(*core, sheet.design);
    const std::int16_t turns[2] = {sheet.design.TurnsL2, sheet.design.TurnsL1};
    for (int i = 0; i < 2; ++i) {
      const Wire wire =
          ParseWire(choices.wire[i]).value_or(*ParseWire(kDefaultWire));
      sheet.winding[i] = Wind(*core, turns[i], sheet.design.ToroidAL, wire, choices.leadMm);
    }
  }
  for (int i = 0; i < 4; ++i) {
    const LadderPart part = kLadderCapacitors[i];
    sheet.capacitors[i] = StandardFor(DesignValue(sheet.design, part), choices.series);
    if (sheet.capacitors[i].single)
      DesignValue(sheet.built, part) = static_cast<float>(sheet.capacitors[i].Built().Farads());
  }
  sheet.designFigures = FiguresOf(sheet.design, defaults);
  sheet.builtFigures = FiguresOf(sheet.built, defaults);
  sheet.stress = Stress(sheet.design, choices.stress);
  return sheet;
}

namespace {

std::string Percent(double error) {
  if (std::fabs(error) < 0.0005) return "0.0 %";  // no "-0.0"
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%+.1f %%", error * 100.0);
  return buffer;
}

std::string Pad(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::string Frequency(double hz) {
  return Plain(hz / 1e6) + " MHz";
}

}  // namespace

std::vector<std::string> BuildSheetLines(const BuildSheet& sheet) {
  std::vector<std::string> lines;
  const DesignState& d = sheet.design;
  const StressSettings& st = sheet.choices.stress;
  lines.push_back("Build sheet: " + (d.CurrentFile.empty() ? std::string("design") : d.CurrentFile) +
                  ", " + Frequency(d.LowerEdge) + " to " + Frequency(d.UpperEdge) + ", " +
                  Plain(d.InputTermination) + " ohm");
  lines.push_back("");
  if (sheet.core) {
    const Core& c = *sheet.core;
    lines.push_back("Core: " + c.name + " (" + c.material + "), AL " + Plain(c.alNh) +
                    " nH/turn^2 +-" + Plain(c.alTolerancePercent) + " %, " + Fixed(c.odMm, 2) +
                    " x " + Fixed(c.idMm, 2) + " x " + Fixed(c.heightMm, 2) +
                    " mm (OD x ID x height), " + Frequency(c.lowestHz) + " to " +
                    Frequency(c.highestHz));
    lines.push_back("  Source: " + c.source);
    if (sheet.warnings.outsideRange)
      lines.push_back("  WARNING: the band lies outside the core's useful range.");
    if (sheet.warnings.alOffCore)
      lines.push_back("  WARNING: the design's AL " + Plain(d.ToroidAL) + " differs from the core's " +
                      Plain(c.alNh) + " by more than " + Plain(c.alTolerancePercent) + " %.");
    const char* names[2] = {"L2", "L1"};
    for (int i = 0; i < 2; ++i) {
      const Winding& w = sheet.winding[i];
      lines.push_back("  " + std::string(names[i]) + ": " + std::to_string(w.turns) + " turns = " +
                      notation::FormatInductance(static_cast<float>(w.henries)) + ", " +
                      w.wire.name + " (" + Fixed(w.wire.overallMm, 3) + " mm enamelled), cut " +
                      Fixed(w.wireLengthMm, 0) + " mm with " + Plain(sheet.choices.leadMm) +
                      " mm leads, " +
                      (w.fits ? "fits in one layer" : "DOES NOT FIT in one layer") + " (up to " +
                      std::to_string(w.oneLayerTurns) + " turns)");
    }
  } else {
    lines.push_back("Core: none chosen");
  }
  lines.push_back("");
  lines.push_back(std::string("Capacitors (") + SeriesName(sheet.choices.series) +
                  "): design, nearest single, best pair, soldered");
  for (int i = 0; i < 4; ++i) {
    const StandardChoice& s = sheet.capacitors[i];
    std::string line = "  " + Pad(kLadderParts[kLadderCapacitors[i]].name, 5);
    if (!s.single) {
      lines.push_back(line + "not fitted");
      continue;
    }
    line += Pad(notation::FormatCapacitance(static_cast<float>(s.target)), 10);
    line += Pad(CapacitorBuildText(*s.single) + " " + Percent(RatioError(s.single->Farads(), s.target)), 20);
    line += Pad(s.pair ? CapacitorBuildText(*s.pair) + " " +
                             Percent(RatioError(s.pair->Farads(), s.target))
                       : std::string("-"),
                24);
    lines.push_back(line + CapacitorBuildText(s.Built()));
  }
  lines.push_back("");
  lines.push_back("Response                       design     as soldered");
  const ResponseFigures& a = sheet.designFigures;
  const ResponseFigures& b = sheet.builtFigures;
  const auto row = [&](const std::string& label, double x, double y) {
    lines.push_back("  " + Pad(label, 28) + Pad(Fixed(x, 2) + " dB", 11) + Fixed(y, 2) + " dB");
  };
  row("Loss at " + Frequency(d.LowerEdge), a.lossLowDb, b.lossLowDb);
  row("Loss at " + Frequency(d.UpperEdge), a.lossHighDb, b.lossHighDb);
  row("Passband reflection", a.passbandReflectionDb, b.passbandReflectionDb);
  row("2nd harmonic attenuation", a.worstSecondDb, b.worstSecondDb);
  row("3rd harmonic attenuation", a.worstThirdDb, b.worstThirdDb);
  const char* boxNames[3] = {"Passband box", "2nd harmonic box", "3rd harmonic box"};
  for (int k = 0; k < 3; ++k)
    lines.push_back("  " + Pad(std::string(boxNames[k]) + " (" + Plain(a.boxDb[k]) + " dB)", 28) +
                    Pad(a.Met(k) ? "met" : "NOT MET", 11) + (b.Met(k) ? "met" : "NOT MET"));
  lines.push_back("");
  lines.push_back("Stress at " + Plain(st.watts) + " W, SWR " + Plain(st.swr) +
                  " at any phase, both band edges (rating " + Plain(st.ratingVolts) +
                  " V, margin " + Plain(st.margin) + "):");
  lines.push_back("  Part  peak V    RMS A     dissipated W");
  for (int p = 0; p < kLadderPartCount; ++p) {
    const PartStress& s = sheet.stress[p];
    if (p == kC92 && d.C92 == 0.0f) {
      lines.push_back("  C92   not fitted");
      continue;
    }
    lines.push_back("  " + Pad(kLadderParts[p].name, 6) + Pad(Fixed(s.peakVolts, 1), 10) +
                    Pad(Fixed(s.rmsAmps, 3), 10) +
                    (s.overRating ? Pad(Plain(s.dissipationWatts, 3), 12) + "OVER RATING"
                                  : Plain(s.dissipationWatts, 3)));
  }
  return lines;
}

std::string BuildSheetCsv(const BuildSheet& sheet) {
  std::string out =
      "part,design,standard,pair,peak_volts,rms_amps,dissipation_watts,over_rating,core,turns,"
      "wire_length_mm,fits\n";
  for (int p = 0; p < kLadderPartCount; ++p) {
    const LadderPartInfo& info = kLadderParts[p];
    out += info.name;
    out += ',';
    if (info.kind == PartKind::kCapacitor) {
      const auto at = std::find(kLadderCapacitors.begin(), kLadderCapacitors.end(), p);
      const StandardChoice& s = sheet.capacitors[at - kLadderCapacitors.begin()];
      out += ShortestOf(s.target) + ',';
      const bool fitted = s.single.has_value();
      if (fitted) out += ShortestOf(s.single->Farads());
      out += ',';
      if (s.pair)
        out += ShortestOf(TenthsToFarads(s.pair->first)) + "+" +
               ShortestOf(TenthsToFarads(s.pair->second));
      out += ',';
      if (fitted) {
        const PartStress& st = sheet.stress[p];
        out += Plain(st.peakVolts) + ',' + Plain(st.rmsAmps) + ',' + Plain(st.dissipationWatts) +
               ',' + (st.overRating ? "yes" : "no");
      } else {
        out += ",,,";
      }
      out += ",,,,\n";
    } else {
      const Winding& w = sheet.winding[p == kL2 ? 0 : 1];
      out += ShortestOf(p == kL2 ? sheet.design.L2 : sheet.design.L1) + ",,,";
      const PartStress& st = sheet.stress[p];
      out += Plain(st.peakVolts) + ',' + Plain(st.rmsAmps) + ',' + Plain(st.dissipationWatts) +
             ",,";
      if (sheet.core)
        out += sheet.core->name + ',' + std::to_string(w.turns) + ',' + Plain(w.wireLengthMm) +
               ',' + (w.fits ? "yes" : "no");
      else
        out += ',' + std::to_string(p == kL2 ? sheet.design.TurnsL2 : sheet.design.TurnsL1) + ",,";
      out += "\n";
    }
  }
  return out;
}

}  // namespace diruruzevuv::model
