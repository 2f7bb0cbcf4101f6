#include "files/touchstone_writer.h"

#include <gtest/gtest.h>

#include "files/settings_file.h"
#include "files/touchstone.h"

namespace diruruzevuv::files {
namespace {

model::MeasuredNetwork TwoPort() {
  model::MeasuredNetwork n;
  n.ports = 2;
  n.referenceOhms = {12.5, 12.5};
  n.frequency = {1e6, 14.123456789e6, 3.3e7};
  n.s = {{{{0.1, -0.2}, {0.9, 0.1}, {0.9, 0.1}, {0.3, 1.0 / 3.0}}},
         {{{-1e-300, 0.0}, {0.5, 5e-17}, {0.25, 0.0}, {0.0, -0.0}}},
         {{{0.7071067811865476, 0.1}, {1e-9, 2e-9}, {1e-9, 2e-9}, {0.0, 0.0}}}};
  return n;
}

// What the writer writes, the program's own reader reads back as the very
// same doubles, comments and all.
TEST(TouchstoneWriterTest, ReadsBackBitForBit) {
  const model::MeasuredNetwork n = TwoPort();
  const std::string text = TouchstoneText(n, {"S12 = S21 and S22 = 0", "a\r\nb"});
  const std::string head = "! S12 = S21 and S22 = 0\r\n! a  b\r\n# Hz S RI R 12.5\r\n1000000 ";
  EXPECT_EQ(text.substr(0, head.size()), head);
  const TouchstoneRead read = ParseTouchstone(text, "x.s2p");
  ASSERT_TRUE(read.network) << read.error.Text();
  EXPECT_EQ(read.network->frequency, n.frequency);
  EXPECT_EQ(read.network->referenceOhms[1], 12.5);
  for (std::size_t i = 0; i < n.s.size(); ++i) EXPECT_EQ(read.network->s[i], n.s[i]) << i;
}

TEST(TouchstoneWriterTest, RefusesWhatNoReaderCouldTrust) {
  model::MeasuredNetwork falling = TwoPort();
  falling.frequency[2] = falling.frequency[1];
  model::MeasuredNetwork nan = TwoPort();
  nan.s[0][3] = {0.0, std::nan("")};
  model::MeasuredNetwork mixed = TwoPort();
  mixed.referenceOhms[1] = 50.0;
  for (const auto& n : {falling, nan, mixed, model::MeasuredNetwork{}})
    EXPECT_EQ(TouchstoneText(n), "");
  std::string why;
  EXPECT_FALSE(WriteTouchstoneFile("/nonexistent-dir/x.s2p", TwoPort(), {}, &why));
  EXPECT_FALSE(why.empty());
}

// A value cannot break out of its line or fake another key.
TEST(SettingsFileTest, KeepsEachChoiceOnItsLine) {
  ProgramSettings s;
  s.Set("analyser.port", "/dev/ttyACM0\r\nbuildsheet.core=T68-2");
  s.Set("buildsheet.core", "T50-2");
  const std::string text = SettingsText(s);
  EXPECT_EQ(text.substr(text.find("\r\n") + 2),
            "analyser.port=/dev/ttyACM0buildsheet.core=T68-2\r\nbuildsheet.core=T50-2\r\n");
  const ProgramSettings back = ParseSettings("\xEF\xBB\xBF" + text + "junk\nx=\n");
  EXPECT_EQ(back.values.size(), 3u);
  EXPECT_EQ(back.Get("buildsheet.core"), "T50-2");
  EXPECT_EQ(back.Get("missing", "E12"), "E12");
}

}  // namespace
}  // namespace diruruzevuv::files
