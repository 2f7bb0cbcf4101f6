// A host calibration as a user makes it against the emulator, whose error
// box the device's own correction no longer removes: the standards switched
// by its control file, then the filter measured and fitted through it.
#include <gtest/gtest.h>

#include <cmath>

#include "../files/write_cases.h"
#include "analyser_emulator/analyser_emulator.h"
#include "files/touchstone.h"

namespace diruruzevuv::testing {
namespace {

ProcessResult Tool(std::vector<std::string> args) {
  args.insert(args.begin(), DIRU_CLI_PATH);
  return RunTogether({args}).front();
}

double Db(std::complex<double> v) {
  return 20.0 * std::log10(std::abs(v));
}

// Both families: the text shell with its own correction turned off, and the
// register-protocol boards, which never correct.
class CalibrationCli : public ::testing::TestWithParam<EmulatedKind> {};

TEST_P(CalibrationCli, CalibratedMeasurementIsTheFilterAsLoadedByThePortTwoMatch) {
  TempDir dir;
  const std::string control = (dir / "control").string(), cal = (dir / "f.cal").string();
  AnalyserEmulator emulator({.kind = GetParam(), .controlFile = control});
  const std::string port = emulator.Port();
  const auto connect = [&](const std::string& what) { WriteText(control, "connect " + what); };
  const auto calibrate = [&](const std::string& standard, std::vector<std::string> more = {}) {
    std::vector<std::string> args{"calibrate", cal, standard, "--port", port};
    args.insert(args.end(), more.begin(), more.end());
    return Tool(args);
  };
  const auto measure = [&](const std::string& out, std::vector<std::string> more = {}) {
    std::vector<std::string> args{"measure", "--port", port, "--calibration", cal};
    args.insert(args.end(), more.begin(), more.end());
    args.push_back((dir / out).string());
    return Tool(args);
  };
  connect("open");
  // A kit's fringing too small to spoil the agreement below.
  WriteText(dir / "my.kit", "open 3 0 0 0 0\n");
  ProcessResult r =
      calibrate("open", {"--start", "1e6", "--stop", "60e6", "--kit", (dir / "my.kit").string()});
  EXPECT_EQ(r.out, "open measured; still to measure: short, load, through\n");
  EXPECT_NE(ReadText(cal).find("kit open 3 0 0 0 0\r\n"), std::string::npos);
  // The failures on the way, each with its exit status and reason (on one
  // family: a register-protocol board answers only after the text shell's
  // silence, which makes its every run slow).
  const bool shell = GetParam() == EmulatedKind::kH4;
  if (shell) {
    const std::tuple<ProcessResult, int, std::string> failures[] = {
        {calibrate("short"), 1,
         "the open and the short look alike: their raw reflections differ by less than 0.02 at "
         "every frequency; connect the short and measure it again"},
        {calibrate("load", {"--points", "201"}), 2,
         cal + " calibrates 1000000 Hz to 60000000 Hz in 401 points: --start, --stop and --points "
               "may only repeat them"},
        {measure("m.s2p"), 1,
         "f.cal: the calibration has no short: S11 needs open, short and load"},
    };
    for (const auto& [run, status, err] : failures)
      EXPECT_EQ(std::tuple(run.status, run.err),
                std::tuple(status, "diruruzevuv-cli: " + err + "\n"));
  }
  for (const char* standard : {"short", "load", "through", "isolation"}) {
    connect(standard);
    r = calibrate(standard);
    EXPECT_EQ(r.status, 0) << r.err;
  }
  EXPECT_EQ(r.out, "isolation measured; S11 and S21 can be corrected\n");
  r = measure("wide.s2p", {"--start", "1e6", "--stop", "70e6"});
  EXPECT_EQ(r.err,
            "diruruzevuv-cli: f.cal: 70000000 Hz lies outside the calibration's range, "
            "1000000 Hz to 60000000 Hz\n");

  connect("filter");
  ASSERT_EQ(measure("m.s2p").status, 0);
  const auto read = files::ReadTouchstoneFile(dir / "m.s2p");
  ASSERT_TRUE(read.network);
  const model::MeasuredNetwork& m = *read.network;
  ASSERT_EQ(m.portTwoMatch.size(), 401u);
  double passband = 0.0, deep = 0.0, reflection = 0.0;
  for (std::size_t i = 0; i < m.frequency.size(); ++i) {
    const double hz = m.frequency[i];
    const model::SParameters s = DeviceResponse({}, hz);
    const std::complex<double> g2 = EmulatedErrorBox(hz).e22, wave = 1.0 / (1.0 - s.s22 * g2);
    const double gain = Db(s.s21 * wave), difference = std::fabs(Db(m.s[i][1]) - gain);
    if (gain > -3.0) passband = std::max(passband, difference);
    if (gain < -35.0 && gain > -45.0) deep = std::max(deep, difference);
    reflection = std::max(reflection, std::abs(m.s[i][0] - s.s11 - s.s21 * s.s21 * g2 * wave));
  }
  EXPECT_TRUE(passband < 0.05 && deep < 0.5 && reflection < 0.01)
      << passband << " " << deep << " " << reflection;

  if (!shell) {
    // Asked for, the raw readings are written and labelled so.
    ASSERT_EQ(Tool({"measure", "--port", port, "--uncalibrated", "--start", "1e6", "--stop", "2e6",
                    (dir / "raw.s2p").string()})
                  .status,
              0);
    EXPECT_NE(ReadText(dir / "raw.s2p").find("! uncorrected: the analyser's raw readings"),
              std::string::npos);
    // Tuning through it: C48 and L2 off, L2 one turn too many.
    r = Tool({"tune", DIRU_SOURCE_DATA_DIR "/20.TXT", "--port", port, "--calibration", cal,
              "--count", "1", "--csv"});
    EXPECT_EQ(r.out.substr(r.out.find('\n') + 1, 2), "1,") << r.err;
    EXPECT_NE(r.out.find(",parts_off,C48;L2,-1,0,"), std::string::npos) << r.out << r.err;
    // A toroid measured through the calibration, over its range: 735.6 nH.
    connect("part series L=735.6n R=0.43 C=1.5p");
    r = Tool({"part", "--port", port, "--calibration", cal, "--fixture", "series", "--csv"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string row = r.out.substr(r.out.find('\n') + 1);
    EXPECT_NEAR(std::stod(row.substr(row.find(',') + 1)), 735.6e-9, 7e-9) << r.out;
    return;
  }
  // The fit loads its model with the match and finds C48 5 % and L2 10 % high.
  const ProcessResult fit =
      Tool({"fit", DIRU_SOURCE_DATA_DIR "/20.TXT", "--port", port, "--calibration", cal});
  EXPECT_EQ(fit.status, 0) << fit.err;
  for (const char* line :
       {"C48      360.0 pF     378.0 pF      +5.0 %", "L2       0.588 uH     0.647 uH     +10.0 %"})
    EXPECT_NE(fit.out.find(line), std::string::npos) << line << fit.out;
  // The harmonics through it too: the 5th lies beyond the calibration's 60 MHz.
  const ProcessResult harmonics =
      Tool({"harmonics", DIRU_SOURCE_DATA_DIR "/20.TXT", "--port", port, "--calibration", cal});
  EXPECT_EQ(harmonics.status, 0) << harmonics.err;
  for (const std::string line : {"Measured: " + port + ", calibrated with f.cal, two-port",
                                 std::string("70.000-71.750   measured   not measured")})
    EXPECT_NE(harmonics.out.find(line), std::string::npos) << line << harmonics.out;
}

INSTANTIATE_TEST_SUITE_P(Families, CalibrationCli,
                         ::testing::Values(EmulatedKind::kH4, EmulatedKind::kV2));

}  // namespace
}  // namespace diruruzevuv::testing
