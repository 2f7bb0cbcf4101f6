#include "files/global_defaults_file.h"

namespace diruruzevuv::files {

// Placeholder until the file formats land.
void ReadGlobalDefaults(const model::FileLocations&, model::DesignState& design,
                        model::GlobalDefaults& defaults, model::Notifier&) {
  defaults = {-20.0f, -35.0f, -35.0f, 1.01f, 6, -60.0f};
  design.ToroidAL = 3.0f;
  design.InputTermination = design.LoadTermination = 50.0f;
  design.InductorQ = 200.0f;
  design.CapacitorQ = 2000.0f;
}

}  // namespace diruruzevuv::files
