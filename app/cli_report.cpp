#include <cstdio>

#include "cli_commands.h"

namespace diruruzevuv::cli {

int RunReportCommand(const std::vector<std::string>&, int, char**) {
  std::fputs("diruruzevuv-cli: 'report' is not available yet\n", stderr);
  return 1;
}

}  // namespace diruruzevuv::cli
