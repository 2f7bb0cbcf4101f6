// The report as a PDF: through the "Print" button's dialog, and from the command-line tool.
#include <gtest/gtest.h>

#include <QDialog>
#include <QFile>
#include <QPageLayout>
#include <QPrinter>

#include "../files/test_support.h"
#include "../files/write_cases.h"
#include "../screens/design_screen.h"
#include "report/report_printer.h"

namespace diruruzevuv::report {
namespace {

using testing::TempDir;

testing::ProcessResult RunProcess(const std::vector<std::string>& argv) {
  return testing::RunTogether({argv}).front();
}

std::string PdfText(const QString& pdf, const char* layout = "-raw") {
  return RunProcess({"/usr/bin/pdftotext", layout, pdf.toStdString(), "-"}).out;
}

QString Path(const TempDir& dir, const std::string& name) {
  return QString::fromStdString((dir / name).string());
}

void PrintTo(testing::DesignScreen& screen, const QString& pdf, bool accept = true) {
  screen.Form().cdbPrintSchematic().setOutputFormat(QPrinter::PdfFormat);
  screen.Form().cdbPrintSchematic().setOutputFileName(pdf);
  testing::WhileModal([&screen] { screen.Click("cmdPrint"); },
                      [accept](QWidget& up) {
                        auto* dialog = qobject_cast<QDialog*>(&up);
                        ASSERT_NE(dialog, nullptr);
                        accept ? dialog->accept() : dialog->reject();
                      });
}

TEST(ReportCliTest, WritesThePdfOfADesignFileAndFailsPlainly) {
  TempDir dir;
  const std::string design = DIRU_SOURCE_DATA_DIR "/20.TXT";
  const QString pdf = Path(dir, "out.pdf");
  const auto written = RunProcess({DIRU_CLI_PATH, "report", design, pdf.toStdString()});
  ASSERT_EQ(written.status, 0) << written.err;
  // The page is pinned in report_test; here, that the tool renders all of it.
  const std::string text = PdfText(pdf, "-layout");
  for (const char* expected : {"DIRUruzevuv Utility - 14M to 14.35M", "588nH",
                               "Printed by DIRUruzevuv from the DIRUruzevuv developers"})
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;

  const std::string missing = (dir / "x.pdf").string();
  EXPECT_EQ(RunProcess({DIRU_CLI_PATH, "report", (dir / "MISSING.TXT").string(), missing}).status,
            1);
  EXPECT_FALSE(std::filesystem::exists(missing));
  const std::string nowhere = (dir / "no/folder/out.pdf").string();
  const auto failed = RunProcess({DIRU_CLI_PATH, "report", design, nowhere});
  EXPECT_EQ(
      std::pair(failed.status, failed.err),
      std::pair(1, "diruruzevuv-cli: cannot write " + nowhere + ": No such file or directory\n"));

  // The renderer on its own, too: the tool's start does not cover it.
  testing::ExpectPlainFailureUnderSizeLimit([&design](const std::string& out) {
    return std::vector<std::string>{DIRU_CLI_PATH, "report", design, out};
  });
  const std::string renderer =
      (std::filesystem::path(DIRU_CLI_PATH).parent_path() / "diruruzevuv-report").string();
  testing::ExpectPlainFailureUnderSizeLimit([&](const std::string& out) {
    return std::vector<std::string>{renderer, DIRU_SOURCE_DATA_DIR, design, out};
  });
}

// A linked target is written through and the link kept. (A pipe, which
// would hang this process, is tried through the tool, which shares this path.)
TEST(PrintButtonTest, PrintToFileGoesThroughTheSafeWriter) {
  testing::DesignScreen screen([](const TempDir& dir) {
    testing::MakeEntries(dir.path(), {"folder.pdf/", "real.pdf", "link.pdf->real.pdf"});
  });
  const TempDir& dir = screen.dir;
  const QString pdf = Path(dir, "report.pdf");
  for (bool accept : {false, true}) {
    PrintTo(screen, Path(dir, "report"), accept);
    EXPECT_EQ(QFile::exists(pdf), accept);
  }
  EXPECT_TRUE(screen.dialogs.messages.empty());
  EXPECT_EQ(screen.Form().cdbPrintSchematic().pageLayout().orientation(), QPageLayout::Portrait);
  EXPECT_NE(PdfText(pdf).find("DIRUruzevuv Utility - 14M to 14.35M"), std::string::npos);
  QFile::remove(pdf);

  auto before = testing::FolderSnapshot(dir.path());
  for (const char* name : {"folder.pdf", "missing/x.pdf", "link.pdf"}) PrintTo(screen, Path(dir, name));
  const auto& dialogs = screen.dialogs;
  EXPECT_EQ(dialogs.titles, (std::vector<std::string>{"Printer Error", "Printer Error"}));
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_TRUE(dialogs.messages[0].find("folder.pdf cannot be written to") != std::string::npos &&
              dialogs.messages[1].find("x.pdf cannot be written to") != std::string::npos);
  auto after = testing::FolderSnapshot(dir.path());
  EXPECT_TRUE(after["real.pdf"].find("%PDF-") != std::string::npos &&
              after["real.pdf"].substr(0, 4) == before["real.pdf"].substr(0, 4));  // mode kept
  after["real.pdf"] = before["real.pdf"];
  EXPECT_EQ(after, before);
}

}  // namespace
}  // namespace diruruzevuv::report
