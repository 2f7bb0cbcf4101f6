// The report as a PDF: through the "Print" button's dialog, and from the command-line tool.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>
#include <set>

#include "../files/test_support.h"
#include "../files/write_cases.h"
#include "../screens/design_screen.h"
#include "files/design_file.h"
#include "model/design_state.h"
#include "report/report_printer.h"

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

// The default design written to a file in the folder; its path.
QString DefaultDesignFile(const TempDir& dir, const std::string& name) {
  model::DesignState design;
  model::ApplyDefaultDesign(design);
  model::SilentNotifier quiet;
  EXPECT_TRUE(files::WriteDesignFile((dir / name).string(), design, quiet));
  return Path(dir, name);
}

// The design screen's "Print" with a PDF printer, the print dialog
// answered with OK or Cancel.
void PrintTo(diruruzevuv::testing::DesignScreen& screen, const QString& pdf, bool accept = true) {
  screen.Form().cdbPrintSchematic().setOutputFormat(QPrinter::PdfFormat);
  screen.Form().cdbPrintSchematic().setOutputFileName(pdf);
  diruruzevuv::testing::WhileModal([&screen] { screen.Click("cmdPrint"); },
                                   [accept](QWidget& up) {
                                     auto* dialog = qobject_cast<QDialog*>(&up);
                                     ASSERT_NE(dialog, nullptr);
                                     accept ? dialog->accept() : dialog->reject();
                                   });
}

// A PDF with a part missing is never put in place of an older report.
void ExpectCompletenessCheckFindsMissingParts(const std::string& pdf) {
  ASSERT_TRUE(PdfIsComplete(pdf));
  const std::size_t middle = pdf.size() / 2;
  const struct {
    const char* name;
    std::string text;
  } broken[] = {
      {"cut at the end", pdf.substr(0, pdf.size() - 10)},
      {"cut in the middle", pdf.substr(0, middle)},
      {"a block lost", pdf.substr(0, 4096) + pdf.substr(8192)},
      {"a block doubled", pdf.substr(0, 8192) + pdf.substr(4096)},
      {"empty", ""},
  };
  for (const auto& b : broken) EXPECT_FALSE(PdfIsComplete(b.text)) << b.name;
}

TEST(ReportCliTest, WritesThePdfOfADesignFileAndReportsFailures) {
  TempDir dir;
  const QString designFile = DefaultDesignFile(dir, "FILTER.TXT"), pdf = Path(dir, "out.pdf");
  int status = -1;
  QString err;
  RunProgram(DIRU_CLI_PATH, {"report", designFile, pdf}, dir, &status, &err);
  ASSERT_EQ(status, 0) << err.toStdString();
  ExpectCompletenessCheckFindsMissingParts(diruruzevuv::testing::ReadText(dir / "out.pdf"));
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
  EXPECT_EQ(err, "diruruzevuv-cli: cannot write " + Path(dir, "no/folder/out.pdf") +
                     ": No such file or directory\n");
}

// "Print" to a file: Cancel prints nothing, OK writes the report in
// portrait; a target that cannot take the report is refused through
// "Printer Error"; a linked target is written through and the link kept.
// (A pipe, which would hang this process if opened, is tried through the
// tool, which shares this path.)
TEST(PrintButtonTest, PrintToFileGoesThroughTheSafeWriter) {
  diruruzevuv::testing::DesignScreen screen([](const TempDir& dir) {
    diruruzevuv::testing::MakeEntries(dir.path(), {"folder.pdf/", "real.pdf", "link.pdf->real.pdf"});
  });
  const TempDir& dir = screen.dir;
  const QString pdf = Path(dir, "report.pdf");
  for (bool accept : {false, true}) {
    PrintTo(screen, pdf, accept);
    EXPECT_EQ(QFile::exists(pdf), accept);
  }
  EXPECT_TRUE(screen.dialogs.messages.empty());
  EXPECT_EQ(screen.Form().cdbPrintSchematic().pageLayout().orientation(), QPageLayout::Portrait);
  const QString text = RunProgram("pdftotext", {pdf, "-"}, dir);
  EXPECT_TRUE(text.contains("DIRUruzevuv Utility - 14M to 14.35M")) << text.toStdString();
  QFile::remove(pdf);

  auto before = diruruzevuv::testing::FolderSnapshot(dir.path());
  for (const char* name : {"folder.pdf", "missing/x.pdf", "link.pdf"}) PrintTo(screen, Path(dir, name));
  const auto& dialogs = screen.dialogs;
  EXPECT_EQ(dialogs.titles, (std::vector<std::string>{"Printer Error", "Printer Error"}));
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_NE(dialogs.messages[0].find("folder.pdf cannot be written to"), std::string::npos)
      << dialogs.messages[0];
  EXPECT_NE(dialogs.messages[1].find("x.pdf cannot be written to"), std::string::npos)
      << dialogs.messages[1];
  auto after = diruruzevuv::testing::FolderSnapshot(dir.path());
  EXPECT_TRUE(after["real.pdf"].find("%PDF-") != std::string::npos);
  EXPECT_EQ(after["real.pdf"].substr(0, 4), before["real.pdf"].substr(0, 4));  // mode kept
  before.erase("real.pdf");
  after.erase("real.pdf");
  EXPECT_EQ(after, before);
}

TEST(ReportCliTest, FailsPlainlyUnderAFileSizeLimit) {
  diruruzevuv::testing::ExpectPlainFailureUnderSizeLimit([](const std::string& out) {
    return std::vector<std::string>{DIRU_CLI_PATH, "report", DIRU_SOURCE_DATA_DIR "/20.TXT", out};
  });  // The renderer on its own as well: the tool's start does not cover it.
  const std::string renderer =
      (std::filesystem::path(DIRU_CLI_PATH).parent_path() / "diruruzevuv-report").string();
  diruruzevuv::testing::ExpectPlainFailureUnderSizeLimit([&](const std::string& out) {
    return std::vector<std::string>{renderer, DIRU_SOURCE_DATA_DIR, DIRU_SOURCE_DATA_DIR "/20.TXT",
                                    out};
  });
}

QByteArray ReadBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Thirty reports of different designs to one file at once: every writer
// succeeds and the file is exactly one writer's report, whole.
TEST(ReportCliTest, ParallelWritersLeaveExactlyOneWholeReport) {
  TempDir dir;
  model::SilentNotifier quiet;
  std::vector<std::vector<std::string>> commands;
  std::set<QString> designByEdge;  // the title's upper edge names the design
  const std::string shared = (dir / "shared.pdf").string();
  for (int i = 0; i < 30; ++i) {
    model::DesignState design;
    model::ApplyDefaultDesign(design);
    design.UpperEdge = 14.40e6f + 1.0e4f * static_cast<float>(i);
    const std::string file = (dir.path() / "D").concat(std::to_string(i)).concat(".TXT");
    ASSERT_TRUE(files::WriteDesignFile(file, design, quiet));
    designByEdge.insert(QString::number(14.40 + 0.01 * i, 'g', 4) + "M");
    commands.push_back({DIRU_CLI_PATH, "report", file, shared});
  }
  for (const auto& run : diruruzevuv::testing::RunTogether(commands))
    EXPECT_EQ(run.status, 0) << run.err;
  const QByteArray pdf = ReadBytes(QString::fromStdString(shared));
  EXPECT_TRUE(PdfIsComplete(std::string_view(pdf.constData(), pdf.size())));
  EXPECT_EQ(pdf.count("%%EOF"), 1);
  const QString text = RunProgram("pdftotext", {QString::fromStdString(shared), "-"}, dir);
  const QString edge =
      QRegularExpression(QStringLiteral("Utility - 14M to ([0-9.]+M)")).match(text).captured(1);
  EXPECT_TRUE(designByEdge.contains(edge)) << text.toStdString();
}

}  // namespace
}  // namespace diruruzevuv::report
