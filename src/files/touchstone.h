#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "model/measured_network.h"

namespace diruruzevuv::files {

// Why a measured-network file was refused: the file, the line (1 for the
// first, 0 when no line is to blame) and what is wrong.
struct TouchstoneError {
  std::string file;
  int line = 0;
  std::string reason;
  // "name, line 12: reason" (or "name: reason").
  std::string Text() const;
};

struct TouchstoneRead {
  std::optional<model::MeasuredNetwork> network;  // set when the read succeeded
  TouchstoneError error;                          // otherwise
};

// Reads Touchstone 1.x and 2.0 text with one or two ports of S-parameters.
// name is the file's name: it names the file in messages and, for 1.x
// files, its ending (.s1p, .s2p) gives the number of ports. Accepts LF and
// CR LF line ends. Never throws.
TouchstoneRead ParseTouchstone(std::string_view text, std::string_view name);

// Reads the file at path (at most 64 MiB) and parses it.
TouchstoneRead ReadTouchstoneFile(const std::filesystem::path& path);

}  // namespace diruruzevuv::files
