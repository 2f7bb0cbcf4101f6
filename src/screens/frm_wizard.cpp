#include "screens/frm_wizard.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <utility>
#include <vector>

#include "model/circuit/wizard.h"

namespace diruruzevuv::screens {

frmWizard::frmWizard(model::Session& session, model::Notifier& notifier, QWidget* parent)
    : QDialog(parent), m_session(session), m_notifier(notifier) {
  setWindowTitle("DIRUruzevuv - Wizard page");
  setModal(true);
  setFont(m_geometry.Font(QStringLiteral("Arial"), 0.001));

  lblTitle = new QLabel("KAMO Lowpass Filter Design Wizard", this);
  lblTitle->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
  Place(lblTitle, 15, 300, 12000, 600, 0.002);

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

  // No smaller than where every caption, entry and result reads whole.
  std::vector<platform::ScreenGeometry::TextNeed> needs;
  for (QLabel* label : {lblTitle, lblLowerEdge, lblToroid, lblInput})
    needs.push_back({label, label->text()});
  for (QLabel* caption : captions) needs.push_back({caption, caption->text()});
  for (QPushButton* button : {cmdPreview, cmdExit}) needs.push_back({button, button->text()});
  for (QLineEdit* box : {txtLowerEdge, txtToroid, txtInput})
    needs.push_back({box, QStringLiteral("14.35M")});
  for (QLabel* result : results) needs.push_back({result, QStringLiteral("26  (result: 2.028uH)")});
  setMinimumSize(m_geometry.MinimumClientSize(needs));

  const QSize size =
      platform::ScreenGeometry::ComfortableWindowSize(screen()).expandedTo(minimumSize());
  resize(size);
  m_geometry.SetClientSize(size);
  m_geometry.Apply();
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
  for (const auto& [box, text] : {std::pair{txtLowerEdge, &outcome.normalised.lowerEdge},
                                  std::pair{txtToroid, &outcome.normalised.toroid},
                                  std::pair{txtInput, &outcome.normalised.input}}) {
    box->setText(QString::fromStdString(*text));
    box->setCursorPosition(0);  // a text too long for its box shows its start
  }
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
  m_geometry.SetClientSize(size());
  m_geometry.Apply();
}

void frmWizard::Place(QWidget* control, double left, double top, double width, double height,
                      double fontFactor) {
  m_geometry.Place(control, left, top, width, height, fontFactor);
}

}  // namespace diruruzevuv::screens
