#include "notation/notation.h"

namespace diruruzevuv::notation {

// Placeholders until the notation lands.
std::string FormatFrequency(float) { return {}; }
std::string FormatCapacitance(float) { return {}; }
std::string FormatInductance(float) { return {}; }
std::string FormatValue(float) { return {}; }
std::string FormatEngineering(float) { return {}; }
float ParseValue(std::string_view) { return 0.0f; }
std::string ShortestFloatText(float) { return {}; }
std::string SignedFloatText(float) { return {}; }

}  // namespace diruruzevuv::notation
