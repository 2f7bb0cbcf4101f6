#pragma once

#include <QDialog>
#include <array>

#include "model/notifier.h"
#include "model/session.h"
#include "platform/screen_geometry.h"

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
  void Place(QWidget* control, double left, double top, double width, double height,
             double fontFactor = 0.001);

  model::Session& m_session;
  model::Notifier& m_notifier;
  platform::ScreenGeometry m_geometry;
};

}  // namespace diruruzevuv::screens
