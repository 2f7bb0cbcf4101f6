#include "report/report_printer.h"

#include <sys/resource.h>
#include <sys/statvfs.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSizeF>
#include <QString>
#include <cerrno>
#include <charconv>
#include <cstring>

#include "files/file_names.h"
#include "files/replace_file.h"
#include "platform/qpainter_canvas.h"

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

// Draws the page on the printer as it is set up.
void RenderDirectly(const platform::RecordingCanvas& page, QPrinter& printer) {
  QPainter painter;
  if (!painter.begin(&printer)) throw PrinterError(Describe(printer, "cannot be written to"));
  {
    constexpr platform::CanvasScale kPage{.width = kPageWidth, .height = kPageHeight, .page = true};
    platform::QPainterCanvas canvas(painter, QRectF(0, 0, printer.width(), printer.height()),
                                    kPage);
    Replay(page, canvas);
  }
  const bool ended = painter.end();
  if (!ended || printer.printerState() == QPrinter::Error ||
      printer.printerState() == QPrinter::Aborted)
    throw PrinterError(Describe(printer, "reported an error"));
}

// Why the printer's PDF came out short: it does not say, but a file size
// limit or a full disk are what usually stop it.
std::string WhyIncomplete(const std::string& file, std::size_t size) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      size >= limit.rlim_cur)
    return std::strerror(EFBIG);
  struct statvfs space {};
  if (::statvfs(file.c_str(), &space) == 0 && space.f_bavail == 0) return std::strerror(ENOSPC);
  return "the PDF came out incomplete";
}

// The printer's own PDF output opens its file with truncation (through any
// link, and waiting on a pipe) and does not report failed writes. So the
// PDF is made in the same writer's temporary file beside the target as
// every other file, checked, and only then put in place; a failure
// removes it.
void RenderPdfFile(const platform::RecordingCanvas& page, QPrinter& printer) {
  const QString target = printer.outputFileName();
  const std::string path = QFile::encodeName(target).toStdString();
  const files::ContentWriter render = [&](int, const std::string& temporary, std::string& why) {
    printer.setOutputFileName(QFile::decodeName(temporary.c_str()));
    try {
      RenderDirectly(page, printer);
    } catch (const PrinterError&) {
      why = "the printer's PDF output failed";
    }
    printer.setOutputFileName(target);  // messages name the user's file
    if (!why.empty()) return false;
    QFile file(QFile::decodeName(temporary.c_str()));
    const QByteArray pdf = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    if (PdfIsComplete(std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size()))))
      return true;
    why = WhyIncomplete(temporary, static_cast<std::size_t>(pdf.size()));
    return false;
  };
  std::string why;
  if (!files::ReplaceFileUsing(path, render, &why)) {
    model::WriteFailure failure{Describe(printer, "cannot be written to"), path, why,
                                "Printer Error", false};
    throw PrinterError(failure.message, failure);
  }
}

}  // namespace

bool PdfIsComplete(std::string_view pdf) {
  // Every offset the cross-reference table gives must start its object,
  // and the table must be where the end of the file says it is.
  constexpr std::string_view kEnd = "%%EOF";
  while (!pdf.empty() && (pdf.back() == '\n' || pdf.back() == '\r')) pdf.remove_suffix(1);
  if (!pdf.ends_with(kEnd)) return false;
  const auto startxref = pdf.rfind("startxref");
  if (startxref == std::string_view::npos) return false;
  const auto readNumber = [&](std::size_t& at, std::size_t& value) {
    while (at < pdf.size() && (pdf[at] == ' ' || pdf[at] == '\r' || pdf[at] == '\n')) ++at;
    const auto [end, error] = std::from_chars(pdf.data() + at, pdf.data() + pdf.size(), value);
    if (error != std::errc{}) return false;
    at = static_cast<std::size_t>(end - pdf.data());
    return true;
  };
  std::size_t at = startxref + 9, table = 0;
  if (!readNumber(at, table) || table >= startxref || pdf.substr(table, 4) != "xref") return false;
  at = table + 4;
  std::size_t first = 0, count = 0;
  if (!readNumber(at, first) || !readNumber(at, count) || count == 0) return false;
  for (std::size_t i = 0; i < count; ++i) {
    std::size_t offset = 0, generation = 0;
    if (!readNumber(at, offset) || !readNumber(at, generation)) return false;
    while (at < pdf.size() && pdf[at] == ' ') ++at;
    if (at >= pdf.size()) return false;
    const char kind = pdf[at++];
    if (kind == 'f') continue;
    if (kind != 'n' || offset >= table) return false;
    std::size_t objectAt = offset, number = 0;
    if (!readNumber(objectAt, number) || number != first + i) return false;
  }
  return true;
}

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
  if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
    RenderPdfFile(page, printer);
  else
    RenderDirectly(page, printer);
  printer.setPageOrientation(QPageLayout::Portrait);
}

void OfferPrintFile(QPrinter& printer, const platform::Dialogs& dialogs,
                    const std::filesystem::path& workDir, const QString& name) {
  if (!printer.outputFileName().isEmpty()) return;  // the file of the last print
  const std::string folder = dialogs.LastFolder().empty() ? workDir.string() : dialogs.LastFolder();
  if (folder.empty()) return;
  // Naming a file switches a printer to PDF; the printer chosen stays.
  const QPrinter::OutputFormat format = printer.outputFormat();
  printer.setOutputFileName(QDir(QString::fromStdString(folder)).filePath(name));
  if (format != printer.outputFormat()) printer.setOutputFormat(format);
}

bool PrintDesignReport(const model::Session& session, const model::Evaluation& shown,
                       QPrinter& printer, QWidget* parent, platform::Dialogs& dialogs,
                       double screenWidthTwips) {
  OfferPrintFile(printer, dialogs, session.locations.workDir, QStringLiteral("report.pdf"));
  QtReportPrinter target(printer, parent);
  ReportOptions options;
  options.screenWidthTwips = screenWidthTwips;
  const bool printed = PrintReport(session, shown, target, dialogs, options);
  if (printer.outputFormat() == QPrinter::PdfFormat)
    dialogs.RememberFolderOf(printer.outputFileName().toStdString());
  return printed;
}

bool WriteReportPdf(const model::Session& session, const model::Evaluation& shown,
                    const std::string& path, platform::Dialogs& dialogs,
                    const ReportOptions& options) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(path));
  printer.setPageSize(QPageSize(QPageSize::A4));
  printer.setDocName(QStringLiteral("DIRUruzevuv report"));
  printer.setCreator(QStringLiteral("DIRUruzevuv"));
  QtReportPrinter target(printer, nullptr, /*askUser=*/false);
  return PrintReport(session, shown, target, dialogs, options);
}

}  // namespace diruruzevuv::report
