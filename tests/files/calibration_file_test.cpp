#include "files/calibration_file.h"

#include <gtest/gtest.h>

namespace diruruzevuv::files {
namespace {

using model::Standard;

// The layout, and every number back as the same double.
TEST(CalibrationFileTest, WritesTheLayoutAndReadsItBack) {
  CalibrationFile file{{"V2", "V2_2", "1.0", "A1B2"}, 1e6, 2e6, 2, {}};
  model::Calibration& cal = file.calibration;
  cal.frequency = {1e6, 2e6};
  cal.kit = {{1.5, 0, 0, 0}, 30, {2, 0, 0, 0}, 0, 49.9, 0.1};
  cal.raw[3] = model::RawSweep{{{0.1, -0.2}, {1.0 / 3.0, 0}}, {{0.9, 0.1}, {-1e-300, 5e-17}}};
  const std::string text = CalibrationText(file);
  EXPECT_EQ(text,
            "* DIRUruzevuv analyser calibration: the raw standards and the kit\r\n"
            "family V2\r\ndevice V2_2\r\nfirmware 1.0\r\nserial A1B2\r\nrange 1000000 2000000 2\r\n"
            "kit open 1.5 0 0 0 30\r\nkit short 2 0 0 0 0\r\nkit load 49.9\r\nkit through 0.1\r\n"
            "standard through\r\n1000000 0.1 -0.2 0.9 0.1\r\n"
            "2000000 0.3333333333333333 0 -1e-300 5e-17\r\n");
  const CalibrationRead read = ParseCalibration(text, "f.cal");
  ASSERT_TRUE(read.file) << read.error;
  const CalibrationFile& r = *read.file;
  EXPECT_EQ(std::tie(r.device.family, r.device.kind, r.device.firmware, r.device.serial, r.startHz,
                     r.stopHz, r.points, r.calibration.frequency),
            std::tie(file.device.family, file.device.kind, file.device.firmware, file.device.serial,
                     file.startHz, file.stopHz, file.points, cal.frequency));
  EXPECT_EQ(std::tie(r.calibration.raw[3]->s11, r.calibration.raw[3]->s21, r.calibration.kit.openC,
                     r.calibration.kit.openDelayPs, r.calibration.kit.loadOhms),
            std::tie(cal.raw[3]->s11, cal.raw[3]->s21, cal.kit.openC, cal.kit.openDelayPs,
                     cal.kit.loadOhms));
  EXPECT_FALSE(r.calibration.raw[0]);
}

// Refusals name the file and line; a kit's missing standards are ideal.
TEST(CalibrationFileTest, RefusesWithFileAndLine) {
  const std::string head = "range 1 3 2\r\nstandard open\r\n1 0 0 0 0\r\n2 0 0 0 0\r\n";
  const std::pair<std::string, std::string> cases[] = {
      {"family V2\r\n", "f.cal: the range line is missing"},
      {head + "standard short\r\n1 0 0 0 0\r\n3 0 0 0 0\r\n",
       "f.cal, line 7: the short's frequencies differ from those of the standards before it"},
      {head + "standard short\r\n1 0 0 0 0\r\n",
       "f.cal: the short has 1 frequencies, the "
       "standards before it 2"},
      {head + "standard open\r\n", "f.cal, line 5: the open is given twice"},
      {"range 1 3 2\r\nstandard load\r\n2 0 0 0 0\r\n1 0 0 0 0\r\n",
       "f.cal, line 4: the frequencies must increase"},
      {"range 1 3 2\r\nkit open 1 2\r\n",
       "f.cal, line 2: open needs C0 C1 C2 C3 and the delay in ps"},
  };
  for (const auto& [text, error] : cases) EXPECT_EQ(ParseCalibration(text, "f.cal").error, error);

  const KitRead kit = ParseKit("* my kit\nshort 10 0 0 0 25\nload 50.2\n", "k.txt");
  ASSERT_TRUE(kit.kit);
  EXPECT_EQ(
      std::tie(kit.kit->shortL[0], kit.kit->shortDelayPs, kit.kit->loadOhms, kit.kit->openDelayPs),
      std::tuple(10.0, 25.0, 50.2, 0.0));
  EXPECT_EQ(ParseKit("through 1,5\n", "k.txt").error,
            "k.txt, line 1: through needs its delay in ps");
}

// The first standard sets the grid and the device; later ones must fit.
TEST(CalibrationFileTest, RecordsStandardsOnOneGrid) {
  model::MeasuredNetwork open, shifted, same;
  open.frequency = {1e6, 2e6}, open.s = {{0.9, 0.0}, {0.8, 0.0}};
  shifted = open, same = open;
  shifted.frequency[1] = 2.5e6;
  CalibrationFile file;
  const CalibrationDevice board{"V2", "V2_2", "1.0", "A1"}, other{"V2", "V2_2", "1.0", "B7"};
  EXPECT_EQ(RecordStandard(file, Standard::kOpen, open, board), "");
  EXPECT_EQ(std::tie(file.calibration.frequency, file.device.serial),
            std::tie(open.frequency, board.serial));
  EXPECT_EQ(RecordStandard(file, Standard::kShort, shifted, board),
            "the analyser swept other frequencies than the calibration's standards");
  EXPECT_NE(RecordStandard(file, Standard::kShort, same, board), "");
  EXPECT_EQ(StillMissingText(file.calibration), "still to measure: short, load, through");
  EXPECT_EQ(OtherDeviceText(file.device, other),
            "the calibration was made on V2_2 (serial A1), not on this V2_2 (serial B7): its "
            "corrections may not hold");
}

}  // namespace
}  // namespace diruruzevuv::files
