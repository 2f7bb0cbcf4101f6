#include <cstdio>

#include "cli_commands.h"

namespace diruruzevuv::cli {

int RunSweepCommand(const std::vector<std::string>&) {
  std::fputs("diruruzevuv-cli: 'sweep' is not available yet\n", stderr);
  return 1;
}

}  // namespace diruruzevuv::cli
