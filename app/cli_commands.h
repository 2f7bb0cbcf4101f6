#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "cli_options.h"
#include "model/session.h"

namespace diruruzevuv::cli {

// What every command may need from the tool's start: the working folder
// (the current one) and the shipped data folder found from the tool's own
// location, and that location itself.
struct Context {
  model::FileLocations locations;
  std::filesystem::path programDir;
};

// Each command gets its arguments after the command word and returns the
// process exit status: 0 done, 1 a failure (message on standard error),
// 2 wrong usage. A new command is one more app/cli_<name>.cpp, its line in
// the table of cli.cpp and its line in kUsage.
int RunSweepCommand(const Context& context, const std::vector<std::string>& args);
int RunWizardCommand(const Context& context, const std::vector<std::string>& args);
int RunMonteCarloCommand(const Context& context, const std::vector<std::string>& args);
int RunSpiceCommand(const Context& context, const std::vector<std::string>& args);
int RunCompareCommand(const Context& context, const std::vector<std::string>& args);
int RunFitCommand(const Context& context, const std::vector<std::string>& args);
int RunTouchstoneCommand(const Context& context, const std::vector<std::string>& args);
int RunMeasureCommand(const Context& context, const std::vector<std::string>& args);
int RunDevicesCommand(const Context& context, const std::vector<std::string>& args);
int RunBuildSheetCommand(const Context& context, const std::vector<std::string>& args);
int RunCalibrateCommand(const Context& context, const std::vector<std::string>& args);
// Exit status 3: a harmonic with a PA level given does not meet the rule.
int RunHarmonicsCommand(const Context& context, const std::vector<std::string>& args);
int RunPartCommand(const Context& context, const std::vector<std::string>& args);
int RunTuneCommand(const Context& context, const std::vector<std::string>& args);
// Hands over to the report renderer, a separate program that loads Qt.
int RunReportCommand(const Context& context, const std::vector<std::string>& args);

// The report command's work inside the renderer program (which loads Qt):
// reads the design as the program does and writes the PDF.
int RenderReport(const model::FileLocations& where, const std::vector<std::string>& args, int argc,
                 char** argv);

inline constexpr const char* kUsage =
    "usage: diruruzevuv-cli sweep [DESIGN_FILE]\n"
    "       diruruzevuv-cli wizard LOWER_EDGE AL TERMINATION OUT_FILE\n"
    "       diruruzevuv-cli montecarlo DESIGN_FILE\n"
    "       diruruzevuv-cli spice DESIGN_FILE OUT_FILE\n"
    "       diruruzevuv-cli report DESIGN_FILE OUT_PDF\n"
    "       diruruzevuv-cli compare DESIGN_FILE MEASURED_FILE...|--port PORT [--floor DB] [--csv]\n"
    "       diruruzevuv-cli fit DESIGN_FILE MEASURED_FILE|--port PORT [--floor DB] "
    "[--tolerance PCT] [--csv]\n"
    "                  (with --port: [--calibration CAL_FILE | --uncalibrated])\n"
    "       diruruzevuv-cli touchstone DESIGN_FILE OUT.s2p [--start HZ] [--stop HZ] "
    "[--points N]\n"
    "       diruruzevuv-cli buildsheet DESIGN_FILE [--core T50-2] [--wire 24|0.5mm] [--lead MM]\n"
    "                  [--series E6|E12|E24] [--power W] [--swr S] [--rating V] [--margin X]\n"
    "                  [--search] [--csv]\n"
    "       diruruzevuv-cli harmonics DESIGN_FILE [MEASURED_FILE|--port PORT] [--rule NAME]\n"
    "                  [--power W] [--pa 2=-30,3=-15] [--up-to N] [--series E6|E12|E24]\n"
    "                  [--floor DB] [--csv]\n"
    "                  (with --port: [--calibration CAL_FILE | --uncalibrated])\n"
    "       diruruzevuv-cli devices [--port PORT]\n"
    "       diruruzevuv-cli measure [--design DESIGN_FILE] [--port PORT] [--start HZ] [--stop HZ] "
    "[--points N]\n"
    "                  [--calibration CAL_FILE | --uncalibrated] OUT_FILE\n"
    "       diruruzevuv-cli calibrate CAL_FILE open|short|load|through|isolation --port PORT\n"
    "                  [--start HZ] [--stop HZ] [--points N] [--kit KIT_FILE]\n"
    "       diruruzevuv-cli part (FILE | [--port PORT] [--start HZ] [--stop HZ] [--points N]\n"
    "                  [--calibration CAL_FILE | --uncalibrated])\n"
    "                  --fixture series|shunt|reflection [--kind inductor|capacitor] [--turns N]\n"
    "                  [--lead MM] [--design DESIGN_FILE] [--csv]\n"
    "       diruruzevuv-cli tune DESIGN_FILE --port PORT [--start HZ] [--stop HZ] [--points N]\n"
    "                  [--calibration CAL_FILE | --uncalibrated] [--count N] [--csv]\n";

}  // namespace diruruzevuv::cli
