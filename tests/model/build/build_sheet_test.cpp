#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <string>
#include <tuple>
#include <utility>

#include "../../files/cli_support.h"
#include "../../files/test_support.h"
#include "model/measurement_support.h"
#include "files/core_catalogue.h"
#include "model/build/build_sheet.h"
#include "model/build/buildable_search.h"

namespace diruruzevuv::model {
namespace {

using C = std::complex<double>;

const GlobalDefaults kShippedDefaults{-20.0f, -35.0f, -35.0f, 1.01f, 6, -60.0f};

TEST(CoreCatalogueTest, BadRowsAreNamedAndSkippedAndALaterFileOverrides) {
  CoreCatalogue catalogue;
  files::AddCoreRows(
      "*[T] maker's table, 1990\r\n"
      "T50-2, iron powder mix 2, 4.9, 12.70, 7.62, 4.83, 5, 0.25, 10, [T] p. 3 [X] [\r\n"
      "\r\n"
      "T50-6, iron powder mix 6, 4.0, 12.70, 7.62\r\n"
      "T68-2, iron powder mix 2, 5,7, 17.27, 9.40, 4.83, 5, 0.25, 10, x\n"
      "T37-2, iron powder mix 2, 4.0, 5.00, 9.40, 3.05, 5, 0.25, 10, x\r"
      "T37-6, iron powder mix 6, \x1b]0;x\x07, 9.40, 5.33, 3.05, 5, 2, 30, x\r\n"
      "T, m, 1e-300, 9.4, 5.3, 3, 5, 2, 30, x\n"
      "T, m, 4, 12.7, 1e11, 3, 5, 2, 30, x\n"
      "T, m, 4, 9.4, 5.3, 1e308, 5, 2, 30, x\n"
      "T, m, 4, 9.4, 5.3, 3, 5, 2, 1e303, x\n"
      "T\xff\xfe, m, 4, 9.4, 5.3, 3, 5, 2, 30, x\n",
      "shipped.TXT", catalogue);
  ASSERT_EQ(catalogue.cores.size(), 1u);
  EXPECT_EQ(catalogue.cores[0].source, "(maker's table, 1990) p. 3 [X] [");  // keys in words
  EXPECT_DOUBLE_EQ(catalogue.cores[0].highestHz, 10e6);
  const std::string why[] = {
      "AL is not a number: '\\x1B]0;x\\x07'",
      "AL must lie between 0.01 and 100000 nH per turn squared, got '1e-300'",
      "ID must lie between 0.5 and 200 mm, got '1e11'",
      "height must lie between 0.5 and 200 mm, got '1e308'",
      "highest frequency must lie between 0.001 and 10000 MHz, got '1e303'",
      "control characters or bytes that are not UTF-8 in 'T\\xFF\\xFE'"};
  ASSERT_EQ(catalogue.problems.size(), 9u);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(catalogue.problems[i].rfind("shipped.TXT line " + std::to_string(i + 4) + ": ", 0), 0u);
  for (int i = 3; i < 9; ++i)
    EXPECT_EQ(catalogue.problems[i],
              "shipped.TXT line " + std::to_string(i + 4) + ": " + why[i - 3]);

  // The shipped file, then the working folder's copy: a name already
  // known is replaced (in any case), a new one added.
  testing::TempDir work;
  testing::WriteText(work / files::kCoreCatalogueName,
                     "t50-2, mine, 5.1, 12.7, 7.6, 4.8, 3, 1, 30, measured\r\n"
                     "FT37-43, ferrite 43, 420, 9.5, 4.75, 3.3, 20, 0.01, 1, maker\r\n");
  const CoreCatalogue both = files::ReadCoreCatalogue(FileLocations{work.path(), DIRU_SOURCE_DATA_DIR});
  EXPECT_EQ(std::tuple(both.cores.size(), both.problems.empty()), std::tuple(16u, true));
  EXPECT_DOUBLE_EQ(both.Find("T50-2")->alNh, 5.1);
  EXPECT_EQ(both.Find("ft37-43")->material, "ferrite 43");
  for (const Core& c : both.cores) EXPECT_EQ(c.source.find('['), std::string::npos) << c.name;
}

// Worked by hand: the nearest single by ratio and the pair rule.
TEST(StandardValuesTest, NearestSingleAndBestPair) {
  struct Case {
    double target;
    ESeries series;
    Tenths single, pairFirst, pairSecond;
  } cases[] = {
      // 180 + 20 and 100 + 100 are both exact: the larger first value wins.
      {200e-12, ESeries::kE24, 2000, 1800, 200},
      // 100 + 1 and 68 + 33 are both 101 pF.
      {100e-12, ESeries::kE6, 1000, 1000, 10},
      {331.7e-12, ESeries::kE12, 3300, 3300, 18},
      // The published 8.2, not 10^(11/12) = 8.25.
      {8.3e-12, ESeries::kE12, 82, 68, 15},
      {1.5e-12, ESeries::kE12, 15, 10, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    const StandardChoice s = StandardFor(c.target, c.series);
    ASSERT_TRUE(s.single && s.pair);
    EXPECT_EQ(std::tuple(s.single->first, s.pair->first, s.pair->second),
              std::tuple(c.single, c.pairFirst, c.pairSecond));
  }
  EXPECT_FALSE(StandardFor(0.0, ESeries::kE12).single);  // C92 not fitted
  EXPECT_EQ(StandardFor(200e-12, ESeries::kE12).Built().second, 1000);  // the exact pair
  EXPECT_EQ(StandardFor(200e-12, ESeries::kE24).Built().second, 0);  // a tie: the single part
  EXPECT_EQ(SeriesValues(ESeries::kE24).size(), 24u * 6 + 1);
}

// Two cores, worked by hand: turn = 2 h + (OD - ID) + pi d, one layer =
// floor(pi (ID - d) (330/360) / d), d the enamelled diameter.
TEST(WindingTest, WireLengthOneLayerAndTurnsOffered) {
  const Core t50{"T50-2", "", 4.9, 12.70, 7.62, 4.83, 5, 0.25e6, 10e6, ""};
  const Core t37{"T37-6", "", 3.0, 9.40, 5.33, 3.05, 5, 2e6, 30e6, ""};
  const Wire awg24 = *ParseWire("AWG 24");
  const Winding a = Wind(t50, 13, 4.9, awg24, 15.0);
  EXPECT_NEAR(a.wireLengthMm, 244.12, 0.01);
  EXPECT_EQ(std::tuple(a.oneLayerTurns, a.fits), std::tuple(36, true));
  EXPECT_NEAR(a.henries, 828.1e-9, 1e-12);
  const Winding b = Wind(t37, 26, 3.0, *ParseWire("0.5mm"), 10.0);
  EXPECT_NEAR(b.wireLengthMm, 26 * 11.86646 + 20.0, 0.01);
  EXPECT_EQ(std::tuple(b.oneLayerTurns, b.fits), std::tuple(25, false));
  EXPECT_NEAR(ParseWire("30")->bareMm, 0.255, 0.001);
  EXPECT_FALSE(ParseWire("0.5"));  // a gauge of 0.5 does not exist
  EXPECT_FALSE(ParseWire("24x"));

  // Choosing a core sets its AL and offers the nearest turns.
  DesignState design = testing::BandDesign(20);  // AL 3: L1 432 nH, L2 588 nH
  const CoreWarnings before = CheckCore(t50, design);
  EXPECT_TRUE(before.alOffCore && before.outsideRange);  // 14 MHz is above mix 2's 10 MHz
  const TurnsOffer offer = ChooseCore(design, t50);
  EXPECT_EQ(std::tuple(design.ToroidAL, design.TurnsL1), std::tuple(4.9f, 12));  // L1 only offered
  // 9 turns give 396.9 nH (35 off), 10 give 490; 11 give 592.9 for 588.
  EXPECT_EQ(offer.turnsL1 * 100 + offer.turnsL2, 911);
  EXPECT_FALSE(CheckCore(t50, design).alOffCore);
}

// The ladder's own solution (checked against its S-parameters and
// Kirchhoff in ladder_test) at one frequency, matched; then the preset.
TEST(StressTest, FollowsTheLadderSolutionAndFlagsC92OnTheTwentyMetrePreset) {
  DesignState design = testing::BandDesign(20);
  design.UpperEdge = design.LowerEdge;  // one frequency
  const Ladder ladder = LadderFromDesign(design);
  StressSettings settings;  // 10 W
  const C emf = 2.0 * std::sqrt(10.0 * 50.0);
  const double f = design.LowerEdge;
  settings.swr = 1.0;  // one phase
  const LadderSolution v = Solve(ladder, f, emf, 50.0);
  const auto matched = Stress(design, settings);
  for (LadderPart p : {kC47, kL2, kC48, kL1, kC92, kC49}) {
    SCOPED_TRACE(p);
    EXPECT_NEAR(matched[p].peakVolts, std::sqrt(2.0) * std::abs(v.volts[p]), 1e-9);
    EXPECT_NEAR(matched[p].rmsAmps, std::abs(v.amps[p]), 1e-9);
  }

  // The preset at 10 W and SWR 2 (its figures are in the tool's CSV): over
  // its rating means peak x margin > rating, strictly.
  const auto preset = Stress(testing::BandDesign(20), StressSettings{});
  StressSettings exact;
  exact.ratingVolts = preset[kC92].peakVolts * 2.0;
  EXPECT_FALSE(Stress(testing::BandDesign(20), exact)[kC92].overRating);
}

// The sheet's figures are the evaluation's, at the band edges and in the
// boxes (their edges included), as the ladder's response confirms.
TEST(BuildSheetTest, FiguresAreTheEvaluationsAtTheBandEdgesAndInTheBoxes) {
  for (const int band : {20, 160}) {
    const BuildSheet sheet =
        MakeBuildSheet(testing::BandDesign(band), kShippedDefaults, nullptr, {});
    const Evaluation e = Evaluate(sheet.design, kShippedDefaults);
    const ResponseFigures& f = sheet.designFigures;
    const Ladder ladder = LadderFromDesign(sheet.design);
    const auto levelAt = [&](int box, double hz) {
      const SParameters s = Respond(ladder, hz, ladder.sourceOhms);
      return 20.0 * std::log10(std::abs(box == 0 ? s.s11 : s.s21));
    };
    EXPECT_EQ(std::pair(f.lossLowDb, f.lossHighDb), std::pair(-e.edges.lower, -e.edges.upper));
    EXPECT_NEAR(f.lossLowDb, -levelAt(1, sheet.design.LowerEdge), 1e-6);
    EXPECT_NEAR(f.lossHighDb, -levelAt(1, sheet.design.UpperEdge), 1e-6);
    const double worst[3] = {f.passbandReflectionDb, -f.worstSecondDb, -f.worstThirdDb};
    for (int k = 0; k < 3; ++k) {
      const AidSpan& box = e.aidBoxes[k];
      double highest = std::max(levelAt(k, box.lowHz), levelAt(k, box.highHz));
      for (int i = 0; i <= e.sweep.intervals; ++i)
        if (e.sweep.frequency[i] > box.lowHz && e.sweep.frequency[i] < box.highHz)
          highest = std::max<double>(highest, k == 0 ? e.sweep.reflection[i] : e.sweep.gain[i]);
      EXPECT_NEAR(worst[k], highest, 1e-5) << band << " m, box " << k;
      EXPECT_EQ(f.Met(k), highest <= box.levelDb) << band << " m, box " << k;
    }
    EXPECT_FALSE(f.Met(0) && band == 20);  // both verdicts are seen
  }
}

TEST(BuildableSearchTest, ProposalForTheTwentyMetrePresetInE24) {
  const DesignState design = testing::BandDesign(20);
  const StressSettings loose{.ratingVolts = 1e5};  // no part over its rating
  const BuildableProposal p = SearchBuildable(design, kShippedDefaults, ESeries::kE24, loose);
  EXPECT_TRUE(p.complete);
  EXPECT_LT(p.designFigures.marginDb[0], 0.0);  // the passband box is missed
  EXPECT_GT(p.proposalFigures.SmallestMarginDb(), 6.0);
  const Tenths built[] = {2000, 3900, 750, 2000};  // C47 200, C48 390, C92 75, C49 200 pF
  for (int i = 0; i < 4; ++i) EXPECT_EQ(p.capacitors[i].first + p.capacitors[i].second, built[i]);
  EXPECT_EQ(p.turnsL1 * 100 + p.turnsL2, 1214);  // L1 12, L2 14

  // A turn short on each toroid: the turn above is tried too.
  DesignState shortTurns = design;
  SetTurns(shortTurns, 11, 13);
  const BuildableProposal q = SearchBuildable(shortTurns, kShippedDefaults, ESeries::kE24, loose);
  EXPECT_EQ(q.turnsL1 * 100 + q.turnsL2, 1214);  // L1 12, L2 14

  // At 100 V it puts C92 over its rating; the search finds values that do
  // not, and tells their stress.
  const BuildableProposal safe = SearchBuildable(design, kShippedDefaults, ESeries::kE24, {});
  EXPECT_TRUE(Stress(p.design, {})[kC92].overRating);
  EXPECT_EQ(std::pair(safe.proposalStress[kC92].peakVolts, safe.proposalStress[kC92].overRating),
            std::pair(Stress(safe.design, {})[kC92].peakVolts, false));
  const std::string told = ProposalLines(safe, design)[6];
  EXPECT_TRUE(told.starts_with("  Proposal's peak V at 10 W, SWR 2: C47 ") &&
              told.ends_with("; within the rating (100 V, margin 2)")) << told;

  // A passband box no filter meets: every margin ties, so the lower edge
  // loss decides, and the nearest standard values are among the candidates.
  GlobalDefaults unmet = kShippedDefaults;
  unmet.PassbandBoxDb = -1e30f;
  BuildSheetChoices e24;
  e24.series = ESeries::kE24;
  EXPECT_LE(SearchBuildable(design, unmet, ESeries::kE24, loose).proposalFigures.WorseEdgeLossDb(),
            MakeBuildSheet(design, unmet, nullptr, e24).builtFigures.WorseEdgeLossDb());
}

TEST(BuildSheetCommandTest, CsvRows) {
  const std::string preset = std::string("\"") + DIRU_SOURCE_DATA_DIR + "/20.TXT\"";
  const auto run = testing::RunCli("buildsheet " + preset + " --csv --core T37-6");
  ASSERT_EQ(run.first, 0);
  EXPECT_EQ(run.second.substr(0, run.second.find('\n') + 1),
            "part,design,standard,pair,peak_volts,rms_amps,dissipation_watts,over_rating,core,"
            "turns,wire_length_mm,fits\n");
  EXPECT_NE(run.second.find("\nC47,2e-10,2.2e-10,1e-10+1e-10,"), std::string::npos);
  EXPECT_NE(run.second.find("\nL2,5.88e-07,,,55.8519,0.744918,0.143507,,T37-6,14,196.613,yes\n"),
            std::string::npos);
  // C92 over its rating.
  EXPECT_NE(run.second.find("\nC92,6.8e-11,6.8e-11,5.6e-11+1.2e-11,55.2081,0.239347,0.00467182,"
                            "yes,,,,\nC49,"),
            std::string::npos);
  // The text keeps three significant digits where the CSV keeps six.
  const auto text = testing::RunCli("buildsheet " + preset + " --core T37-6");
  EXPECT_NE(text.second.find("\n  C92   55.2      0.239     0.00467     OVER RATING\n"),
            std::string::npos);
  // With --search the rows are the proposal's (C48 390 pF, not 360).
  const auto proposal = testing::RunCli("buildsheet " + preset + " --csv --search --series E24");
  EXPECT_NE(proposal.second.find("\nC48,3.9e-10,"), std::string::npos) << proposal.second;
}

}  // namespace
}  // namespace diruruzevuv::model
