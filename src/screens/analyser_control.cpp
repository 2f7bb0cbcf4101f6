#include "screens/analyser_control.h"

#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <utility>

#include "files/settings_file.h"
#include "files/touchstone_writer.h"
#include "instruments/calibrated_measurement.h"
#include "screens/calibration_dialog.h"
#include "screens/frm_design.h"
#include "screens/live_advice.h"
#include "screens/measurement_control.h"

namespace diruruzevuv::screens {
namespace {

constexpr const char* kPortKey = "analyser.port";
constexpr const char* kCalibrationKey = "calibration.file";
constexpr const char* kTouchstoneFilter = "Touchstone files (*.s2p)|*.s2p;*.S2P";

}  // namespace

AnalyserControl::AnalyserControl(frmDesign& form, MeasurementControl& measurement)
    : QObject(&form), m_form(form), m_measurement(measurement) {
  timeouts.cancel = &m_cancel;
  timeouts.family = &m_family;
  barSweep = new QProgressBar(&form);
  barSweep->setObjectName(QStringLiteral("barSweep"));
  barSweep->setTextVisible(true);
  cmdCancelSweep = new QPushButton(QStringLiteral("Cancel"), &form);
  cmdCancelSweep->setObjectName(QStringLiteral("cmdCancelSweep"));
  // Under the plot's legend, as wide as the plot.
  form.Place(barSweep, 6000, 4900, 3900, 300);
  form.Place(cmdCancelSweep, 10000, 4870, 1000, 360);
  barSweep->hide();
  cmdCancelSweep->hide();
  connect(cmdCancelSweep, &QPushButton::clicked, this, [this] { Stop(); });
  m_progressTimer = new QTimer(this);
  m_progressTimer->setInterval(50);
  connect(m_progressTimer, &QTimer::timeout, this, [this] {
    barSweep->setMaximum(std::max(1, m_total.load()));
    barSweep->setValue(m_done.load());
  });
  m_advice = new LiveAdvice(form);
}

AnalyserControl::~AnalyserControl() {
  m_cancel = true;
  JoinWorker();
}

void AnalyserControl::JoinWorker() {
  if (m_worker.joinable()) m_worker.join();
}

std::string AnalyserControl::KeptPort() const {
  const model::Session& session = m_form.SessionState();
  return files::ReadSettingsFile(session.locations.workDir / files::kSettingsFileName)
      .Get(kPortKey);
}

std::string AnalyserControl::AskForPort() {
  const model::Session& session = m_form.SessionState();
  const auto path = session.locations.workDir / files::kSettingsFileName;
  files::ProgramSettings settings = files::ReadSettingsFile(path);
  std::vector<std::string> ports;
  for (const auto& found : instruments::AnalyserPorts(instruments::ListSerialPorts()))
    ports.push_back(found.port);
  std::string current = settings.Get(kPortKey);
  if (current.empty() && !ports.empty()) current = ports.front();
  std::string label = ports.empty() ? "No analyser found on USB; type its serial port:"
                                    : "The analyser's serial port:";
  if (CalibrationInUse() != nullptr)
    label += "\n(corrected with the calibration " + m_calibrationName + ")";
  const std::string chosen =
      m_form.DialogsUsed().ChooseItem("Measure with analyser", label, ports, current);
  if (chosen.empty() || chosen == settings.Get(kPortKey)) return chosen;
  files::ProgramSettings port;
  port.Set(kPortKey, chosen);
  std::string why;
  if (!files::UpdateSettingsFile(path, port, &why))
    m_form.DialogsUsed().WriteFailed({"", path.string(), why});
  return chosen;
}

void AnalyserControl::MeasureWithAnalyser() {
  if (m_busy) return;
  const std::string port = AskForPort();
  if (!port.empty()) Start(port);
}

void AnalyserControl::MeasureFor(const instruments::SweepRequest& request, MeasuredHandler done) {
  if (m_busy) return;
  const std::string port = AskForPort();
  if (port.empty()) return;
  m_forOther = std::move(done);
  if (!Start(port, request)) m_forOther = nullptr;
}

void AnalyserControl::StartRepeating() {
  if (m_busy) return;
  std::string port = KeptPort();
  if (port.empty()) port = AskForPort();
  if (port.empty()) return;
  m_repeat = true;
  if (Start(port))
    m_advice->Begin();
  else
    m_repeat = false;
}

void AnalyserControl::Stop() {
  if (m_repeat) m_advice->End();
  m_repeat = false;
  if (m_busy) m_cancel = true;
}

bool AnalyserControl::Start(const std::string& port,
                            const std::optional<instruments::SweepRequest>& range) {
  const model::DesignState& design = m_form.SessionState().design;
  if (const std::string problem = instruments::TerminationProblem(design.InputTermination, port);
      !range && !problem.empty()) {
    m_form.DialogsUsed().Message(problem);
    return false;
  }
  JoinWorker();
  if (port != m_port) m_family = 0;  // what answered on another port says nothing here
  m_port = port;
  m_busy = true;
  m_repeatSweep = m_repeat;
  m_cancel = false;
  m_done = 0;
  m_total = instruments::kDefaultSweepPoints;
  barSweep->setRange(0, instruments::kDefaultSweepPoints);
  barSweep->setValue(0);
  barSweep->show();
  cmdCancelSweep->show();
  m_progressTimer->start();
  const instruments::SweepRequest request =
      range ? *range : instruments::DesignSweep(design.SweepStart, design.SweepStop);
  const instruments::Timeouts waits = timeouts;
  // A copy for the worker: the dialog may change the one in use meanwhile.
  std::optional<files::CalibrationFile> calibration;
  if (const files::CalibrationFile* inUse = CalibrationInUse()) calibration = *inUse;
  m_worker = std::thread([this, port, request, waits, calibration, name = m_calibrationName] {
    std::string why, warning;
    const auto progress = [this](int done, int total) {
      m_done = done;
      m_total = total;
      return !m_cancel.load();
    };
    auto network = calibration ? instruments::MeasureCalibrated(port, request, &*calibration, name,
                                                                why, warning, progress, waits)
                               : instruments::MeasureOnce(port, request, why, progress, waits);
    if (network && !warning.empty()) why = name + ": " + warning;
    {
      std::lock_guard<std::mutex> lock(m_resultMutex);
      m_result = std::move(network);
      m_why = why;
    }
    QMetaObject::invokeMethod(this, [this] { Finished(); }, Qt::QueuedConnection);
  });
  return true;
}

void AnalyserControl::Finished() {
  JoinWorker();
  std::optional<model::MeasuredNetwork> result;
  std::string why;
  {
    std::lock_guard<std::mutex> lock(m_resultMutex);
    result = std::move(m_result);
    m_result.reset();
    why = m_why;
  }
  const bool cancelled = m_cancel.load();
  m_busy = false;
  m_progressTimer->stop();
  barSweep->hide();
  cmdCancelSweep->hide();
  const MeasuredHandler forOther = std::exchange(m_forOther, nullptr);
  if (!result) {
    if (m_repeat) m_advice->End();
    m_repeat = false;
    if (!cancelled) m_form.DialogsUsed().Message(why);
    return;
  }
  if (forOther) {
    if (!cancelled) forOther(*result);
    return;
  }
  ++m_sweeps;
  // The other device's warning, once a calibration.
  if (!why.empty() && !m_repeat) m_form.DialogsUsed().Message(why);
  m_live = *result;
  const model::DesignState& design = m_form.SessionState().design;
  model::MeasurementIntake intake =
      model::TakeMeasurement(*result, result->name, design.InputTermination);
  // The latest fit's curve stays over each new sweep until the next fit.
  if (m_repeatSweep && intake.shown) m_advice->Follow(*intake.shown);
  // A Monte Carlo run owns the plot; this sweep is let go.
  if (!m_form.MonteCarloRunning() && !m_measurement.Show(std::move(intake))) {
    if (m_repeat) m_advice->End();
    m_repeat = false;
  }
  if (m_repeatSweep && LiveShown())
    m_advice->Sweep(design, m_form.SessionState().measurement->network);
  if (m_repeat && !cancelled) Start(m_port);
}

bool AnalyserControl::LiveShown() const {
  const auto& shown = m_form.SessionState().measurement;
  return m_live && shown && shown->network.name == m_live->name &&
         shown->network.frequency == m_live->frequency;
}

bool AnalyserControl::SaveTouchstone(const std::string& path) {
  if (!m_live) return false;
  std::string why;
  std::vector<std::string> comments{instruments::kOneDirectionComment};
  if (m_live->portTwoMatch.size() > 0)
    comments.push_back(files::CalibratedComment(m_calibrationName));
  if (files::WriteTouchstoneFile(path, *m_live, comments, &why)) return true;
  m_form.DialogsUsed().WriteFailed({"", path, why});
  return false;
}

const files::CalibrationFile* AnalyserControl::CalibrationInUse() {
  const model::Session& session = m_form.SessionState();
  const std::string path =
      files::ReadSettingsFile(session.locations.workDir / files::kSettingsFileName)
          .Get(kCalibrationKey);
  if (!path.empty() && path != m_calibrationRead) {
    m_calibrationRead = path;
    files::CalibrationRead read = files::ReadCalibrationFile(path);
    m_calibration = std::move(read.file);
    m_calibrationName = m_calibration ? std::filesystem::path(path).filename().string() : "";
    if (!m_calibration) m_form.DialogsUsed().Message(read.error);
  }
  return m_calibration ? &*m_calibration : nullptr;
}

void AnalyserControl::UseCalibration(const files::CalibrationFile& file, const std::string& path) {
  m_calibration = file;
  m_calibrationName = std::filesystem::path(path).filename().string();
  m_calibrationRead = path;
  files::ProgramSettings changes;
  changes.Set(kCalibrationKey, path);
  std::string why;
  const auto settings = m_form.SessionState().locations.workDir / files::kSettingsFileName;
  if (!files::UpdateSettingsFile(settings, changes, &why))
    m_form.DialogsUsed().WriteFailed({"", settings.string(), why});
}

void AnalyserControl::Calibrate() {
  if (m_busy) return;
  const std::string port = AskForPort();
  if (port.empty()) return;
  CalibrationDialog dialog(m_form, port, CalibrationInUse());
  dialog.exec();
  if (!dialog.Path().empty()) UseCalibration(dialog.File(), dialog.Path());
}

void AnalyserControl::AddMenuEntries(QMenu& menu) {
  menu.addAction(QStringLiteral("Measure with analyser..."), this, [this] {
    MeasureWithAnalyser();
  })->setEnabled(!m_busy);
  if (m_repeat)
    menu.addAction(QStringLiteral("Stop repeating"), this, [this] { Stop(); });
  else
    menu.addAction(QStringLiteral("Repeat"), this, [this] { StartRepeating(); })
        ->setEnabled(!m_busy);
  menu.addAction(QStringLiteral("Calibrate analyser..."), this, [this] { Calibrate(); })
      ->setEnabled(!m_busy);
  menu.addAction(QStringLiteral("Save measurement as Touchstone..."), this, [this] {
    const std::string path = m_form.DialogsUsed().SaveFile(
        "Save measurement as Touchstone", kTouchstoneFilter, "measured.s2p");
    if (!path.empty()) SaveTouchstone(path);
  })->setEnabled(LiveShown());
}

}  // namespace diruruzevuv::screens
