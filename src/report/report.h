#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "model/circuit/evaluation.h"
#include "model/session.h"
#include "platform/canvas.h"
#include "platform/dialogs.h"
#include "platform/recording_canvas.h"

namespace diruruzevuv::report {

// Credit line constants: who made the program and where to find it.
inline constexpr const char* kMakerName = "the DIRUruzevuv developers";
inline constexpr const char* kMakerWebAddress = "https://diruruzevuv.example.org";

// The page is addressed as 14000 x 10000 units, landscape, origin top left.
inline constexpr double kPageWidth = 14000.0;
inline constexpr double kPageHeight = 10000.0;

struct ReportOptions {
  // Width in twips of the screen the design screen's layout grid stands
  // for; the level labels' width estimate uses it, as on the screen.
  double screenWidthTwips = 12000.0;
  // Footer date; files::ShortDate() when empty.
  std::string date;
};

// Draws the whole report page onto the canvas: the design's values and
// schematic from the session, the plot and its figures from the evaluation
// the design screen last showed (its sweep, frequency grid, band-edge
// losses and comparison), computing nothing itself.
void DrawReport(platform::Canvas& page, const model::Session& session,
                const model::Evaluation& shown, const ReportOptions& options);

// A failure of the printer; what() is the platform's description. A PDF
// file that could not be written also names the file and the reason.
class PrinterError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  PrinterError(const std::string& description, model::WriteFailure failure)
      : std::runtime_error(description), write(std::move(failure)) {}
  std::optional<model::WriteFailure> write;
};

// The printer as the report sees it.
class ReportPrinter {
 public:
  virtual ~ReportPrinter() = default;
  // The print dialog; false when the user cancelled it.
  virtual bool ShowPrintDialog() = 0;
  // Forgets anything an earlier, failed report left behind and returns a
  // blank page in the 14000 x 10000 user scale. Drawing may throw
  // PrinterError.
  virtual platform::Canvas& StartFreshPage() = 0;
  // Sends the page in landscape and sets portrait again. Throws
  // PrinterError; a page that fails is not sent.
  virtual void EndDocument() = 0;
};

// Collects the page and hands it over only once it is complete, so a
// report that fails part-way never prints half a page.
class BufferedReportPrinter : public ReportPrinter {
 public:
  platform::Canvas& StartFreshPage() override;
  void EndDocument() override;

 protected:
  // Puts the complete page on paper (or into a file). Throws PrinterError.
  virtual void SendPage(const platform::RecordingCanvas& page) = 0;

 private:
  platform::RecordingCanvas m_page;
};

// The "Print" button: dialog, fresh page, the report, end of document.
// Cancelling the dialog prints nothing. A printer failure shows its
// description in a message box titled "Printer Error" and sends nothing.
// Returns true when the page was sent.
bool PrintReport(const model::Session& session, const model::Evaluation& shown,
                 ReportPrinter& printer, platform::Dialogs& dialogs, const ReportOptions& options);

// Draws a recorded page onto another canvas, operation by operation.
void Replay(const platform::RecordingCanvas& recording, platform::Canvas& target);

}  // namespace diruruzevuv::report
