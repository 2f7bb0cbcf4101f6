#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "drawing/schematic.h"
#include "model/circuit/evaluation.h"
#include "model/session.h"
#include "platform/dialogs.h"
#include "platform/grid_form.h"
#include "platform/turns_spinner.h"
#include "screens/plot.h"

class QCloseEvent;
class QPrinter;

namespace diruruzevuv::screens {

class ScreenManager;
class MeasurementControl;

// The design screen: band caption, schematic with the value boxes and the
// adjustment controls, the response plot, the band-edge losses and the
// worst-case figures, and the buttons along the bottom.
class frmDesign final : public platform::GridForm, private drawing::SchematicTarget {
  Q_OBJECT

 public:
  // The screen's load: layout, band caption, Monte Carlo trial count 0,
  // then the redisplay.
  frmDesign(model::Session& session, platform::Dialogs& dialogs, ScreenManager& manager);
  ~frmDesign() override;

  // Schematic, RunSweep, Plot: what every redrawing control does.
  void Redisplay();
  // Clears the surface, draws the circuit and writes the value boxes (which
  // read back into the design as if typed).
  void Schematic();
  // Evaluates the current design (with the measurement shown, if any).
  void RunSweep();
  // Draws the last evaluation's response over what is on the surface and
  // updates the loss and worst-case labels.
  void Plot();
  // What the screen last evaluated and drew: the report prints it.
  const model::Evaluation& LastEvaluation() const noexcept { return m_evaluation; }
  // Takes a turns count typed but not entered as Enter would; run before
  // the design is written anywhere.
  void EnterTypedTurns();
  // Hides lblWorst, lblWorstSecond and lblWorstThird.
  void HideWorstCase();
  // True while a Monte Carlo run is under way.
  bool MonteCarloRunning() const noexcept { return m_session.monte.running; }

  model::Session& SessionState() noexcept { return m_session; }
  platform::Dialogs& DialogsUsed() noexcept { return m_dialogs; }
  // The printer behind the print dialog; it keeps the user's choices
  // (printer, print to file) from one report to the next for the whole run.
  QPrinter& cdbPrintSchematic();
  // The measured filter over the plot (drop, context menu, fit).
  MeasurementControl& Measurement() noexcept { return *m_measurement; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  // The turns boxes' width follows the window: a count may fit, or no
  // longer fit, after a resize.
  void resizeEvent(QResizeEvent* event) override;

 private:
  // The controls the handlers use, kept by the table of controls (tests
  // find them by their object names too).
  friend struct DesignControlTable;
  QLabel* lblCredit = nullptr;
  QLabel* lblBand = nullptr;
  QLabel* lblLossLow = nullptr;
  QLabel* lblLossHigh = nullptr;
  QLabel* lblWorst = nullptr;
  QLabel* lblWorstSecond = nullptr;
  QLabel* lblWorstThird = nullptr;
  QLabel* lblTerminations = nullptr;
  QLabel* lblinductorQ = nullptr;
  QLabel* lblcapacitorQ = nullptr;
  QLineEdit* txtTurnsL2 = nullptr;
  platform::TurnsSpinner* UpDown1 = nullptr;
  QLineEdit* txtTurnsL1 = nullptr;
  platform::TurnsSpinner* UpDown2 = nullptr;
  QLineEdit* txtAL = nullptr;
  QPushButton* cmdC92minus = nullptr;
  QPushButton* cmdC92plus = nullptr;
  QPushButton* cmdC47minus = nullptr;
  QPushButton* cmdC47plus = nullptr;
  QPushButton* cmdC48minus = nullptr;
  QPushButton* cmdC48plus = nullptr;
  QPushButton* cmdC49minus = nullptr;
  QPushButton* cmdC49plus = nullptr;
  QPushButton* cmdAccept = nullptr;
  QPushButton* cmdMonte = nullptr;
  QPushButton* cmdMonteStop = nullptr;
  QPushButton* cmdSpice = nullptr;
  QPushButton* cmdPrint = nullptr;
  QPushButton* cmdSaveFile = nullptr;
  QPushButton* cmdRestart = nullptr;
  QPushButton* cmdExit = nullptr;
  // Value boxes and inductance labels of the schematic.
  QLineEdit* Text1 = nullptr;  // C47
  QLabel* Label2 = nullptr;    // L2
  QLineEdit* Text3 = nullptr;  // C48
  QLabel* Label4 = nullptr;    // L1
  QLineEdit* Text5 = nullptr;  // C92
  QLineEdit* Text6 = nullptr;  // C49

  // Makes and places the controls of the table, then connects them.
  void CreateControls();
  void ConnectTypedValues();
  void ConnectTurns();
  void ConnectButtons();
  void MeasureMinimumSize();
  void SetBandCaption();
  void ApplyPlotLabels(const PlotLabels& labels);
  // A Monte Carlo evaluation drawn over the plot.
  void PlotRunEvaluation(const model::Evaluation& evaluation);
  void SetField(drawing::SchematicField field, const std::string& text) override;

  void Text1_Change();
  void Text3_Change();
  void Text5_Change();
  void Text6_Change();
  void txtAL_Change();
  void StepCapacitor(float& capacitance, bool up);
  std::int16_t ReadTurnsBox(QLineEdit* box);
  void ReadTurnsAndAl();
  void TakeTypedTurns();
  void ValueBox_Enter();
  void UpDown_Change();
  void cmdAccept_Click();
  void cmdMonte_Click();
  void cmdMonteStop_Click();
  class MonteCarloScreen;
  // The end of a run that was not abandoned, after its final plot.
  void EndMonteCarlo();
  // The controls a Monte Carlo run disables, and whether each was enabled
  // when the run started (restored at its end).
  std::vector<QWidget*> MonteCarloLocked() const;
  void cmdSaveFile_Click();
  void cmdSpice_Click();
  void cmdPrint_Click();
  void cmdRestart_Click();
  void cmdExit_Click();

  model::Session& m_session;
  platform::Dialogs& m_dialogs;
  ScreenManager& m_manager;
  MeasurementControl* m_measurement = nullptr;  // a child object
  model::Evaluation m_evaluation;
  std::vector<std::pair<QPointer<QWidget>, bool>> m_enabledBeforeRun;
  // The control that had the keyboard focus when the run started.
  QPointer<QWidget> m_focusBeforeRun;
  // A turns box edited by the user since it was last read or written.
  bool m_turnsL1Typed = false;
  bool m_turnsL2Typed = false;
};

// The band caption: "20-meter band: 14MHz to 14.35MHz", only the edges
// when no band is set.
std::string BandCaption(const model::DesignState& design);

}  // namespace diruruzevuv::screens
