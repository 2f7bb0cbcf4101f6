#pragma once

#include <QDialog>
#include <QWidget>
#include <array>
#include <string>
#include <vector>

#include "files/calibration_file.h"

class QLabel;
class QLineEdit;
class QPushButton;

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
// use.
class CalibrationDialog final : public QDialog {
  Q_OBJECT

 public:
  // Measures on port; starts from the calibration in use, if any.
  CalibrationDialog(frmDesign& form, std::string port, const files::CalibrationFile* inUse);

  // Each measured into the calibration; false after a message saying why not.
  bool Measure(model::Standard standard);
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

 private:
  bool TakeRange();
  void ShowState();

  frmDesign& m_form;
  std::string m_port;
  files::CalibrationFile m_file;
  std::string m_path;
};

}  // namespace diruruzevuv::screens
