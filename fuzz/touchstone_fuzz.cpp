// Feeds arbitrary text to the measured-network reader under three names
// (a one-port, a two-port and a version 2 file). A read either refuses
// with a reason or gives one or two ports of finite S-parameters at
// increasing frequencies, which refer to another impedance without
// producing anything non-finite.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "files/touchstone.h"
#include "model/measurement/measured_network.h"

namespace {

using namespace diruruzevuv;

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckRead(const files::TouchstoneRead& read) {
  if (!read.network) {
    Check(!read.error.reason.empty());
    Check(read.error.line >= 0);
    return;
  }
  const model::MeasuredNetwork& n = *read.network;
  Check(n.ports == 1 || n.ports == 2);
  Check(!n.frequency.empty() && n.frequency.size() == n.s.size());
  for (std::size_t i = 0; i < n.frequency.size(); ++i) {
    Check(std::isfinite(n.frequency[i]) && n.frequency[i] >= 0.0);
    if (i > 0) Check(n.frequency[i] > n.frequency[i - 1]);
    for (const auto& v : n.s[i]) Check(std::isfinite(v.real()) && std::isfinite(v.imag()));
  }
  Check(n.referenceOhms[0] > 0.0 && n.referenceOhms[1] > 0.0);
  model::MeasuredNetwork referred;
  if (model::Renormalise(n, 12.5, referred)) {
    for (const auto& m : referred.s)
      for (const auto& v : m) Check(std::isfinite(v.real()) && std::isfinite(v.imag()));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const char* name : {"fuzz.s1p", "fuzz.s2p", "fuzz.ts"})
    CheckRead(files::ParseTouchstone(text, name));
  return 0;
}
