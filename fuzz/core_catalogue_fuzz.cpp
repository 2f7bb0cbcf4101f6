// Feeds arbitrary text to the core catalogue reader. Whatever the text,
// every core read lies inside the plausible ranges, no message holds a
// control byte, and the build sheet of each core prints no "inf", "nan"
// or negative turn count.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "files/core_catalogue.h"
#include "model/build/build_sheet.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool InRange(double value, double lowest, double highest) {
  return value >= lowest && value <= highest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace diruruzevuv;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  model::CoreCatalogue catalogue;
  files::AddCoreRows(text, "fuzz.TXT", catalogue);
  for (const std::string& problem : catalogue.problems)
    for (const char c : problem) Check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7f);
  model::DesignState design;
  model::ApplyDefaultDesign(design);
  model::UpdateInductances(design);
  for (const model::Core& core : catalogue.cores) {
    Check(InRange(core.alNh, 0.01, 1e5) && InRange(core.odMm, 0.5, 200.0) &&
          InRange(core.idMm, 0.5, core.odMm) && InRange(core.heightMm, 0.5, 200.0) &&
          InRange(core.alTolerancePercent, 0.0, 100.0) && InRange(core.lowestHz, 1e3, 1e10) &&
          InRange(core.highestHz, core.lowestHz, 1e10));
    // The sheet of the core's figures alone: its texts may say "inf" freely.
    model::Core figures = core;
    figures.name = figures.material = figures.source = "x";
    const model::BuildSheet sheet = model::MakeBuildSheet(design, model::GlobalDefaults{},
                                                          &figures, model::BuildSheetChoices{});
    for (const model::Winding& w : sheet.winding) Check(w.oneLayerTurns >= 0);
    for (const std::string& line : model::BuildSheetLines(sheet))
      Check(line.find("inf") == std::string::npos && line.find("nan") == std::string::npos);
  }
  return 0;
}
