#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "model/measurement/measured_network.h"

namespace diruruzevuv::files {

// Why a measured-network file was refused: the file, the line (1 for the
// first, 0 when no line is to blame) and what is wrong.
struct TouchstoneError {
  std::string file;
  int line = 0;
  std::string reason;
  // Not opened or not read: the file is the path as given, and the reason
  // the system's.
  bool unreadable = false;
  // "name, line 12: reason", "name: reason", or "cannot read path: reason".
  std::string Text() const;
};

struct TouchstoneRead {
  std::optional<model::MeasuredNetwork> network;  // set when the read succeeded
  TouchstoneError error;                          // otherwise
};

// No analyser measures anywhere near this many points; a file with more
// is refused as soon as the count passes it, so a huge file cannot take
// memory out of proportion.
inline constexpr std::size_t kMaxMeasuredPoints = 200000;
// The longest line read, in bytes; a longer one is refused without being
// read whole.
inline constexpr std::size_t kMaxTouchstoneLine = 4096;
// The largest file read at all.
inline constexpr std::uintmax_t kMaxTouchstoneBytes = 64u << 20;

// A comment line "! port 2 match HZ RE IM" gives the reflection that loaded
// port 2 at HZ (a host-calibrated one-path measurement); with one such line
// for every frequency the reader keeps them in portTwoMatch.
inline constexpr std::string_view kPortTwoMatchComment = "port 2 match ";

// Reads Touchstone 1.x and 2.0 text with one or two ports of S-parameters.
// name is the file's name: it names the file in messages and, for 1.x
// files, its ending (.s1p, .s2p) gives the number of ports. Accepts LF and
// CR LF line ends and a leading UTF-8 byte-order mark. Only the first
// option line counts, and only before the data; a later one is ignored
// and named in the network's warnings. Text quoted from the file in a
// message has its control bytes escaped and is cut short. Never throws.
TouchstoneRead ParseTouchstone(std::string_view text, std::string_view name);

// Reads the file at path (at most kMaxTouchstoneBytes) a piece at a time
// and parses it; a refusal stops the reading.
TouchstoneRead ReadTouchstoneFile(const std::filesystem::path& path);

}  // namespace diruruzevuv::files
