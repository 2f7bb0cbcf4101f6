#include "report/report_printer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <string>
#include <vector>

#include "files/design_file.h"
#include "model/design_state.h"
#include "model/notifier.h"
#include "model/plot_grid.h"
#include "model/session.h"
#include "report/page_painter.h"
#include "report/report.h"

namespace diruruzevuv::report {
namespace {

class RecordingDialogs final : public platform::Dialogs {
 public:
  void MessageWithTitle(const std::string& text, const std::string& title) override {
    messages.push_back(title + ": " + text);
  }
  std::string OpenFile(const std::string&, const std::string&, const std::string&) override {
    return {};
  }
  std::string SaveFile(const std::string&, const std::string&, const std::string&) override {
    return {};
  }
  void Beep() override {}
  std::vector<std::string> messages;
};

model::Session TwentyMetreSession() {
  model::Session s;
  model::ApplyDefaultDesign(s.design);
  s.design.InductorQ = 200;
  s.design.CapacitorQ = 1000;
  s.defaults = {-1, -40, -50, 1.1f, 6, -60};
  s.analysis.RunSweep(s.design);
  s.plot.grid = model::ComputePlotGrid(s.design.SweepStart, s.design.SweepStop);
  return s;
}

// The text layer of a PDF, through poppler's pdftotext.
QString PdfText(const QString& pdf) {
  QProcess p;
  p.start("pdftotext", {"-layout", pdf, "-"});
  if (!p.waitForFinished(20000)) return {};
  return QString::fromUtf8(p.readAllStandardOutput());
}

bool IsDark(QRgb pixel) {
  return qGray(pixel) < 100;
}

TEST(PagePainterTest, FrameAndArcLandWhereTheyShould) {
  QImage image(1400, 1000, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    PagePainterCanvas canvas(painter, QSizeF(1400, 1000));
    canvas.SetLineWidth(3);
    canvas.Box({2000, 1500}, {7000, 5000}, model::kBlack);
    // From 0 to pi is the upper half of the circle.
    canvas.Arc({10500, 5000}, 2000, 0.0, 3.14159274, model::kBlack);
  }
  EXPECT_TRUE(IsDark(image.pixel(200, 300)));   // left edge of the frame
  EXPECT_TRUE(IsDark(image.pixel(450, 150)));   // top edge
  EXPECT_FALSE(IsDark(image.pixel(450, 300)));  // inside
  EXPECT_TRUE(IsDark(image.pixel(1050, 300)));  // top of the arc
  EXPECT_FALSE(IsDark(image.pixel(1050, 700)));
}

TEST(PagePainterTest, TheWholeReportIsNotBlank) {
  model::Session s = TwentyMetreSession();
  platform::RecordingCanvas page;
  DrawReport(page, s, {});
  QImage image(1400, 1000, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    PagePainterCanvas canvas(painter, QSizeF(1400, 1000));
    Replay(page, canvas);
  }
  int dark = 0, blue = 0, boxFill = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      dark += IsDark(c.rgb());
      blue += c.blue() > 200 && c.red() < 80 && c.green() < 80;
      boxFill += c == QColor(255, 240, 240);
    }
  EXPECT_GT(dark, 2000);
  EXPECT_GT(boxFill, 1000);
  if (s.analysis.Result().valid) {
    EXPECT_GT(blue, 200);
  }
}

TEST(ReportPdfTest, WritesOneLandscapePageWithTheTexts) {
  QTemporaryDir dir;
  const QString pdf = dir.filePath("report.pdf");
  model::Session s = TwentyMetreSession();
  RecordingDialogs dialogs;
  ASSERT_TRUE(WriteReportPdf(s, pdf.toStdString(), dialogs, {}));
  EXPECT_TRUE(dialogs.messages.empty());
  QFile file(pdf);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.read(5) == "%PDF-");
  const QString text = PdfText(pdf);
  EXPECT_TRUE(text.contains("DIRUruzevuv Utility")) << text.toStdString();
  EXPECT_TRUE(text.contains("Capacitor Q values: 1k")) << text.toStdString();
  EXPECT_TRUE(text.contains("Printed by DIRUruzevuv from the DIRUruzevuv developers"));
}

TEST(ReportPdfTest, AnUnwritableFileIsAPrinterErrorAndTheNextReportWorks) {
  QTemporaryDir dir;
  const QString bad = dir.filePath("no/such/folder/report.pdf");
  model::Session s = TwentyMetreSession();
  RecordingDialogs dialogs;
  EXPECT_FALSE(WriteReportPdf(s, bad.toStdString(), dialogs, {}));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].rfind("Printer Error: ", 0), 0u) << dialogs.messages[0];
  EXPECT_FALSE(QFile::exists(bad));

  const QString good = dir.filePath("report.pdf");
  EXPECT_TRUE(WriteReportPdf(s, good.toStdString(), dialogs, {}));
  EXPECT_TRUE(QFile::exists(good));
  EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST(ReportPdfTest, CancellingThePrintDialogPrintsNothing) {
  QTemporaryDir dir;
  const QString pdf = dir.filePath("cancelled.pdf");
  QPrinter printer;
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(pdf);
  model::Session s = TwentyMetreSession();
  RecordingDialogs dialogs;
  QTimer::singleShot(50, [] {
    if (QWidget* dialog = QApplication::activeModalWidget()) dialog->close();
  });
  EXPECT_FALSE(PrintDesignReport(s, printer, nullptr, dialogs, 12000));
  EXPECT_FALSE(QFile::exists(pdf));
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST(ReportPdfTest, ThePrintDialogsPrintToFileChoiceWritesThePdf) {
  QTemporaryDir dir;
  const QString pdf = dir.filePath("chosen.pdf");
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(pdf);
  model::Session s = TwentyMetreSession();
  RecordingDialogs dialogs;
  QTimer::singleShot(50, [] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->accept();
  });
  EXPECT_TRUE(PrintDesignReport(s, printer, nullptr, dialogs, 12000));
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(PdfText(pdf).contains("Lower bandedge:"));
  // The printer is left in portrait for whatever prints next.
  EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);
}

// --- The command-line tool --------------------------------------------

struct CliRun {
  int status = -1;
  QString err;
};

CliRun RunCli(const QStringList& args, const QString& workDir) {
  QProcess p;
  p.setWorkingDirectory(workDir);
  p.start(DIRU_CLI_PATH, args);
  CliRun run;
  if (!p.waitForFinished(60000)) return run;
  run.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  run.err = QString::fromUtf8(p.readAllStandardError());
  return run;
}

TEST(ReportCliTest, WritesThePdfOfADesignFile) {
  QTemporaryDir dir;
  model::DesignState design;
  model::ApplyDefaultDesign(design);
  design.InductorQ = 200;
  design.CapacitorQ = 1000;
  model::SilentNotifier quiet;
  const QString designFile = dir.filePath("FILTER.TXT");
  ASSERT_TRUE(files::WriteDesignFile(designFile.toStdString(), design, quiet));
  const QString pdf = dir.filePath("out.pdf");

  const CliRun run = RunCli({"report", designFile, pdf}, dir.path());
  ASSERT_EQ(run.status, 0) << run.err.toStdString();
  const QString text = PdfText(pdf);
  for (const char* expected :
       {"DIRUruzevuv Utility", "14M", "14.35M", "Lower bandedge:", "Upper bandedge:",
        "Loss at lower edge:", "Loss at upper edge:", "Toroid Al:", "nH per turns squared",
        "Number of turns, L1: 12", "Number of turns, L2: 14", "Inductor Q values:",
        "Capacitor Q values:", "C47", "C92", "Rload", "Printed by DIRUruzevuv"})
    EXPECT_TRUE(text.contains(expected)) << expected << "\n" << text.toStdString();
}

TEST(ReportCliTest, FailuresGiveAMessageAndStatusOne) {
  QTemporaryDir dir;
  const CliRun missing =
      RunCli({"report", dir.filePath("MISSING.TXT"), dir.filePath("out.pdf")}, dir.path());
  EXPECT_EQ(missing.status, 1);
  EXPECT_FALSE(missing.err.isEmpty());
  EXPECT_FALSE(QFile::exists(dir.filePath("out.pdf")));

  model::DesignState design;
  model::ApplyDefaultDesign(design);
  model::SilentNotifier quiet;
  const QString designFile = dir.filePath("FILTER.TXT");
  ASSERT_TRUE(files::WriteDesignFile(designFile.toStdString(), design, quiet));
  const CliRun unwritable =
      RunCli({"report", designFile, dir.filePath("no/folder/out.pdf")}, dir.path());
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_TRUE(unwritable.err.contains("Printer Error")) << unwritable.err.toStdString();

  EXPECT_EQ(RunCli({"report", designFile}, dir.path()).status, 2);
}

}  // namespace
}  // namespace diruruzevuv::report
