#include "instruments/analyser.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <tuple>

#include "../files/test_support.h"
#include "analyser_emulator/analyser_emulator.h"

namespace diruruzevuv::instruments {
namespace {

using testing::AnalyserEmulator;
using testing::EmulatedFault;
using testing::EmulatedKind;
using testing::EmulatorOptions;
using testing::TempDir;
using testing::WriteText;

// Short enough that a silent device fails the test quickly, long enough
// for a loaded machine.
constexpr Timeouts kFast{300, 1500, 300};

struct KindCase {
  const char* name;
  EmulatorOptions options;
  int maxPoints;
  ScanMethod method;
  int scansFor2001;  // device scans (data traces; V2: runs on whole-hertz steps) for 2001 points
};

TEST(Analyser, EachKindIsDetectedAndSweeps2001PointsJoinedFromItsScans) {
  const KindCase cases[] = {
      {"older board", {EmulatedKind::kOlderBoard}, 101, ScanMethod::kSweepData, 40},
      {"text scan", {EmulatedKind::kTextScanBoard}, 101, ScanMethod::kTextScan, 20},
      {"decimal comma",
       {EmulatedKind::kTextScanBoard, EmulatedFault::kNone, 5, 0.0, true},
       101, ScanMethod::kTextScan, 20},
      {"H4 binary", {EmulatedKind::kH4}, 401, ScanMethod::kBinaryScan, 5},
      {"slow, within the waits", {EmulatedKind::kTextScanBoard, EmulatedFault::kSlow, 1}, 101,
       ScanMethod::kTextScan, 20},
      {"V2", {EmulatedKind::kV2}, 1024, ScanMethod::kTextScan, 182},
      {"V2, hardware revision 4", {EmulatedKind::kV2Plus4}, 65535, ScanMethod::kTextScan, 182},
  };
  // The V2 boards' USB ID is an analyser's; its neighbour's is not.
  EXPECT_EQ(AnalyserPorts({{"v2", 0x04b4, 8, ""}, {"other", 0x04b4, 7, ""}}).size(), 1u);
  const model::Ladder filter = testing::EmulatedFilter();
  for (const KindCase& c : cases) {
    SCOPED_TRACE(c.name);
    AnalyserEmulator emulator(c.options);
    std::string why;
    auto analyser = Connect(emulator.Port(), why, kFast);
    ASSERT_TRUE(analyser) << why;
    EXPECT_EQ(std::tuple(analyser->Info().maxPoints, analyser->Info().method),
              std::tuple(c.maxPoints, c.method));
    int lastDone = 0;
    const auto network = analyser->Sweep({5e6, 50000100, 2001}, [&](int done, int total) {
      EXPECT_GE(done, lastDone);
      EXPECT_EQ(total, 2001);
      lastDone = done;
      return true;
    });
    ASSERT_TRUE(network) << analyser->Error();
    EXPECT_EQ(std::tuple(lastDone, emulator.ScansServed(), network->uncorrected),
              std::tuple(2001, c.scansFor2001, c.maxPoints > 401));
    ASSERT_EQ(network->s.size(), 2001u);
    EXPECT_EQ(std::tuple(network->frequency.front(), network->frequency.back()),
              std::tuple(5e6, 50000100));
    for (std::size_t i = 0; i < 2001; ++i) {
      const double grid = 5e6 + 45000100 * static_cast<double>(i) / 2000.0;
      ASSERT_LE(std::fabs(network->frequency[i] - grid), 1.0) << i;
      const double hz = network->frequency[i];
      const model::SParameters s =
          network->uncorrected ? testing::ThroughErrorBox(model::Respond(filter, hz, 50.0), hz)
                               : model::Respond(filter, hz, 50.0);
      ASSERT_NEAR(std::abs(network->s[i][0] - s.s11), 0.0, 2e-6) << i;
      ASSERT_NEAR(std::abs(network->s[i][1] - s.s21), 0.0, 2e-6) << i;
      ASSERT_TRUE(network->s[i][2] == network->s[i][1] && network->s[i][3] == 0.0) << i;
    }
  }
}

// A port known to hold a register-protocol board is asked that way first,
// without the text shell's silence to wait out; a stale guess (another
// device on the port since) is asked afresh.
TEST(Analyser, APortsKnownFamilyIsAskedFirst) {
  using namespace std::chrono_literals;
  std::atomic<int> family{0};
  Timeouts timeouts{1000, 1500, 300};
  timeouts.family = &family;
  std::string why;
  const auto connect = [&](const std::string& port) {
    const auto start = std::chrono::steady_clock::now();
    const bool connected = Connect(port, why, timeouts) != nullptr;
    return std::pair(connected, std::chrono::steady_clock::now() - start);
  };
  AnalyserEmulator v2({EmulatedKind::kV2});
  const auto [first, asked] = connect(v2.Port());
  EXPECT_TRUE(first && asked >= 1000ms) << why;
  EXPECT_EQ(family, 1);
  const auto [again, known] = connect(v2.Port());
  EXPECT_TRUE(again && known < 500ms) << why;
  AnalyserEmulator shell({EmulatedKind::kH4});
  EXPECT_TRUE(connect(shell.Port()).first) << why;
  EXPECT_EQ(family, 0);
}

// A client that stopped mid-sweep leaves the device's reply waiting on the
// port; the next one must not take it for the answer to its first command.
TEST(Analyser, WhatAnEarlierClientLeftUnreadIsNotTakenForAnAnswer) {
  AnalyserEmulator emulator({EmulatedKind::kV2});
  std::string why;
  {
    // The register protocol's FIFO read of 255 values of 32 bytes.
    auto link = OpenSerialPort(emulator.Port(), why);
    ASSERT_TRUE(link && link->Write(std::string("\x18\x30\xff", 3), why)) << why;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  const auto analyser = Connect(emulator.Port(), why, kFast);
  ASSERT_TRUE(analyser) << why;
}

TEST(Analyser, FailuresGiveAMessageNamingThePortAndNoMeasurement) {
  struct FaultCase {
    const char* name;
    EmulatedKind kind;
    EmulatedFault fault;
    std::string expected;  // after "PORT: "
    bool raw = false;
  };
  const FaultCase cases[] = {
      {"the other instrument line", EmulatedKind::kSpectrumAnalyser, EmulatedFault::kNone,
       "this is a spectrum analyser, not a vector network analyser"},
      {"stops answering", EmulatedKind::kH4, EmulatedFault::kStopsAnswering,
       "stopped answering during 'scan 5000000 50000000 401 135' (nothing for 0.3 s)"},
      {"closes mid-scan", EmulatedKind::kH4, EmulatedFault::kClosesMidScan,
       "the device went away (during 'scan 5000000 50000000 401 135')"},
      {"garbage", EmulatedKind::kTextScanBoard, EmulatedFault::kGarbage,
       "answered 'scan 5000000 9500000 101 7' with '\\x13@#%&*(\\x01 \\xFE 12.5.6 ?"
       "?', which is not a measurement"},
      {"short reply, binary", EmulatedKind::kH4, EmulatedFault::kShortReply,
       "sent 396 of 401 points for 'scan 5000000 50000000 401 135'"},
      {"short reply, text", EmulatedKind::kTextScanBoard, EmulatedFault::kShortReply,
       "sent 96 of 101 points for 'scan 5000000 9500000 101 7'"},
      {"short reply, old", EmulatedKind::kOlderBoard, EmulatedFault::kShortReply,
       "sent 96 of 101 points for 'data 0'"},
      {"not a number", EmulatedKind::kH4, EmulatedFault::kNonFinite,
       "answered a value that is not a number at 5337500 Hz"},
      {"not a number, as zeros", EmulatedKind::kTextScanBoard, EmulatedFault::kNonFinite,
       "answered a value that is not a number at 5135000 Hz"},
      {"gain", EmulatedKind::kH4, EmulatedFault::kGain,
       "answered gains above 0 dB: not a passive filter, or a faulty measurement (at 5337500 Hz)"},
      {"other frequencies", EmulatedKind::kH4, EmulatedFault::kOffFrequency,
       "answered 5001000 Hz where 5000000 Hz was asked"},
      {"V2, wrong index", EmulatedKind::kV2, EmulatedFault::kOffFrequency,
       "answered frequency index 3 where 2 was expected", true},
      {"V2 stops answering", EmulatedKind::kV2, EmulatedFault::kStopsAnswering,
       "stopped answering during 'read 255 values from the FIFO' (nothing for 0.3 s)", true},
      {"V2 updating", EmulatedKind::kV2UpdateMode, EmulatedFault::kNone,
       "is in its firmware-update mode: switch it off and on again to measure"},
      {"V2, uncorrected", EmulatedKind::kV2, EmulatedFault::kNone,
       "this analyser sends uncorrected data: calibrate first, see the README's \"Measuring with "
       "an analyser\" section"},
  };
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.name);
    AnalyserEmulator emulator({c.kind, c.fault});
    const auto started = std::chrono::steady_clock::now();
    const int points = c.kind == EmulatedKind::kH4 ? 401 : 1001;
    std::string why;
    EXPECT_FALSE(MeasureOnce(emulator.Port(), {5e6, 50e6, points, c.raw}, why, {}, kFast));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_EQ(why, emulator.Port() + ": " + c.expected);
  }

  // A scan's first line may take the scan's wait, the next only the quiet one.
  AnalyserEmulator slow({EmulatedKind::kTextScanBoard, EmulatedFault::kSlow, 500});
  std::string why;
  EXPECT_FALSE(MeasureOnce(slow.Port(), {5e6, 50e6, 2}, why, {}, kFast));
  EXPECT_EQ(why, slow.Port() +
                     ": stopped answering during 'scan 5000000 50000000 2 7' (nothing for 0.3 s)");

  // A binary scan answers once it has measured every point: its first byte
  // is waited for longer the more points it has.
  AnalyserEmulator slowScan({EmulatedKind::kH4, EmulatedFault::kSlow, 2});
  EXPECT_TRUE(MeasureOnce(slowScan.Port(), {5e6, 50e6, 401}, why, {}, {300, 300, 300})) << why;

  // Bytes dripping in never extend an exchange past its overall limit.
  AnalyserEmulator drips({EmulatedKind::kTextScanBoard, EmulatedFault::kDrips, 200});
  EXPECT_FALSE(MeasureOnce(drips.Port(), {5e6, 50e6, 2}, why, {}, kFast));
  EXPECT_EQ(why, drips.Port() + ": no complete answer to 'scan 5000000 50000000 2 7' within 2.2 s");

  // Cancel ends the wait on a silent device.
  AnalyserEmulator silent({EmulatedKind::kH4, EmulatedFault::kStopsAnswering});
  std::atomic<bool> cancel{false};
  std::thread user([&cancel] {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    cancel = true;
  });
  EXPECT_FALSE(MeasureOnce(silent.Port(), {5e6, 50e6, 401}, why, {}, {300, 1500, 20000, &cancel}));
  user.join();
  EXPECT_EQ(why, silent.Port() + ": cancelled");  // not "stopped answering" 20 s later
}

TEST(Analyser, TheEmulatorsControlFileIsReadBeforeEachSweep) {
  // At 7957747 Hz, 1 uH is j50 ohm and 400 pF is -j50 ohm.
  using C = std::complex<double>;
  const C j50(0.0, 50.0), parallel = 50.0 * -j50 / (50.0 - j50);
  model::Ladder tuned = testing::EmulatedFilter();
  tuned.value[model::kC48] = 378e-12, tuned.value[model::kL2] = 15 * 15 * 3e-9;
  const model::SParameters filter = model::Respond(tuned, 7957747, 50.0);
  const struct {
    const char* text;  // nullptr: the file removed
    C s11, s21;
  } cases[] = {
      {"connect short\n", -1.0, 0.0},
      {"connect part shunt R=25 # 2/50 S\n", -0.5, 0.5},
      {"* a series inductor\r\nconnect part series L=1u\r\n", j50 / (100.0 + j50),
       100.0 / (100.0 + j50)},
      {"connect part reflection R=50 C=400p", (parallel - 50.0) / (parallel + 50.0), 0.0},
      {"connect part series kind=capacitor C=400p L=1u R=1", 1.0 / 101.0, 100.0 / 101.0},
      {"set C48 378p\nset L2_turns 15\nset L1 bad\nnonsense", filter.s11, filter.s21},
      {nullptr, filter.s11, filter.s21},
  };
  TempDir dir;
  AnalyserEmulator emulator({.controlFile = (dir / "control").string()});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text ? c.text : "removed");
    if (c.text)
      WriteText(dir / "control", c.text);
    else
      std::filesystem::remove(dir / "control");
    std::string why;
    const auto network = MeasureOnce(emulator.Port(), {7957747, 8e6, 2}, why, {}, kFast);
    ASSERT_TRUE(network) << why;
    EXPECT_NEAR(std::abs(network->s[0][0] - c.s11) + std::abs(network->s[0][1] - c.s21), 0.0, 1e-6);
  }
}

TEST(Analyser, ARawSweepTurnsTheShellsCorrectionOffAndBackOnWhateverTheOutcome) {
  const struct {
    const char* name;
    EmulatedKind kind;
    EmulatedFault fault;
    bool cancel;
    std::string expected;  // the error after "PORT: ", or empty
  } cases[] = {
      {"measured", EmulatedKind::kH4, EmulatedFault::kNone, false, ""},
      {"failed", EmulatedKind::kTextScanBoard, EmulatedFault::kOffFrequency, false,
       "answered 5001000 Hz where 5000000 Hz was asked"},
      {"cancelled", EmulatedKind::kH4, EmulatedFault::kNone, true, "cancelled"},
      {"V2, cancelled", EmulatedKind::kV2, EmulatedFault::kNone, true, "cancelled"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    AnalyserEmulator emulator({c.kind, c.fault});
    std::string why;
    const auto network = MeasureOnce(
        emulator.Port(), {.startHz = 5e6, .stopHz = 50e6, .raw = true}, why,
        [&](int, int) { return !c.cancel; }, kFast);
    EXPECT_EQ(why.empty() ? "" : why.substr(emulator.Port().size() + 2), c.expected);
    for (int wait = 0; wait < 100 && !emulator.Correcting(); ++wait)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(emulator.Correcting());
    if (!network) continue;
    const double hz = network->frequency[200];
    const auto truth =
        testing::ThroughErrorBox(testing::DeviceResponse(testing::ConnectState{}, hz), hz);
    EXPECT_TRUE(network->uncorrected);
    EXPECT_NEAR(std::abs(network->s[200][0] - truth.s11) + std::abs(network->s[200][1] - truth.s21),
                0.0, 1e-6);
  }
}

TEST(Analyser, RequestsThatCannotBeSweptAreRefusedBeforeAnyScan) {
  EXPECT_EQ(SweepRequestProblem({5e6, 5e6, 401}), "the stop frequency must lie above the start");
  EXPECT_EQ(SweepRequestProblem({5e6, 50e6, 1}),
            "the number of points must lie between 2 and 100001");
  EXPECT_EQ(SweepRequestProblem({1000, 1100, 401}), "the points would lie closer than 1 Hz");
  EXPECT_EQ(SweepRequestProblem({5e6, 50e6, 2}), "");
}

}  // namespace
}  // namespace diruruzevuv::instruments
