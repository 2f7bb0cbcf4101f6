#pragma once

// The command-line tool's one option parser: each command describes its
// options and operands in a table, and the parser refuses what does not
// fit with the command's own words (exit status 2). The commands grew up
// apart and their messages differ in small ways that scripts may rely on,
// so the table keeps those differences rather than the parser.
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace diruruzevuv::model {
struct ChoiceRange;
}

namespace diruruzevuv::cli {

// A usage error: one line on standard error that says what is wrong (the
// usage text only on --help); exit status 2.
int UsageError(const std::string& what);

// What a command takes for an option rather than an operand.
enum class OptionShape {
  kDash,           // anything longer than "-" that starts with it
  kDashNotNumber,  // the same, less "-5" and "-.5", which may be values
  kDoubleDash,     // "--" and anything after it
  kAnything,       // every argument: a command without operands
};

// What follows "--x needs WHAT" when the value is missing altogether.
enum class MissingValue {
  kSaysNothing,  // "--start needs a frequency in Hz above 0"
  kGotNothing,   // "--floor needs a number of dB, got nothing"
  kGotEmpty,     // "--points needs a whole number from 2 to 100001, got ''"
};

// The values a number option takes.
struct Range {
  double lowest = -std::numeric_limits<double>::infinity();
  bool lowestTaken = true;
  double highest = std::numeric_limits<double>::infinity();
};
inline Range Above(double lowest) {
  return {.lowest = lowest, .lowestTaken = false};
}
inline Range AtLeast(double lowest) {
  return {.lowest = lowest};
}
// A frequency an analyser could measure at: 1 kHz to 10 GHz.
inline constexpr Range kFrequencyRange{.lowest = 1e3, .highest = 1e10};
inline constexpr const char* kFrequencyNeeds = "a frequency in Hz from 1000 to 1e10";

struct Option {
  enum class Kind { kFlag, kText, kNumber, kWhole };  // a choice is a text it accepts
  std::string name{};
  Kind kind = Kind::kFlag;
  std::string needs{};  // "a number of dB", as in "--floor needs a number of dB, got 'x'"
  Range range{};        // numbers and whole numbers
  MissingValue missing = MissingValue::kSaysNothing;
  // Choices: whether a value is one, and what a wrong one's refusal says
  // it needs (a missing one's says `needs`).
  std::function<bool(const std::string&)> accepts{};
  std::string choiceNeeds{};
};

// The table's rows. A whole number needs "a whole number from A to B"; a
// missing choice needs "a value".
Option Flag(std::string name);
Option Text(std::string name, std::string needs, MissingValue missing = MissingValue::kSaysNothing);
Option Number(std::string name, std::string needs, Range range = {},
              MissingValue missing = MissingValue::kSaysNothing);
Option Whole(std::string name, int lowest, int highest,
             MissingValue missing = MissingValue::kSaysNothing);
Option Choice(std::string name, std::string choiceNeeds,
              std::function<bool(const std::string&)> accepts);
// A number within one of the model's plausible ranges: "--power needs a
// power in W from 0.001 to 10000".
Option Within(std::string name, const std::string& what, const model::ChoiceRange& range);

// One command's command line.
struct CommandLine {
  std::string command{};  // "touchstone"
  OptionShape shape = OptionShape::kDashNotNumber;
  std::vector<Option> options{};
  std::vector<std::string> operands{};  // their names, "DESIGN_FILE"
  std::size_t required = 0;             // how many of them must be given
  // The option that, given a value, stands in for the last operand
  // ("MEASURED_FILE|--port PORT").
  std::string insteadOfLastOperand{};
  // Whether the last operand may be given again and again ("MEASURED...").
  bool lastOperandRepeats = false;
  // Whether an empty argument before the first operand is none (buildsheet
  // has always passed over it and then said what it needs).
  bool emptyBeforeFirstOperandIsNone = false;
  // An operand too many: refused when it comes (before any later option),
  // or after all options with the operands given.
  bool surplusAtOnce = false;
  // The refusal of an operand too many, from the operands given (the
  // surplus one included); empty: "unexpected operand 'X' for COMMAND",
  // naming the first one too many.
  std::function<std::string(const std::vector<std::string>&)> surplus{};
};

// What a command line gave: its operands and every option given, in order.
struct ParsedLine {
  struct Given {
    std::string option;
    std::string text;     // the value as given; empty for a flag
    double number = 0.0;  // numbers and whole numbers
  };
  std::vector<std::string> operands;
  std::vector<Given> given;

  bool Has(std::string_view option) const { return Last(option) != nullptr; }
  // The value given last, or nothing.
  std::optional<std::string> Text(std::string_view option) const;
  std::optional<double> Number(std::string_view option) const;
  // Every value given, in order (an option that may be given again).
  std::vector<std::string> All(std::string_view option) const;

 private:
  const Given* Last(std::string_view option) const;
};

// Reads args by line into parsed. Returns 0, or on wrong usage says what
// is wrong and returns 2.
int ParseCommandLine(const CommandLine& line, const std::vector<std::string>& args,
                     ParsedLine& parsed);

// A command without options: its operands are `names`, the first
// `required` of them needed. Returns 0 or, refused, 2.
int CheckOperands(const char* command, const std::vector<std::string>& args,
                  std::initializer_list<const char*> names, std::size_t required);

}  // namespace diruruzevuv::cli
