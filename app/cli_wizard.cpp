#include <cstdio>

#include "cli_commands.h"

namespace diruruzevuv::cli {

int RunWizardCommand(const std::vector<std::string>&) {
  std::fputs("diruruzevuv-cli: 'wizard' is not available yet\n", stderr);
  return 1;
}

}  // namespace diruruzevuv::cli
