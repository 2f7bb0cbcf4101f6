#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "cli_commands.h"
#include "cli_notifier.h"
#include "files/core_catalogue.h"
#include "files/design_file.h"
#include "files/global_defaults_file.h"
#include "model/build/build_sheet.h"
#include "model/build/buildable_search.h"
#include "model/session.h"
#include "notation/notation.h"

namespace diruruzevuv::cli {
namespace {

struct BuildSheetArguments {
  std::string design;
  model::BuildSheetChoices choices;
  bool coreGiven = false;
  bool search = false;
  bool csv = false;
};

int ParseBuildSheetArguments(const std::vector<std::string>& args, BuildSheetArguments& out) {
  const CommandLine line{
      .command = "buildsheet",
      .shape = OptionShape::kDoubleDash,
      .options = {Flag("--csv"), Flag("--search"), Text("--core", "a value"),
                  Choice("--wire", "an AWG gauge (24) or a diameter in mm (0.5mm)",
                         [](const std::string& v) { return !!model::ParseWire(v); }),
                  Choice("--series", "E6, E12 or E24",
                         [](const std::string& v) { return !!model::ParseSeries(v); }),
                  Within("--lead", "a length of lead in mm", model::kLeadRangeMm),
                  Within("--power", "a power in W", model::kPowerRangeWatts),
                  Within("--swr", "an SWR", model::kSwrRange),
                  Within("--rating", "a voltage rating in V", model::kRatingRangeVolts),
                  Within("--margin", "a safety margin", model::kMarginRange)},
      .operands = {"DESIGN_FILE"},
      .required = 1,
      .emptyBeforeFirstOperandIsNone = true,
      .surplusAtOnce = true,
      .surplus = [](const std::vector<std::string>& operands) {
        return "buildsheet takes one DESIGN_FILE, got '" + operands[1] + "'";
      }};
  ParsedLine parsed;
  if (const int wrong = ParseCommandLine(line, args, parsed)) return wrong;
  out.design = parsed.operands[0];
  out.search = parsed.Has("--search");
  out.csv = parsed.Has("--csv");
  model::BuildSheetChoices& choices = out.choices;
  out.coreGiven = parsed.Has("--core");
  choices.core = parsed.Text("--core").value_or(choices.core);
  if (const auto wire = parsed.Text("--wire")) choices.wire = {*wire, *wire};
  if (const auto series = parsed.Text("--series")) choices.series = *model::ParseSeries(*series);
  choices.leadMm = parsed.Number("--lead").value_or(choices.leadMm);
  choices.stress.watts = parsed.Number("--power").value_or(choices.stress.watts);
  choices.stress.swr = parsed.Number("--swr").value_or(choices.stress.swr);
  choices.stress.ratingVolts = parsed.Number("--rating").value_or(choices.stress.ratingVolts);
  choices.stress.margin = parsed.Number("--margin").value_or(choices.stress.margin);
  return 0;
}

// The core named on the command line, with the turns it offers taken as
// the window takes them (note says what changed), or the catalogue's core
// nearest the design's AL. False, with the reason told, for a core the
// catalogue does not have.
bool ChooseCore(const BuildSheetArguments& args, const model::CoreCatalogue& catalogue,
                model::DesignState& design, const model::Core*& core, std::string& note) {
  if (!args.coreGiven) {
    core = catalogue.NearestByAl(design.ToroidAL);
    return true;
  }
  core = catalogue.Find(args.choices.core);
  if (!core) {
    Fail("unknown core '" + args.choices.core + "'; the catalogue " + files::kCoreCatalogueName +
         " has " + std::to_string(catalogue.cores.size()) + " cores");
    return false;
  }
  const std::int16_t oldL1 = design.TurnsL1;
  const std::int16_t oldL2 = design.TurnsL2;
  const model::TurnsOffer offer = model::ChooseCore(design, *core);
  model::SetTurns(design, offer.turnsL1, offer.turnsL2);
  note = "AL set to the core's " + notation::ShortestFloatText(design.ToroidAL) + "; turns L2 " +
         std::to_string(oldL2) + " -> " + std::to_string(offer.turnsL2) + ", L1 " +
         std::to_string(oldL1) + " -> " + std::to_string(offer.turnsL1) +
         " (nearest to the design's inductances)";
  return true;
}

// The sheet as text or, with --csv, as rows (of the proposal with --search).
std::string SheetOutput(const BuildSheetArguments& args, const model::Session& session,
                        const model::Core* core, const std::string& note) {
  const model::DesignState& design = session.design;
  model::BuildableProposal proposal;
  if (args.search)
    proposal = model::SearchBuildable(design, session.defaults, args.choices.series,
                                      args.choices.stress);
  if (args.csv) {
    const model::DesignState& shown = args.search ? proposal.design : design;
    return model::BuildSheetCsv(model::MakeBuildSheet(shown, session.defaults, core, args.choices));
  }
  const model::BuildSheet sheet =
      model::MakeBuildSheet(design, session.defaults, core, args.choices);
  std::string text;
  for (const std::string& line : model::BuildSheetLines(sheet)) {
    text += line + "\n";
    if (!note.empty() && line.starts_with("  Source: ")) text += "  " + note + "\n";
  }
  if (args.search)
    for (const std::string& line : model::ProposalLines(proposal, design)) text += line + "\n";
  return text;
}

}  // namespace

// buildsheet DESIGN_FILE [options]: core, windings, standard capacitors and
// the stress on each part at the transmitter's power.
int RunBuildSheetCommand(const Context& context, const std::vector<std::string>& args) {
  BuildSheetArguments parsed;
  if (const int wrong = ParseBuildSheetArguments(args, parsed)) return wrong;
  StderrNotifier notifier;
  model::Session session;
  session.locations = context.locations;
  files::ReadGlobalDefaults(session.locations, session.design, session.defaults, notifier);
  // The design reader's own failure message speaks of the screen's
  // fallback design, which the tool does not use.
  StderrNotifier told;
  if (!ReadDesignOrTellWhy(parsed.design, session.design, told)) return 1;
  model::DesignState& design = session.design;
  design.CurrentFile = std::filesystem::path(parsed.design).filename().string();
  model::UpdateInductances(design);

  const model::CoreCatalogue catalogue = files::ReadCoreCatalogue(session.locations);
  for (const std::string& problem : catalogue.problems)
    std::fprintf(stderr, "diruruzevuv-cli: skipped %s\n", problem.c_str());
  const model::Core* core = nullptr;
  std::string note;
  if (!ChooseCore(parsed, catalogue, design, core, note)) return 1;
  return WriteOut(SheetOutput(parsed, session, core, note));
}

}  // namespace diruruzevuv::cli
