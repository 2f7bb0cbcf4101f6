#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "model/session.h"
#include "platform/dialogs.h"
#include "platform/recording_canvas.h"
#include "report/report.h"

class QPrinter;
class QWidget;

namespace diruruzevuv::report {

// The report on a Qt printer: paper, or a PDF file when the printer's
// output format is PDF (the print dialog's "Print to File" choice sets it).
class QtReportPrinter final : public BufferedReportPrinter {
 public:
  // With askUser false the printer is used as it is set up, without a
  // dialog (the command-line tool writing a PDF).
  QtReportPrinter(QPrinter& printer, QWidget* dialogParent, bool askUser = true);

  bool ShowPrintDialog() override;

 protected:
  void SendPage(const platform::RecordingCanvas& page) override;

 private:
  QPrinter& m_printer;
  QWidget* m_parent;
  bool m_askUser;
};

// Puts a complete recorded page on the printer in landscape, then sets
// portrait again. Throws PrinterError when the printer cannot start or
// reports an error; nothing is sent then. A PDF file is made aside and
// replaces its target only when complete; an older file survives any
// failure.
void RenderPageOnPrinter(const platform::RecordingCanvas& page, QPrinter& printer);

// True when the PDF ends properly and every object its cross-reference
// table lists starts where the table says: no part of it went missing.
bool PdfIsComplete(std::string_view pdf);

// The printer's output file name with ".pdf" added when printing to a PDF
// file whose name was typed without an extension.
QString WithPdfExtension(const QPrinter& printer);

// Offers `name` to a print to a file when the printer has printed to no
// file yet: in the folder where the user last chose a file in this run,
// else in the working folder, never where the program happened to start.
// The printer chosen stays.
void OfferPrintFile(QPrinter& printer, const platform::Dialogs& dialogs,
                    const std::filesystem::path& workDir, const QString& name);

// The design screen's "Print" button: print dialog, then the report.
// Returns true when the page was sent.
// The report shows the evaluation the design screen last drew.
bool PrintDesignReport(const model::Session& session, const model::Evaluation& shown,
                       QPrinter& printer, QWidget* parent, platform::Dialogs& dialogs,
                       double screenWidthTwips);

// Writes the report as a one-page landscape PDF without asking anything.
// Errors go to the dialogs as "Printer Error"; returns true on success.
bool WriteReportPdf(const model::Session& session, const model::Evaluation& shown,
                    const std::string& path, platform::Dialogs& dialogs,
                    const ReportOptions& options);

}  // namespace diruruzevuv::report
