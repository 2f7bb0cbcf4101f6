#include <cstdio>

#include "cli_commands.h"
#include "cli_notifier.h"
#include "files/design_file.h"
#include "files/global_defaults_file.h"
#include "files/spice_export.h"
#include "model/circuit/design_state.h"
#include "model/circuit/global_defaults.h"
#include "model/session.h"

namespace diruruzevuv::cli {

// spice DESIGN_FILE OUT_FILE: the schematic of a saved design, read the way
// the program reads it (global defaults first, then the design file).
int RunSpiceCommand(const Context& context, const std::vector<std::string>& args) {
  if (const int wrong = CheckOperands("spice", args, {"DESIGN_FILE", "OUT_FILE"}, 2)) return wrong;
  StderrNotifier notifier;
  model::DesignState design;
  model::GlobalDefaults defaults;
  const model::FileLocations& where = context.locations;
  files::ReadGlobalDefaults(where, design, defaults, notifier);
  if (!ReadDesignOrTellWhy(args[0], design, notifier)) return 1;
  if (!files::WriteSpiceSchematic(args[1], design, notifier)) return 1;
  return 0;
}

}  // namespace diruruzevuv::cli
