#include "files/replace_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <random>
#include <system_error>

namespace diruruzevuv::files {

namespace {

// As the system counts them when it follows links itself.
constexpr int kMaxLinks = 40;
// A clash of random names is rare; this many in a row means names are
// being taken on purpose.
constexpr int kNameAttempts = 100;
// Leaves room for the rest of the temporary name within a file name's
// 255-byte limit.
constexpr std::size_t kMaxNamePart = 200;

std::string ErrorText(int error) {
  return std::error_code(error, std::generic_category()).message();
}

// The folder part with its trailing slash ("" for a bare name).
std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string RandomPart() {
  static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device source;
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kChars - 2);
  std::string part(12, ' ');
  for (char& c : part) c = kChars[pick(source)];
  return std::to_string(::getpid()) + "-" + part;
}

constexpr std::string_view kTemporaryMark = ".diru-";

// Removes the temporaries of target whose writer's process is gone (killed
// mid-write). Only names of the form the writer makes are considered, only
// regular files are removed, and a process that still exists, or cannot be
// asked, keeps its file.
void RemoveStaleTemporaries(const std::string& target) {
  const std::string folder = FolderOf(target).empty() ? std::string(".") : FolderOf(target);
  const std::string prefix =
      "." + NameOf(target).substr(0, kMaxNamePart) + std::string(kTemporaryMark);
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name(entry->d_name);
    if (!name.starts_with(prefix)) continue;
    const std::string_view rest = name.substr(prefix.size());
    const std::size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string_view::npos ||
        rest.substr(0, dash).find_first_not_of("0123456789") != std::string_view::npos ||
        dash > 9)
      continue;
    const auto pid = static_cast<pid_t>(std::stol(std::string(rest.substr(0, dash))));
    if (pid <= 0 || ::kill(pid, 0) == 0 || errno != ESRCH) continue;
    const std::string path = FolderOf(target) + std::string(name);
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid())
      ::unlink(path.c_str());
  }
  ::closedir(dir);
}

// Follows symbolic links from the path to the file they finally name,
// which need not exist yet.
bool ResolveLinks(std::string path, std::string& resolved, std::string& why) {
  for (int hops = 0;; ++hops) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
      if (errno != ENOENT) {
        why = ErrorText(errno);
        return false;
      }
      break;  // a new file, or a link to one
    }
    if (!S_ISLNK(info.st_mode)) break;
    if (hops == kMaxLinks) {
      why = ErrorText(ELOOP);
      return false;
    }
    std::string target(static_cast<std::size_t>(std::max<off_t>(info.st_size, 0)) + 256, '\0');
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length < 0 || static_cast<std::size_t>(length) >= target.size()) {
      why = ErrorText(length < 0 ? errno : ENAMETOOLONG);
      return false;
    }
    target.resize(static_cast<std::size_t>(length));
    path = target.starts_with('/') ? target : FolderOf(path) + target;
  }
  resolved = std::move(path);
  return true;
}

// Makes a renamed file's entry durable; a failure here cannot undo the
// rename, so it is not reported.
void SyncFolder(const std::string& file) {
  const std::string folder = FolderOf(file).empty() ? std::string(".") : FolderOf(file);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const std::size_t chunk = std::min<std::size_t>(text.size(), 1u << 30);
    const ssize_t written = ::write(fd, text.data(), chunk);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      if (written == 0) errno = EIO;
      return false;
    }
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool Replace(const std::string& path, const ContentWriter& write, std::string* why,
             const TemporaryNameSource& names);

}  // namespace

void IgnoreFileSizeSignal() noexcept {
  ::signal(SIGXFSZ, SIG_IGN);
}

std::string TemporaryPathFor(const std::string& path, std::string_view varyingPart) {
  std::string name = NameOf(path).substr(0, kMaxNamePart);
  return FolderOf(path) + "." + name + std::string(kTemporaryMark) + std::string(varyingPart);
}

bool ReplaceFileContents(const std::string& path, std::string_view text, std::string* why) {
  return ReplaceFileContents(path, text, why, RandomPart);
}

bool ReplaceFileContents(const std::string& path, std::string_view text, std::string* why,
                         const TemporaryNameSource& names) {
  return Replace(
      path, [text](int fd, const std::string&, std::string&) { return WriteAll(fd, text); }, why,
      names);
}

bool ReplaceFileUsing(const std::string& path, const ContentWriter& write, std::string* why) {
  return Replace(path, write, why, RandomPart);
}

namespace {

bool Replace(const std::string& path, const ContentWriter& write, std::string* why,
             const TemporaryNameSource& names) {
  std::string reason;
  const auto fail = [&](std::string message) {
    if (why != nullptr) *why = std::move(message);
    return false;
  };
  if (path.empty() || NameOf(path).empty()) return fail("not a file name");

  std::string target;
  if (!ResolveLinks(path, target, reason)) return fail(reason);
  // Only looked at, never opened: opening a pipe would wait for a reader.
  struct stat old {};
  const bool exists = ::lstat(target.c_str(), &old) == 0;
  if (!exists && errno != ENOENT) return fail(ErrorText(errno));
  if (exists && S_ISDIR(old.st_mode)) return fail(ErrorText(EISDIR));
  if (exists && !S_ISREG(old.st_mode)) return fail("not a regular file");
  RemoveStaleTemporaries(target);

  // Exclusive creation never follows a link and never reuses a file that
  // someone else placed at the name.
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < kNameAttempts && fd < 0; ++attempt) {
    temporary = TemporaryPathFor(target, names());
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                exists ? 0600 : 0666);
    // The folder is what is missing or read-only, not the temporary name.
    if (fd < 0 && errno != EEXIST) return fail(ErrorText(errno));
  }
  if (fd < 0) return fail("no free temporary file name in its folder");

  bool ok = true;
  if (exists) {
    // The owner can only be kept with the right to change it; the mode
    // always can.
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid())
      static_cast<void>(::fchown(fd, old.st_uid, old.st_gid));
    ok = ::fchmod(fd, old.st_mode & 07777) == 0;
  }
  std::string writerWhy;
  errno = 0;
  ok = ok && write(fd, temporary, writerWhy);
  int error = ok ? 0 : errno;
  ok = ok && ::fsync(fd) == 0;
  if (error == 0 && !ok) error = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    ::unlink(temporary.c_str());
    return fail(!writerWhy.empty() ? writerWhy : ErrorText(error != 0 ? error : EIO));
  }
  SyncFolder(target);
  return true;
}

}  // namespace

}  // namespace diruruzevuv::files
