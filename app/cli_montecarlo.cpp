#include <cstdio>
#include <string>

#include "cli_commands.h"
#include "cli_notifier.h"
#include "files/design_file.h"
#include "files/global_defaults_file.h"
#include "model/circuit/adjustment.h"
#include "model/circuit/analysis_problem.h"
#include "model/circuit/evaluation.h"
#include "model/circuit/monte_carlo.h"
#include "model/session.h"

namespace diruruzevuv::cli {

int RunMonteCarloCommand(const Context& context, const std::vector<std::string>& args) {
  if (const int wrong = CheckOperands("montecarlo", args, {"DESIGN_FILE"}, 1)) return wrong;
  model::Session session;
  StderrNotifier notifier;
  session.locations = context.locations;
  files::ReadGlobalDefaults(session.locations, session.design, session.defaults, notifier);
  if (!ReadDesignOrTellWhy(args[0], session.design, notifier)) return 1;
  model::UpdateInductances(session.design);
  // A design that sweep refuses has no worst case either.
  if (!model::Evaluate(session.design, session.defaults).sweep.valid) {
    PrintUnanalysable(args[0], model::DescribeUnanalysable(session.design));
    return 1;
  }
  // The design screen's load writes the values into its boxes and reads
  // them back, so the run starts from the displayed values.
  model::ValueBoxes boxes;
  model::WriteValueBoxes(boxes, session.design);
  model::WorstCaseLabels labels;
  session.monte.trialCount = 0;
  model::RunMonteCarloWithoutDrawing(session, boxes, labels);
  return WriteOut(labels.worst + "\n" + labels.worstSecond + "\n" + labels.worstThird + "\n");
}

}  // namespace diruruzevuv::cli
