// diruruzevuv-report DATA_DIR DESIGN_FILE OUT_PDF: the renderer behind
// "diruruzevuv-cli report". It is the only part of the command-line tool
// that loads Qt, so the other commands start without it.
#include <cstdio>
#include <string>
#include <vector>

#include "files/replace_file.h"
#include "cli_commands.h"

int main(int argc, char** argv) {
  // A write past a file size limit then fails like any other.
  diruruzevuv::files::IgnoreFileSizeSignal();
  if (argc != 4) {
    std::fputs(diruruzevuv::cli::kUsage, stderr);
    return 2;
  }
  diruruzevuv::model::FileLocations where;
  where.dataDir = argv[1];
  return diruruzevuv::cli::RenderReport(where, {argv[2], argv[3]}, argc, argv);
}
