#pragma once

#include <QDialog>
#include <QRectF>
#include <array>
#include <utility>
#include <vector>

#include "model/notifier.h"
#include "model/session.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace diruruzevuv::screens {

// The design wizard: three entries, "Preview" synthesises the filter into
// the design, "Continue" closes. Shown modally by the opening screen.
class frmWizard final : public QDialog {
  Q_OBJECT

 public:
  frmWizard(model::Session& session, model::Notifier& notifier, QWidget* parent = nullptr);

  // Controls, named as on the screen; tests drive them.
  QLabel* lblTitle = nullptr;
  QLabel* lblLowerEdge = nullptr;
  QLabel* lblToroid = nullptr;
  QLabel* lblInput = nullptr;
  QLineEdit* txtLowerEdge = nullptr;
  QLineEdit* txtToroid = nullptr;
  QLineEdit* txtInput = nullptr;
  QPushButton* cmdPreview = nullptr;
  QPushButton* cmdExit = nullptr;     // "Continue"
  std::array<QLabel*, 8> captions{};  // Label1 .. Label8
  std::array<QLabel*, 8> results{};   // Label21 .. Label28

 public slots:
  void txtLowerEdge_Change();
  void cmdPreview_Click();
  void cmdExit_Click();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Place(QWidget* widget, double left, double top, double width, double height);
  void ApplyGeometry();

  model::Session& m_session;
  model::Notifier& m_notifier;
  std::vector<std::pair<QWidget*, QRectF>> m_places;  // grid-unit rectangles
};

}  // namespace diruruzevuv::screens
