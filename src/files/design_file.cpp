#include "files/design_file.h"

namespace diruruzevuv::files {

// Placeholders until the file formats land.
bool ReadDesignFile(const std::string&, model::DesignState& design, model::Notifier&) {
  model::ApplyDefaultDesign(design);
  return false;
}
bool ReadLastSession(const model::FileLocations&, model::DesignState& design, model::Notifier&) {
  model::ApplyDefaultDesign(design);
  return false;
}
bool LastSessionExists(const model::FileLocations&) {
  return false;
}
bool WriteDesignFile(const std::string&, const model::DesignState&, model::Notifier&) {
  return false;
}
bool WriteLastSession(const model::FileLocations&, const model::DesignState&, model::Notifier&) {
  return false;
}
std::string ShortDate() {
  return {};
}

}  // namespace diruruzevuv::files
