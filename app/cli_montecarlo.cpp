#include <cstdio>

#include "cli_commands.h"

namespace diruruzevuv::cli {

int RunMonteCarloCommand(const std::vector<std::string>&) {
  std::fputs("diruruzevuv-cli: 'montecarlo' is not available yet\n", stderr);
  return 1;
}

}  // namespace diruruzevuv::cli
