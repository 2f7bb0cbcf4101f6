// Feeds arbitrary file text to the global defaults reader. Whatever the
// text, the values the range checks guard must end inside their ranges,
// nothing may be NaN or infinite, and the load must follow the input termination.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "files/global_defaults_file.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

class CountingNotifier final : public diruruzevuv::model::Notifier {
 public:
  void Message(const std::string&) override { ++messages; }
  void Beep() override { ++beeps; }
  int messages = 0;
  int beeps = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace diruruzevuv;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  model::DesignState d;
  model::GlobalDefaults g;
  CountingNotifier notifier;
  files::ReadGlobalDefaultsText(text, d, g, notifier);

  for (float v :
       {g.PassbandBoxDb, g.SecondHarmonicBoxDb, g.ThirdHarmonicBoxDb, g.BandwidthMultiplier,
        g.PlotFloorDb, d.ToroidAL, d.InputTermination, d.InductorQ, d.CapacitorQ})
    Check(std::isfinite(v));
  Check(g.BandwidthMultiplier >= 1.01f && g.BandwidthMultiplier <= 1.2f);
  Check(d.InputTermination >= 1.0f && d.InputTermination <= 1000.0f);
  Check(d.LoadTermination == d.InputTermination);
  Check(d.InductorQ >= 10.0f && d.CapacitorQ >= 100.0f);
  Check(d.ToroidAL >= 1.0f);
  Check(g.PlotFloorDb <= 0.0f);
  Check(notifier.messages <= 6 && notifier.beeps == 0);
  return 0;
}
