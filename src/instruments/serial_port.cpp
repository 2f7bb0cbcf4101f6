#include "instruments/serial_port.h"

#include <fcntl.h>
#include <libserialport.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace diruruzevuv::instruments {

std::vector<SerialPortInfo> ListSerialPorts() {
  std::vector<SerialPortInfo> found;
  sp_port** ports = nullptr;
  if (sp_list_ports(&ports) != SP_OK) return found;
  for (sp_port** p = ports; *p != nullptr; ++p) {
    SerialPortInfo info;
    info.port = sp_get_port_name(*p);
    if (const char* text = sp_get_port_description(*p)) info.description = text;
    int vid = -1, pid = -1;
    if (sp_get_port_transport(*p) == SP_TRANSPORT_USB &&
        sp_get_port_usb_vid_pid(*p, &vid, &pid) == SP_OK) {
      info.vendorId = vid;
      info.productId = pid;
      if (const char* serial = sp_get_port_usb_serial(*p)) info.serial = serial;
    }
    found.push_back(std::move(info));
  }
  sp_free_port_list(ports);
  return found;
}

namespace {

// The port itself is a plain file descriptor with poll(): that gives every
// read a timeout, and a device unplugged (or an emulator's pseudo-terminal
// closed) shows as a hang-up rather than as an endless wait.
class FdLink final : public ByteLink {
 public:
  FdLink(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}
  ~FdLink() override { ::close(m_fd); }

  ReadResult Read(char* buffer, std::size_t size, int timeoutMs) override {
    ReadResult result;
    pollfd pfd{m_fd, POLLIN, 0};
    int ready;
    do {
      ready = ::poll(&pfd, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready == 0) return result;
    if (ready < 0) return Closed(std::strerror(errno));
    if (!(pfd.revents & POLLIN)) return Closed("the device went away");
    ssize_t n;
    do {
      n = ::read(m_fd, buffer, size);
    } while (n < 0 && errno == EINTR);
    if (n > 0) {
      result.status = ReadStatus::kData;
      result.count = static_cast<std::size_t>(n);
      return result;
    }
    if (n < 0 && errno == EAGAIN) return result;
    return Closed(n == 0 || errno == EIO ? "the device went away" : std::strerror(errno));
  }

  bool Write(std::string_view bytes, std::string& why) override {
    while (!bytes.empty()) {
      pollfd pfd{m_fd, POLLOUT, 0};
      if (::poll(&pfd, 1, 2000) <= 0 || !(pfd.revents & POLLOUT)) {
        why = "the device does not take commands";
        return false;
      }
      const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
      if (n < 0) {
        if (errno == EINTR || errno == EAGAIN) continue;
        why = errno == EIO ? "the device went away" : std::strerror(errno);
        return false;
      }
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
  }

 private:
  static ReadResult Closed(std::string why) {
    ReadResult result;
    result.status = ReadStatus::kClosed;
    result.error = std::move(why);
    return result;
  }
  int m_fd;
  std::string m_path;
};

}  // namespace

std::unique_ptr<ByteLink> OpenSerialPort(const std::string& path, std::string& why) {
  // Only a device may be a port: a design file named by mistake would get
  // the first command written over its start.
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && !S_ISCHR(info.st_mode)) {
    why = kNotASerialPort;
    return nullptr;
  }
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    why = std::strerror(errno);
    if (errno == EACCES)
      why += " (see \"Measuring with an analyser\" in the README for the udev rule)";
    return nullptr;
  }
  // The path may have been swapped for something else since the look above.
  if (::fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode)) {
    ::close(fd);
    why = kNotASerialPort;
    return nullptr;
  }
  termios tio{};
  if (::tcgetattr(fd, &tio) == 0) {
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&tio, B115200);
    ::cfsetospeed(&tio, B115200);
    ::tcsetattr(fd, TCSANOW, &tio);
  }
  // What the device sent an earlier client that stopped mid-reply (a
  // sweep's values) would be taken for the answer to our first command.
  ::tcflush(fd, TCIFLUSH);
  return std::make_unique<FdLink>(fd, path);
}

}  // namespace diruruzevuv::instruments
