#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace diruruzevuv::files {

// Gives the varying part of a temporary file's name, a new one each call.
using TemporaryNameSource = std::function<std::string()>;

// Replaces the file at the path with the text, so that the path holds
// either the old file or the complete new one, never a mix or a part:
//  - the text goes to a new temporary file beside the file it replaces,
//    created exclusively under a fresh random name and never through a
//    symbolic link; every write, the flush to disk and the close are
//    checked; the temporary file takes the old file's mode and is renamed
//    over it;
//  - a path that is a symbolic link is written through: the file it points
//    to is replaced and the link stays a link;
//  - a path that exists and is not a regular file (a folder, a pipe, a
//    device) is refused without being opened.
// On failure returns false and, when why is given, says why in a few words;
// an older file stays byte for byte as it was and no temporary file is left.
// The text is written byte for byte (no line-end translation).
bool ReplaceFileContents(const std::string& path, std::string_view text,
                         std::string* why = nullptr);

// The same with the temporary names taken from the source, so that tests
// can place something at the names the writer will try.
bool ReplaceFileContents(const std::string& path, std::string_view text, std::string* why,
                         const TemporaryNameSource& names);

// The temporary file's path for the file at the path and one varying part:
// a hidden name in the same folder, so the final rename stays on one file
// system.
std::string TemporaryPathFor(const std::string& path, std::string_view varyingPart);

}  // namespace diruruzevuv::files
