#include "report/report_printer.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "files/design_file.h"
#include "model/design_state.h"
#include "model/notifier.h"

namespace diruruzevuv::report {
namespace {

int RunCli(const QTemporaryDir& dir, const QStringList& args, QString* err) {
  QProcess p;
  p.setWorkingDirectory(dir.path());
  p.start(DIRU_CLI_PATH, args);
  if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit) return -1;
  if (err) *err = QString::fromUtf8(p.readAllStandardError());
  return p.exitCode();
}

TEST(ReportCliTest, WritesThePdfOfADesignFileAndReportsFailures) {
  QTemporaryDir dir;
  model::DesignState design;
  model::ApplyDefaultDesign(design);
  design.InductorQ = 200;
  design.CapacitorQ = 1000;
  model::SilentNotifier quiet;
  const QString designFile = dir.filePath("FILTER.TXT"), pdf = dir.filePath("out.pdf");
  ASSERT_TRUE(files::WriteDesignFile(designFile.toStdString(), design, quiet));
  QString err;
  ASSERT_EQ(RunCli(dir, {"report", designFile, pdf}, &err), 0) << err.toStdString();
  QProcess p;
  p.start("pdftotext", {"-layout", pdf, "-"});
  ASSERT_TRUE(p.waitForFinished(20000));
  const QString text = QString::fromUtf8(p.readAllStandardOutput());
  for (const char* expected :
       {"DIRUruzevuv Utility", "14M", "14.35M", "Lower bandedge:", "Loss at upper edge:",
        "Toroid Al:", "nH per turns squared", "Number of turns, L1: 12", "Capacitor Q values:",
        "C47", "C92", "Rload", "Printed by DIRUruzevuv from the DIRUruzevuv developers"})
    EXPECT_TRUE(text.contains(expected)) << expected << "\n" << text.toStdString();

  EXPECT_EQ(RunCli(dir, {"report", dir.filePath("MISSING.TXT"), dir.filePath("x.pdf")}, &err), 1);
  EXPECT_FALSE(err.isEmpty());
  EXPECT_FALSE(QFile::exists(dir.filePath("x.pdf")));
  EXPECT_EQ(RunCli(dir, {"report", designFile, dir.filePath("no/folder/out.pdf")}, &err), 1);
  EXPECT_TRUE(err.contains("Printer Error")) << err.toStdString();
}

}  // namespace
}  // namespace diruruzevuv::report
