#include "model/plot/traces.h"

#include <gtest/gtest.h>

namespace diruruzevuv::model {
namespace {

TEST(TracesTest, EightAtMostEachInAColourOfItsOwn) {
  TraceList list;
  for (int i = 0; i < 8; ++i) EXPECT_TRUE(list.Keep(" t" + std::to_string(i) + " ", {}));
  // Out of range, a ninth and blank names change nothing.
  EXPECT_FALSE(list.Remove(8) || list.Rename(8, "x") || list.SetVisible(8, false) ||
               list.Rename(0, "  ") || list.Keep("", {}) || list.Keep("ninth", {}));
  EXPECT_TRUE(list.Remove(2) && list.Remove(0) && list.Rename(0, " first "));
  // A new trace takes the first colour freed.
  EXPECT_TRUE(list.Keep("new", {}));
  std::string kept;
  for (const Trace& t : list.Items()) kept += t.name + "/" + std::to_string(t.colour) + " ";
  EXPECT_EQ(kept, "first/1 t3/3 t4/4 t5/5 t6/6 t7/7 new/0 ");
  for (std::size_t i = 0; i < 7; ++i) list.SetVisible(i, i == 6);
  EXPECT_TRUE(list.AnyVisible() && list.SetVisible(6, false) && !list.AnyVisible());
  EXPECT_EQ(DefaultTraceName("built.s2p", 9, 5, 7), "09:05:07 built.s2p");
}

}  // namespace
}  // namespace diruruzevuv::model
