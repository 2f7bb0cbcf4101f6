#include "model/measurement/tuning.h"

#include <gtest/gtest.h>

#include <thread>
#include <tuple>

namespace diruruzevuv::model {
namespace {

// Sweeps 2 and 3 arrive while sweep 1 is fitted: 3 replaces 2, and the
// worker goes on with 3. A waiting worker wakes for a sweep, or for Close.
TEST(TuningTest, NewestSweepWins) {
  NewestWins<int> slot;
  EXPECT_FALSE(slot.Put(1));
  EXPECT_EQ(slot.Take(), 1);
  EXPECT_FALSE(slot.Put(2));
  EXPECT_TRUE(slot.Put(3));
  EXPECT_EQ(std::tuple(slot.Take(), slot.Replaced()), std::tuple(std::optional(3), 1));
  std::optional<int> woken, closed = 0;
  std::thread waiter([&] { woken = slot.Take(); });
  slot.Put(4);
  waiter.join();
  std::thread closer([&] { closed = slot.Take(); });
  slot.Close();
  closer.join();
  EXPECT_EQ(std::tuple(woken, closed), std::tuple(std::optional(4), std::optional<int>()));
}

// Steady: the same advice from three sweeps in a row.
TEST(TuningTest, SteadyAfterThreeSweepsAlike) {
  TuningAdvice a, b;
  a.verdict = b.verdict = TuningAdvice::Verdict::kPartsOff;
  a.l2 = {-1, -1};
  b.l2 = {-1, 0};
  SteadyAdvice steady;
  std::string marks;
  for (const TuningAdvice* advice : {&a, &a, &a, &a, &b, &b, &a, &a, &a})
    marks += steady.Add(*advice) ? 'S' : '-';
  EXPECT_EQ(marks, "--SS----S");
  steady.Clear();
  EXPECT_FALSE(steady.Add(a));
}

TEST(TuningTest, AdviceTexts) {
  TuningAdvice off;
  off.verdict = TuningAdvice::Verdict::kPartsOff;
  off.off = {kC48, kL2};
  off.l2 = {-1, 1};
  TuningAdvice poor;
  poor.verdict = TuningAdvice::Verdict::kPoorFit;
  poor.reason = "a part missing, or \"open\"";
  EXPECT_EQ(TuningLine(2, 1.26, off),
            "Sweep 2 at 1.3 s: parts off (C48, L2); L2: remove 1 turn if the core differs, add 1 "
            "turn if the turns were miscounted; L1: keep the turns\n");
  EXPECT_EQ(TuningCsvRow(2, 1.26, off), "2,1.26,parts_off,C48;L2,-1/1,0,\n");
  EXPECT_EQ(TuningCsvRow(3, 2.5, poor),
            "3,2.50,poor_fit,,0,0,\"a part missing, or \"\"open\"\"\"\n");
  EXPECT_EQ(TuningCsvRow(4, 3, TuningAdvice{.reason = "no points"}),
            "4,3.00,no_fit,,,,no points\n");
}

}  // namespace
}  // namespace diruruzevuv::model
