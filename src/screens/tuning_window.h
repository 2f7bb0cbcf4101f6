#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace diruruzevuv::screens {

// The live advice while "Repeat" runs, beside the design screen and not
// in its way (no dialog waits for it): the sweeps per second, and the
// latest fit's parts against the design with the turns to change. Closing
// it leaves the repeat running.
class TuningWindow final : public QDialog {
  Q_OBJECT

 public:
  explicit TuningWindow(QWidget* parent);

  // Beside the form where the screen has room, else in the screen's top
  // left corner, over the form's texts rather than its plot or its turns.
  void PlaceBeside(const QWidget& form);
  void ShowAdvice(const std::string& text);
  void ShowStatus(const std::string& text);

  QLabel* lblStatus = nullptr;
  QPlainTextEdit* txtAdvice = nullptr;
  QPushButton* cmdClose = nullptr;
};

}  // namespace diruruzevuv::screens
