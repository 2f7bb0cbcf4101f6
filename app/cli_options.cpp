#include "cli_options.h"

#include <cctype>
#include <charconv>
#include <cstdio>

#include "model/build/build_sheet.h"
#include "notation/notation.h"

namespace diruruzevuv::cli {
namespace {

bool IsOption(OptionShape shape, const std::string& arg) {
  const bool dash = arg.size() > 1 && arg[0] == '-';
  switch (shape) {
    case OptionShape::kDash:
      return dash;
    case OptionShape::kDashNotNumber:
      return dash && arg[1] != '.' && !std::isdigit(static_cast<unsigned char>(arg[1]));
    case OptionShape::kDoubleDash:
      return dash && arg[1] == '-';
    case OptionShape::kAnything:
      return true;
  }
  return dash;
}

// The value read as the option takes it, or nothing when it does not.
std::optional<double> ValueOf(const Option& option, const std::string& text) {
  std::optional<double> value;
  if (option.kind == Option::Kind::kNumber) {
    value = notation::PlainNumber(text);
  } else if (option.kind == Option::Kind::kWhole) {
    int whole = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, whole);
    if (error == std::errc{} && stop == end) value = whole;
  } else {
    if (option.accepts && !option.accepts(text)) return std::nullopt;
    return 0.0;
  }
  const Range& range = option.range;
  if (!value || *value < range.lowest || (*value == range.lowest && !range.lowestTaken) ||
      *value > range.highest)
    return std::nullopt;
  return value;
}

std::string MissingValueText(const Option& option) {
  const std::string needs = option.name + " needs " + option.needs;
  switch (option.missing) {
    case MissingValue::kGotNothing:
      return needs + ", got nothing";
    case MissingValue::kGotEmpty:
      return needs + ", got ''";
    case MissingValue::kSaysNothing:
      break;
  }
  return needs;
}

std::string SurplusText(const CommandLine& line, const std::vector<std::string>& operands,
                        std::size_t taken) {
  if (line.surplus) return line.surplus(operands);
  return "unexpected operand '" + operands[taken] + "' for " + line.command;
}

}  // namespace

Option Flag(std::string name) {
  return {.name = std::move(name)};
}

Option Text(std::string name, std::string needs, MissingValue missing) {
  return {.name = std::move(name),
          .kind = Option::Kind::kText,
          .needs = std::move(needs),
          .missing = missing};
}

Option Number(std::string name, std::string needs, Range range, MissingValue missing) {
  return {.name = std::move(name),
          .kind = Option::Kind::kNumber,
          .needs = std::move(needs),
          .range = range,
          .missing = missing};
}

Option Whole(std::string name, int lowest, int highest, MissingValue missing) {
  return {
      .name = std::move(name),
      .kind = Option::Kind::kWhole,
      .needs = "a whole number from " + std::to_string(lowest) + " to " + std::to_string(highest),
      .range = {static_cast<double>(lowest), true, static_cast<double>(highest)},
      .missing = missing};
}

Option Choice(std::string name, std::string choiceNeeds,
              std::function<bool(const std::string&)> accepts) {
  return {.name = std::move(name),
          .kind = Option::Kind::kText,
          .needs = "a value",
          .accepts = std::move(accepts),
          .choiceNeeds = std::move(choiceNeeds)};
}

Option Within(std::string name, const std::string& what, const model::ChoiceRange& range) {
  return Number(std::move(name),
                what + " from " + notation::ShortestFloatText(static_cast<float>(range.lowest)) +
                    " to " + notation::ShortestFloatText(static_cast<float>(range.highest)),
                {.lowest = range.lowest, .highest = range.highest});
}

int UsageError(const std::string& what) {
  std::fprintf(stderr, "diruruzevuv-cli: %s\n", what.c_str());
  return 2;
}

const ParsedLine::Given* ParsedLine::Last(std::string_view option) const {
  for (auto at = given.rbegin(); at != given.rend(); ++at)
    if (at->option == option) return &*at;
  return nullptr;
}

std::optional<std::string> ParsedLine::Text(std::string_view option) const {
  const Given* last = Last(option);
  return last ? std::optional(last->text) : std::nullopt;
}

std::optional<double> ParsedLine::Number(std::string_view option) const {
  const Given* last = Last(option);
  return last ? std::optional(last->number) : std::nullopt;
}

std::vector<std::string> ParsedLine::All(std::string_view option) const {
  std::vector<std::string> values;
  for (const Given& g : given)
    if (g.option == option) values.push_back(g.text);
  return values;
}

int ParseCommandLine(const CommandLine& line, const std::vector<std::string>& args,
                     ParsedLine& parsed) {
  std::size_t taken = line.operands.size();
  std::size_t required = line.required;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!IsOption(line.shape, arg)) {
      if (arg.empty() && line.emptyBeforeFirstOperandIsNone && parsed.operands.empty()) continue;
      parsed.operands.push_back(arg);
      if (line.surplusAtOnce && parsed.operands.size() > taken)
        return UsageError(SurplusText(line, parsed.operands, taken));
      continue;
    }
    const Option* option = nullptr;
    for (const Option& o : line.options)
      if (o.name == arg) option = &o;
    if (!option) return UsageError("unknown option '" + arg + "' for " + line.command);
    if (option->kind == Option::Kind::kFlag) {
      parsed.given.push_back({arg, "", 0.0});
      continue;
    }
    if (++i >= args.size()) return UsageError(MissingValueText(*option));
    const std::optional<double> value = ValueOf(*option, args[i]);
    if (!value)
      return UsageError(arg + " needs " +
                        (option->choiceNeeds.empty() ? option->needs : option->choiceNeeds) +
                        ", got '" + args[i] + "'");
    parsed.given.push_back({arg, args[i], *value});
    if (arg == line.insteadOfLastOperand && !args[i].empty() && taken == line.operands.size()) {
      --taken;
      required = std::min(required, taken);
    }
  }
  const std::size_t count = parsed.operands.size();
  if (count < required) {
    // The last operand has a stand-in: both ways are named.
    if (!line.insteadOfLastOperand.empty() && count + 1 == line.operands.size())
      return UsageError(line.command + " needs a measurement: give a measured file or " +
                        line.insteadOfLastOperand + " PORT");
    const std::string& name = line.operands[count];
    const bool vowel = std::string_view("AEIOU").find(name[0]) != std::string_view::npos;
    return UsageError(line.command + " needs a" + (vowel ? "n " : " ") + name);
  }
  const bool repeats = line.lastOperandRepeats && taken == line.operands.size();
  if (count > taken && !repeats) return UsageError(SurplusText(line, parsed.operands, taken));
  return 0;
}

int CheckOperands(const char* command, const std::vector<std::string>& args,
                  std::initializer_list<const char*> names, std::size_t required) {
  CommandLine line;
  line.command = command;
  line.operands.assign(names.begin(), names.end());
  line.required = required;
  ParsedLine parsed;
  return ParseCommandLine(line, args, parsed);
}

}  // namespace diruruzevuv::cli
