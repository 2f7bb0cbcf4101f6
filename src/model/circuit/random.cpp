#include "model/circuit/random.h"

namespace diruruzevuv::model {

double NextUniform(std::uint64_t& state) noexcept {
  state += 0x9E3779B97F4A7C15ULL;
  std::uint64_t z = state;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  z ^= z >> 31;
  // 24 bits convert exactly; the largest result is 1 - 2^-24.
  return static_cast<double>(z >> 40) / 16777216.0;
}

}  // namespace diruruzevuv::model
