#pragma once

#include <QPointer>
#include <QWidget>
#include <string_view>

class QLineEdit;
class QToolButton;

namespace diruruzevuv::platform {

// The leading number of a turns box (the files' leading-number rule) as a
// whole count, rounded half to even and limited to the 16-bit range.
int ReadWholeNumber(std::string_view text) noexcept;

// A small up/down control attached to the text box in front of it. Each
// click steps the number in that box by one, within 1 to 99, and then
// reports the change.
class TurnsSpinner final : public QWidget {
  Q_OBJECT

 public:
  explicit TurnsSpinner(QWidget* parent = nullptr);

  void Attach(QLineEdit* buddy);
  QToolButton* UpButton() const noexcept { return m_up; }

 signals:
  // After a click that could not step (the box is at the end of the
  // range): the number may still be one typed but not yet taken.
  void stoppedAtLimit();
  // After a click that changed the number in the box.
  void changed();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  static constexpr int kMinimum = 1;
  static constexpr int kMaximum = 99;

  void Step(int delta);

  QPointer<QLineEdit> m_buddy;
  QToolButton* m_up = nullptr;
  QToolButton* m_down = nullptr;
};

}  // namespace diruruzevuv::platform
