// Every shipped band preset, analysed with the shipped global defaults,
// must be a filter worth building: low loss and a good match across the
// band, and strong attenuation across both harmonic bands.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "files/design_file.h"
#include "files/global_defaults_file.h"
#include "model/analysis.h"
#include "model/band_preset.h"
#include "test_support.h"

namespace diruruzevuv::files {
namespace {

struct BandRow {
  std::int16_t band;
  float lower;
  float upper;
};
void PrintTo(const BandRow& row, std::ostream* os) {
  *os << row.band << " m";
}

struct Figures {
  double lowerLoss = 0.0;      // dB, positive
  double upperLoss = 0.0;      // dB, positive
  double worstReflection = 0;  // dB, highest in the band
  double worstSecond = 0.0;    // dB, weakest attenuation in 2 x band
  double worstThird = 0.0;     // dB, weakest attenuation in 3 x band
};

constexpr int kPoints = 401;

double Spaced(double from, double to, int i) {
  return from * std::pow(to / from, static_cast<double>(i) / (kPoints - 1));
}

Figures Measure(model::Analyzer& analysis, const model::DesignState& d) {
  Figures fig;
  analysis.AnalyzePoint(d, d.LowerEdge);
  fig.lowerLoss = -analysis.Result().pointGain;
  analysis.AnalyzePoint(d, d.UpperEdge);
  fig.upperLoss = -analysis.Result().pointGain;
  fig.worstReflection = -1000.0;
  fig.worstSecond = fig.worstThird = 1000.0;
  for (int i = 0; i < kPoints; ++i) {
    analysis.AnalyzePoint(d, Spaced(d.LowerEdge, d.UpperEdge, i));
    fig.worstReflection = std::max(fig.worstReflection, analysis.Result().pointReflection);
    analysis.AnalyzePoint(d, Spaced(2.0 * d.LowerEdge, 2.0 * d.UpperEdge, i));
    fig.worstSecond = std::min(fig.worstSecond, -analysis.Result().pointGain);
    analysis.AnalyzePoint(d, Spaced(3.0 * d.LowerEdge, 3.0 * d.UpperEdge, i));
    fig.worstThird = std::min(fig.worstThird, -analysis.Result().pointGain);
  }
  return fig;
}

class PresetQualityTest : public ::testing::TestWithParam<BandRow> {};

TEST_P(PresetQualityTest, MeetsTheFiguresWithTheShippedDefaults) {
  const auto& row = GetParam();
  testing::TempDir work;  // empty: only the shipped files are found
  const model::FileLocations where{work.path(), DIRU_SOURCE_DATA_DIR};
  model::DesignState d;
  model::GlobalDefaults defaults;
  testing::RecordingNotifier notifier;
  ReadGlobalDefaults(where, d, defaults, notifier);
  model::SelectBand(row.band, d, where, notifier);
  ASSERT_TRUE(notifier.events.empty()) << notifier.events.front();

  EXPECT_EQ(d.Band, row.band);
  EXPECT_EQ(d.CurrentFile, std::to_string(row.band) + ".TXT");
  EXPECT_EQ(d.LowerEdge, row.lower);
  EXPECT_EQ(d.UpperEdge, row.upper);
  EXPECT_EQ(d.InputTermination, 50.0f);
  for (int turns : {d.TurnsL1, d.TurnsL2}) {
    EXPECT_GE(turns, 1);
    EXPECT_LE(turns, 99);
  }
  EXPECT_GE(d.ToroidAL, 2.5f);  // common powdered-iron toroids
  EXPECT_LE(d.ToroidAL, 5.0f);
  EXPECT_NEAR(d.SweepStart / d.LowerEdge, 1.0 / 3.0, 0.04);
  EXPECT_NEAR(d.SweepStop / d.UpperEdge, 3.5, 0.1);

  model::Analyzer analysis;
  analysis.RunSweep(d);
  ASSERT_TRUE(analysis.Result().valid);
  const Figures fig = Measure(analysis, d);
  std::printf(
      "%4d m: loss %.3f dB at %.6g MHz, %.3f dB at %.6g MHz; reflection <= %.2f dB in band; "
      "2nd harmonic >= %.2f dB; 3rd harmonic >= %.2f dB\n",
      row.band, fig.lowerLoss, d.LowerEdge / 1e6, fig.upperLoss, d.UpperEdge / 1e6,
      fig.worstReflection, fig.worstSecond, fig.worstThird);
  RecordProperty("lower_loss_db", std::to_string(fig.lowerLoss));
  RecordProperty("upper_loss_db", std::to_string(fig.upperLoss));
  RecordProperty("worst_reflection_db", std::to_string(fig.worstReflection));
  RecordProperty("worst_second_db", std::to_string(fig.worstSecond));
  RecordProperty("worst_third_db", std::to_string(fig.worstThird));

  EXPECT_LE(fig.lowerLoss, 0.3);
  EXPECT_LE(fig.upperLoss, 0.3);
  EXPECT_GE(fig.lowerLoss, 0.0);
  EXPECT_LE(fig.worstReflection, -15.0);
  EXPECT_GE(fig.worstSecond, 38.0);
  EXPECT_GE(fig.worstThird, 40.0);
}

INSTANTIATE_TEST_SUITE_P(
    Shipped, PresetQualityTest,
    ::testing::Values(BandRow{160, 1.8e6f, 2.0e6f}, BandRow{80, 3.5e6f, 4.0e6f},
                      BandRow{60, 5.3515e6f, 5.3665e6f}, BandRow{40, 7.0e6f, 7.3e6f},
                      BandRow{30, 10.1e6f, 10.15e6f}, BandRow{20, 14.0e6f, 14.35e6f},
                      BandRow{17, 18.068e6f, 18.168e6f}, BandRow{15, 21.0e6f, 21.45e6f},
                      BandRow{12, 24.89e6f, 24.99e6f}, BandRow{10, 28.0e6f, 29.7e6f}),
    [](const auto& p) { return "Band" + std::to_string(p.param.band); });

// The shipped 20-metre preset is the program's built-in design.
TEST(ShippedPresetTest, TwentyMetresMatchesTheBuiltInDesign) {
  testing::TempDir work;
  model::DesignState preset;
  testing::RecordingNotifier notifier;
  model::LoadBandPreset(20, preset, {work.path(), DIRU_SOURCE_DATA_DIR}, notifier);
  model::DesignState builtIn;
  model::ApplyDefaultDesign(builtIn);
  builtIn.CurrentFile = preset.CurrentFile;
  EXPECT_EQ(DesignText(preset, FileKind::kDesign, "x", "y"),
            DesignText(builtIn, FileKind::kDesign, "x", "y"));
}

}  // namespace
}  // namespace diruruzevuv::files
