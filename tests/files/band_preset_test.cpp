#include "files/band_preset.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "test_support.h"
#include "files/global_defaults_file.h"
#include "model/circuit/analysis.h"

namespace diruruzevuv::model {
namespace {

using namespace testing;
using Lines = std::vector<std::string>;
using files::SelectBand;

TEST(BandPresetTest, SelectBand) {
  const std::string notFound = "The file '40.TXT' was not found.";
  // clang-format off
  const struct {
    const char* name;
    std::optional<Lines> work, data;  // the preset in the working and in the shipped data folder
    std::int16_t button;
    void (*expected)(DesignState&);
    std::vector<std::string> messages;
  } rows[] = {
      {"Working copy wins", FortyLines("40.TXT", {{3, "C47: 4.7E-10"}}), FortyLines("40.TXT"), 40,
       [](DesignState& d) { Forty(d), d.C47 = 4.7e-10f; }, {}},
      {"Band line replaces the button's, Defaults title read", {}, FortyLines("Defaults"), 20,
       Forty, {}},
      {"Missing: no fallback", {}, {}, 40, [](DesignState& d) { d.Band = 40; }, {notFound}},
      {"Overflow keeps what was read", {}, FortyLines("40.TXT", {{6, "L1 turns: 99999"}}), 40,
       [](DesignState& d) { d.C47 = 3.9e-10f, d.TurnsL2 = 19, d.C48 = 8.2e-10f, d.Band = 40; },
       {notFound}}};
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir work, data;
    const std::string name = std::to_string(row.button) + ".TXT";
    if (row.work) WriteText(work / name, CrLf(*row.work));
    if (row.data) WriteText(data / name, CrLf(*row.data));
    DesignState d = Design([](DesignState& q) { q.InductorQ = 200.0f; });
    RecordingNotifier n;
    SelectBand(row.button, d, {work.path(), data.path()}, n);
    EXPECT_EQ(std::tuple(n.events, d.CurrentFile, d.InductorQ),
              std::tuple(row.messages, name, 200.0f));
    ExpectSameDesign(d, Design(row.expected));
  }
}

// Every shipped band preset, analysed with the shipped global defaults,
// must be a filter worth building: low loss and a good match across the
// band, and strong attenuation across both harmonic bands.
TEST(PresetQualityTest, EveryShippedPresetMeetsTheFigures) {
  const std::tuple<std::int16_t, float, float> rows[] = {
      {160, 1.8e6f, 2.0e6f},      {80, 3.5e6f, 4.0e6f},    {60, 5.3515e6f, 5.3665e6f},
      {40, 7.0e6f, 7.3e6f},       {30, 10.1e6f, 10.15e6f}, {20, 14.0e6f, 14.35e6f},
      {17, 18.068e6f, 18.168e6f}, {15, 21.0e6f, 21.45e6f}, {12, 24.89e6f, 24.99e6f},
      {10, 28.0e6f, 29.7e6f}};
  TempDir work;  // empty: only the shipped files are found
  const FileLocations where{work.path(), DIRU_SOURCE_DATA_DIR};
  for (const auto& [band, lower, upper] : rows) {
    SCOPED_TRACE(std::to_string(band) + " m");
    DesignState d;
    GlobalDefaults defaults;
    RecordingNotifier notifier;
    files::ReadGlobalDefaults(where, d, defaults, notifier);
    SelectBand(band, d, where, notifier);
    ASSERT_TRUE(notifier.events.empty()) << notifier.events.front();
    EXPECT_EQ(std::tuple(d.Band, d.LowerEdge, d.UpperEdge, d.InputTermination),
              std::tuple(band, lower, upper, 50.0f));
    EXPECT_TRUE(d.TurnsL1 >= 1 && d.TurnsL1 <= 99 && d.TurnsL2 >= 1 && d.TurnsL2 <= 99);
    EXPECT_TRUE(d.ToroidAL >= 2.5f && d.ToroidAL <= 5.0f);  // common powdered-iron toroids
    EXPECT_NEAR(d.SweepStart / d.LowerEdge, 1.0 / 3.0, 0.04);
    EXPECT_NEAR(d.SweepStop / d.UpperEdge, 3.5, 0.1);
    Analyzer analysis;
    analysis.RunSweep(d);
    ASSERT_TRUE(analysis.Result().valid);
    const auto at = [&](double f) -> const auto& {
      analysis.AnalyzePoint(d, f);
      return analysis.Result();
    };
    const double lowerLoss = -at(d.LowerEdge).pointGain, upperLoss = -at(d.UpperEdge).pointGain;
    double worstReflection = -1000, second = 1000, third = 1000;
    for (int i = 0; i <= 400; ++i) {  // log-spaced across the band and its harmonic bands
      const double f = d.LowerEdge * std::pow(d.UpperEdge / d.LowerEdge, i / 400.0);
      worstReflection = std::max(worstReflection, at(f).pointReflection);
      second = std::min(second, -at(2 * f).pointGain);
      third = std::min(third, -at(3 * f).pointGain);
    }
    EXPECT_TRUE(lowerLoss >= 0.0 && lowerLoss <= 0.3 && upperLoss <= 0.3 &&
                worstReflection <= -15.0 && second >= 38.0 && third >= 40.0)
        << "edge loss " << lowerLoss << ", " << upperLoss << " dB, reflection <= "
        << worstReflection << " dB, harmonics >= " << second << ", " << third << " dB";
  }
}

}  // namespace
}  // namespace diruruzevuv::model
