#include "screens/frm_exit.h"

#include <QFont>
#include <algorithm>
#include <cmath>

#include "files/design_file.h"
#include "platform/pause.h"
#include "platform/screen_geometry.h"
#include "screens/frm_design.h"
#include "screens/screen_manager.h"

namespace diruruzevuv::screens {

frmExit::frmExit(model::Session& session, platform::Dialogs& dialogs, ScreenManager& manager,
                 QSize display, QWidget* parent)
    : QDialog(parent), m_session(session), m_dialogs(dialogs), m_manager(manager) {
  setWindowTitle(QStringLiteral("DIRUruzevuv - exit ?"));
  setObjectName(QStringLiteral("frmExit"));
  setModal(true);

  // Never so small that its text could not be read.
  display = display.expandedTo(platform::ScreenGeometry::LegibleClientSize());
  const double w = display.width();
  const double h = display.height();
  auto px = [](double v) { return static_cast<int>(std::lround(v)); };
  setFixedSize(px(w * 0.45), px(h * 0.3));

  // The display stands for 9000 twips of height, as on the other screens.
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(std::max(
      1, px(platform::ScreenGeometry::FontPoints(0.001) * platform::ScreenGeometry::kTwipsPerPoint *
            h / platform::ScreenGeometry::kGridHeight)));
  setFont(font);

  Label1 = new QLabel(QStringLiteral("Data has been saved for restart"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setGeometry(px(w * 0.001), px(h * 0.02), px(w * 0.45), px(h * 0.04));
  Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Label1->setVisible(false);

  cmdCancel = new QPushButton(QStringLiteral("Cancel / Continue"), this);
  cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
  cmdCancel->setGeometry(px(w * 0.12), px(h * 0.1), px(w * 0.18), px(h * 0.04));
  cmdCancel->setAutoDefault(false);
  cmdExit = new QPushButton(QStringLiteral("Exit / Quit"), this);
  cmdExit->setObjectName(QStringLiteral("cmdExit"));
  cmdExit->setGeometry(px(w * 0.12), px(h * 0.15), px(w * 0.18), px(h * 0.04));
  cmdExit->setAutoDefault(false);

  // Enter or Space on opening keeps the program running.
  cmdCancel->setFocus();
  connect(cmdCancel, &QPushButton::clicked, this, &frmExit::cmdCancel_Click);
  connect(cmdExit, &QPushButton::clicked, this, &frmExit::cmdExit_Click);
}

frmExit::~frmExit() = default;

void frmExit::cmdCancel_Click() {
  reject();
}

void frmExit::cmdExit_Click() {
  // The label claims success, so it appears only when the file was
  // written; a failure has already beeped and said so.
  if (frmDesign* design = m_manager.Design()) design->EnterTypedTurns();
  if (files::WriteLastSession(m_session.locations, m_session.design, m_dialogs)) {
    Label1->setVisible(true);
  }
  platform::PauseSeconds(m_manager.ExitPause());
  accept();
  m_manager.EndProgram();
}

}  // namespace diruruzevuv::screens
