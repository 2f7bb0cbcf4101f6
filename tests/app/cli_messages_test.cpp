// The command-line tool says what is wrong in one line, never with the
// screen's fallback message or the whole usage text, and a refusal writes
// nothing.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "../files/cli_support.h"
#include "../files/test_support.h"

namespace diruruzevuv::testing {
namespace {

struct MessageRow {
  const char* arguments;  // {dir} stands for a scratch folder, {data} for the shipped data
  int status;
  const char* says;  // the whole of standard error, {dir} as above
};

std::string Filled(std::string text, const std::string& dir) {
  for (std::size_t at; (at = text.find("{dir}")) != std::string::npos;) text.replace(at, 5, dir);
  for (std::size_t at; (at = text.find("{data}")) != std::string::npos;)
    text.replace(at, 6, DIRU_SOURCE_DATA_DIR);
  return text;
}

TEST(CliMessagesTest, EveryFailureSaysWhatIsWrongInOneLine) {
  TempDir dir;
  const std::string d = dir.path().string();
  WriteText(dir / "garbage.TXT", "just some text\r\n");
  WriteText(dir / "zero.TXT",
            "x\r\ndate\r\n\r\n200p\r\n14\r\n360p\r\n0\r\n68p\r\n200p\r\n14M\r\n14.35M\r\n5M\r\n"
            "50M\r\n3\r\n50\r\n20\r\n");
  WriteText(dir / "turns.TXT", "x\r\ndate\r\n\r\n200p\r\n99999\r\n");
  // The 20-metre values sweeping downwards, from 50 to 5 MHz.
  WriteText(dir / "down.TXT",
            "x\r\ndate\r\n\r\n2E-10\r\n14\r\n3.6E-10\r\n12\r\n6.8E-11\r\n2E-10\r\n1.4E7\r\n"
            "1.435E7\r\n5E7\r\n5E6\r\n3\r\n50\r\n20\r\n");
  // Sweeping to 5 GHz, beyond the analyser.
  WriteText(dir / "far.TXT",
            "x\r\ndate\r\n\r\n2E-10\r\n14\r\n3.6E-10\r\n12\r\n6.8E-11\r\n2E-10\r\n1.4E7\r\n"
            "1.435E7\r\n5E6\r\n5E9\r\n3\r\n50\r\n20\r\n");
  WriteText(dir / "m.s2p", "# Hz S RI R 50\r\n");
  WriteText(dir / "bad.s2p", "# Hz S RI R 50\n1 0 0 0 0 0 0 0\n");
  // An open filter is no filter, whatever the harmonic boxes say.
  WriteText(dir / "dead.s2p", "# MHz S RI R 50\n7 1 0 0 0 0 0 0.9 0\n7.2 1 0 0 0 0 0 0.9 0\n");
  WriteText(dir / "two.s2p", "# MHz S RI R 50\n7 0 0 1 0 1 0 0 0\n7.2 0 0 1 0 1 0 0 0\n");
  // Held open here, so that a tool that opens the pipe fails the test rather than hanging it.
  ::mkfifo((dir / "pipe").c_str(), 0600);
  const int pipeHeld = ::open((dir / "pipe").c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  const std::set<std::filesystem::path> written = {
      "garbage.TXT", "zero.TXT", "turns.TXT", "down.TXT", "m.s2p",  "bad.s2p",
      "dead.s2p",    "two.s2p",  "errors",    "pipe",     "far.TXT"};
  const MessageRow rows[] = {
      {"sweep {dir}", 1, "cannot read {dir}: Is a directory"},
      {"compare {dir}/garbage.TXT {dir}/m.s2p", 1, "{dir}/garbage.TXT: no design values"},
      {"montecarlo {dir}/zero.TXT", 1, "{dir}/zero.TXT: cannot be analysed: L1 has 0 turns"},
      {"spice {dir}/turns.TXT {dir}/o.ASC", 1,
       "{dir}/turns.TXT: L2 turns out of range (-32768 to 32767)"},
      {"wizard 3500k 0 50 {dir}/B.TXT", 1,
       "The toroid AL must be a value above 0 nH per turns squared, for example 3."},
      {"wizard 7M 3 50 x", 1,
       "the output file name \"x\" is too short (at least two characters); nothing was written"},
      {"wizard 7M 3 50 \"\"", 1,
       "the output file name \"\" is too short (at least two characters); nothing was written"},
      {"compare {data}/40.TXT {dir}/bad.s2p", 1,
       "bad.s2p, line 2: wrong count of numbers: 9 are needed for each frequency"},
      {"compare {data}/40.TXT {dir}/dead.s2p", 1,
       "dead.s2p: S21 stays below the floor (-70.0 dB) in the passband: not a working filter"},
      {"fit {data}/40.TXT {dir}/two.s2p", 1,
       "too few measured points above the floor to fit the parts"},
      {"fit a b --floor abc", 2, "--floor needs a number of dB, got 'abc'"},
      {"harmonics {data}/20.TXT --uncalibrated", 2,
       "--calibration and --uncalibrated go with --port"},
      {"compare a b --floor", 2, "--floor needs a number of dB, got nothing"},
      {"fit a b --tolerance 101", 2,
       "--tolerance needs a percentage above 0, at most 100, got '101'"},
      {"fit a b --x", 2, "unknown option '--x' for fit"},
      {"compare a b --tolerance 3", 2, "unknown option '--tolerance' for compare"},
      {"compare", 2, "compare needs a DESIGN_FILE"},
      {"touchstone x", 2, "touchstone needs an OUT_FILE"},
      {"touchstone x y --points 1", 2, "--points needs a whole number from 2 to 100000, got '1'"},
      {"touchstone x y --points 2.5", 2,
       "--points needs a whole number from 2 to 100000, got '2.5'"},
      {"touchstone x y --stop 2e10", 2,
       "--stop needs a frequency in Hz from 1000 to 1e10, got '2e10'"},
      {"touchstone x y --start 3e7 --stop 3e7", 2,
       "--start 30000000 Hz is not below --stop 30000000 Hz"},
      {"touchstone x y --step 5", 2, "unknown option '--step' for touchstone"},
      // The design's range whichever way it runs.
      {"touchstone {dir}/down.TXT {dir}/o.s2p --start 1e9", 2,
       "--start 1000000000 Hz is not below the design's sweep end 50000000 Hz"},
      {"touchstone {dir}/down.TXT {dir}/o.s2p --stop 1e3", 2,
       "--stop 1000 Hz is not above the design's sweep start 5000000 Hz"},
      {"touchstone {dir}/down.TXT {dir}", 1, "cannot write {dir}: Is a directory"},
      {"sweep a b", 2, "unexpected operand 'b' for sweep"},
      {"sweep -5", 1, "cannot read -5: No such file or directory"},  // "-5" may be a value
      // With --port the measured file is one operand too many; of several,
      // compare and fit name the last.
      {"compare a --port p b", 2, "unexpected operand 'b' for compare"},
      {"compare a --port \"\"", 2,
       "compare needs a measurement: give a measured file or --port PORT"},
      {"fit a", 2, "fit needs a measurement: give a measured file or --port PORT"},
      // The path as typed and the system's reason, as for a design file.
      {"fit {data}/20.TXT {dir}/none/x.s2p", 1,
       "cannot read {dir}/none/x.s2p: No such file or directory"},
      {"compare {data}/20.TXT {data}/20.TXT", 1, "20.TXT: is a design file, not a measurement"},
      {"fit a b c d", 2, "unexpected operand 'd' for fit"},
      // buildsheet takes "-x" for a file and refuses a second one at once.
      {"buildsheet a -x --bogus", 2, "buildsheet takes one DESIGN_FILE, got '-x'"},
      {"buildsheet a --wire", 2, "--wire needs a value"},
      {"buildsheet \"\"", 2, "buildsheet needs a DESIGN_FILE"},
      {"buildsheet a --series E7", 2, "--series needs E6, E12 or E24, got 'E7'"},
      {"buildsheet a --lead 0 --swr 1 --power", 2,
       "--power needs a power in W from 0.001 to 10000"},
      {"buildsheet a --rating 0", 2,
       "--rating needs a voltage rating in V from 1 to 100000, got '0'"},
      {"buildsheet a --lead 1e308", 2,
       "--lead needs a length of lead in mm from 0 to 1000, got '1e308'"},
      {"buildsheet {data}/20.TXT --core T1-1", 1,
       "unknown core 'T1-1'; the catalogue DIRUruzevuvCores.TXT has 15 cores"},
      {"measure a b --bogus", 2, "measure takes one OUT_FILE, got 'a' and 'b'"},
      {"measure -5", 2, "unknown option '-5' for measure"},
      {"measure --points", 2, "--points needs a whole number from 2 to 100001, got ''"},
      {"measure --port", 2, "--port needs a PORT"},
      {"measure a --start 5e6", 2, "measure needs --start and --stop, or --design"},
      {"measure a --start 5e6 --stop 2e10", 2,
       "--stop needs a frequency in Hz from 1000 to 1e10, got '2e10'"},
      {"devices foo", 2, "unknown option 'foo' for devices"},
      {"devices --port {dir}/p --port {dir}/q", 1,
       "cannot open {dir}/p: No such file or directory\ndiruruzevuv-cli: cannot open {dir}/q: "
       "No such file or directory"},
      // Only a device is a port: a file or folder named so is left untouched.
      {"fit {data}/20.TXT --port {dir}/m.s2p", 1, "{dir}/m.s2p: not a serial port"},
      {"devices --port {dir}", 1, "{dir}: not a serial port"},
      // The design's range low to high; the output tried before the port.
      {"measure --design {dir}/down.TXT --port {dir}/m.s2p {dir}/o.s2p", 1,
       "{dir}/m.s2p: not a serial port"},
      {"measure --design {dir}/far.TXT {dir}/o.s2p", 1,
       "cannot sweep 401 points over the sweep of {dir}/far.TXT: the range must lie between 1 Hz "
       "and 4 GHz"},
      {"measure --port {dir}/m.s2p --start 5e6 --stop 5e7 {dir}", 1,
       "cannot write {dir}: Is a directory"},
      {"touchstone {dir}/pipe {dir}/o.s2p", 1, "cannot read {dir}/pipe: not a regular file"},
      {"sweep {data}/20.TXT >/dev/full", 1,
       "cannot write standard output: No space left on device"},
      {"frob", 2, "unknown command 'frob'"},
      {"", 2, "no command given; 'diruruzevuv-cli --help' lists them"},
  };
  const std::string errors = (dir / "errors").string();
  for (const MessageRow& row : rows) {
    SCOPED_TRACE(row.arguments);
    EXPECT_EQ(RunCli(Filled(row.arguments, d), errors).first, row.status);
    EXPECT_EQ(ReadText(errors), "diruruzevuv-cli: " + Filled(row.says, d) + "\n");
  }
  std::set<std::filesystem::path> found;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    found.insert(entry.path().filename());
  EXPECT_EQ(found, written);
  EXPECT_EQ(ReadText(dir / "m.s2p"), "# Hz S RI R 50\r\n");
  ::close(pipeHeld);
  EXPECT_FALSE(std::filesystem::exists("x"));

  // --help anywhere prints the usage with every command, on standard output.
  const auto [status, help] = RunCli("fit a --help", errors);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(help.rfind("usage: diruruzevuv-cli sweep", 0), 0u);
  for (const char* command :
       {"\n  wizard ", "\n  montecarlo ", "\n  spice ", "\n  report ", "\n  compare ", "\n  fit ",
        "\n  touchstone ", "--version", "Exit status"})
    EXPECT_NE(help.find(command), std::string::npos) << command;
  EXPECT_EQ(ReadText(errors), "");
  EXPECT_EQ(RunCli("help"), RunCli("--help"));
  EXPECT_EQ(RunCli("--version"), CliRun(0, "diruruzevuv-cli " DIRU_VERSION "\n"));
}

}  // namespace
}  // namespace diruruzevuv::testing
