#pragma once

namespace diruruzevuv::platform {

// Lets the user interface process its pending events once (so that a
// label just shown is drawn), then waits the given number of seconds
// without processing events. Measured on a monotonic clock, so a pause
// across midnight or a clock change still ends on time.
void PauseSeconds(float seconds);

}  // namespace diruruzevuv::platform
