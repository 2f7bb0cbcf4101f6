#include "platform/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

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

std::string QtDialogs::OpenFile(const std::string& title, const std::string& filter,
                                const std::string& presetName) {
  return ToText(QFileDialog::getOpenFileName(DialogParent(), FromText(title), FromText(presetName),
                                             TranslateFilter(filter)));
}

std::string QtDialogs::SaveFile(const std::string& title, const std::string& filter,
                                const std::string& presetName) {
  return ToText(QFileDialog::getSaveFileName(DialogParent(), FromText(title), FromText(presetName),
                                             TranslateFilter(filter)));
}

}  // namespace diruruzevuv::platform
