#pragma once

namespace diruruzevuv::screens {

// Texts the opening and design screens show about the program itself.
inline constexpr const char* kProgramVersion = "2.05";
inline constexpr const char* kCreditText = "Written by the DIRUruzevuv developers";
inline constexpr const char* kWebsiteText = "https://diruruzevuv.example.org";
inline constexpr const char* kDesignCredit = "DIRUruzevuv KAMO lowpass filter designer";

}  // namespace diruruzevuv::screens
