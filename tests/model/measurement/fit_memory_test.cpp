// Memory taken and handed back while the fit runs costs more than its
// steps; every allocation in this test program is counted here (the fit's
// matrices come from malloc, not operator new). The sanitizers bring their
// own malloc.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>

#include "model/measurement/fit.h"
#include "model/measurement_support.h"

#if !DIRU_SANITIZED
namespace {
std::atomic<long> g_allocations{0};
}  // namespace

extern "C" void* __libc_malloc(std::size_t size);
extern "C" void* malloc(std::size_t size) noexcept {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_malloc(size);
}

namespace diruruzevuv::model {
namespace {

// None between the first evaluation of the residuals and the last, with
// the search over pairs of parts (parasitics the model lacks leave a
// residual that calls for it) and without.
TEST(FitMemoryTest, NoAllocationAfterTheFirstEvaluation) {
  const DesignState design = testing::BandDesign(20);
  Ladder built = LadderFromDesign(design);
  built.value[kL2] *= (15.0 / 14.0) * (15.0 / 14.0);
  for (const bool parasitics : {false, true}) {
    testing::Synthesis synthesis;
    synthesis.noiseDb = -90.0;
    synthesis.parasitics = parasitics;
    const MeasuredNetwork measured = testing::Measured(design, built, synthesis);
    long first = -1, last = -1;
    int evaluations = 0;
    FitOptions options;
    options.onEvaluation = [&] {
      last = g_allocations.load();
      if (first < 0) first = last;
      ++evaluations;
    };
    const long before = g_allocations.load();
    EXPECT_TRUE(FitBuiltValues(design, measured, options).done);
    EXPECT_GT(first, before) << "the workspaces are counted";
    EXPECT_EQ(last - first, 0) << evaluations << " evaluations, parasitics " << parasitics;
  }
}

}  // namespace
}  // namespace diruruzevuv::model
#endif
