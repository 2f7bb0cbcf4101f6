#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "cli_commands.h"

namespace diruruzevuv::cli {

namespace fs = std::filesystem;

// report DESIGN_FILE OUT_PDF: the PDF is drawn through Qt's printer, which
// this tool does not load; the renderer program does it in this process's
// place (same standard streams, same exit status). It lies beside the tool
// in a build folder and in libexec/diruruzevuv when installed.
int RunReportCommand(const Context& context, const std::vector<std::string>& args) {
  if (const int wrong = CheckOperands("report", args, {"DESIGN_FILE", "OUT_PDF"}, 2)) return wrong;
  const fs::path candidates[] = {
      context.programDir / "diruruzevuv-report",
      (context.programDir / ".." / "libexec" / "diruruzevuv" / "diruruzevuv-report")
          .lexically_normal()};
  const std::string dataDir = context.locations.dataDir.string();
  for (const fs::path& renderer : candidates) {
    if (::access(renderer.c_str(), X_OK) != 0) continue;
    const std::string program = renderer.string();
    char* const argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(dataDir.c_str()),
                          const_cast<char*>(args[0].c_str()), const_cast<char*>(args[1].c_str()),
                          nullptr};
    std::fflush(nullptr);
    ::execv(argv[0], argv);
    std::fprintf(stderr, "diruruzevuv-cli: cannot start %s: %s\n", argv[0], std::strerror(errno));
    return 1;
  }
  std::fputs(
      "diruruzevuv-cli: no report renderer (diruruzevuv-report) is installed; a build "
      "without Qt has none\n",
      stderr);
  return 1;
}

}  // namespace diruruzevuv::cli
