// The design screen's "Print" button: the print dialog and its print-to-file choice.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QTimer>

#include "../files/test_support.h"
#include "../screens/scripted_dialogs.h"
#include "model/design_state.h"
#include "model/session.h"
#include "screens/frm_design.h"
#include "screens/screen_manager.h"

namespace diruruzevuv::screens {
namespace {

TEST(PrintButtonTest, CancelPrintsNothingAndPrintToFileWritesTheReport) {
  diruruzevuv::testing::TempDir dir;
  model::Session session;
  session.locations.workDir = dir.path();
  session.locations.dataDir = dir.path();
  model::ApplyDefaultDesign(session.design);
  diruruzevuv::testing::ScriptedDialogs dialogs;
  ScreenManager manager{session, dialogs, [] {}};
  manager.SetShowScreens(false);
  manager.ShowDesign();
  frmDesign& form = *manager.Design();
  const QString pdf = QString::fromStdString((dir / "report.pdf").string());
  form.cdbPrintSchematic().setOutputFormat(QPrinter::PdfFormat);
  form.cdbPrintSchematic().setOutputFileName(pdf);
  for (bool accept : {false, true}) {
    QTimer::singleShot(0, [accept] {  // answers the modal print dialog
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      accept ? dialog->accept() : dialog->reject();
    });
    form.cmdPrint->click();
    EXPECT_EQ(QFile::exists(pdf), accept);
  }
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(form.cdbPrintSchematic().pageLayout().orientation(), QPageLayout::Portrait);
  QProcess text;
  text.start("pdftotext", {pdf, "-"});
  ASSERT_TRUE(text.waitForFinished(20000));
  const QString out = QString::fromUtf8(text.readAllStandardOutput());
  EXPECT_TRUE(out.contains("DIRUruzevuv Utility")) << out.toStdString();
  EXPECT_TRUE(out.contains("Upper bandedge:")) << out.toStdString();
}

}  // namespace
}  // namespace diruruzevuv::screens
