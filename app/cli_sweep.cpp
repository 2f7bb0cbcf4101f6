#include <cstdio>
#include <string>

#include "cli_commands.h"
#include "cli_notifier.h"
#include "files/design_file.h"
#include "files/global_defaults_file.h"
#include "model/analysis.h"
#include "model/analysis_problem.h"
#include "model/design_state.h"
#include "model/global_defaults.h"
#include "model/session.h"
#include "notation/float_digits.h"

namespace diruruzevuv::cli {
namespace {

// Nine significant digits bring every float back unchanged; the writer
// never looks at the locale.
void AppendNumber(std::string& line, float value) {
  char buffer[notation::kFloat9Room];
  line.append(buffer, notation::WriteFloat9(buffer, value));
}

}  // namespace

int RunSweepCommand(const Context& context, const std::vector<std::string>& args) {
  if (args.size() > 1) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  StderrNotifier notifier;
  model::Session session;
  const model::FileLocations& where = context.locations;
  files::ReadGlobalDefaults(where, session.design, session.defaults, notifier);
  if (args.empty()) {
    model::ApplyDefaultDesign(session.design);
  } else if (!ReadDesignOrTellWhy(args[0], session.design, notifier)) {
    return 1;
  }

  session.analysis.RunSweep(session.design);
  const model::SweepResult& result = session.analysis.Result();
  if (!result.valid) {
    PrintUnanalysable(model::DescribeUnanalysable(session.design));
    return 1;
  }

  std::string text = "frequency_hz,gain_db,reflection_db\n";
  text.reserve(text.size() + 48 * (result.intervals + 1));
  for (int i = 0; i <= result.intervals; ++i) {
    AppendNumber(text, result.frequency[i]);
    text += ',';
    AppendNumber(text, result.gain[i]);
    text += ',';
    AppendNumber(text, result.reflection[i]);
    text += '\n';
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
  return (written && std::fflush(stdout) == 0) ? 0 : 1;
}

}  // namespace diruruzevuv::cli
