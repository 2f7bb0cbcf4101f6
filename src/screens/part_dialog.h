#pragma once

#include <QDialog>

#include "model/build/build_sheet.h"
#include "model/measurement/part_measurement.h"

class QPlainTextEdit;
class QPushButton;

namespace diruruzevuv::screens {

class frmDesign;
class AnalyserControl;

// A part measured before soldering: its figures, and for a toroid "Use
// measured AL" (the design's AL set as typing it would, with the whole
// turns nearest the design's inductances offered) and "Add to my cores"
// (a row in the working folder's copy of the core catalogue).
class PartDialog final : public QDialog {
  Q_OBJECT

 public:
  PartDialog(frmDesign& form, const model::PartMeasurement& part);

  void UseMeasuredAl();
  // Asks which catalogue core it was wound on and a name; false when
  // cancelled or not written (the reason told).
  bool AddToMyCores();

  QPlainTextEdit* text = nullptr;
  QPushButton* cmdUseAl = nullptr;
  QPushButton* cmdAddCore = nullptr;
  QPushButton* cmdClose = nullptr;

 private:
  frmDesign& m_form;
  model::PartMeasurement m_part;
  model::CoreCatalogue m_catalogue;
};

// "Measure a part...": asks for the part, the fixture and the source, then
// measures with the analyser (its port choice, progress and Cancel) or
// reads a file, and shows the figures in a PartDialog.
void MeasureAPart(frmDesign& form, AnalyserControl& analyser);

}  // namespace diruruzevuv::screens
