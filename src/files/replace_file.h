#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace diruruzevuv::files {

// Gives the varying part of a temporary file's name, a new one each call.
// It starts with the writer's process id and a "-": a later write of the
// same file removes temporaries whose process is gone.
using TemporaryNameSource = std::function<std::string()>;

// Replaces the file at the path with the text, so that the path holds
// either the old file or the complete new one, never a mix or a part:
//  - the text goes to a new temporary file beside the file it replaces,
//    created exclusively under a name made of the process id and a fresh
//    random part, never through a symbolic link; every write, the flush to
//    disk and the close are checked; the temporary file takes the old
//    file's mode and is renamed over it;
//  - temporaries of the same file left by writers that were killed (whose
//    process is gone) are removed first; a live writer's never are;
//  - a path that is a symbolic link is written through: the file it points
//    to is replaced and the link stays a link;
//  - a path that exists and is not a regular file (a folder, a pipe, a
//    device) is refused without being opened.
// On failure returns false and, when why is given, gives the reason
// ("No space left on device", "Is a directory"), to be shown with the
// file's name (model::CannotWriteText); an older file stays byte for byte
// as it was and no temporary file is left. A write past a file size limit
// fails with "File too large" as long as SIGXFSZ is ignored, which every
// program of this project does at start (IgnoreFileSizeSignal).
// The text is written byte for byte (no line-end translation).
bool ReplaceFileContents(const std::string& path, std::string_view text,
                         std::string* why = nullptr);

// Fills the temporary file (open as fd, at the path temporary) with the
// new contents. On failure returns false with errno set, or with why set.
using ContentWriter = std::function<bool(int fd, const std::string& temporary, std::string& why)>;

// The same for contents that a writer puts into the temporary file itself
// (the report's PDF, which the printer writes by name).
bool ReplaceFileUsing(const std::string& path, const ContentWriter& write, std::string* why);

// The same with the temporary names taken from the source, so that tests
// can place something at the names the writer will try.
bool ReplaceFileContents(const std::string& path, std::string_view text, std::string* why,
                         const TemporaryNameSource& names);

// Lets a write past a file size limit fail with EFBIG instead of ending the
// process; call once at start, before any thread exists.
void IgnoreFileSizeSignal() noexcept;

// The temporary file's path for the file at the path and one varying part:
// a hidden name in the same folder, so the final rename stays on one file
// system.
std::string TemporaryPathFor(const std::string& path, std::string_view varyingPart);

}  // namespace diruruzevuv::files
