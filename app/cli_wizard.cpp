#include <cstdio>
#include <string>

#include "cli_commands.h"
#include "cli_notifier.h"
#include "files/design_file.h"
#include "model/circuit/design_state.h"
#include "model/circuit/global_defaults.h"
#include "model/circuit/wizard.h"

namespace diruruzevuv::cli {

int RunWizardCommand(const Context&, const std::vector<std::string>& args) {
  if (const int wrong =
          CheckOperands("wizard", args, {"LOWER_EDGE", "AL", "TERMINATION", "OUT_FILE"}, 4))
    return wrong;
  StderrNotifier notifier;
  // The file writer quietly skips names shorter than two characters (a
  // cancelled save dialog); here that would be a success that wrote nothing.
  if (args[3].size() < 2) {
    notifier.Message("diruruzevuv-cli: the output file name \"" + args[3] +
                     "\" is too short (at least two characters); nothing was written");
    return 1;
  }
  model::WizardEntries entries;
  entries.lowerEdge = args[0];
  entries.toroid = args[1];
  entries.input = args[2];
  model::DesignState design;
  model::GlobalDefaults defaults;
  const model::WizardOutcome outcome = model::WizardPreview(entries, design, defaults);
  if (!outcome.accepted) {
    notifier.Message("diruruzevuv-cli: " + outcome.message);
    return 1;
  }
  if (!files::WriteDesignFile(args[3], design, notifier)) return 1;
  std::string rows;
  for (std::size_t i = 0; i < outcome.results.size(); ++i) {
    rows += model::kWizardRowCaptions[i];
    rows += outcome.results[i];
    rows += '\n';
  }
  return WriteOut(rows);
}

}  // namespace diruruzevuv::cli
