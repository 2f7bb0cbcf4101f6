#pragma once

#include <QDialog>
#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "files/settings_file.h"
#include "model/build/build_sheet.h"
#include "model/build/buildable_search.h"
#include "model/circuit/harmonics.h"
#include "platform/recording_canvas.h"

class QComboBox;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QPrinter;
class QTimer;

namespace diruruzevuv::screens {

class frmDesign;

// The build sheet of the design on the screen: core and windings,
// standard capacitors, the stress at the user's power, the buildable
// design search, and a page of its own to print. Its choices are kept in
// the program's settings file; the design changes only when the user
// picks a core, takes the offered turns or accepts the search's proposal.
class BuildSheetWindow final : public QDialog {
  Q_OBJECT

 public:
  explicit BuildSheetWindow(frmDesign& form);
  ~BuildSheetWindow() override;

  QComboBox* cboCore = nullptr;
  QLineEdit* txtWireL2 = nullptr;
  QLineEdit* txtWireL1 = nullptr;
  QLineEdit* txtLead = nullptr;
  QComboBox* cboSeries = nullptr;
  QLineEdit* txtPower = nullptr;
  QLineEdit* txtSwr = nullptr;
  QLineEdit* txtRating = nullptr;
  QLineEdit* txtMargin = nullptr;
  QComboBox* cboRule = nullptr;  // the spurious-emission rule of the harmonics
  QLineEdit* txtPa = nullptr;    // the PA's harmonic levels, "2=-30,3=-15"
  QPlainTextEdit* sheetText = nullptr;
  QPushButton* cmdUseTurns = nullptr;
  QPushButton* cmdSearch = nullptr;
  QPushButton* cmdStop = nullptr;
  QPushButton* cmdAcceptProposal = nullptr;
  QPushButton* cmdPrint = nullptr;
  QProgressBar* searchProgress = nullptr;
  QLabel* lblSearch = nullptr;

  const model::BuildSheet& Sheet() const noexcept { return m_sheet; }
  // The search runs on a worker thread; true while it does.
  bool Searching() const noexcept { return m_worker.joinable(); }
  void StartSearch();
  void StopSearch();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // The constructor's steps: the choice boxes, the buttons and the
  // search's timer, and the saved choices shown in the boxes.
  QGridLayout* MakeChoiceBoxes();
  QHBoxLayout* MakeButtons();
  void ShowChoices();
  void ChoicesChanged();
  void CoreChosen(int index);
  void UseOfferedTurns();
  void Recompute();
  void SearchTick();
  void AcceptProposal();
  void Print();
  // The sheet, the search's proposal and the harmonics against the rule,
  // as shown and printed.
  std::vector<std::string> SheetLines() const;
  // The rule chosen, or the first that covers the band at the power.
  std::string ShownRule() const;

  frmDesign& m_form;
  model::CoreCatalogue m_catalogue;
  model::RuleBook m_rules;
  std::string m_rule;  // the user's choice; empty: the first that covers the band
  std::map<int, double> m_pa;
  files::ProgramSettings m_settings;
  model::BuildSheetChoices m_choices;
  model::BuildSheet m_sheet;
  std::optional<model::TurnsOffer> m_offer;
  bool m_loading = true;
  // The search: its own copy of the design, a progress fraction and a stop
  // flag shared with the worker, the result handed back when it ends.
  std::thread m_worker;
  std::atomic<double> m_progress{0.0};
  std::atomic<bool> m_stop{false};
  std::atomic<bool> m_done{false};
  model::BuildableProposal m_result;
  std::optional<model::BuildableProposal> m_proposal;
  QTimer* m_poll = nullptr;
  std::unique_ptr<QPrinter> m_printer;  // made at the first print
};

// The sheet's lines on a landscape page of their own (14000 x 10000 units),
// columns kept by placing each run of text at its character column; a
// sheet longer than the page is set smaller.
platform::RecordingCanvas BuildSheetPage(const std::vector<std::string>& lines);

// The settings keys of the window's choices.
void StoreChoices(const model::BuildSheetChoices& choices, files::ProgramSettings& settings);
model::BuildSheetChoices LoadChoices(const files::ProgramSettings& settings);

}  // namespace diruruzevuv::screens
