#pragma once

#include <string>
#include <string_view>

namespace diruruzevuv::notation {

// Text from a device or a data file made safe to print in any message:
// control bytes (C0, DEL and the C1 controls) and bytes that do not form
// UTF-8 as \xHH, at most 80 characters, ending in "..." when cut. Never
// throws.
std::string PrintableExcerpt(std::string_view text);

}  // namespace diruruzevuv::notation
