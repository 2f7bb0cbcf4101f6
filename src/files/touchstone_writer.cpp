#include "files/touchstone_writer.h"

#include <charconv>
#include <cmath>

#include "files/replace_file.h"
#include "files/touchstone.h"

namespace diruruzevuv::files {
namespace {

void AppendNumber(std::string& out, double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

// Frequencies in plain digits (14123456.789, not 1.4123456789e+07), as
// analysers write them; still the shortest text that reads back exactly.
void AppendFrequency(std::string& out, double hz) {
  char buffer[400];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, hz, std::chars_format::fixed);
  out.append(buffer, result.ptr);
}

bool Writable(const model::MeasuredNetwork& n) {
  if (n.frequency.empty() || n.frequency.size() != n.s.size()) return false;
  if (n.ports != 1 && n.ports != 2) return false;
  if (n.ports == 2 && n.referenceOhms[0] != n.referenceOhms[1]) return false;
  if (!std::isfinite(n.referenceOhms[0]) || !(n.referenceOhms[0] > 0.0)) return false;
  if (!n.portTwoMatch.empty() && n.portTwoMatch.size() != n.frequency.size()) return false;
  for (const auto& g : n.portTwoMatch)
    if (!std::isfinite(g.real()) || !std::isfinite(g.imag())) return false;
  double previous = 0.0;
  for (std::size_t i = 0; i < n.frequency.size(); ++i) {
    const double f = n.frequency[i];
    if (!std::isfinite(f) || !(f > previous)) return false;
    previous = f;
    for (int k = 0; k < (n.ports == 1 ? 1 : 4); ++k) {
      if (!std::isfinite(n.s[i][k].real()) || !std::isfinite(n.s[i][k].imag())) return false;
    }
  }
  return true;
}

}  // namespace

std::string TouchstoneText(const model::MeasuredNetwork& network,
                           const std::vector<std::string>& comments) {
  if (!Writable(network)) return {};
  std::string out;
  for (const std::string& comment : comments) {
    out += "! ";
    for (char c : comment) out += (c == '\r' || c == '\n') ? ' ' : c;
    out += "\r\n";
  }
  for (std::size_t i = 0; i < network.portTwoMatch.size(); ++i) {
    out += "! ";
    out += kPortTwoMatchComment;
    AppendFrequency(out, network.frequency[i]);
    out += ' ';
    AppendNumber(out, network.portTwoMatch[i].real());
    out += ' ';
    AppendNumber(out, network.portTwoMatch[i].imag());
    out += "\r\n";
  }
  out += "# Hz S RI R ";
  AppendNumber(out, network.referenceOhms[0]);
  out += "\r\n";
  const int values = network.ports == 1 ? 1 : 4;
  for (std::size_t i = 0; i < network.frequency.size(); ++i) {
    AppendFrequency(out, network.frequency[i]);
    for (int k = 0; k < values; ++k) {
      out += ' ';
      AppendNumber(out, network.s[i][k].real());
      out += ' ';
      AppendNumber(out, network.s[i][k].imag());
    }
    out += "\r\n";
  }
  return out;
}

bool WriteTouchstoneFile(const std::string& path, const model::MeasuredNetwork& network,
                         const std::vector<std::string>& comments, std::string* why) {
  const std::string text = TouchstoneText(network, comments);
  if (text.empty()) {
    if (why != nullptr) *why = "the network has no points that can be written";
    return false;
  }
  return ReplaceFileContents(path, text, why);
}

}  // namespace diruruzevuv::files
