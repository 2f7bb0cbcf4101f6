#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "model/measurement/measured_network.h"
#include "model/plot/rgb.h"

namespace diruruzevuv::model {

// The colours of kept traces: Paul Tol's "muted" qualitative scheme
// (https://personal.sron.nl/~pault/#sec:qualitative), chosen so that
// readers with any common colour-vision deficiency can tell them apart,
// without its green, which lies too near the measured S21's green. None
// comes near the response's blue, the trials' yellow, the boxes' red or
// the measurement's green, violet and orange. Taken in this order: the
// pale sand and the indigo, darkest and nearest the response's blue on
// thin lines, come last.
inline constexpr std::array<Rgb, 8> kTracePalette{{
    {0xCC, 0x66, 0x77},  // rose
    {0x44, 0xAA, 0x99},  // teal
    {0x99, 0x99, 0x33},  // olive
    {0x88, 0x22, 0x55},  // wine
    {0x88, 0xCC, 0xEE},  // cyan
    {0xAA, 0x44, 0x99},  // purple
    {0xDD, 0xCC, 0x77},  // sand
    {0x33, 0x22, 0x88},  // indigo
}};

// A measurement frozen for comparison with later ones.
struct Trace {
  std::string name;
  MeasuredNetwork network;  // as shown when it was kept
  std::size_t colour = 0;   // in kTracePalette
  bool visible = true;
};

// The traces kept in this run, each in a colour of its own.
class TraceList {
 public:
  static constexpr std::size_t kMost = kTracePalette.size();

  // Keeps the network under the name (spaces around it dropped) in the
  // first colour no kept trace has. False when the list is full or the
  // name blank.
  bool Keep(const std::string& name, MeasuredNetwork network);
  // Each false, changing nothing, for an index outside the list (and a
  // blank name).
  bool Remove(std::size_t index);
  bool Rename(std::size_t index, const std::string& name);
  bool SetVisible(std::size_t index, bool visible);

  const std::vector<Trace>& Items() const noexcept { return m_traces; }
  bool Full() const noexcept { return m_traces.size() >= kMost; }
  bool AnyVisible() const noexcept;

 private:
  std::vector<Trace> m_traces;
};

// "14:05:09 built.s2p": the name a trace is first offered.
std::string DefaultTraceName(const std::string& measurement, int hour, int minute, int second);

}  // namespace diruruzevuv::model
