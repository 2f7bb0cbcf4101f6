#include "model/circuit/harmonics.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <utility>

#include "model/circuit/ladder.h"
#include "model/measurement/comparison.h"
#include "notation/notation.h"

namespace diruruzevuv::model {

double AllowedWatts(const RuleRow& row, double watts) noexcept {
  return std::max(row.floorWatts,
                  std::min(row.capWatts, watts * std::pow(10.0, -row.relativeDb / 10.0)));
}

namespace {

bool SameName(std::string_view a, std::string_view b) noexcept {
  return std::ranges::equal(
      a, b, [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

std::string Megahertz(double hz) {
  return notation::ShortestFloatText(static_cast<float>(hz / 1e6)) + " MHz";
}

}  // namespace

std::string RuleNamed(const RuleBook& book, std::string_view name) {
  for (const RuleRow& row : book.rows)
    if (SameName(row.name, name)) return row.name;
  return {};
}

RuleAnswer ApplyRule(const RuleBook& book, const std::string& name, double lowHz, double highHz,
                     double watts) {
  RuleAnswer answer{.allowedWatts = kNoLimit};
  for (const double hz : {lowHz, highHz}) {
    const RuleRow* covering = nullptr;
    bool frequencyCovered = false;
    for (const RuleRow& row : book.rows) {
      if (row.name != name) continue;
      frequencyCovered = frequencyCovered || (hz >= row.lowHz && hz < row.highHz);
      if (!covering && row.Covers(hz, watts)) covering = &row;
    }
    if (!covering) {
      answer.problem =
          "the rule '" + name + "' does not cover " +
          (frequencyCovered ? notation::ShortestFloatText(static_cast<float>(watts)) + " W at "
                            : std::string()) +
          Megahertz(hz);
      return answer;
    }
    answer.allowedWatts = std::min(answer.allowedWatts, AllowedWatts(*covering, watts));
    if (answer.source.empty()) answer.source = covering->source;
  }
  return answer;
}

std::string FirstRuleFor(const RuleBook& book, double lowHz, double highHz, double watts) {
  for (const RuleRow& row : book.rows)
    if (ApplyRule(book, row.name, lowHz, highHz, watts).problem.empty()) return row.name;
  return {};
}

TransmissionAt DesignTransmission(const DesignState& design) {
  return [ladder = LadderFromDesign(design)](double hz) -> std::optional<Transmission> {
    const double db = 20.0 * std::log10(std::abs(Respond(ladder, hz, ladder.sourceOhms).s21));
    if (!std::isfinite(db)) return std::nullopt;
    return Transmission{db};
  };
}

TransmissionAt MeasuredTransmission(const MeasuredNetwork& measured, double floorDb) {
  return [&measured, floorDb](double hz) -> std::optional<Transmission> {
    const auto level = MeasuredGainAt(measured, hz, -std::numeric_limits<double>::infinity());
    if (!level) return std::nullopt;
    // Near the floor the analyser shows its own noise: the filter passes
    // at most that much.
    if (*level > floorDb + 3.0) return Transmission{*level};
    return Transmission{*level > floorDb ? *level : floorDb, true};
  };
}

HarmonicFigure WorstRelative(const TransmissionAt& at, double lowHz, double highHz, int n) {
  HarmonicFigure worst;
  for (int i = 0; i < kHarmonicBandPoints; ++i) {
    const double f = lowHz + (highHz - lowHz) * i / (kHarmonicBandPoints - 1);
    const auto fundamental = at(f);
    const auto harmonic = at(n * f);
    if (!fundamental || fundamental->limited || !harmonic) return {};
    const double relative = harmonic->db - fundamental->db;
    if (!worst.relativeDb || relative > *worst.relativeDb) worst = {relative, harmonic->limited};
  }
  return worst;
}

bool HarmonicsReport::AllMeet() const noexcept {
  return std::ranges::all_of(rows, [](const HarmonicRow& r) { return !r.Judged() || r.Meets(); });
}

HarmonicsReport JudgeHarmonics(const DesignState& design,
                               const std::vector<HarmonicsFilter>& filters, const RuleBook& book,
                               const HarmonicsChoices& choices, std::string& problem) {
  HarmonicsReport report{.rule = choices.rule, .watts = choices.watts};
  report.lowHz = std::min(design.LowerEdge, design.UpperEdge);
  report.highHz = std::max(design.LowerEdge, design.UpperEdge);
  const RuleAnswer rule = ApplyRule(book, choices.rule, report.lowHz, report.highHz, choices.watts);
  problem = rule.problem;
  if (!problem.empty()) return report;
  report.source = rule.source;
  report.allowedWatts = rule.allowedWatts;
  report.allowedDbc = 10.0 * std::log10(rule.allowedWatts / choices.watts);
  for (int n = 2; n <= choices.highest; ++n) {
    for (const HarmonicsFilter& filter : filters) {
      HarmonicRow row{.harmonic = n,
                      .lowHz = n * report.lowHz,
                      .highHz = n * report.highHz,
                      .filter = filter.name};
      row.figure = WorstRelative(filter.at, report.lowHz, report.highHz, n);
      if (const auto pa = choices.paDbc.find(n); pa != choices.paDbc.end()) row.paDbc = pa->second;
      if (row.Measured()) {
        row.highestPaDbc = report.allowedDbc - *row.figure.relativeDb;
        if (row.paDbc) {
          row.spurDbc = *row.paDbc + *row.figure.relativeDb;
          row.spurWatts = choices.watts * std::pow(10.0, row.spurDbc / 10.0);
          row.marginDb = report.allowedDbc - row.spurDbc;
        }
      }
      report.rows.push_back(std::move(row));
    }
  }
  return report;
}

std::optional<std::map<int, double>> ParsePaLevels(std::string_view text) {
  std::map<int, double> levels;
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    const std::size_t equals = item.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const auto n = notation::PlainNumber(item.substr(0, equals));
    const auto level = notation::PlainNumber(item.substr(equals + 1));
    if (!n || !level || *n != std::floor(*n) || *n < 2 || *n > kMostHarmonics || !(*level <= 0.0))
      return std::nullopt;
    levels[static_cast<int>(*n)] = *level;
  }
  return levels;
}

std::string PaLevelsText(const std::map<int, double>& levels) {
  std::string text;
  for (const auto& [n, level] : levels) {
    if (!text.empty()) text += ',';
    text += std::to_string(n);
    text += '=';
    text += notation::ShortestFloatText(static_cast<float>(level));
  }
  return text;
}

namespace {

std::string Format(const char* format, auto... values) {
  char buffer[160];
  std::snprintf(buffer, sizeof buffer, format, values...);
  return buffer;
}

std::string Ordinal(int n) {
  std::string text = std::to_string(n);
  return text += n == 2 ? "nd" : n == 3 ? "rd" : "th";
}

// "100 uW", "2.5 mW", "10 W".
std::string Power(double watts) {
  const char* prefix[] = {"", "m", "u", "n", "p"};
  int step = 0;
  while (step < 4 && std::fabs(watts) < 1.0 && watts != 0.0) {
    watts *= 1000.0;
    ++step;
  }
  return Format("%.3g %sW", watts, prefix[step]);
}

std::string Verdict(const HarmonicRow& row, double allowedDbc) {
  const bool bound = row.figure.floorLimited;
  std::string text = row.filter + ", " + Ordinal(row.harmonic) + " harmonic: ";
  if (!row.Measured()) return text + "not measured";
  text += Format("%s%.1f dBc at the antenna, rule allows %.1f dBc: ", bound ? "at most " : "",
                 row.spurDbc, allowedDbc);
  if (row.Meets())
    return text + Format("meets by %s%.1f dB", bound ? "at least " : "", row.marginDb);
  if (bound) return text + Format("not shown to meet (%.1f dB short)", -row.marginDb);
  return text + Format("fails by %.1f dB", -row.marginDb);
}

}  // namespace

std::vector<std::string> HarmonicsLines(const HarmonicsReport& report) {
  std::vector<std::string> lines = {
      Format("Harmonics and the rules: %.3f to %.3f MHz at %s W", report.lowHz / 1e6,
             report.highHz / 1e6,
             notation::ShortestFloatText(static_cast<float>(report.watts)).c_str()),
      "Rule " + report.rule + ": a spur may reach " + Power(report.allowedWatts) +
          Format(", %.1f dBc", report.allowedDbc),
      "  Source: " + report.source,
      Format("Terminations as designed; the worst over %d points across the band.",
             kHarmonicBandPoints),
      "",
      "Harmonic  Band MHz         Filter     Filter dB  Highest PA dBc  PA dBc  Antenna dBc  "
      "Antenna W  Margin dB"};
  bool limited = false, judged = false;
  for (const HarmonicRow& row : report.rows) {
    std::string line = Format("%-9s %7.3f-%-8.3f %-10s ", Ordinal(row.harmonic).c_str(),
                              row.lowHz / 1e6, row.highHz / 1e6, row.filter.c_str());
    if (!row.Measured()) {
      lines.push_back(line + "not measured");
      continue;
    }
    limited = limited || row.figure.floorLimited;
    // A PA may then put out its harmonics as strong as its carrier.
    const std::string highest = row.highestPaDbc >= 0.0 ? "any" : Format("%.1f", row.highestPaDbc);
    line += Format(
        "%9s  %14s",
        Format("%s%.1f", row.figure.floorLimited ? "<=" : "", *row.figure.relativeDb).c_str(),
        highest.c_str());
    if (row.paDbc)
      line += Format("  %6.1f  %11.1f  %9s  %9.1f", *row.paDbc, row.spurDbc,
                     Power(row.spurWatts).c_str(), row.marginDb);
    judged = judged || row.paDbc;
    lines.push_back(line);
  }
  if (limited) lines.push_back("<= at the measurement's floor: the attenuation is at least this");
  if (!judged) return lines;
  lines.push_back("");
  for (const HarmonicRow& row : report.rows)
    if (row.paDbc) lines.push_back(Verdict(row, report.allowedDbc));
  return lines;
}

std::string HarmonicsCsv(const HarmonicsReport& report) {
  std::string csv =
      "harmonic,low_hz,high_hz,filter,relative_db,pa_dbc,spur_dbc,spur_watts,allowed_dbc,"
      "allowed_watts,highest_pa_dbc,margin_db,meets,floor_limited\n";
  const auto number = [](double v) { return Format("%.6g", v); };
  for (const HarmonicRow& row : report.rows) {
    csv += std::to_string(row.harmonic) + "," + number(row.lowHz) + "," + number(row.highHz) + "," +
           row.filter + ",";
    const bool measured = row.Measured(), judged = row.Judged();
    csv += (measured ? number(*row.figure.relativeDb) : "") + ",";
    csv += (row.paDbc ? number(*row.paDbc) : "") + ",";
    csv += (judged ? number(row.spurDbc) + "," + number(row.spurWatts) : ",") + ",";
    csv += number(report.allowedDbc) + "," + number(report.allowedWatts) + ",";
    csv += (measured ? number(row.highestPaDbc) : "") + ",";
    csv += (judged ? number(row.marginDb) + "," + (row.Meets() ? "yes" : "no") : ",") + ",";
    csv += measured ? (row.figure.floorLimited ? "yes" : "no") : "";
    csv += "\n";
  }
  return csv;
}

}  // namespace diruruzevuv::model
