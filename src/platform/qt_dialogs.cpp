#include "platform/qt_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QStringList>
#include <algorithm>

namespace diruruzevuv::platform {
namespace {

QString FromText(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToText(const QString& text) {
  return text.toUtf8().toStdString();
}

QWidget* DialogParent() {
  return QApplication::activeWindow();
}

}  // namespace

QString TranslateFilter(const std::string& filter) {
  const QStringList parts = FromText(filter).split(QLatin1Char('|'));
  QStringList entries;
  for (qsizetype i = 0; i < parts.size(); i += 2) {
    const QString description = parts[i].trimmed();
    QString patterns = i + 1 < parts.size() ? parts[i + 1].trimmed() : QStringLiteral("*");
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    if (description.contains(QLatin1Char('(')) && description.endsWith(QLatin1Char(')'))) {
      entries << description;
    } else if (description.isEmpty()) {
      entries << QStringLiteral("(%1)").arg(patterns);
    } else {
      entries << QStringLiteral("%1 (%2)").arg(description, patterns);
    }
  }
  return entries.join(QStringLiteral(";;"));
}

void QtDialogs::MessageWithTitle(const std::string& text, const std::string& title) {
  QMessageBox box(QMessageBox::NoIcon, FromText(title), FromText(text), QMessageBox::Ok,
                  DialogParent());
  box.exec();
}

void QtDialogs::Beep() {
  QApplication::beep();
}

QString QtDialogs::StartPath(const std::string& presetName) const {
  const QString preset = FromText(presetName);
  if (LastFolder().empty() || QFileInfo(preset).isAbsolute() || preset.contains(QLatin1Char('/')))
    return preset;
  return QDir(FromText(LastFolder())).filePath(preset);
}

void QtDialogs::Remember(const QString& chosen) {
  RememberFolderOf(ToText(chosen));
}

std::string QtDialogs::OpenFile(const std::string& title, const std::string& filter,
                                const std::string& presetName) {
  const QString chosen = QFileDialog::getOpenFileName(
      DialogParent(), FromText(title), StartPath(presetName), TranslateFilter(filter));
  Remember(chosen);
  return ToText(chosen);
}

std::string QtDialogs::SaveFile(const std::string& title, const std::string& filter,
                                const std::string& presetName) {
  const QString chosen = QFileDialog::getSaveFileName(
      DialogParent(), FromText(title), StartPath(presetName), TranslateFilter(filter));
  Remember(chosen);
  return ToText(chosen);
}

std::string QtDialogs::ChooseItem(const std::string& title, const std::string& label,
                                  const std::vector<std::string>& items,
                                  const std::string& current) {
  QStringList list;
  for (const std::string& item : items) list << FromText(item);
  if (!current.empty() && !list.contains(FromText(current))) list.prepend(FromText(current));
  bool ok = false;
  // The box opens on the current choice (-1 when there is none: the first).
  const int at = std::max<int>(0, list.indexOf(FromText(current)));
  const QString chosen =
      QInputDialog::getItem(DialogParent(), FromText(title), FromText(label), list, at, true, &ok);
  return ok ? chosen.trimmed().toStdString() : std::string();
}

bool QtDialogs::Confirm(const std::string& question) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("DIRUruzevuv"), FromText(question),
                  QMessageBox::Yes | QMessageBox::No, DialogParent());
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace diruruzevuv::platform
