#include <cstdio>
#include <string>

#include "cli_commands.h"
#include "cli_notifier.h"
#include "files/design_file.h"
#include "files/global_defaults_file.h"
#include "files/sweep_csv.h"
#include "model/circuit/analysis_problem.h"
#include "model/circuit/design_state.h"
#include "model/circuit/evaluation.h"
#include "model/circuit/global_defaults.h"
#include "model/session.h"

namespace diruruzevuv::cli {
int RunSweepCommand(const Context& context, const std::vector<std::string>& args) {
  if (const int wrong = CheckOperands("sweep", args, {"DESIGN_FILE"}, 0)) return wrong;
  StderrNotifier notifier;
  model::Session session;
  const model::FileLocations& where = context.locations;
  files::ReadGlobalDefaults(where, session.design, session.defaults, notifier);
  if (args.empty()) {
    model::ApplyDefaultDesign(session.design);
  } else if (!ReadDesignOrTellWhy(args[0], session.design, notifier)) {
    return 1;
  }

  const model::Evaluation evaluation = model::Evaluate(session.design, session.defaults);
  const model::SweepResult& result = evaluation.sweep;
  if (!result.valid) {
    PrintUnanalysable(args.empty() ? "the built-in design" : args[0],
                      model::DescribeUnanalysable(session.design));
    return 1;
  }

  return WriteOut(files::SweepCsvText(result));
}

}  // namespace diruruzevuv::cli
