#pragma once

#include <string>
#include <string_view>

namespace diruruzevuv::files {

// Where ReplaceFileContents stages the new text: beside the target, so the
// final rename stays on one file system.
std::string TemporaryPathFor(const std::string& path);

// Writes the text to a temporary file beside the target, flushes and closes
// it, then renames it over the target. On any failure the temporary file is
// removed, an older file at the path stays as it was, and false is
// returned. The text is written byte for byte (no line-end translation).
bool ReplaceFileContents(const std::string& path, std::string_view text);

}  // namespace diruruzevuv::files
