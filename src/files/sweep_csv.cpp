#include "files/sweep_csv.h"

#include "notation/float_digits.h"

namespace diruruzevuv::files {
namespace {

void AppendNumber(std::string& line, float value) {
  char buffer[notation::kFloat9Room];
  line.append(buffer, notation::WriteFloat9(buffer, value));
}

}  // namespace

std::string SweepCsvText(const model::SweepResult& result) {
  std::string text = "frequency_hz,gain_db,reflection_db\n";
  if (!result.valid) return text;
  text.reserve(text.size() + 48 * (result.intervals + 1));
  for (int i = 0; i <= result.intervals; ++i) {
    AppendNumber(text, result.frequency[i]);
    text += ',';
    AppendNumber(text, result.gain[i]);
    text += ',';
    AppendNumber(text, result.reflection[i]);
    text += '\n';
  }
  return text;
}

}  // namespace diruruzevuv::files
