#pragma once

#include <atomic>
#include <chrono>
#include <complex>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "instruments/serial_port.h"
#include "model/measurement/measured_network.h"

namespace diruruzevuv::instruments {

// How long to wait before a device is called silent. A sweep's first line
// comes only after the device has measured every point of the scan, so it
// gets its own, longer wait; between bytes of a reply the wait is short.
// Besides these, every exchange has one overall limit (ExchangeLimitMs).
struct Timeouts {
  int replyMs = 2000;  // first byte of an ordinary command's reply
  int scanMs = 20000;  // first byte after a scan command, and ScanWaitMs's more
  int quietMs = 1000;  // between bytes once a reply has started
  // When set, raising it ends any wait within a tenth of a second (the
  // window's Cancel while the device is silent).
  const std::atomic<bool>* cancel = nullptr;
  // When set, the family Connect tries first (0 the text shell, 1 the
  // register protocol), and where it writes the one that answered. A
  // register-protocol board says nothing to the text shell, so asking it
  // that way first costs a whole reply wait: a caller that measures the
  // same port again and again keeps this.
  std::atomic<int>* family = nullptr;
};

// How the device sweeps, from what it says about itself.
enum class ScanMethod {
  kBinaryScan,  // scan with the binary output bit (scan_bin firmware)
  kTextScan,    // scan START STOP POINTS OUTMASK, one text line per point
  kSweepData,   // older firmware: sweep, then frequencies, data 0, data 1
};

struct AnalyserInfo {
  std::string kind;      // the board's name as the device gives it
  std::string firmware;  // its version text
  int maxPoints = 101;   // the largest scan it takes
  ScanMethod method = ScanMethod::kTextScan;
};

// The most a command and its reply may take, fixed when it is sent: 2 s,
// 0.1 s a point measured (a narrow IF bandwidth is slow) and the reply's
// expected size at 5 kB/s. Bytes that arrive never extend it, so a device
// that drips its answer is given up on all the same.
int ExchangeLimitMs(int points, std::size_t replyBytes);
inline constexpr int kMsPerPoint = 100;

// The wait for the first byte after a scan of so many points: the device
// answers only once it has measured them all, so it grows with them as
// the overall limit does.
int ScanWaitMs(const Timeouts& timeouts, int points);

// The device's text shell: sends a command ending in CR and reads the
// reply after the command's echo up to the next "ch> " prompt. Every read
// has a timeout; every failure says what happened, naming the port.
class AnalyserShell {
 public:
  AnalyserShell(std::unique_ptr<ByteLink> link, std::string port, Timeouts timeouts = {});

  // The reply's lines (without line ends), or nothing with Error() set;
  // points: how many points the device measures or lists for it.
  std::optional<std::vector<std::string>> Command(const std::string& command, int points = 0);
  // The reply's bytes as they come, for the binary scan of points: calls
  // progress with the count received so far; stops when progress returns false.
  std::optional<std::string> BinaryCommand(const std::string& command, std::size_t bytes,
                                           int points,
                                           const std::function<bool(std::size_t)>& progress);
  // A command whose text reply, a line a point, is read line by line,
  // progress being told each complete line; the lines, or nothing with
  // Error() set. A scan waits longer for its first line.
  std::optional<std::vector<std::string>> LineCommand(
      const std::string& command, bool scan, int points,
      const std::function<bool(std::size_t)>& progress);

  const std::string& Error() const noexcept { return m_error; }
  const std::string& Port() const noexcept { return m_port; }
  void SetError(std::string why) { m_error = m_port + ": " + std::move(why); }
  void ClearError() noexcept { m_error.clear(); }
  // Bytes of the current reply received so far (after the echo).
  std::size_t Received() const noexcept { return m_received; }
  // Whether the last binary reply ended early with the prompt.
  bool ShortReply() const noexcept { return m_shortReply; }
  // Sends bytes without waiting for a reply, even after a Cancel; Error()
  // stays as it was.
  void SendOnly(std::string_view bytes);
  // Sends bytes as they are and reads a reply of replyBytes, its first
  // byte within firstByteMs: for a binary protocol on the same link.
  std::optional<std::string> Exchange(std::string_view bytes, std::size_t replyBytes,
                                      const std::string& what, int points, int firstByteMs);
  // Whether the device has sent any byte since the port was opened.
  bool HeardAnything() const noexcept { return m_heard; }
  const Timeouts& Waits() const noexcept { return m_timeouts; }

 private:
  bool Send(std::string_view bytes, const std::string& what, int points, std::size_t replyBytes);
  bool ReadMore(int timeoutMs, const std::string& waitingFor, bool started);
  bool SkipToEcho(const std::string& command, int timeoutMs);
  std::unique_ptr<ByteLink> m_link;
  std::string m_port;
  Timeouts m_timeouts;
  // The current exchange's overall limit and when it runs out.
  int m_limitMs = 0;
  std::chrono::steady_clock::time_point m_deadline;
  std::string m_buffer;  // received and not yet consumed
  std::string m_error;
  std::size_t m_received = 0;
  bool m_shortReply = false;
  bool m_heard = false;
};

// Asks the device what it is. Nothing, with the shell's error set, when it
// is not a network analyser of the line this program knows (a spectrum
// analyser answers the same USB IDs) or does not answer sensibly.
std::optional<AnalyserInfo> Identify(AnalyserShell& shell);

// A sweep's points when nobody asks for more, and the most it takes.
inline constexpr int kDefaultSweepPoints = 401;
inline constexpr int kMostSweepPoints = 100001;

struct SweepRequest {
  double startHz = 0.0;
  double stopHz = 0.0;
  int points = kDefaultSweepPoints;
  // The device's readings without its own correction (for a calibration
  // made on the host); the result's uncorrected says what came.
  bool raw = false;
};

// A design's sweep range as the analyser sweeps it: low to high, whichever
// way the design runs.
SweepRequest DesignSweep(double start, double stop, int points = kDefaultSweepPoints);

// Why the request cannot be swept (empty when it can).
std::string SweepRequestProblem(const SweepRequest& request);

// Progress: points received so far and the total; false cancels.
using SweepProgress = std::function<bool(int done, int total)>;

// The points of a linear sweep: point i of total from start to stop.
struct SweepGrid {
  double startHz, stopHz;
  int total;
  double At(int i) const noexcept { return startHz + (stopHz - startHz) * i / (total - 1); }
};

// One point of a device sweep as the device gives it.
struct SweepPoint {
  double hz;
  std::complex<double> s11, s21;
};

// An analyser on its port, whichever protocol it speaks.
class Analyser {
 public:
  virtual ~Analyser() = default;
  const AnalyserInfo& Info() const noexcept { return m_info; }
  virtual const std::string& Port() const noexcept = 0;
  virtual const std::string& Error() const noexcept = 0;
  virtual void SetError(std::string why) = 0;
  // Whether its sweeps come corrected by the device's own calibration.
  virtual bool Corrects(bool raw) const noexcept = 0;

  // Sweeps the range linearly in as many of the device's largest sweeps
  // as it takes, joined without repeating a frequency: a two-port
  // measurement with S11 and S21 as measured, S12 = S21 and S22 = 0 (the
  // analyser measures one direction only), referred to 50 ohm. Nothing,
  // with Error() set, when any point is missing, out of place or not a
  // number. The device is left sweeping as the user had it, whatever the
  // outcome.
  std::optional<model::MeasuredNetwork> Sweep(const SweepRequest& request,
                                              const SweepProgress& progress = {});

 protected:
  explicit Analyser(AnalyserInfo info) : m_info(std::move(info)) {}
  using ScanProgress = std::function<bool(int)>;
  // Before the first device sweep: false with Error() set when it fails.
  virtual bool Prepare(bool raw) = 0;
  // One device sweep of count points of the grid from its point first.
  virtual bool Scan(const SweepGrid& grid, int first, int count, const ScanProgress& progress,
                    std::vector<SweepPoint>& out) = 0;
  // After the last, whatever the outcome; leaves Error() as it was.
  virtual void Restore(bool raw, bool succeeded) = 0;

 private:
  std::optional<model::MeasuredNetwork> SweepScans(const SweepRequest& request,
                                                   const SweepProgress& progress);
  AnalyserInfo m_info;
};

// The text-shell family.
class ShellAnalyser final : public Analyser {
 public:
  ShellAnalyser(std::unique_ptr<AnalyserShell> shell, AnalyserInfo info)
      : Analyser(std::move(info)), m_shell(std::move(shell)) {}
  const std::string& Port() const noexcept override { return m_shell->Port(); }
  const std::string& Error() const noexcept override { return m_shell->Error(); }
  void SetError(std::string why) override { m_shell->SetError(std::move(why)); }
  bool Corrects(bool raw) const noexcept override { return !raw; }

 private:
  bool Prepare(bool raw) override;
  bool Scan(const SweepGrid& grid, int first, int count, const ScanProgress& progress,
            std::vector<SweepPoint>& out) override;
  void Restore(bool raw, bool succeeded) override;
  std::unique_ptr<AnalyserShell> m_shell;
};

// Why a sweep of the analyser cannot be used as asked (empty when it can):
// uncorrected readings that nobody asked for.
std::string UncorrectedProblem(const Analyser& analyser, const SweepRequest& request);

// The comment written into a Touchstone file of such a measurement.
inline constexpr const char* kOneDirectionComment =
    "S11 and S21 measured; S12 is a copy of S21 and S22 is 0 (the analyser measures one "
    "direction only)";

// Why a design terminated in designOhms cannot use such a measurement
// (the referral rules of every measurement), or empty when it can: the
// analyser measures at 50 ohm and gives no S22 to refer it with.
std::string TerminationProblem(double designOhms, const std::string& port);

// The ports with the analyser's USB IDs.
std::vector<SerialPortInfo> AnalyserPorts(const std::vector<SerialPortInfo>& ports);

// Opens and identifies the analyser on the port; nothing with why set.
std::unique_ptr<Analyser> Connect(const std::string& port, std::string& why,
                                  Timeouts timeouts = {});

// The port to use when none is named: the one analyser found, or nothing
// with why listing what was found.
std::optional<std::string> OnlyAnalyserPort(std::string& why);

// One measurement from the named port, or from the one analyser found when
// the port is empty: nothing with why set (none or several found, with
// their list; the device's own failure).
std::optional<model::MeasuredNetwork> MeasureOnce(const std::string& port,
                                                  const SweepRequest& request, std::string& why,
                                                  const SweepProgress& progress = {},
                                                  Timeouts timeouts = {});

}  // namespace diruruzevuv::instruments
