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
// click steps the number in that box by one, within its range (1 to 99
// unless changed), and then reports the change.
class TurnsSpinner final : public QWidget {
  Q_OBJECT

 public:
  explicit TurnsSpinner(QWidget* parent = nullptr);

  void Attach(QLineEdit* buddy);
  QLineEdit* Buddy() const noexcept { return m_buddy; }
  void SetRange(int minimum, int maximum) noexcept;
  int Minimum() const noexcept { return m_minimum; }
  int Maximum() const noexcept { return m_maximum; }

  QToolButton* UpButton() const noexcept { return m_up; }
  QToolButton* DownButton() const noexcept { return m_down; }

 public slots:
  void StepUp();
  void StepDown();

 signals:
  // After a click that could not step (the box is at the end of the
  // range): the number may still be one typed but not yet taken.
  void stoppedAtLimit();
  // After a click that changed the number in the box.
  void changed();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Step(int delta);

  QPointer<QLineEdit> m_buddy;
  QToolButton* m_up = nullptr;
  QToolButton* m_down = nullptr;
  int m_minimum = 1;
  int m_maximum = 99;
};

}  // namespace diruruzevuv::platform
