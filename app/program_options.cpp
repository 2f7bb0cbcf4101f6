#include "program_options.h"

#include <string_view>

namespace diruruzevuv::app {

const char* const kProgramHelp =
    "usage: diruruzevuv [--work-dir DIR | --user-work-dir] [--snapshot FILE]\n"
    "Designs the transmit low-pass filter of a small single-band SSB transmitter.\n"
    "\n"
    "  --work-dir DIR    keep the last session in DIR and look there first for\n"
    "                    band presets and global defaults; DIR is made when\n"
    "                    missing. Without it the current folder is used.\n"
    "  --user-work-dir   the same with $XDG_DATA_HOME/diruruzevuv (by default\n"
    "                    ~/.local/share/diruruzevuv); the menu entry starts the\n"
    "                    program this way\n"
    "  --snapshot FILE   show the opening screen, save a picture of it to FILE\n"
    "                    (PNG) and exit; with QT_QPA_PLATFORM=offscreen this\n"
    "                    checks an installation without a display\n"
    "  --help            show this text and exit\n"
    "  --version         show the version and exit\n"
    "\n"
    "The shipped presets and global defaults are read from ../share/diruruzevuv\n"
    "relative to the program's folder. See also diruruzevuv-cli(1).\n";

std::string ProgramVersionText() {
  return std::string("diruruzevuv ") + DIRU_VERSION + "\n";
}

ProgramOptions ParseProgramOptions(int argc, char** argv) {
  ProgramOptions options;
  if (argc > 0) options.qtArgs.push_back(argv[0]);
  const auto fail = [&options](std::string message) {
    options.action = ProgramOptions::Action::kUsageError;
    options.error = std::move(message);
    return options;
  };
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      options.action = ProgramOptions::Action::kHelp;
      return options;
    }
    if (arg == "--version") {
      options.action = ProgramOptions::Action::kVersion;
      return options;
    }
    // "--name VALUE" or "--name=VALUE"; false when arg is another option.
    std::string_view value;
    const auto valued = [&](std::string_view name) {
      if (arg == name) {
        value = i + 1 < argc ? std::string_view(argv[++i]) : std::string_view();
        return true;
      }
      if (arg.size() > name.size() && arg.starts_with(name) && arg[name.size()] == '=') {
        value = arg.substr(name.size() + 1);
        return true;
      }
      return false;
    };
    if (valued("--work-dir")) {
      if (value.empty()) return fail("--work-dir needs a folder");
      options.workDir = std::filesystem::path(value);
      options.userWorkDir = false;
    } else if (valued("--snapshot")) {
      if (value.empty()) return fail("--snapshot needs a file name");
      options.snapshot = std::filesystem::path(value);
    } else if (arg == "--user-work-dir") {
      options.userWorkDir = true;
      options.workDir.clear();
    } else {
      options.qtArgs.push_back(argv[i]);
    }
  }
  options.qtArgs.push_back(nullptr);  // argv ends with a null pointer
  return options;
}

}  // namespace diruruzevuv::app
