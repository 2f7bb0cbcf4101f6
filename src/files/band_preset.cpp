#include "files/band_preset.h"

#include <optional>
#include <string>

#include "files/design_file.h"
#include "files/line_reader.h"

namespace diruruzevuv::files {

using model::DesignState;
using model::FileLocations;
using model::Notifier;
using model::UpdateInductances;

bool LoadBandPreset(std::int16_t band, DesignState& design, const FileLocations& where,
                    Notifier& notifier) {
  const std::string name = std::to_string(band) + ".TXT";
  design.CurrentFile = name;
  // A copy in the working folder wins over the shipped one.
  auto text = files::ReadWholeFile(where.workDir / name);
  if (!text) text = files::ReadWholeFile(where.dataDir / name);
  bool failed = !text;
  if (text) {
    files::LineReader reader(*text);
    // The title and date lines are skipped without the "Defaults" test.
    if (reader.NextValueLine() && reader.NextValueLine())
      failed = files::ReadDesignValues(reader, design) == files::ValuesOutcome::kOutOfRange;
  }
  if (failed) notifier.Message("The file '" + name + "' was not found.");
  UpdateInductances(design);
  return !failed;
}

bool SelectBand(std::int16_t band, DesignState& design, const FileLocations& where,
                Notifier& notifier) {
  design.Band = band;
  return LoadBandPreset(band, design, where, notifier);
}

}  // namespace diruruzevuv::files
