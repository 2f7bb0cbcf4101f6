#pragma once

#include <cstdint>

namespace diruruzevuv::model {

// The Monte Carlo run's uniform source: splitmix64 on a state that starts
// from the same constant at every program start, with our own conversion
// to [0, 1) so that every platform and compiler draws the same sequence.
// Advances the state and returns the top 24 bits of the output / 2^24.
double NextUniform(std::uint64_t& state) noexcept;

}  // namespace diruruzevuv::model
