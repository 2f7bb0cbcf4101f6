// The tool's devices and measure commands, and fit with --port, run as a
// user runs them against the emulator.
#include <gtest/gtest.h>

#include <future>
#include <regex>
#include <thread>

#include "../files/write_cases.h"
#include "analyser_emulator/analyser_emulator.h"
#include "files/touchstone.h"

namespace diruruzevuv::testing {
namespace {

ProcessResult Tool(std::vector<std::string> args) {
  args.insert(args.begin(), DIRU_CLI_PATH);
  return RunTogether({args}).front();
}

TEST(AnalyserCli, DevicesMeasureAndFitThroughTheEmulator) {
  TempDir dir;
  AnalyserEmulator emulator({.board = "NanoVNA-H 4\x1b]0;t\x07\xff"});  // a title sequence
  const std::string port = emulator.Port();

  const ProcessResult devices = Tool({"devices", "--port", port});
  EXPECT_EQ(devices.status, 0) << devices.err;
  EXPECT_EQ(devices.out.substr(port.size()),
            "\tNanoVNA-H 4\\x1B]0;t\\x07\\xFF\t1.2.14 [p:401, IF:12k, ADC:384k, Lcd:480x320]\n");

  const std::string out = (dir / "m.s2p").string();
  const ProcessResult measure =
      Tool({"measure", "--port", port, "--start", "5e6", "--stop", "50e6", "--points", "801", out});
  EXPECT_EQ(measure.status, 0) << measure.err;
  const std::string text = ReadText(out);
  EXPECT_EQ(text.substr(0, text.find("5000000 ")),
            "! S11 and S21 measured; S12 is a copy of S21 and S22 is 0 (the analyser measures "
            "one direction only)\r\n# Hz S RI R 50\r\n");
  const files::TouchstoneRead read = files::ReadTouchstoneFile(out);
  EXPECT_TRUE(read.network && read.network->frequency.size() == 801u);

  // fit with --port measures the design's sweep range, low to high though
  // it runs downwards, and finds the parts inside (C48 5 % and L2 10 % high).
  std::string down = ReadText(DIRU_SOURCE_DATA_DIR "/20.TXT");
  down.replace(down.find("start freq: 5000000"), 19, "start freq: 5E+07");
  down.replace(down.find("stop freq: 5E+07"), 16, "stop freq: 5000000");
  WriteText(dir / "down.TXT", down);
  const ProcessResult fit = Tool({"fit", (dir / "down.TXT").string(), "--port", port});
  EXPECT_EQ(fit.status, 0) << fit.err;
  for (const std::string& line :
       {"Measured: " + port + ", two-port, 401 points\n",
        std::string("C48      360.0 pF     378.0 pF      +5.0 %        0.1 %  off\n"),
        std::string("L2       0.588 uH     0.647 uH     +10.0 %        0.1 %  off\n")})
    EXPECT_NE(fit.out.find(line), std::string::npos) << line << fit.out;
}

// tune follows the filter as the builder changes it between sweeps: L2
// wound with 15 turns for the design's 14, then at 0.7 of the design (3
// turns more on the core that implies, or 2 more on the design's core, a
// winding miscounted), then right (C48 stays 5 % high).
TEST(AnalyserCli, TuneAdviceFollowsTheFilter) {
  TempDir dir;
  const std::string control = (dir / "control").string();
  WriteText(control, "set L2_turns 15\n");
  // About a fifth of a second a sweep: the control file changes well
  // inside a sweep, and takes effect at the next.
  AnalyserEmulator emulator({.bytesPerSecond = 40000.0, .controlFile = control});
  auto run = std::async(std::launch::async, [&] {
    return Tool({"tune", DIRU_SOURCE_DATA_DIR "/20.TXT", "--port", emulator.Port(), "--count", "3",
                 "--csv"});
  });
  const std::string changes[] = {"set L2 0.4116u\n", "set L2_turns 14\n"};
  for (const int sweep : {1, 2}) {
    while (emulator.ScansServed() < sweep &&
           run.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) {
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    WriteText(control, changes[sweep - 1]);
  }
  ProcessResult tune = run.get();
  EXPECT_EQ(tune.status, 0) << tune.err;
  // The seconds aside.
  tune.out = std::regex_replace(tune.out, std::regex("\n(\\d),[0-9.]+,"), "\n$1,,");
  EXPECT_EQ(tune.out,
            "sweep,seconds,verdict,parts_off,L2_turns_advice,L1_turns_advice,poor_reason\n"
            "1,,parts_off,C48;L2,-1,0,\n2,,parts_off,C48;L2,3/2,0,\n3,,parts_off,C48,0,0,\n");
}

// An analyser that measures one direction only, at 50 ohm, cannot serve a
// 12.5 ohm design: refused, and nothing written.
TEST(AnalyserCli, OneWayMeasurementForAnotherImpedanceIsRefused) {
  TempDir dir;
  AnalyserEmulator spectrum({EmulatedKind::kSpectrumAnalyser});
  const std::string design125 = (dir / "D125.TXT").string();
  ASSERT_EQ(Tool({"wizard", "14e6", "3", "12.5", design125}).status, 0);
  const std::string out = (dir / "m.s2p").string();
  const ProcessResult o = Tool({"measure", "--design", design125, "--port", spectrum.Port(), out});
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "diruruzevuv-cli: " + design125 + ": " + spectrum.Port() +
                       ": S12 and S22 are a copy of S21 and zero, so a measurement at 50 ohm "
                       "cannot be judged at the design's 12.5 ohm; measure at 12.5 ohm or save "
                       "all four parameters\n");
  EXPECT_FALSE(std::filesystem::exists(out));
}

// part against a toroid and a capacitor the emulator serves: the figures,
// a Q the fixture cannot tell, a fixture that cannot resolve the part, and
// a bad option.
TEST(AnalyserCli, PartMeasuresWhatTheEmulatorServes) {
  TempDir dir;
  const std::string control = (dir / "control.txt").string();
  AnalyserEmulator emulator({.controlFile = control});
  const std::string toroid = "connect part series L=735.6n R=0.43 C=1.5p\n";
  const std::string capacitor = "connect part series L=5n R=0.05 C=10n kind=capacitor\n";
  const std::string lossless = "connect part series L=735.6n R=0.01 C=1.5p\n";
  struct Case {
    std::string control;
    std::vector<std::string> args;
    int status;
    std::string expected;  // in the output, or the whole error
  };
  const Case cases[] = {
      {toroid,
       {"--fixture", "series", "--turns", "12", "--lead", "15", "--stop", "100e6", "--csv"},
       0,
       "points_used\ninductor,7.38818e-07,H,0.107,107.0181,no,,4.9,T50-2;T68-6,series,401\n"},
      {toroid,
       {"--fixture", "series", "--turns", "12", "--lead", "15", "--design",
        DIRU_SOURCE_DATA_DIR "/20.TXT"},
       0,
       "Inductor, series-through fixture, 2.8 MHz to 43.05 MHz, 401 points used\n"
       "L at 14.18 MHz: 742.1 nH +- 0.1 %; -0.8 % to +7.8 % up to 43.05 MHz\n"
       "Q at 14.18 MHz: 151 +- 11.5 %\nSelf-resonance: above 43.05 MHz\n"
       "AL: 4.900 nH/turn^2 (12 turns, less 30 nH for the two leads)\nCores: consistent with "
       "T50-2, T68-6; T80-6 is 9 % off\n"
       "Design's core T37-6 (AL 3.00 +- 5 %): 63 % off, outside tolerance\n"},
      {lossless, {"--fixture", "series"}, 0, "Q at 5.477 MHz: above "},
      {capacitor,
       {"--fixture", "series", "--kind", "capacitor"},
       1,
       "fixture cannot resolve this part"},
      {capacitor,
       {"--fixture", "open"},
       2,
       "diruruzevuv-cli: --fixture needs series, shunt or reflection, got 'open'\n"},
  };
  for (const Case& c : cases) {
    WriteText(control, c.control);
    std::vector<std::string> args = {"part", "--port", emulator.Port()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ProcessResult run = Tool(args);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_NE((c.status == 0 ? run.out : run.err).find(c.expected), std::string::npos)
        << run.out << run.err;
  }
}

}  // namespace
}  // namespace diruruzevuv::testing
