#include <cstdio>

#include "cli_commands.h"

namespace diruruzevuv::cli {

int RunSpiceCommand(const std::vector<std::string>&) {
  std::fputs("diruruzevuv-cli: 'spice' is not available yet\n", stderr);
  return 1;
}

}  // namespace diruruzevuv::cli
