#include "files/rules_file.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <vector>

#include "files/line_reader.h"
#include "notation/notation.h"
#include "notation/printable.h"

namespace diruruzevuv::files {
namespace {

// A number at least `lowest`, or with `none` allowed "-" as that.
std::optional<double> Figure(std::string_view text, double lowest, std::optional<double> none) {
  if (none && text == "-") return none;
  const auto value = notation::PlainNumber(text);
  if (!value || *value < lowest) return std::nullopt;
  return value;
}

// Why the row is not a rule's row, or empty when it is.
std::string ReadRow(std::string_view line, model::RuleRow& row) {
  std::vector<std::string_view> fields;
  // The source is the rest of the line and may hold commas of its own.
  for (std::size_t comma; fields.size() < 8 && (comma = line.find(',')) != line.npos;) {
    fields.push_back(TrimBlanks(line.substr(0, comma)));
    line.remove_prefix(comma + 1);
  }
  fields.push_back(TrimBlanks(line));
  if (fields.size() != 9)
    return "9 comma-separated fields expected, found " + std::to_string(fields.size());
  if (fields[0].empty()) return "the rule has no name";
  // Names are short; a source may run long, so it is only kept free of
  // control characters.
  const bool controls =
      std::ranges::any_of(fields[8], [](unsigned char c) { return c < 32 || c == 127; });
  if (notation::PrintableExcerpt(fields[0]) != fields[0] || controls)
    return "control characters or bytes that are not UTF-8 in '" +
           notation::PrintableExcerpt(controls ? fields[8] : fields[0]) + "'";
  struct Wanted {
    const char* what;
    double lowest;
    std::optional<double> none;
    double model::RuleRow::*field;
    double scale;
  };
  const Wanted wanted[] = {
      {"the lowest fundamental", 0.0, {}, &model::RuleRow::lowHz, 1e6},
      {"the highest fundamental", 0.0, model::kNoLimit, &model::RuleRow::highHz, 1e6},
      {"the lowest power", 0.0, {}, &model::RuleRow::lowWatts, 1.0},
      {"the highest power", 0.0, model::kNoLimit, &model::RuleRow::highWatts, 1.0},
      {"the relative figure", 0.0, {}, &model::RuleRow::relativeDb, 1.0},
      {"the cap", 0.0, model::kNoLimit, &model::RuleRow::capWatts, 1.0},
      {"the floor", 0.0, 0.0, &model::RuleRow::floorWatts, 1.0},
  };
  for (std::size_t i = 0; i < std::size(wanted); ++i) {
    const auto value = Figure(fields[1 + i], wanted[i].lowest, wanted[i].none);
    if (!value)
      return std::string(wanted[i].what) + " is not a number of 0 or more" +
             (wanted[i].none ? " or -" : "") + ": '" + notation::PrintableExcerpt(fields[1 + i]) +
             "'";
    row.*wanted[i].field = *value * wanted[i].scale;
  }
  if (!(row.highHz > row.lowHz)) return "the fundamental's range is empty";
  if (!(row.highWatts > row.lowWatts)) return "the power's range is empty";
  row.name = fields[0];
  row.source = fields[8];
  return {};
}

}  // namespace

model::RuleBook ReadRuleRows(std::string_view text, std::string_view fileName) {
  model::RuleBook book;
  text = WithoutByteOrderMark(text);
  for (int number = 1; !text.empty(); ++number) {
    // Lines end at CR LF, LF or a lone CR, as for every input file.
    const std::size_t end = text.find_first_of("\r\n");
    const std::string_view line = text.substr(0, end);
    const bool crlf = end != text.npos && text.substr(end).starts_with("\r\n");
    text.remove_prefix(end == text.npos ? text.size() : end + (crlf ? 2 : 1));
    if (TrimBlanks(line).empty() || line.front() == '*') continue;
    model::RuleRow row;
    if (const std::string why = ReadRow(line, row); !why.empty())
      book.problems.push_back(std::string(fileName) + " line " + std::to_string(number) + ": " +
                              why);
    else
      book.rows.push_back(std::move(row));
  }
  return book;
}

model::RuleBook ReadRules(const model::FileLocations& where, std::string& unreadable) {
  model::RuleBook book;
  for (const bool shipped : {true, false}) {
    const std::filesystem::path& folder = shipped ? where.dataDir : where.workDir;
    const std::filesystem::path path = folder / kRulesFileName;
    std::error_code error;
    if (!shipped && (folder.empty() || !std::filesystem::exists(path, error))) continue;
    const auto text = ReadWholeFile(path);
    if (!text) {
      unreadable = "cannot read " + path.string() + ": " + WhyUnreadable(path);
      return book;
    }
    model::RuleBook read = ReadRuleRows(*text, path.string());
    std::erase_if(book.rows, [&read](const model::RuleRow& row) {
      return !model::RuleNamed(read, row.name).empty();
    });
    book.rows.insert(book.rows.end(), read.rows.begin(), read.rows.end());
    book.problems.insert(book.problems.end(), read.problems.begin(), read.problems.end());
  }
  return book;
}

}  // namespace diruruzevuv::files
