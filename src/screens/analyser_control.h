#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "files/calibration_file.h"
#include "instruments/analyser.h"
#include "model/measurement/measured_network.h"

class QMenu;
class QProgressBar;
class QPushButton;
class QTimer;

namespace diruruzevuv::screens {

class frmDesign;
class LiveAdvice;
class MeasurementControl;

// The design screen's live link to the analyser: "Measure with analyser..."
// (the port kept as analyser.port in the program's settings file), a
// progress bar with Cancel during the sweep, "Repeat" (sweep after sweep,
// the overlay redrawn after each, until stopped) and "Save measurement as
// Touchstone...". The sweep runs on its own thread so that the window
// answers every click meanwhile; its result takes the same way onto the
// plot as a file's. While repeating, every sweep is also fitted (LiveAdvice).
class AnalyserControl final : public QObject {
  Q_OBJECT

 public:
  AnalyserControl(frmDesign& form, MeasurementControl& measurement);
  ~AnalyserControl() override;

  // Asks for the port (offering the analysers found and the last choice),
  // keeps the choice and measures once.
  void MeasureWithAnalyser();
  // Starts repeating with the kept port (asking for one when none is kept).
  void StartRepeating();
  // One sweep over the range for something other than the plot (a part
  // in its fixture): the same port choice, progress and Cancel; done gets
  // the measurement, and a failure is told as the filter's is.
  using MeasuredHandler = std::function<void(const model::MeasuredNetwork&)>;
  void MeasureFor(const instruments::SweepRequest& request, MeasuredHandler done);
  // Cancels the sweep under way and any repeating.
  void Stop();
  bool SaveTouchstone(const std::string& path);
  // "Calibrate analyser...": asks for the port and opens the calibration
  // dialog; a calibration it saves or loads is used from then on.
  void Calibrate();
  // The calibration the measurements use (the file last saved or loaded,
  // kept as calibration.file in the settings file), or nothing.
  const files::CalibrationFile* CalibrationInUse();
  const std::string& CalibrationName() const noexcept { return m_calibrationName; }

  bool Busy() const noexcept { return m_busy; }
  bool Repeating() const noexcept { return m_repeat; }
  // The shown measurement is the last live one.
  bool LiveShown() const;
  int SweepsDone() const noexcept { return m_sweeps; }
  LiveAdvice& Advice() noexcept { return *m_advice; }
  // The plot's menu entries.
  void AddMenuEntries(QMenu& menu);

  instruments::Timeouts timeouts;  // tests shorten them
  QProgressBar* barSweep = nullptr;
  QPushButton* cmdCancelSweep = nullptr;

 private:
  std::string KeptPort() const;
  std::string AskForPort();
  bool Start(const std::string& port, const std::optional<instruments::SweepRequest>& range = {});
  void UseCalibration(const files::CalibrationFile& file, const std::string& path);
  void Finished();
  void JoinWorker();

  frmDesign& m_form;
  MeasurementControl& m_measurement;
  QTimer* m_progressTimer = nullptr;
  std::thread m_worker;
  std::atomic<bool> m_cancel{false};
  std::atomic<int> m_family{0};  // the family that last answered on m_port
  std::atomic<int> m_done{0};
  std::atomic<int> m_total{0};
  std::mutex m_resultMutex;  // the worker's result, handed to the GUI thread
  std::optional<model::MeasuredNetwork> m_result;
  std::string m_why;
  std::optional<model::MeasuredNetwork> m_live;  // as measured, for saving
  std::string m_port;
  std::optional<files::CalibrationFile> m_calibration;
  std::string m_calibrationName;  // its file's name, empty when none
  std::string m_calibrationRead;  // the path it was read from
  MeasuredHandler m_forOther;  // set while a sweep for MeasureFor runs
  bool m_busy = false;
  bool m_repeat = false;
  bool m_repeatSweep = false;      // the sweep under way was started by the repeat
  LiveAdvice* m_advice = nullptr;  // a child object
  int m_sweeps = 0;
};

}  // namespace diruruzevuv::screens
