#pragma once

#include <string>
#include <vector>

namespace diruruzevuv::cli {

// Each command gets its arguments after the command word and returns the
// process exit status: 0 done, 1 a failure (message on standard error),
// 2 wrong usage.
int RunSweepCommand(const std::vector<std::string>& args);
int RunWizardCommand(const std::vector<std::string>& args);
int RunMonteCarloCommand(const std::vector<std::string>& args);
int RunSpiceCommand(const std::vector<std::string>& args);
int RunCompareCommand(const std::vector<std::string>& args);
int RunFitCommand(const std::vector<std::string>& args);
int RunReportCommand(const std::vector<std::string>& args, int argc, char** argv);

inline constexpr const char* kUsage =
    "usage: diruruzevuv-cli sweep [DESIGN_FILE]\n"
    "       diruruzevuv-cli wizard LOWER_EDGE AL TERMINATION OUT_FILE\n"
    "       diruruzevuv-cli montecarlo DESIGN_FILE\n"
    "       diruruzevuv-cli spice DESIGN_FILE OUT_FILE\n"
    "       diruruzevuv-cli report DESIGN_FILE OUT_PDF\n"
    "       diruruzevuv-cli compare DESIGN_FILE MEASURED_FILE [--floor DB] [--csv]\n"
    "       diruruzevuv-cli fit DESIGN_FILE MEASURED_FILE [--floor DB] [--tolerance PCT] "
    "[--csv]\n";

}  // namespace diruruzevuv::cli
