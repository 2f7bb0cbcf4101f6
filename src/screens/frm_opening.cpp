#include "screens/frm_opening.h"

#include <QCloseEvent>
#include <string>

#include "drawing/schematic.h"
#include "files/band_preset.h"
#include "files/design_file.h"
#include "files/global_defaults_file.h"
#include "screens/frm_wizard.h"
#include "screens/program_constants.h"
#include "screens/screen_manager.h"

namespace diruruzevuv::screens {
namespace {

constexpr double kLabelFont = 0.0012;
constexpr double kButtonFont = 0.001;
constexpr double kTitleFont = 0.003;

}  // namespace

frmOpening::frmOpening(model::Session& session, platform::Dialogs& dialogs, ScreenManager& manager)
    : m_session(session), m_dialogs(dialogs), m_manager(manager) {
  setWindowTitle(QStringLiteral("Welcome to DIRUruzevuv !"));
  setObjectName(QStringLiteral("frmOpening"));
  CreateControls();

  // The global defaults come before the screen is shown, so that their
  // range messages appear first.
  files::ReadGlobalDefaults(m_session.locations, m_session.design, m_session.defaults, m_dialogs);
  Schematic();
  cmdLast->setVisible(files::LastSessionExists(m_session.locations));

  lblVersion->setText(QStringLiteral("Version ") + QString::fromLatin1(kProgramVersion));
  lblCredit->setText(QString::fromUtf8(kCreditText));
  lblWebsite->setText(QString::fromUtf8(kWebsiteText));
  SetMinimumForTexts(CaptionNeeds());
}

frmOpening::~frmOpening() = default;

void frmOpening::CreateControls() {
  auto label = [this](const char* name, Qt::Alignment alignment) {
    auto* l = new QLabel(this);
    l->setObjectName(QString::fromLatin1(name));
    l->setAlignment(alignment);
    return l;
  };
  lblTitle = label("lblTitle", Qt::AlignHCenter | Qt::AlignTop);
  lblTitle->setText(QStringLiteral("KAMO Lowpass Filter Utility"));
  Place(lblTitle, 10, 500, 12000, 1200, kTitleFont, QStringLiteral("Times New Roman"));
  lblVersion = label("lblVersion", Qt::AlignLeft | Qt::AlignTop);
  Place(lblVersion, 5000, 2500, 5000, 390, kLabelFont);
  lblCredit = label("lblCredit", Qt::AlignLeft | Qt::AlignTop);
  Place(lblCredit, 5000, 3000, 5000, 390, kLabelFont);
  lblWebsite = label("lblWebsite", Qt::AlignLeft | Qt::AlignTop);
  Place(lblWebsite, 5000, 3500, 5000, 390, kLabelFont);

  double top = 2500;
  auto button = [this, &top](const QString& caption, const QString& name) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    Place(b, 2000, top, 1500, 300, kButtonFont);
    top += 400;
    return b;
  };
  QPushButton** bandButtons[] = {&cmd10, &cmd12, &cmd15, &cmd17, &cmd20,
                                 &cmd30, &cmd40, &cmd60, &cmd80, &cmd160};
  for (std::size_t i = 0; i < kBands.size(); ++i) {
    const std::int16_t band = kBands[i];
    const QString caption = QString::number(band);
    *bandButtons[i] = button(caption, QStringLiteral("cmd") + caption);
    connect(*bandButtons[i], &QPushButton::clicked, this, [this, band] { cmdBand_Click(band); });
  }
  cmdLast = button(QStringLiteral("Last session"), QStringLiteral("cmdLast"));
  connect(cmdLast, &QPushButton::clicked, this, &frmOpening::cmdLast_Click);
  cmdWizard = button(QStringLiteral("Design Wizard"), QStringLiteral("cmdWizard"));
  connect(cmdWizard, &QPushButton::clicked, this, &frmOpening::cmdWizard_Click);
  cmdGetOld = button(QStringLiteral("Get old"), QStringLiteral("cmdGetOld"));
  connect(cmdGetOld, &QPushButton::clicked, this, &frmOpening::cmdGetOld_Click);
}

void frmOpening::Schematic() {
  drawing::DrawOpeningSchematic(Surface(), m_session);
}

void frmOpening::cmdBand_Click(std::int16_t band) {
  const bool read = files::SelectBand(band, m_session.design, m_session.locations, m_dialogs);
  m_session.filed.name = read ? m_session.design.CurrentFile : std::string();
  m_manager.ShowDesign();
}

void frmOpening::cmdLast_Click() {
  const bool read = files::ReadLastSession(m_session.locations, m_session.design, m_dialogs);
  m_session.filed.name = read ? files::kLastSessionName : "";
  m_manager.ShowDesign();
}

void frmOpening::cmdGetOld_Click() {
  const std::string path =
      m_dialogs.OpenFile("Read KAMO lowpass file", files::kDesignFilter, std::string());
  // A cancelled dialog leaves everything as it was: no read, no message,
  // and the user stays on this screen.
  if (path.empty()) return;
  const bool read = files::ReadDesignFile(path, m_session.design, m_dialogs);
  m_session.filed.name = read ? std::filesystem::path(path).filename().string() : std::string();
  m_manager.ShowDesign();
}

void frmOpening::cmdWizard_Click() {
  // However the wizard is left (Continue or its close box), the design
  // screen opens on whatever the design then holds.
  {
    frmWizard wizard(m_session, m_dialogs, this);
    wizard.exec();
  }
  m_session.filed.name.clear();  // the wizard's design comes from no file
  m_manager.ShowDesign();
}

void frmOpening::closeEvent(QCloseEvent* event) {
  event->accept();
  m_manager.ScreenClosedByUser();
}

}  // namespace diruruzevuv::screens
