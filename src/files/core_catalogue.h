#pragma once

#include <filesystem>
#include <string_view>

#include "model/build/build_sheet.h"
#include "model/session.h"

namespace diruruzevuv::files {

// The toroids the build sheet offers: shipped in the data folder, and a
// file of the same name in the working folder adds cores or replaces
// those of the same name.
inline constexpr const char* kCoreCatalogueName = "DIRUruzevuvCores.TXT";

// Adds the rows of one file's text to the catalogue. A row is
//   name, material, AL nH/turn^2, OD mm, ID mm, height mm, tolerance %,
//   lowest MHz, highest MHz, source (the rest of the line)
// Empty lines and lines starting with "*" are skipped, but "*[KEY] words"
// explains a key in brackets in the sources (words up to 80 characters,
// printable), which then read "(words)". A row that does not read is
// recorded as "<fileName> line <n>: <why>" and skipped.
void AddCoreRows(std::string_view text, std::string_view fileName, model::CoreCatalogue& catalogue);

// The shipped catalogue, then the working folder's; a missing file adds
// nothing.
model::CoreCatalogue ReadCoreCatalogue(const model::FileLocations& where);

}  // namespace diruruzevuv::files
