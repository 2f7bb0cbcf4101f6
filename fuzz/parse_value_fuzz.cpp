// Feeds arbitrary typed text to ParseValue and every formatter. The parse
// result must stay within the limits and read back the same from its own
// exact text; the formatters must not crash on any float, finite or not.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "notation/notation.h"

namespace {

void FormatAll(float value) {
  using namespace diruruzevuv::notation;
  const std::string texts[] = {FormatFrequency(value),   FormatCapacitance(value),
                               FormatInductance(value),  FormatValue(value),
                               FormatEngineering(value), ShortestFloatText(value),
                               SignedFloatText(value)};
  for (const std::string& text : texts) {
    if (text.size() > 32) std::abort();
    if (text.find(',') != std::string::npos) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace diruruzevuv::notation;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const float value = ParseValue(text);
  if (!std::isfinite(value) || value > 1e10f || value < -1e10f) std::abort();
  FormatAll(value);
  // The same bytes read as a raw float reach the values typing never gives.
  if (size >= sizeof(float)) {
    float raw = 0.0f;
    std::memcpy(&raw, data, sizeof raw);
    FormatAll(raw);
  }
  return 0;
}
