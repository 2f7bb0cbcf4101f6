#include "platform/pause.h"

#include <QCoreApplication>
#include <chrono>
#include <thread>

namespace diruruzevuv::platform {

void PauseSeconds(float seconds) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point end =
      Clock::now() + std::chrono::duration_cast<Clock::duration>(
                         std::chrono::duration<double>(static_cast<double>(seconds)));
  QCoreApplication::processEvents();
  // The screen is meant to stay frozen for the pause; sleeping in short
  // steps spares the processor the busy loop.
  while (Clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace diruruzevuv::platform
