#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <string>
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

constexpr const char* kPrefix = "diruruzevuv-cli: ";

bool Number(const std::string& text, double& value) {
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  return !text.empty() && error == std::errc{} && stop == end && std::isfinite(value);
}

int WriteOut(const std::string& text) {
  const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
  return (written && std::fflush(stdout) == 0) ? 0 : 1;
}

}  // namespace

// buildsheet DESIGN_FILE [options]: core, windings, standard capacitors and
// the stress on each part at the transmitter's power.
int RunBuildSheetCommand(const Context& context, const std::vector<std::string>& args) {
  model::BuildSheetChoices choices;
  std::string designPath;
  bool search = false;
  bool csv = false;
  bool coreGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--csv") {
      csv = true;
      continue;
    }
    if (a == "--search") {
      search = true;
      continue;
    }
    if (a.size() < 2 || a[0] != '-' || a[1] != '-') {
      if (!designPath.empty()) return UsageError("buildsheet takes one DESIGN_FILE, got '" + a + "'");
      designPath = a;
      continue;
    }
    struct NumberOption {
      const char* name;
      const char* what;
      double* value;
      double lowest;
      bool lowestAllowed;
    };
    const NumberOption numbers[] = {
        {"--lead", "a length of lead in mm", &choices.leadMm, 0.0, true},
        {"--power", "a power in W above 0", &choices.stress.watts, 0.0, false},
        {"--swr", "an SWR of at least 1", &choices.stress.swr, 1.0, true},
        {"--rating", "a voltage rating in V above 0", &choices.stress.ratingVolts, 0.0, false},
        {"--margin", "a safety margin above 0", &choices.stress.margin, 0.0, false},
    };
    const bool takesValue = a == "--core" || a == "--wire" || a == "--series";
    const NumberOption* number = nullptr;
    for (const NumberOption& n : numbers)
      if (a == n.name) number = &n;
    if (!takesValue && !number) return UsageError("unknown option '" + a + "' for buildsheet");
    if (i + 1 >= args.size())
      return UsageError(a + " needs " + (number ? number->what : "a value"));
    const std::string& value = args[++i];
    if (number) {
      double v = 0.0;
      if (!Number(value, v) || v < number->lowest || (v == number->lowest && !number->lowestAllowed))
        return UsageError(a + " needs " + number->what + ", got '" + value + "'");
      *number->value = v;
    } else if (a == "--core") {
      choices.core = value;
      coreGiven = true;
    } else if (a == "--wire") {
      if (!model::ParseWire(value))
        return UsageError("--wire needs an AWG gauge (24) or a diameter in mm (0.5mm), got '" +
                          value + "'");
      choices.wire = {value, value};
    } else {
      const auto series = model::ParseSeries(value);
      if (!series) return UsageError("--series needs E6, E12 or E24, got '" + value + "'");
      choices.series = *series;
    }
  }
  if (designPath.empty()) return UsageError("buildsheet needs a DESIGN_FILE");

  StderrNotifier notifier;
  model::Session session;
  session.locations = context.locations;
  files::ReadGlobalDefaults(session.locations, session.design, session.defaults, notifier);
  // The design reader's own failure message speaks of the screen's
  // fallback design, which the tool does not use.
  StderrNotifier told;
  if (!ReadDesignOrTellWhy(designPath, session.design, told)) return 1;
  model::DesignState& design = session.design;
  design.CurrentFile = std::filesystem::path(designPath).filename().string();
  model::UpdateInductances(design);

  const model::CoreCatalogue catalogue = files::ReadCoreCatalogue(session.locations);
  for (const std::string& problem : catalogue.problems)
    std::fprintf(stderr, "%sskipped %s\n", kPrefix, problem.c_str());
  const model::Core* core = nullptr;
  std::string note;
  if (coreGiven) {
    core = catalogue.Find(choices.core);
    if (!core) {
      std::fprintf(stderr, "%sunknown core '%s'; the catalogue %s has %zu cores\n", kPrefix,
                   choices.core.c_str(), files::kCoreCatalogueName, catalogue.cores.size());
      return 1;
    }
    // As choosing the core in the window and taking the offered turns.
    const std::int16_t oldL1 = design.TurnsL1;
    const std::int16_t oldL2 = design.TurnsL2;
    const model::TurnsOffer offer = model::ChooseCore(design, *core);
    model::SetTurns(design, offer.turnsL1, offer.turnsL2);
    note = "AL set to the core's " + notation::ShortestFloatText(design.ToroidAL) + "; turns L2 " +
           std::to_string(oldL2) + " -> " + std::to_string(offer.turnsL2) + ", L1 " +
           std::to_string(oldL1) + " -> " + std::to_string(offer.turnsL1) +
           " (nearest to the design's inductances)";
  } else {
    core = catalogue.NearestByAl(design.ToroidAL);
  }

  model::BuildableProposal proposal;
  if (search) proposal = model::SearchBuildable(design, session.defaults, choices.series);

  if (csv) {
    // With --search the rows describe the proposal.
    const model::DesignState& shown = search ? proposal.design : design;
    return WriteOut(model::BuildSheetCsv(
        model::MakeBuildSheet(shown, session.defaults, core, choices)));
  }
  const model::BuildSheet sheet = model::MakeBuildSheet(design, session.defaults, core, choices);
  std::string text;
  for (const std::string& line : model::BuildSheetLines(sheet)) {
    text += line + "\n";
    if (!note.empty() && line.starts_with("  Source: ")) text += "  " + note + "\n";
  }
  if (search)
    for (const std::string& line : model::ProposalLines(proposal, design)) text += line + "\n";
  return WriteOut(text);
}

}  // namespace diruruzevuv::cli
