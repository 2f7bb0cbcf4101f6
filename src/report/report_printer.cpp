#include "report/report_printer.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSizeF>
#include <QString>

#include "files/file_names.h"
#include "report/page_painter.h"

namespace diruruzevuv::report {

namespace {

// Line widths are printer pixels; a PDF gets the pixels of a good office
// printer so that the widths look as they would on paper.
constexpr int kPdfResolution = 600;

std::string Describe(const QPrinter& printer, const char* what) {
  if (printer.outputFormat() == QPrinter::PdfFormat)
    return "The file " + printer.outputFileName().toStdString() + " " + what + ".";
  const QString name =
      printer.printerName().isEmpty() ? QStringLiteral("default printer") : printer.printerName();
  return "The printer " + name.toStdString() + " " + what + ".";
}

}  // namespace

QString WithPdfExtension(const QPrinter& printer) {
  const QString name = printer.outputFileName();
  if (printer.outputFormat() != QPrinter::PdfFormat || name.isEmpty()) return name;
  return QString::fromStdString(files::WithDefaultExtension(name.toStdString(), ".pdf"));
}

QtReportPrinter::QtReportPrinter(QPrinter& printer, QWidget* dialogParent, bool askUser)
    : m_printer(printer), m_parent(dialogParent), m_askUser(askUser) {}

bool QtReportPrinter::ShowPrintDialog() {
  if (!m_askUser) return true;
  QPrintDialog dialog(&m_printer, m_parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  m_printer.setOutputFileName(WithPdfExtension(m_printer));
  return true;
}

void QtReportPrinter::SendPage(const platform::RecordingCanvas& page) {
  RenderPageOnPrinter(page, m_printer);
}

void RenderPageOnPrinter(const platform::RecordingCanvas& page, QPrinter& printer) {
  if (printer.outputFormat() == QPrinter::PdfFormat) printer.setResolution(kPdfResolution);
  printer.setPageOrientation(QPageLayout::Landscape);
  QPainter painter;
  if (!painter.begin(&printer)) throw PrinterError(Describe(printer, "cannot be written to"));
  {
    PagePainterCanvas canvas(painter, QSizeF(printer.width(), printer.height()));
    Replay(page, canvas);
  }
  const bool ended = painter.end();
  if (!ended || printer.printerState() == QPrinter::Error ||
      printer.printerState() == QPrinter::Aborted)
    throw PrinterError(Describe(printer, "reported an error"));
  printer.setPageOrientation(QPageLayout::Portrait);
}

bool PrintDesignReport(model::Session& session, QPrinter& printer, QWidget* parent,
                       platform::Dialogs& dialogs, double screenWidthTwips) {
  QtReportPrinter target(printer, parent);
  ReportOptions options;
  options.screenWidthTwips = screenWidthTwips;
  return PrintReport(session, target, dialogs, options);
}

bool WriteReportPdf(model::Session& session, const std::string& path, platform::Dialogs& dialogs,
                    const ReportOptions& options) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(path));
  printer.setPageSize(QPageSize(QPageSize::A4));
  printer.setDocName(QStringLiteral("DIRUruzevuv report"));
  printer.setCreator(QStringLiteral("DIRUruzevuv"));
  QtReportPrinter target(printer, nullptr, /*askUser=*/false);
  return PrintReport(session, target, dialogs, options);
}

}  // namespace diruruzevuv::report
