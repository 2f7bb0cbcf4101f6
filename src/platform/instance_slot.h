#pragma once

#include <QPoint>
#include <QString>
#include <memory>

class QLockFile;

namespace diruruzevuv::platform {

// Which of the running copies of the program this one is: 0 for the only
// one, 1 for a second started beside it, and so on; the lowest number no
// running copy holds. Held through a lock file in `folder` until this
// object goes away (a copy that crashed frees its number).
class InstanceSlot {
 public:
  explicit InstanceSlot(const QString& folder, int most = 8);
  ~InstanceSlot();
  InstanceSlot(const InstanceSlot&) = delete;
  InstanceSlot& operator=(const InstanceSlot&) = delete;

  int Number() const noexcept { return m_number; }
  // How far this copy's first window lies from the first copy's, so that
  // a second window does not open exactly on top of the first.
  QPoint WindowOffset() const noexcept { return QPoint(40, 40) * m_number; }

 private:
  std::unique_ptr<QLockFile> m_lock;
  int m_number = 0;
};

// The folder for the lock files: the user's runtime folder, or the
// temporary folder.
QString InstanceSlotFolder();

}  // namespace diruruzevuv::platform
