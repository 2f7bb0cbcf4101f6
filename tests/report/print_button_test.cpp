// The design screen's "Print" button: dialog, report, printer errors.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QString>
#include <QTimer>
#include <string>

#include "../files/test_support.h"
#include "../screens/scripted_dialogs.h"
#include "model/design_state.h"
#include "model/session.h"
#include "screens/frm_design.h"
#include "screens/screen_manager.h"

namespace diruruzevuv::screens {
namespace {

using diruruzevuv::testing::ScriptedDialogs;
using diruruzevuv::testing::TempDir;

class PrintButtonTest : public ::testing::Test {
 protected:
  PrintButtonTest() {
    session.locations.workDir = dir.path();
    session.locations.dataDir = dir.path();
    model::ApplyDefaultDesign(session.design);
    session.design.InductorQ = 200.0f;
    session.design.CapacitorQ = 1000.0f;
    session.defaults = {-20.0f, -35.0f, -35.0f, 1.01f, 6, -60.0f};
    manager.SetShowScreens(false);
  }

  frmDesign& Open() {
    manager.ShowDesign();
    return *manager.Design();
  }

  // Answers the print dialog once it is up (it is modal).
  static void WhenPrintDialogOpens(bool accept) {
    QTimer::singleShot(0, [accept] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      accept ? dialog->accept() : dialog->reject();
    });
  }

  QString PdfPath(const std::string& name) const {
    return QString::fromStdString((dir / name).string());
  }

  TempDir dir;
  model::Session session;
  ScriptedDialogs dialogs;
  ScreenManager manager{session, dialogs, [] {}};
};

TEST_F(PrintButtonTest, CancellingTheDialogPrintsNothing) {
  frmDesign& form = Open();
  ASSERT_TRUE(form.cmdPrint->isEnabled());
  const QString pdf = PdfPath("cancelled.pdf");
  form.cdbPrintSchematic().setOutputFormat(QPrinter::PdfFormat);
  form.cdbPrintSchematic().setOutputFileName(pdf);
  WhenPrintDialogOpens(false);
  form.cmdPrint->click();
  EXPECT_FALSE(QFile::exists(pdf));
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(PrintButtonTest, PrintToFileWritesTheReport) {
  frmDesign& form = Open();
  const model::DesignState before = session.design;
  const QString pdf = PdfPath("report.pdf");
  form.cdbPrintSchematic().setOutputFormat(QPrinter::PdfFormat);
  form.cdbPrintSchematic().setOutputFileName(pdf);
  WhenPrintDialogOpens(true);
  form.cmdPrint->click();
  EXPECT_TRUE(dialogs.messages.empty());
  QProcess text;
  text.start("pdftotext", {pdf, "-"});
  ASSERT_TRUE(text.waitForFinished(20000));
  const QString out = QString::fromUtf8(text.readAllStandardOutput());
  EXPECT_TRUE(out.contains("DIRUruzevuv Utility")) << out.toStdString();
  EXPECT_TRUE(out.contains("Upper bandedge:")) << out.toStdString();
  EXPECT_EQ(session.design.C48, before.C48);
  EXPECT_EQ(session.design.L1, before.L1);
}

TEST_F(PrintButtonTest, APrinterFailureIsReportedAndPrintsNothing) {
  frmDesign& form = Open();
  const QString bad = PdfPath("no/such/folder/report.pdf");
  form.cdbPrintSchematic().setOutputFormat(QPrinter::PdfFormat);
  form.cdbPrintSchematic().setOutputFileName(bad);
  WhenPrintDialogOpens(true);
  form.cmdPrint->click();
  ASSERT_EQ(dialogs.titles.size(), 1u);
  EXPECT_EQ(dialogs.titles[0], "Printer Error");
  EXPECT_FALSE(dialogs.messages[0].empty());
  EXPECT_FALSE(QFile::exists(bad));
}

}  // namespace
}  // namespace diruruzevuv::screens
