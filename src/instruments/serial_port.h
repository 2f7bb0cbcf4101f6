#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace diruruzevuv::instruments {

// The USB identities of the analysers' serial interfaces: the text-shell
// boards' (and, alas, a spectrum analyser's of another line and some
// register-protocol boards', told apart by their answers), and the
// register-protocol boards'.
struct UsbId {
  int vendorId, productId;
};
inline constexpr UsbId kAnalyserUsbIds[] = {{0x0483, 0x5740}, {0x04b4, 0x0008}};

struct SerialPortInfo {
  std::string port;   // /dev/ttyACM0
  int vendorId = -1;  // -1 when the port is not on USB
  int productId = -1;
  std::string description;
  std::string serial;  // the USB serial number, empty when it has none
};

// Every serial port the system knows, with its USB IDs where it has them.
std::vector<SerialPortInfo> ListSerialPorts();

// A byte link to a device. Reads wait at most the given time.
class ByteLink {
 public:
  virtual ~ByteLink() = default;
  enum class ReadStatus { kData, kTimeout, kClosed };
  struct ReadResult {
    ReadStatus status = ReadStatus::kTimeout;
    std::size_t count = 0;
    std::string error;  // why, for kClosed
  };
  virtual ReadResult Read(char* buffer, std::size_t size, int timeoutMs) = 0;
  // False with why set when the bytes could not all be written.
  virtual bool Write(std::string_view bytes, std::string& why) = 0;
};

// Why a path that is no character device is refused as a port.
inline constexpr const char* kNotASerialPort = "not a serial port";

// Opens a serial device (or a pseudo-terminal) raw, 8N1, no echo, no
// translation of line ends; nullptr with why set when it cannot (the
// system's reason, or kNotASerialPort for a file, folder or pipe).
std::unique_ptr<ByteLink> OpenSerialPort(const std::string& path, std::string& why);

}  // namespace diruruzevuv::instruments
