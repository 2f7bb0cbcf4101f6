#include "files/core_catalogue.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "files/line_reader.h"
#include "notation/notation.h"
#include "notation/printable.h"

namespace diruruzevuv::files {
namespace {

std::string_view Trim(std::string_view text) {
  return TrimBlanks(text);
}

// A plain decimal number with the full stop, whatever the locale.
std::optional<double> Number(std::string_view text) {
  return notation::PlainNumber(Trim(text));
}

// The plausible range of each number of a row, in the row's units.
struct Field {
  const char* name;
  double lowest, highest;
  const char* unit;
};
constexpr Field kFields[] = {
    {"AL", 0.01, 100000.0, " nH per turn squared"},
    {"OD", 0.5, 200.0, " mm"},
    {"ID", 0.5, 200.0, " mm"},
    {"height", 0.5, 200.0, " mm"},
    {"AL tolerance", 0.0, 100.0, " %"},
    {"lowest frequency", 0.001, 10000.0, " MHz"},
    {"highest frequency", 0.001, 10000.0, " MHz"},
};

std::string Figure(double value) {
  return notation::ShortestFloatText(static_cast<float>(value));
}

// Whether a name, material or source shows as it is, with nothing escaped.
bool Printable(std::string_view text) {
  return notation::PrintableExcerpt(text) == text;
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
  for (const std::size_t i : {0u, 1u, 9u})
    if (!Printable(fields[i]))
      return "control characters or bytes that are not UTF-8 in '" +
             notation::PrintableExcerpt(fields[i]) + "'";
  double numbers[7];
  for (int i = 0; i < 7; ++i) {
    const Field& f = kFields[i];
    const std::string quoted = "'" + notation::PrintableExcerpt(fields[2 + i]) + "'";
    const auto n = Number(fields[2 + i]);
    if (!n) return std::string(f.name) + " is not a number: " + quoted;
    if (*n < f.lowest || *n > f.highest)
      return std::string(f.name) + " must lie between " + Figure(f.lowest) + " and " +
             Figure(f.highest) + f.unit + ", got " + quoted;
    numbers[i] = *n;
  }
  if (numbers[2] >= numbers[1]) return "ID must be smaller than OD";
  if (numbers[5] >= numbers[6]) return "the lowest frequency must be below the highest";
  core = {std::string(fields[0]), std::string(fields[1]), numbers[0], numbers[1], numbers[2],
          numbers[3], numbers[4], numbers[5] * 1e6, numbers[6] * 1e6, std::string(fields[9])};
  return {};
}

// "*[AL] maker's table, year": the key AL in words. Older readers skip the
// line as any comment.
void ReadSourceKey(std::string_view line, model::CoreCatalogue& catalogue) {
  const std::size_t close = line.find(']');
  if (!line.starts_with("*[") || close == std::string_view::npos) return;
  const std::string_view words = Trim(line.substr(close + 1));
  if (close > 2 && !words.empty() && Printable(words))
    catalogue.sourceWords.insert_or_assign(std::string(line.substr(2, close - 2)),
                                           std::string(words));
}

// "range [F]" as "range (Micrometals material ranges)"; a key the catalogue
// does not explain stays as written.
std::string SourceInWords(std::string_view source, const model::CoreCatalogue& catalogue) {
  std::string out;
  for (std::size_t open; (open = source.find('[')) != std::string_view::npos;) {
    const std::size_t close = source.find(']', open);
    if (close == std::string_view::npos) break;
    const auto words = catalogue.sourceWords.find(source.substr(open + 1, close - open - 1));
    out += source.substr(0, open);
    if (words == catalogue.sourceWords.end())
      out += source.substr(open, close - open + 1);
    else
      out += "(" + words->second + ")";
    source.remove_prefix(close + 1);
  }
  return out += source;
}

}  // namespace

void AddCoreRows(std::string_view text, std::string_view fileName, model::CoreCatalogue& catalogue) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a byte-order mark
  // Where each name already stands, so that a row costs no search.
  std::unordered_map<std::string, std::size_t> where;
  for (std::size_t i = 0; i < catalogue.cores.size(); ++i)
    where.emplace(model::CoreKey(catalogue.cores[i].name), i);
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
    if (!line.empty() && line.front() == '*') ReadSourceKey(line, catalogue);
    if (Trim(line).empty() || line.front() == '*') continue;
    model::Core core;
    const std::string why = ReadRow(line, core);
    if (!why.empty()) {
      catalogue.problems.push_back(std::string(fileName) + " line " + std::to_string(number) +
                                   ": " + why);
      continue;
    }
    const auto [at, added] = where.emplace(model::CoreKey(core.name), catalogue.cores.size());
    if (added)
      catalogue.cores.push_back(std::move(core));
    else
      catalogue.cores[at->second] = std::move(core);
  }
  for (model::Core& core : catalogue.cores) core.source = SourceInWords(core.source, catalogue);
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
