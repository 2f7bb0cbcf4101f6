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

// The core as a row that AddCoreRows reads back (CR LF at its end); empty
// when a name, material or source would not read back (a comma in the
// name or material, control characters, an empty name).
std::string CoreRowText(const model::Core& core);

// Appends the core's row to a fresh read of the working folder's copy of
// the catalogue (made when missing) through the safe writer; the shipped
// catalogue is never written. False with why set.
bool AppendCoreRow(const std::filesystem::path& workDir, const model::Core& core, std::string& why);

}  // namespace diruruzevuv::files
