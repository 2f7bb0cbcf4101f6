#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli_commands.h"
#include "cli_measurement.h"
#include "cli_notifier.h"
#include "files/global_defaults_file.h"
#include "files/rules_file.h"
#include "model/build/build_sheet.h"
#include "model/circuit/harmonics.h"
#include "notation/notation.h"

namespace diruruzevuv::cli {
namespace {

struct HarmonicsArguments {
  MeasurementArguments measurement;  // the design, and the measured filter if any
  std::optional<std::string> rule;
  model::HarmonicsChoices choices;
  model::ESeries series = model::ESeries::kE12;
};

int ParseHarmonicsArguments(const std::vector<std::string>& args, HarmonicsArguments& out) {
  const model::ChoiceRange power = model::kPowerRangeWatts;
  CommandLine line{
      .command = "harmonics",
      .options = {Flag("--csv"), Number("--floor", "a number of dB", {}, MissingValue::kGotNothing),
                  Text("--port", "a serial port", MissingValue::kGotNothing),
                  Text("--rule", "a rule's name"),
                  Number("--power", "a power in W from 0.001 to 10000",
                         {.lowest = power.lowest, .highest = power.highest}),
                  Choice("--pa", "levels in dBc by harmonic, such as 2=-30,3=-15",
                         [](const std::string& v) { return !!model::ParsePaLevels(v); }),
                  Whole("--up-to", 2, model::kMostHarmonics),
                  Choice("--series", "E6, E12 or E24",
                         [](const std::string& v) { return !!model::ParseSeries(v); })},
      .operands = {"DESIGN_FILE", "MEASURED_FILE"},
      .required = 1,
      .insteadOfLastOperand = "--port",
  };
  // A board that sends uncorrected data is read through a calibration.
  AddCalibrationOptions(line.options);
  ParsedLine parsed;
  if (const int wrong = ParseCommandLine(line, args, parsed)) return wrong;
  MeasurementArguments& measurement = out.measurement;
  if (const int wrong = ChooseCorrectionForPort(parsed, measurement.correction)) return wrong;
  measurement.csv = parsed.Has("--csv");
  measurement.floorDb = parsed.Number("--floor").value_or(measurement.floorDb);
  measurement.port = parsed.Text("--port").value_or("");
  measurement.design = parsed.operands[0];
  if (parsed.operands.size() > 1) measurement.measured = parsed.operands[1];
  out.rule = parsed.Text("--rule");
  model::HarmonicsChoices& choices = out.choices;
  choices.watts = parsed.Number("--power").value_or(choices.watts);
  if (const auto pa = parsed.Text("--pa")) choices.paDbc = *model::ParsePaLevels(*pa);
  choices.highest = static_cast<int>(parsed.Number("--up-to").value_or(choices.highest));
  if (const auto series = parsed.Text("--series")) out.series = *model::ParseSeries(*series);
  return 0;
}

// The rule the user named, or the first that covers the band; empty, with
// the reason told, when there is none.
std::string ChooseRule(const HarmonicsArguments& args, const model::RuleBook& book,
                       const model::DesignState& design) {
  const std::string where = std::string(" in ") + files::kRulesFileName;
  if (args.rule) {
    const std::string name = model::RuleNamed(book, *args.rule);
    if (name.empty()) Fail("no rule '" + *args.rule + "'" + where);
    return name;
  }
  const double low = std::min(design.LowerEdge, design.UpperEdge);
  const double high = std::max(design.LowerEdge, design.UpperEdge);
  const std::string name = model::FirstRuleFor(book, low, high, args.choices.watts);
  if (name.empty())
    Fail("no rule" + where + " covers " + notation::ShortestFloatText(design.LowerEdge / 1e6f) +
         " MHz at " + notation::ShortestFloatText(static_cast<float>(args.choices.watts)) + " W");
  return name;
}

}  // namespace

// harmonics DESIGN_FILE [MEASURED_FILE | --port PORT] [options]: each
// harmonic at the antenna through the design, the soldered parts and the
// measured filter, against a spurious-emission rule.
int RunHarmonicsCommand(const Context& context, const std::vector<std::string>& args) {
  HarmonicsArguments parsed;
  if (const int wrong = ParseHarmonicsArguments(args, parsed)) return wrong;
  const MeasurementArguments& from = parsed.measurement;
  std::optional<LoadedMeasurement> loaded;
  if (!from.measured.empty() || !from.port.empty()) {
    loaded = LoadMeasurement(context, from);
    if (!loaded) return 1;
  } else {
    loaded.emplace();
    StderrNotifier notifier;
    files::ReadGlobalDefaults(context.locations, loaded->design, loaded->defaults, notifier);
    StderrNotifier told;
    if (!ReadDesignOrTellWhy(from.design, loaded->design, told)) return 1;
  }
  std::string unreadable;
  const model::RuleBook book = files::ReadRules(context.locations, unreadable);
  if (!unreadable.empty()) return Fail(unreadable);
  for (const std::string& problem : book.problems)
    std::fprintf(stderr, "diruruzevuv-cli: skipped %s\n", problem.c_str());
  model::HarmonicsChoices choices = parsed.choices;
  choices.rule = ChooseRule(parsed, book, loaded->design);
  if (choices.rule.empty()) return 1;

  model::BuildSheetChoices soldering;
  soldering.series = parsed.series;
  const model::BuildSheet sheet =
      model::MakeBuildSheet(loaded->design, loaded->defaults, nullptr, soldering);
  std::vector<model::HarmonicsFilter> filters = {
      {"design", model::DesignTransmission(sheet.design)},
      {"soldered", model::DesignTransmission(sheet.built)}};
  const bool measured = !loaded->summary.empty();
  if (measured)
    filters.push_back({"measured", model::MeasuredTransmission(loaded->measured, from.floorDb)});
  std::string problem;
  const model::HarmonicsReport report =
      model::JudgeHarmonics(sheet.design, filters, book, choices, problem);
  if (!problem.empty()) return Fail(problem);
  std::string text;
  if (from.csv) {
    text = model::HarmonicsCsv(report);
  } else {
    text = "Design: " + from.design + "\n";
    if (measured) text += "Measured: " + loaded->summary + "\n";
    for (const std::string& line : model::HarmonicsLines(report)) text += line + "\n";
  }
  if (const int failed = WriteOut(text)) return failed;
  return report.AllMeet() ? 0 : 3;
}

}  // namespace diruruzevuv::cli
