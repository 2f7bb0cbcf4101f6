#include "model/plot/traces.h"

#include <algorithm>
#include <cstdio>

namespace diruruzevuv::model {
namespace {

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

bool TraceList::Keep(const std::string& name, MeasuredNetwork network) {
  std::string kept = Trimmed(name);
  if (Full() || kept.empty()) return false;
  std::size_t colour = 0;
  while (std::ranges::any_of(m_traces, [colour](const Trace& t) { return t.colour == colour; }))
    ++colour;
  m_traces.push_back({std::move(kept), std::move(network), colour, true});
  return true;
}

bool TraceList::Remove(std::size_t index) {
  if (index >= m_traces.size()) return false;
  m_traces.erase(m_traces.begin() + static_cast<std::ptrdiff_t>(index));
  return true;
}

bool TraceList::Rename(std::size_t index, const std::string& name) {
  std::string renamed = Trimmed(name);
  if (index >= m_traces.size() || renamed.empty()) return false;
  m_traces[index].name = std::move(renamed);
  return true;
}

bool TraceList::SetVisible(std::size_t index, bool visible) {
  if (index >= m_traces.size()) return false;
  m_traces[index].visible = visible;
  return true;
}

bool TraceList::AnyVisible() const noexcept {
  return std::ranges::any_of(m_traces, &Trace::visible);
}

std::string DefaultTraceName(const std::string& measurement, int hour, int minute, int second) {
  char time[16];
  std::snprintf(time, sizeof time, "%02d:%02d:%02d", hour, minute, second);
  return measurement.empty() ? std::string(time) : std::string(time) + " " + measurement;
}

}  // namespace diruruzevuv::model
