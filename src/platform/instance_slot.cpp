#include "platform/instance_slot.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace diruruzevuv::platform {

InstanceSlot::InstanceSlot(const QString& folder, int most) {
  for (int n = 0; n < most; ++n) {
    auto lock = std::make_unique<QLockFile>(
        QDir(folder).filePath(QStringLiteral("diruruzevuv-window-%1.lock").arg(n)));
    if (lock->tryLock(0)) {
      m_lock = std::move(lock);
      m_number = n;
      return;
    }
  }
  // More copies than places: the last place again, and nothing held.
  m_number = most - 1;
}

InstanceSlot::~InstanceSlot() = default;

QString InstanceSlotFolder() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  return folder.isEmpty() ? QDir::tempPath() : folder;
}

}  // namespace diruruzevuv::platform
