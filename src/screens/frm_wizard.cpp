#include "screens/frm_wizard.h"

#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

#include "model/wizard.h"

namespace diruruzevuv::screens {
namespace {

constexpr double kGridWidth = 12000.0;
constexpr double kGridHeight = 9000.0;

// Display height in twips, which the screens' font sizes follow.
double ScreenHeightTwips(const QWidget* widget) {
  const QScreen* screen = widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return 11520.0;
  const double dpi = screen->logicalDotsPerInchY() > 0 ? screen->logicalDotsPerInchY() : 96.0;
  return screen->geometry().height() * 1440.0 / dpi;
}

QFont Arial(double points) {
  QFont font("Arial");
  font.setPointSizeF(std::max(points, 1.0));
  return font;
}

}  // namespace

frmWizard::frmWizard(model::Session& session, model::Notifier& notifier, QWidget* parent)
    : QDialog(parent), m_session(session), m_notifier(notifier) {
  setWindowTitle("DIRUruzevuv - Wizard page");
  setModal(true);
  const double h = ScreenHeightTwips(this);
  setFont(Arial(h * 0.001));

  lblTitle = new QLabel("KAMO Lowpass Filter Design Wizard", this);
  lblTitle->setFont(Arial(h * 0.002));
  lblTitle->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
  Place(lblTitle, 15, 300, 12000, 600);

  const auto entry = [this](QLabel*& label, QLineEdit*& box, const char* caption, const char* text,
                            double top) {
    label = new QLabel(caption, this);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Place(label, 1500, top, 2500, 300);
    box = new QLineEdit(text, this);
    Place(box, 4000, top, 1000, 300);
  };
  entry(lblLowerEdge, txtLowerEdge, "Lower bandedge, Hz: ", "3500k", 2000);
  entry(lblToroid, txtToroid, "Toroid AL: ", "3", 3000);
  entry(lblInput, txtInput, "Input termination: ", "50", 4000);

  cmdPreview = new QPushButton("Preview", this);
  Place(cmdPreview, 3500, 5000, 1500, 300);

  for (std::size_t row = 0; row < captions.size(); ++row) {
    const double top = 2000.0 + 500.0 * static_cast<double>(row);
    captions[row] = new QLabel(model::kWizardRowCaptions[row], this);
    captions[row]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Place(captions[row], 6000, top, 1000, 300);
    results[row] = new QLabel(this);
    results[row]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Place(results[row], 7100, top, 2000, 300);
  }

  cmdExit = new QPushButton("Continue", this);
  cmdExit->setEnabled(false);
  Place(cmdExit, 6500, 6500, 1500, 300);

  connect(txtLowerEdge, &QLineEdit::textChanged, this, &frmWizard::txtLowerEdge_Change);
  connect(cmdPreview, &QPushButton::clicked, this, &frmWizard::cmdPreview_Click);
  connect(cmdExit, &QPushButton::clicked, this, &frmWizard::cmdExit_Click);

  // The 12000 x 9000 layout at three quarters of the display height.
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  const int height = screen ? screen->availableGeometry().height() * 3 / 4 : 600;
  resize(height * 4 / 3, height);
  ApplyGeometry();
}

void frmWizard::txtLowerEdge_Change() {
  model::LowerEdgeChanged(txtLowerEdge->text().toStdString(), m_session.design);
}

void frmWizard::cmdPreview_Click() {
  const model::WizardEntries entries{txtLowerEdge->text().toStdString(),
                                     txtToroid->text().toStdString(),
                                     txtInput->text().toStdString()};
  const model::WizardOutcome outcome =
      model::WizardPreview(entries, m_session.design, m_session.defaults);
  if (!outcome.accepted) {
    m_notifier.Message(outcome.message);
    QLineEdit* wrong = outcome.wrongEntry == model::WizardEntry::Toroid  ? txtToroid
                       : outcome.wrongEntry == model::WizardEntry::Input ? txtInput
                                                                         : txtLowerEdge;
    wrong->setFocus();
    wrong->selectAll();
    return;
  }
  // Setting the lower-edge text runs its change handler, which re-reads the
  // edge the synthesis already used.
  txtLowerEdge->setText(QString::fromStdString(outcome.normalised.lowerEdge));
  txtToroid->setText(QString::fromStdString(outcome.normalised.toroid));
  txtInput->setText(QString::fromStdString(outcome.normalised.input));
  for (std::size_t row = 0; row < results.size(); ++row) {
    results[row]->setText(QString::fromStdString(outcome.results[row]));
  }
  cmdExit->setEnabled(true);
}

void frmWizard::cmdExit_Click() {
  accept();
}

void frmWizard::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  ApplyGeometry();
}

void frmWizard::Place(QWidget* widget, double left, double top, double width, double height) {
  m_places.emplace_back(widget, QRectF(left, top, width, height));
}

void frmWizard::ApplyGeometry() {
  const double scale = std::min(width() / kGridWidth, this->height() / kGridHeight);
  for (const auto& [widget, r] : m_places) {
    widget->setGeometry(
        QRectF(r.left() * scale, r.top() * scale, r.width() * scale, r.height() * scale).toRect());
  }
}

}  // namespace diruruzevuv::screens
