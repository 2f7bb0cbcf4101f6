#include "instruments/analyser_v2.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace diruruzevuv::instruments {

namespace {

// Registers: sweep start and step (Hz, u64), points and values per
// frequency (u16), the values FIFO, the data mode, and what the device is.
constexpr std::uint8_t kStart = 0x00, kStep = 0x10, kPoints = 0x20, kValues = 0x22;
constexpr std::uint8_t kDataMode = 0x26, kFifo = 0x30, kVariant = 0xF0;
constexpr std::uint8_t kRead1 = 0x10, kRead2 = 0x11, kRead8 = 0x13, kReadFifo = 0x18;
constexpr std::uint8_t kWrite1 = 0x20, kWrite2 = 0x21, kWrite8 = 0x23;
constexpr std::size_t kRecordBytes = 32;
constexpr int kMostPerRead = 255;           // 0 would mean "all", but only to newer firmware
constexpr std::uint8_t kUpdateMode = 0xFF;  // the firmware major version while updating

std::string Command(std::uint8_t opcode, std::uint8_t address) {
  return {static_cast<char>(opcode), static_cast<char>(address)};
}

std::string Write(std::uint8_t opcode, std::uint8_t address, std::uint64_t value) {
  const std::size_t size = opcode == kWrite8 ? 8 : opcode == kWrite2 ? 2 : 1;
  std::string bytes = Command(opcode, address);
  for (std::size_t i = 0; i < size; ++i) bytes += static_cast<char>(value >> (8 * i) & 0xFF);
  return bytes;
}

template <class T>
T Little(const std::string& bytes, std::size_t at) {
  T value;
  std::memcpy(&value, bytes.data() + at, sizeof value);  // little-endian, as is this machine
  return value;
}

class RegisterAnalyser final : public Analyser {
 public:
  RegisterAnalyser(std::unique_ptr<AnalyserShell> link, AnalyserInfo info)
      : Analyser(std::move(info)), m_link(std::move(link)) {}
  const std::string& Port() const noexcept override { return m_link->Port(); }
  const std::string& Error() const noexcept override { return m_link->Error(); }
  void SetError(std::string why) override { m_link->SetError(std::move(why)); }
  bool Corrects(bool) const noexcept override { return false; }

 private:
  bool Prepare(bool raw) override;
  bool Scan(const SweepGrid& grid, int first, int count, const ScanProgress& progress,
            std::vector<SweepPoint>& out) override;
  void Restore(bool, bool) override { m_link->SendOnly(m_restore); }
  bool DeviceSweep(std::uint64_t start, std::uint64_t step, int count, const ScanProgress& progress,
                   std::vector<SweepPoint>& out);

  std::unique_ptr<AnalyserShell> m_link;
  std::string m_restore;  // what puts the device back as it was
};

// Notes the sweep another program may have set, to put it back after.
bool RegisterAnalyser::Prepare(bool) {
  // Leaving the data mode gives the device's screen its own sweep back.
  m_restore = Write(kWrite1, kDataMode, 2);
  const std::string ask = Command(kRead8, kStart) + Command(kRead8, kStep) +
                          Command(kRead2, kPoints) + Command(kRead2, kValues);
  const auto got =
      m_link->Exchange(ask, 20, "read the sweep registers", 0, m_link->Waits().replyMs);
  if (!got) return false;
  if (const auto points = Little<std::uint16_t>(*got, 16); points != 0)
    m_restore = Write(kWrite8, kStart, Little<std::uint64_t>(*got, 0)) +
                Write(kWrite8, kStep, Little<std::uint64_t>(*got, 8)) +
                Write(kWrite2, kValues, Little<std::uint16_t>(*got, 18)) +
                Write(kWrite2, kPoints, points) + m_restore;
  return true;
}

// The device steps in whole hertz: where the grid's step is not whole,
// shorter device sweeps keep every point within a hertz of the grid.
bool RegisterAnalyser::Scan(const SweepGrid& grid, int first, int count,
                            const ScanProgress& progress, std::vector<SweepPoint>& out) {
  const double exact = (grid.stopHz - grid.startHz) / (grid.total - 1);
  const auto step = static_cast<std::uint64_t>(std::llround(exact));
  const double drift = std::fabs(static_cast<double>(step) - exact);
  const int run = drift > 0.0 ? std::max(1, static_cast<int>(0.5 / drift) + 1) : count;
  for (int done = 0; done < count; done += run) {
    const auto start = static_cast<std::uint64_t>(std::llround(grid.At(first + done)));
    if (!DeviceSweep(
            start, step, std::min(run, count - done), [&](int got) { return progress(done + got); },
            out))
      return false;
  }
  return true;
}

bool RegisterAnalyser::DeviceSweep(std::uint64_t start, std::uint64_t step, int count,
                                   const ScanProgress& progress, std::vector<SweepPoint>& out) {
  // Each write restarts the sweep; emptying the FIFO drops what came before.
  const std::string set = Write(kWrite8, kStart, start) + Write(kWrite8, kStep, step) +
                          Write(kWrite2, kValues, 1) + Write(kWrite2, kPoints, count) +
                          Write(kWrite1, kFifo, 0);
  if (!m_link->Exchange(set, 0, "set the sweep", 0, 0)) return false;
  for (int got = 0; got < count;) {
    const int ask = std::min(kMostPerRead, count - got);
    const std::string what = "read " + std::to_string(ask) + " values from the FIFO";
    const auto data =
        m_link->Exchange(Command(kReadFifo, kFifo) + static_cast<char>(ask),
                         kRecordBytes * static_cast<std::size_t>(ask), what, ask,
                         got == 0 ? ScanWaitMs(m_link->Waits(), ask) : m_link->Waits().replyMs);
    if (!data) return false;
    for (int k = 0; k < ask; ++k, ++got) {
      const std::size_t at = kRecordBytes * static_cast<std::size_t>(k);
      std::complex<double> wave[3];  // forward, reflected, transmitted
      for (int w = 0; w < 3; ++w)
        wave[w] = {static_cast<double>(Little<std::int32_t>(*data, at + 8 * w)),
                   static_cast<double>(Little<std::int32_t>(*data, at + 8 * w + 4))};
      const auto index = Little<std::uint16_t>(*data, at + 24);
      if (index != got) {
        SetError("answered frequency index " + std::to_string(index) + " where " +
                 std::to_string(got) + " was expected");
        return false;
      }
      out.push_back(
          {static_cast<double>(start + step * index), wave[1] / wave[0], wave[2] / wave[0]});
    }
    if (!progress(got)) return false;
  }
  return true;
}

}  // namespace

std::unique_ptr<Analyser> ConnectRegisters(std::unique_ptr<AnalyserShell>& link) {
  const int waitMs = link->Waits().replyMs;
  // Eight zero bytes end whatever command the parser was in the middle of.
  const auto hello = link->Exchange(std::string(8, '\0') + "\x0D", 1, "0x0D", 0, waitMs);
  if (hello != "2") {
    link->ClearError();  // not of this family: what it said before stands
    return nullptr;
  }
  std::string ask;
  for (int r = 0; r < 5; ++r) ask += Command(kRead1, static_cast<std::uint8_t>(kVariant + r));
  const auto id = link->Exchange(ask, 5, "read registers 0xF0 to 0xF4", 0, waitMs);
  if (!id) return nullptr;
  const auto byte = [&](int r) {
    return static_cast<unsigned>(static_cast<std::uint8_t>((*id)[r]));
  };
  if (byte(3) == kUpdateMode) {
    link->SetError("is in its firmware-update mode: switch it off and on again to measure");
    return nullptr;
  }
  AnalyserInfo info;
  info.kind = "V2 (variant " + std::to_string(byte(0)) + ", hardware revision " +
              std::to_string(byte(2)) + ")";
  info.firmware = std::to_string(byte(3)) + "." + std::to_string(byte(4)) + ", protocol " +
                  std::to_string(byte(1));
  // Hardware from revision 4 on keeps 65535 points a sweep; the others 1024.
  info.maxPoints = byte(2) >= 4 ? 65535 : 1024;
  return std::make_unique<RegisterAnalyser>(std::move(link), std::move(info));
}

}  // namespace diruruzevuv::instruments
