// The command-line tool says what is wrong in one line, never with the
// screen's fallback message or the whole usage text.
#include <gtest/gtest.h>

#include <string>

#include "../files/cli_support.h"
#include "../files/test_support.h"

namespace diruruzevuv::testing {
namespace {

struct MessageRow {
  const char* arguments;  // {dir} stands for a scratch folder
  int status;
  const char* says;  // the whole of standard error, {dir} as above
};

std::string Filled(std::string text, const std::string& dir) {
  for (std::size_t at; (at = text.find("{dir}")) != std::string::npos;) text.replace(at, 5, dir);
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
  WriteText(dir / "m.s2p", "# Hz S RI R 50\r\n");
  const MessageRow rows[] = {
      {"fit {dir}/none.TXT {dir}/m.s2p", 1,
       "cannot read {dir}/none.TXT: No such file or directory"},
      {"sweep {dir}", 1, "cannot read {dir}: Is a directory"},
      {"compare {dir}/garbage.TXT {dir}/m.s2p", 1, "{dir}/garbage.TXT: no design values"},
      {"montecarlo {dir}/zero.TXT", 1, "{dir}/zero.TXT: cannot be analysed: L1 has 0 turns"},
      {"spice {dir}/turns.TXT {dir}/o.ASC", 1,
       "{dir}/turns.TXT: L2 turns out of range (-32768 to 32767)"},
      {"fit a b --floor abc", 2, "--floor needs a number of dB, got 'abc'"},
      {"compare a b --floor", 2, "--floor needs a number of dB, got nothing"},
      {"fit a b --tolerance 0", 2, "--tolerance needs a percentage above 0, got '0'"},
      {"fit a b --x", 2, "unknown option '--x' for fit"},
      {"compare a b --tolerance 3", 2, "unknown option '--tolerance' for compare"},
      {"sweep -v", 2, "unknown option '-v' for sweep"},
      {"fit a", 2, "fit needs a MEASURED_FILE"},
      {"compare", 2, "compare needs a DESIGN_FILE"},
      {"spice a", 2, "spice needs an OUT_FILE"},
      {"wizard 7M 3", 2, "wizard needs a TERMINATION"},
      {"sweep a b", 2, "unexpected operand 'b' for sweep"},
      {"frob", 2, "unknown command 'frob'"},
      {"", 2, "no command given; 'diruruzevuv-cli --help' lists them"},
  };
  const std::string errors = (dir / "errors").string();
  for (const MessageRow& row : rows) {
    SCOPED_TRACE(row.arguments);
    EXPECT_EQ(RunCli(Filled(row.arguments, d), errors).first, row.status);
    EXPECT_EQ(ReadText(errors), "diruruzevuv-cli: " + Filled(row.says, d) + "\n");
  }
  // --help anywhere prints the usage, on standard output.
  const auto help = RunCli("fit a --help", errors);
  EXPECT_EQ(help.first, 0);
  EXPECT_EQ(help.second.rfind("usage: diruruzevuv-cli sweep", 0), 0u);
  EXPECT_EQ(ReadText(errors), "");
}

}  // namespace
}  // namespace diruruzevuv::testing
