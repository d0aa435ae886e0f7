#pragma once
#include <array>
#include <cstddef>

namespace sorvane {

// The beep moments of one cycle, in the cycle's unit, in playing order and
// ended by an exact 0 entry.  Writers never write past the last slot and
// always leave a 0 within it, so a table holds at most 255 moments.
inline constexpr std::size_t kBeepTableSize = 256;
inline constexpr std::size_t kMaxBeepMoments = kBeepTableSize - 1;
using BeepTable = std::array<float, kBeepTableSize>;

} // namespace sorvane
