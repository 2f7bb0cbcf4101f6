#pragma once

#include <QObject>
#include <QPointF>
#include <string>

#include "model/circuit/evaluation.h"
#include "model/measurement/fit.h"
#include "model/measurement/measurement.h"
#include "model/session.h"

class QLabel;
class QMenu;
class QPushButton;

namespace diruruzevuv::screens {

class frmDesign;
class AnalyserControl;

// What the measurement menu's file dialogs offer for a measurement.
inline constexpr const char* kMeasurementFilter =
    "Touchstone files (*.s1p *.s2p *.ts)|*.s1p;*.s2p;*.ts;*.S1P;*.S2P;*.TS";

// The built filter's measurement on the design screen: a file dropped on
// the window or loaded from the plot's context menu is drawn over the
// response until it is removed, replaced or the screen is left. The menu
// also keeps measurements as traces for comparison, fits the built
// values, saves the plot as a PNG image, saves the computed response as
// CSV and exports it as Touchstone.
class MeasurementControl final : public QObject {
  Q_OBJECT

 public:
  explicit MeasurementControl(frmDesign& form);
  ~MeasurementControl() override;

  // Reads the file, refers it to the design's termination and shows it;
  // a file that cannot be read is named in a message and nothing changes.
  bool Load(const std::string& path);
  // Shows a measurement however it was made (model::TakeMeasurement), or
  // tells why it was refused.
  bool Show(model::MeasurementIntake intake);
  // Refers a measurement (a file's or the analyser's) to the design's
  // termination and shows it; one that cannot be is named in a message.
  bool Show(const model::MeasuredNetwork& network);
  // The live link to the analyser.
  AnalyserControl& Analyser() noexcept { return *m_analyser; }
  void Remove();
  // Fits the built values and shows them in the fit dialog.
  void Fit();
  // Keeps the shown measurement as a trace under the name the user gives
  // (the time and the measurement's name offered); false when there is
  // none, the list is full or the user cancels.
  bool KeepTrace();
  // Writes a trace as kept into a Touchstone file, ".s2p" or ".s1p" added
  // to a name without an ending.
  bool SaveTrace(std::size_t index, const std::string& path);
  bool SavePlotImage(const std::string& path);
  bool SaveResponseCsv(const std::string& path);
  // The design's computed S-parameters over its sweep range as a
  // Touchstone two-port file; ".s2p" is added to a name without an ending.
  bool ExportResponseTouchstone(std::string path);

  // The plot's context menu, built for a click at this layout-grid point;
  // empty when the point lies outside the plot. The caller owns it.
  QMenu* MenuAt(QPointF gridPoint);
  // The same menu under the button beside the legend, which Shift+F10 and
  // the Menu key (from a value box too) also open; nothing during a Monte
  // Carlo run.
  void ShowMenu();
  QPushButton* cmdMeasured = nullptr;

  // The measured band-edge losses above the computed ones; hidden when
  // the text is empty (no two-port measurement shown).
  void ShowMeasuredLoss(const std::string& text);
  QLabel* lblMeasuredLoss = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The trace's own menu: shown or hidden, rename, save, remove.
  void AddTraceMenu(QMenu& menu, std::size_t index);

  frmDesign& m_form;
  model::Session& m_session;              // outlives the form
  AnalyserControl* m_analyser = nullptr;  // a child object
};

// The computed response of an evaluation as the command line's sweep
// prints it: "frequency_hz,gain_db,reflection_db" and a line per point.
std::string ResponseCsv(const model::Evaluation& evaluation);

}  // namespace diruruzevuv::screens
