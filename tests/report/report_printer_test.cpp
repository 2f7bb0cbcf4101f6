// The report as a PDF: through the "Print" button's dialog, and from the command-line tool.
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
#include "files/design_file.h"
#include "model/design_state.h"
#include "screens/frm_design.h"
#include "screens/screen_manager.h"

namespace diruruzevuv::report {
namespace {

using diruruzevuv::testing::TempDir;

// Runs a program in a folder; its standard output, exit status and standard error.
QString RunProgram(const QString& program, const QStringList& args, const TempDir& dir,
            int* status = nullptr, QString* err = nullptr) {
  QProcess p;
  p.setWorkingDirectory(QString::fromStdString(dir.path().string()));
  p.start(program, args);
  const bool done = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit;
  if (status) *status = done ? p.exitCode() : -1;
  if (err) *err = QString::fromUtf8(p.readAllStandardError());
  return QString::fromUtf8(p.readAllStandardOutput());
}

QString Path(const TempDir& dir, const std::string& name) {
  return QString::fromStdString((dir / name).string());
}

TEST(PrintButtonTest, CancelPrintsNothingAndPrintToFileWritesTheReport) {
  TempDir dir;
  model::Session session;
  session.locations.workDir = dir.path();
  session.locations.dataDir = dir.path();
  model::ApplyDefaultDesign(session.design);
  diruruzevuv::testing::ScriptedDialogs dialogs;
  screens::ScreenManager manager{session, dialogs, [] {}};
  manager.SetShowScreens(false);
  manager.ShowDesign();
  screens::frmDesign& form = *manager.Design();
  const QString pdf = Path(dir, "report.pdf");
  form.cdbPrintSchematic().setOutputFormat(QPrinter::PdfFormat);
  form.cdbPrintSchematic().setOutputFileName(pdf);
  for (bool accept : {false, true}) {
    QTimer::singleShot(0, [accept] {  // answers the modal print dialog
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      accept ? dialog->accept() : dialog->reject();
    });
    form.findChild<QPushButton*>("cmdPrint")->click();
    EXPECT_EQ(QFile::exists(pdf), accept);
  }
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(form.cdbPrintSchematic().pageLayout().orientation(), QPageLayout::Portrait);
  const QString text = RunProgram("pdftotext", {pdf, "-"}, dir);
  EXPECT_TRUE(text.contains("DIRUruzevuv Utility - 14M to 14.35M")) << text.toStdString();
}

TEST(ReportCliTest, WritesThePdfOfADesignFileAndReportsFailures) {
  TempDir dir;
  model::DesignState design;
  model::ApplyDefaultDesign(design);
  model::SilentNotifier quiet;
  const QString designFile = Path(dir, "FILTER.TXT"), pdf = Path(dir, "out.pdf");
  ASSERT_TRUE(files::WriteDesignFile(designFile.toStdString(), design, quiet));
  int status = -1;
  QString err;
  RunProgram(DIRU_CLI_PATH, {"report", designFile, pdf}, dir, &status, &err);
  ASSERT_EQ(status, 0) << err.toStdString();
  const QString text = RunProgram("pdftotext", {"-layout", pdf, "-"}, dir);
  for (const char* expected :
       {"DIRUruzevuv Utility - 14M to 14.35M", "Lower bandedge: 14M", "Loss at upper edge:",
        "Toroid Al: 3", "nH per turns squared", "Number of turns, L1: 12", "Capacitor Q values:",
        "C47", "588nH", "Rload", "Printed by DIRUruzevuv from the DIRUruzevuv developers"})
    EXPECT_TRUE(text.contains(expected)) << expected << "\n" << text.toStdString();

  RunProgram(DIRU_CLI_PATH, {"report", Path(dir, "MISSING.TXT"), Path(dir, "x.pdf")}, dir, &status, &err);
  EXPECT_EQ(status, 1);
  EXPECT_FALSE(QFile::exists(Path(dir, "x.pdf")));
  RunProgram(DIRU_CLI_PATH, {"report", designFile, Path(dir, "no/folder/out.pdf")}, dir, &status, &err);
  EXPECT_EQ(status, 1);
  EXPECT_TRUE(err.contains("Printer Error")) << err.toStdString();
}

}  // namespace
}  // namespace diruruzevuv::report
