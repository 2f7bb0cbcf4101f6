#include "files/core_catalogue.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "files/line_reader.h"
#include "notation/notation.h"

namespace diruruzevuv::files {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// A plain decimal number with the full stop, whatever the locale.
std::optional<double> Number(std::string_view text) {
  return notation::PlainNumber(Trim(text));
}

// Why the row does not describe a core, or empty when it does.
std::string ReadRow(std::string_view row, model::Core& core) {
  std::vector<std::string_view> fields;
  // The source is the rest of the line and may hold commas of its own.
  while (fields.size() < 9) {
    const std::size_t comma = row.find(',');
    if (comma == std::string_view::npos) break;
    fields.push_back(Trim(row.substr(0, comma)));
    row.remove_prefix(comma + 1);
  }
  fields.push_back(Trim(row));
  if (fields.size() != 10) return "10 comma-separated fields expected, found " +
                                  std::to_string(fields.size());
  if (fields[0].empty()) return "the core has no name";
  static const char* const kNames[] = {"AL", "OD", "ID", "height", "AL tolerance",
                                       "lowest frequency", "highest frequency"};
  double numbers[7];
  for (int i = 0; i < 7; ++i) {
    const auto n = Number(fields[2 + i]);
    if (!n) return std::string(kNames[i]) + " is not a number: '" + std::string(fields[2 + i]) + "'";
    if (*n < 0.0 || (*n == 0.0 && i != 4 && i != 5))
      return std::string(kNames[i]) + " must be above 0";
    numbers[i] = *n;
  }
  if (numbers[2] >= numbers[1]) return "ID must be smaller than OD";
  if (numbers[5] >= numbers[6]) return "the lowest frequency must be below the highest";
  core = {std::string(fields[0]), std::string(fields[1]), numbers[0], numbers[1], numbers[2],
          numbers[3], numbers[4], numbers[5] * 1e6, numbers[6] * 1e6, std::string(fields[9])};
  return {};
}

}  // namespace

void AddCoreRows(std::string_view text, std::string_view fileName, model::CoreCatalogue& catalogue) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a byte-order mark
  int number = 0;
  while (!text.empty()) {
    // Lines end at CR LF, LF or a lone CR, as for every input file.
    std::size_t end = text.find_first_of("\r\n");
    const std::string_view line = text.substr(0, end);
    if (end == std::string_view::npos) {
      text = {};
    } else {
      const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
      text.remove_prefix(end + (crlf ? 2 : 1));
    }
    ++number;
    if (Trim(line).empty() || line.front() == '*') continue;
    model::Core core;
    const std::string why = ReadRow(line, core);
    if (!why.empty()) {
      catalogue.problems.push_back(std::string(fileName) + " line " + std::to_string(number) +
                                   ": " + why);
      continue;
    }
    bool replaced = false;
    for (model::Core& known : catalogue.cores)
      if (catalogue.Find(core.name) == &known) {
        known = core;
        replaced = true;
      }
    if (!replaced) catalogue.cores.push_back(core);
  }
}

model::CoreCatalogue ReadCoreCatalogue(const model::FileLocations& where) {
  model::CoreCatalogue catalogue;
  for (const std::filesystem::path& folder : {where.dataDir, where.workDir}) {
    if (folder.empty()) continue;
    const std::filesystem::path path = folder / kCoreCatalogueName;
    if (const auto text = ReadWholeFile(path)) AddCoreRows(*text, path.string(), catalogue);
  }
  return catalogue;
}

}  // namespace diruruzevuv::files
