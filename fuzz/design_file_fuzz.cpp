// Feeds arbitrary file text to the design and last-session readers. A read
// must leave a design that obeys the readers' promises (AL at least 1,
// load equal to input termination, every value finite), and whatever was
// read must write and read back to a stable text.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "files/design_file.h"
#include "files/line_reader.h"

namespace {

using namespace diruruzevuv;

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckDesign(const model::DesignState& d) {
  for (float v : {d.C47, d.C48, d.C92, d.C49, d.L1, d.L2, d.ToroidAL, d.LowerEdge, d.UpperEdge,
                  d.SweepStart, d.SweepStop, d.InputTermination, d.LoadTermination})
    Check(std::isfinite(v));
  Check(d.ToroidAL >= 1.0f);
  Check(d.LoadTermination == d.InputTermination);
}

std::string Written(const model::DesignState& d) {
  return files::DesignText(d, files::FileKind::kDesign, "/fuzz/design.TXT", "2026-01-01");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Check(!std::isnan(notation::LeadingNumber(text)));

  model::SilentNotifier silent;
  model::DesignState start;
  model::ApplyDefaultDesign(start);

  model::DesignState design = start;
  files::ReadDesignText(text, design, silent);
  CheckDesign(design);

  model::DesignState last = start;
  files::ReadLastSessionText(text, last, silent);
  CheckDesign(last);

  // Seven significant digits may move a float once; after that the text
  // must be stable, and turns and band never move.
  model::DesignState second = start;
  Check(files::ReadDesignText(Written(design), second, silent));
  Check(second.TurnsL1 == design.TurnsL1 && second.TurnsL2 == design.TurnsL2 &&
        second.Band == design.Band);
  model::DesignState third = start;
  Check(files::ReadDesignText(Written(second), third, silent));
  Check(Written(second) == Written(third));
  return 0;
}
