#include "screens/schematic.h"

namespace diruruzevuv::screens {

// Placeholders until the schematic lands.
void DrawDesignSchematic(platform::Canvas& canvas, model::Session& session, SchematicTarget&) {
  canvas.Clear();
  session.DrawColor = model::kBlue;
}
void DrawOpeningSchematic(platform::Canvas&, model::Session& session) {
  session.DrawColor = model::kBlue;
}

}  // namespace diruruzevuv::screens
