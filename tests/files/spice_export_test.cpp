#include "files/spice_export.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace diruruzevuv::files {
namespace {

using namespace testing;

// Each source line is one element of the schematic.
// clang-format off
const std::string kTwenty =
    "Version 4\r\nSHEET 1 880 680\r\n"
    "WIRE 432 -48 400 -48\r\nWIRE 544 -48 496 -48\r\nWIRE 48 64 -48 64\r\nWIRE 176 64 128 64\r\n"
    "WIRE 224 64 176 64\r\nWIRE 352 64 304 64\r\nWIRE 400 64 400 -48\r\nWIRE 400 64 352 64\r\n"
    "WIRE 432 64 400 64\r\nWIRE 544 64 544 -48\r\nWIRE 544 64 512 64\r\nWIRE 592 64 544 64\r\n"
    "WIRE 704 64 592 64\r\nWIRE 704 96 704 64\r\nWIRE -48 112 -48 64\r\nWIRE 176 112 176 64\r\n"
    "WIRE 352 112 352 64\r\nWIRE 592 112 592 64\r\nWIRE -48 240 -48 192\r\nWIRE 176 240 176 176\r\n"
    "WIRE 352 240 352 176\r\nWIRE 592 240 592 176\r\nWIRE 704 240 704 176\r\n"
    "FLAG -48 240 0\r\nFLAG 176 240 0\r\nFLAG 352 240 0\r\nFLAG 592 240 0\r\nFLAG 704 240 0\r\n"
    "SYMBOL voltage -48 96 R0\r\nWINDOW 123 25 89 Left 0\r\nWINDOW 39 0 0 Left 0\r\n"
    "WINDOW 0 25 25 Left 0\r\nWINDOW 3 24 104 Invisible 0\r\n"
    "SYMATTR Value2 AC 2\r\nSYMATTR InstName V1\r\nSYMATTR Value 0\r\n"
    "SYMBOL cap 160 112 R0\r\nSYMATTR InstName C47\r\nSYMATTR Value 200pF\r\n"
    "SYMBOL cap 336 112 R0\r\nSYMATTR InstName C48\r\nSYMATTR Value 360pF\r\n"
    "SYMBOL ind 208 80 R270\r\nWINDOW 0 32 56 VTop 0\r\nWINDOW 3 5 56 VBottom 0\r\n"
    "SYMATTR InstName L2\r\nSYMATTR Value 588nH\r\nSYMATTR SpiceLine Rser=0.25862\r\n"
    "SYMBOL res 32 80 R270\r\nWINDOW 0 32 56 VTop 0\r\nWINDOW 3 0 56 VBottom 0\r\n"
    "SYMATTR InstName Ramp\r\nSYMATTR Value 50 \r\n"
    "SYMBOL ind 416 80 R270\r\nWINDOW 0 32 56 VTop 0\r\nWINDOW 3 5 56 VBottom 0\r\n"
    "SYMATTR InstName L1\r\nSYMATTR Value 432nH\r\nSYMATTR SpiceLine Rser=0.19\r\n"
    "SYMBOL cap 432 -32 R270\r\nWINDOW 0 32 32 VTop 0\r\nWINDOW 3 0 32 VBottom 0\r\n"
    "SYMATTR InstName C92\r\nSYMATTR Value 68pF\r\n"
    "SYMBOL cap 576 112 R0\r\nSYMATTR InstName C49\r\nSYMATTR Value 200pF\r\n"
    "SYMBOL res 688 80 R0\r\nSYMATTR InstName Rload\r\nSYMATTR Value 50\r\n"
    "TEXT -48 -56 Left 0 !.AC DEC 1000  5000000  5E+07 \r\n";
// clang-format on

TEST(SpiceExportTest, TwentyMetreDesignLineByLine) {
  model::DesignState d = Design([](model::DesignState& q) { q.InductorQ = 200.0f; });
  EXPECT_EQ(SpiceSchematicText(d).value_or("refused"), kTwenty);
  d.C92 = 0.0f;  // no trap capacitor: an empty value
  EXPECT_NE(SpiceSchematicText(d)->find("C92\r\nSYMATTR Value \r\n"), std::string::npos);
  EXPECT_FALSE(SpiceNameAccepted("a.AS"));
  EXPECT_TRUE(SpiceNameAccepted("a.ASC"));
}

}  // namespace
}  // namespace diruruzevuv::files
