#pragma once

#include <QDialog>
#include <QWidget>
#include <array>
#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "files/calibration_file.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace diruruzevuv::screens {

class frmDesign;

// A standard's raw curve as measured, in dB over the calibration's range.
class StandardCurve final : public QWidget {
 public:
  explicit StandardCurve(QWidget* parent);
  void Show(std::vector<double> db);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<double> m_db;
};

// "Calibrate analyser...": the range and points, then each standard
// measured in turn ("Measure", a tick and its curve), the kit, and the
// calibration saved to or loaded from a file, which the measurements then
// use. A standard is measured on a thread of its own, with progress and
// Cancel, so that the dialog answers meanwhile (a slow sweep takes half a
// minute).
class CalibrationDialog final : public QDialog {
  Q_OBJECT

 public:
  // Measures on port; starts from the calibration in use, if any.
  CalibrationDialog(frmDesign& form, std::string port, const files::CalibrationFile* inUse);
  // Cancels a measurement under way and waits for its thread.
  ~CalibrationDialog() override;

  // Starts measuring the standard into the calibration; false after a
  // message saying why not (a range refused). Once done, a message says
  // what went wrong, if anything; cancelled, it changes nothing.
  bool Measure(model::Standard standard);
  bool Busy() const noexcept { return m_busy; }
  bool Save(const std::string& path);
  bool Load(const std::string& path);
  bool LoadKit(const std::string& path);
  const files::CalibrationFile& File() const noexcept { return m_file; }
  // The file last saved or loaded, empty when none.
  const std::string& Path() const noexcept { return m_path; }

  QLineEdit* txtStart = nullptr;  // MHz
  QLineEdit* txtStop = nullptr;
  QLineEdit* txtPoints = nullptr;
  std::array<QPushButton*, model::kStandardCount> cmdMeasure{};
  std::array<QLabel*, model::kStandardCount> lblTick{};
  std::array<StandardCurve*, model::kStandardCount> curve{};
  QLabel* lblMissing = nullptr;
  QProgressBar* barMeasure = nullptr;
  QPushButton* cmdCancel = nullptr;

 private:
  bool TakeRange();
  void ShowState();
  void Finished();
  void SetBusy(bool busy);

  frmDesign& m_form;
  std::string m_port;
  files::CalibrationFile m_file;
  std::string m_path;
  std::vector<QPushButton*> m_fileButtons;  // Kit, Load, Save: not while measuring

  // The measurement under way: the worker fills m_outcome, the dialog's
  // thread takes it in Finished.
  struct Outcome {
    files::CalibrationFile file;
    std::string why, warning;
  };
  std::thread m_worker;
  std::atomic<bool> m_cancel{false};
  std::atomic<int> m_done{0}, m_total{0};
  std::mutex m_outcomeMutex;
  std::optional<Outcome> m_outcome;
  QTimer* m_progressTimer = nullptr;
  bool m_busy = false;
};

}  // namespace diruruzevuv::screens
