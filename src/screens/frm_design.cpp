#include "screens/frm_design.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPalette>
#include <QPrinter>
#include <type_traits>

#include "files/design_file.h"
#include "files/file_names.h"
#include "files/spice_export.h"
#include "model/circuit/adjustment.h"
#include "model/circuit/monte_carlo.h"
#include "notation/notation.h"
#include "platform/screen_geometry.h"
#include "report/report_printer.h"
#include "screens/analyser_control.h"
#include "screens/measurement_control.h"
#include "screens/program_constants.h"
#include "screens/screen_manager.h"

namespace diruruzevuv::screens {
namespace {

constexpr double kFont = 0.001;
constexpr double kTitleFont = 0.0015;
constexpr double kSpinnerWidth = 250;

enum class ControlKind { Label, Title, Button, Box, Spinner };

// A control of the design screen: its name, its caption (a box's first
// text; for a spinner, the box it steps), its kind and its place on the
// layout grid.
struct ControlRow {
  const char* name;
  const char* caption;
  ControlKind kind;
  double left;
  double top;
  double width;
  double height;
};

using enum ControlKind;
constexpr ControlRow kDesignControls[] = {
    // The credit lies under the bottom row of buttons, which cover it.
    {"lblCredit", kDesignCredit, Label, 2500, 8000, 4000, 150},
    {"lblTitle", "KAMO Lowpass Designer", Title, 1000, 500, 4000, 500},
    {"lblBand", "", Label, 1000, 900, 4000, 350},
    {"lblLossLow", "", Label, 1000, 2000, 4400, 300},
    {"lblLossHigh", "", Label, 1000, 2200, 4400, 300},
    {"lblWorst", "Worst-case loss: ", Label, 1000, 2400, 4400, 300},
    {"lblWorstSecond", "", Label, 1000, 2600, 4400, 300},
    {"lblWorstThird", "", Label, 1000, 2800, 4400, 300},
    {"lblTerminations", "", Label, 1000, 3300, 2500, 300},
    {"lblinductorQ", "", Label, 1000, 3500, 2500, 300},
    {"lblcapacitorQ", "", Label, 1000, 3700, 2500, 300},
    {"lblTrans", "Forward:", Label, 7500, 4500, 800, 300},
    {"lblRefl", "Reflected:", Label, 8500, 4500, 800, 300},
    {"lblTurnsL2", "L2 turns: ", Label, 7200, 5900, 1000, 300},
    {"txtTurnsL2", "", Box, 8200, 5900, 400, 300},
    {"UpDown1", "txtTurnsL2", Spinner, 8600, 5900, kSpinnerWidth, 300},
    {"lblTurnsL1", "L1 turns: ", Label, 7200, 6200, 1000, 300},
    {"txtTurnsL1", "", Box, 8200, 6200, 400, 300},
    {"UpDown2", "txtTurnsL1", Spinner, 8600, 6200, kSpinnerWidth, 300},
    {"lblAL", "AL: ", Label, 7600, 6700, 600, 300},
    {"txtAL", "txtAL", Box, 8200, 6700, 600, 300},  // starts with its name, as Text1 does
    {"lblALexplain", "nH per turns squared", Label, 8840, 6700, 2600, 300},
    {"cmdC92minus", "-1%", Button, 4050, 4700, 450, 300},
    {"cmdC92plus", "+1%", Button, 4500, 4700, 450, 300},
    {"cmdC47minus", "-1%", Button, 2250, 6600, 450, 300},
    {"cmdC47plus", "+1%", Button, 2700, 6600, 450, 300},
    {"cmdC48minus", "-1%", Button, 3750, 6600, 450, 300},
    {"cmdC48plus", "+1%", Button, 4200, 6600, 450, 300},
    {"cmdC49minus", "-1%", Button, 5350, 6600, 450, 300},
    {"cmdC49plus", "+1%", Button, 5800, 6600, 450, 300},
    {"cmdAccept", "Replot", Button, 2000, 7600, 7000, 300},
    {"cmdMonte", "MonteCarlo", Button, 2000, 8000, 1300, 300},
    {"cmdMonteStop", "Stop", Button, 2000, 8000, 1300, 300},
    {"cmdSpice", "LTspice", Button, 3400, 8000, 1000, 300},
    {"cmdPrint", "Print", Button, 4500, 8000, 900, 300},
    {"cmdSaveFile", "Save file", Button, 5500, 8000, 1200, 300},
    {"cmdRestart", "Restart", Button, 8100, 8000, 900, 300},
    {"cmdExit", "Exit", Button, 9100, 8000, 900, 300},
};

QString FromText(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void SetTextColour(QLabel* label, model::Rgb colour) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, QColor(colour.r, colour.g, colour.b));
  label->setPalette(palette);
}

// Writes a box as if typed, showing the start of the text: a text too
// long for its box is cut at its end, where the eye expects the unit,
// never at its first digits. An unchanged text changes nothing.
void WriteBox(QLineEdit* box, const QString& value) {
  if (box->text() == value) return;
  box->setText(value);
  box->setCursorPosition(0);
}

void WriteBox(QLineEdit* box, const std::string& text) {
  WriteBox(box, FromText(text));
}

// The turns boxes are sized for two digits: 32767 in one would read as
// "327". A count the box cannot show whole is shown in red with the whole
// count in its tooltip; the text itself stays as written, since the box is
// read back.
void MarkCutTurns(QLineEdit* box) {
  const QString text = box->text();
  const QMargins margins = box->textMargins();
  // The frame and Qt's own inner margin take about two pixels a side each.
  const int room = box->width() - margins.left() - margins.right() - 8;
  const bool cut = box->fontMetrics().horizontalAdvance(text) > room;
  box->setToolTip(cut ? QStringLiteral("%1 turns: more than the box shows").arg(text.trimmed())
                      : QString());
  if (box->property("cut").toBool() == cut) return;
  box->setProperty("cut", cut);
  QPalette palette = box->palette();
  palette.setColor(QPalette::Text,
                   cut ? QColor(Qt::red) : QApplication::palette().color(QPalette::Text));
  box->setPalette(palette);
}

const char* SchematicFieldName(drawing::SchematicField field) {
  switch (field) {
    case drawing::SchematicField::Text1:
      return "Text1";
    case drawing::SchematicField::Label2:
      return "Label2";
    case drawing::SchematicField::Text3:
      return "Text3";
    case drawing::SchematicField::Label4:
      return "Label4";
    case drawing::SchematicField::Text5:
      return "Text5";
    case drawing::SchematicField::Text6:
      return "Text6";
    default:
      return "";
  }
}

}  // namespace

std::string BandCaption(const model::DesignState& design) {
  std::string caption = notation::FormatFrequency(design.LowerEdge) + "Hz to" +
                        notation::FormatFrequency(design.UpperEdge) + "Hz";
  if (design.Band > 0) caption = std::to_string(design.Band) + "-meter band:" + caption;
  return caption;
}

frmDesign::frmDesign(model::Session& session, platform::Dialogs& dialogs, ScreenManager& manager)
    : m_session(session), m_dialogs(dialogs), m_manager(manager) {
  setWindowTitle(QStringLiteral("DIRUruzevuv - Design page"));
  setObjectName(QStringLiteral("frmDesign"));
  CreateControls();
  m_measurement = new MeasurementControl(*this);
  MeasureMinimumSize();
  SetBandCaption();
  m_session.monte.trialCount = 0;
  Redisplay();
}

frmDesign::~frmDesign() = default;

void frmDesign::CreateControls() {
  // In the order of the table, so that later controls lie over earlier
  // ones (the buttons over the credit).
  for (const ControlRow& row : kDesignControls) {
    QWidget* control = nullptr;
    const QString caption = QString::fromUtf8(row.caption);
    switch (row.kind) {
      case ControlKind::Label:
      case ControlKind::Title: {
        auto* label = new QLabel(caption, this);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        control = label;
        break;
      }
      case ControlKind::Button: {
        auto* button = new QPushButton(caption, this);
        button->setAutoDefault(false);
        control = button;
        break;
      }
      case ControlKind::Box:
        control = new QLineEdit(caption, this);
        break;
      case ControlKind::Spinner: {
        auto* spinner = new platform::TurnsSpinner(this);
        spinner->Attach(findChild<QLineEdit*>(caption));
        control = spinner;
        break;
      }
    }
    control->setObjectName(QString::fromLatin1(row.name));
    Place(control, row.left, row.top, row.width, row.height,
          row.kind == ControlKind::Title ? kTitleFont : kFont);
  }
  // The value boxes and inductance labels sit where the schematic wants
  // them; every one 900 x 300. A box starts with its own name, as a new
  // text box does, so that the first schematic always changes it and the
  // value is read back (an empty formatted value then stores 0).
  for (const drawing::BoxPlace& place : drawing::kValueBoxes) {
    const QString name = QString::fromLatin1(SchematicFieldName(place.field));
    QWidget* control = nullptr;
    if (name.startsWith(QStringLiteral("Label"))) {
      auto* label = new QLabel(this);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      control = label;
    } else {
      control = new QLineEdit(name, this);
    }
    control->setObjectName(name);
    Place(control, place.left, place.top, 900, 300);
  }

  const auto bind = [this](auto*& member, const char* name) {
    member = findChild<std::remove_reference_t<decltype(*member)>*>(QString::fromLatin1(name));
    Q_ASSERT(member);
  };
  bind(lblCredit, "lblCredit");
  bind(lblBand, "lblBand");
  bind(lblLossLow, "lblLossLow");
  bind(lblLossHigh, "lblLossHigh");
  bind(lblWorst, "lblWorst");
  bind(lblWorstSecond, "lblWorstSecond");
  bind(lblWorstThird, "lblWorstThird");
  bind(lblTerminations, "lblTerminations");
  bind(lblinductorQ, "lblinductorQ");
  bind(lblcapacitorQ, "lblcapacitorQ");
  bind(txtTurnsL2, "txtTurnsL2");
  bind(UpDown1, "UpDown1");
  bind(txtTurnsL1, "txtTurnsL1");
  bind(UpDown2, "UpDown2");
  bind(txtAL, "txtAL");
  bind(cmdC92minus, "cmdC92minus");
  bind(cmdC92plus, "cmdC92plus");
  bind(cmdC47minus, "cmdC47minus");
  bind(cmdC47plus, "cmdC47plus");
  bind(cmdC48minus, "cmdC48minus");
  bind(cmdC48plus, "cmdC48plus");
  bind(cmdC49minus, "cmdC49minus");
  bind(cmdC49plus, "cmdC49plus");
  bind(cmdAccept, "cmdAccept");
  bind(cmdMonte, "cmdMonte");
  bind(cmdMonteStop, "cmdMonteStop");
  bind(cmdSpice, "cmdSpice");
  bind(cmdPrint, "cmdPrint");
  bind(cmdSaveFile, "cmdSaveFile");
  bind(cmdRestart, "cmdRestart");
  bind(cmdExit, "cmdExit");
  bind(Text1, "Text1");
  bind(Label2, "Label2");
  bind(Text3, "Text3");
  bind(Label4, "Label4");
  bind(Text5, "Text5");
  bind(Text6, "Text6");
  cmdMonteStop->setVisible(false);

  // Typed values go into the design at once; they are analysed at the
  // next redisplay.
  connect(Text1, &QLineEdit::textChanged, this, &frmDesign::Text1_Change);
  connect(Text3, &QLineEdit::textChanged, this, &frmDesign::Text3_Change);
  connect(Text5, &QLineEdit::textChanged, this, &frmDesign::Text5_Change);
  connect(Text6, &QLineEdit::textChanged, this, &frmDesign::Text6_Change);
  connect(txtAL, &QLineEdit::textChanged, this, &frmDesign::txtAL_Change);
  // Enter in a value box is "Replot".
  for (QLineEdit* edit : {Text1, Text3, Text5, Text6, txtTurnsL1, txtTurnsL2, txtAL})
    connect(edit, &QLineEdit::returnPressed, this, &frmDesign::ValueBox_Enter);
  // A turns count is read only by a spinner, "Replot" or Enter; one typed
  // and then followed by a step is taken first rather than overwritten.
  for (QLineEdit* turns : {txtTurnsL1, txtTurnsL2}) {
    connect(turns, &QLineEdit::textChanged, this, [turns] { MarkCutTurns(turns); });
  }
  connect(txtTurnsL1, &QLineEdit::textEdited, this, [this] { m_turnsL1Typed = true; });
  connect(txtTurnsL2, &QLineEdit::textEdited, this, [this] { m_turnsL2Typed = true; });
  for (platform::TurnsSpinner* spinner : {UpDown1, UpDown2}) {
    connect(spinner, &platform::TurnsSpinner::stoppedAtLimit, this, [this] {
      if (m_turnsL1Typed || m_turnsL2Typed) UpDown_Change();
    });
  }

  const auto step = [this](QPushButton* control, float model::DesignState::*value, bool up) {
    connect(control, &QPushButton::clicked, this,
            [this, value, up] { StepCapacitor(m_session.design.*value, up); });
  };
  step(cmdC47minus, &model::DesignState::C47, false);
  step(cmdC47plus, &model::DesignState::C47, true);
  step(cmdC48minus, &model::DesignState::C48, false);
  step(cmdC48plus, &model::DesignState::C48, true);
  step(cmdC92minus, &model::DesignState::C92, false);
  step(cmdC92plus, &model::DesignState::C92, true);
  step(cmdC49minus, &model::DesignState::C49, false);
  step(cmdC49plus, &model::DesignState::C49, true);
  connect(UpDown1, &platform::TurnsSpinner::changed, this, &frmDesign::UpDown_Change);
  connect(UpDown2, &platform::TurnsSpinner::changed, this, &frmDesign::UpDown_Change);
  connect(cmdAccept, &QPushButton::clicked, this, &frmDesign::cmdAccept_Click);
  connect(cmdMonte, &QPushButton::clicked, this, &frmDesign::cmdMonte_Click);
  connect(cmdMonteStop, &QPushButton::clicked, this, &frmDesign::cmdMonteStop_Click);

  connect(cmdSaveFile, &QPushButton::clicked, this, &frmDesign::cmdSaveFile_Click);
  connect(cmdSpice, &QPushButton::clicked, this, &frmDesign::cmdSpice_Click);
  connect(cmdPrint, &QPushButton::clicked, this, &frmDesign::cmdPrint_Click);
  connect(cmdRestart, &QPushButton::clicked, this, &frmDesign::cmdRestart_Click);
  connect(cmdExit, &QPushButton::clicked, this, &frmDesign::cmdExit_Click);
}

// The widest texts the changing labels and the value boxes show for the
// bands' designs; the credit lies under the buttons by design.
void frmDesign::MeasureMinimumSize() {
  std::vector<platform::ScreenGeometry::TextNeed> needs;
  for (const auto& need : CaptionNeeds())
    if (need.control != lblCredit) needs.push_back(need);
  const auto add = [&needs](const QWidget* control, const char* text) {
    needs.push_back({control, QString::fromLatin1(text)});
  };
  add(lblBand, "160-meter band: 1.81MHz to 2MHz");
  for (const QWidget* loss : {lblLossLow, lblLossHigh})
    add(loss, "Target-value parts loss at 14.35MHz: 0.14321dB");
  add(lblWorst, "Worst-case passband loss: 0.18326dB");
  add(lblWorstSecond, "Worst-case 2nd harm. atten: 45.678dB");
  add(lblWorstThird, "Worst-case 3ed harm. atten: 45.678dB");
  add(lblTerminations, "Terminations: 50 ohms");
  add(lblinductorQ, "Inductor Q values: 200");
  add(lblcapacitorQ, "Capacitor Q values: 2000");
  // Six significant digits, every digit as wide as the widest.
  for (QLineEdit* box : {Text1, Text3, Text5, Text6}) {
    add(box, "8888.88pF");
    add(box, "0.33489pF");
  }
  for (const QWidget* inductance : {Label2, Label4}) add(inductance, "2.028uH");
  for (const QWidget* turns : {txtTurnsL1, txtTurnsL2}) add(turns, " 99");
  add(txtAL, " 12.34");
  SetMinimumForTexts(needs);
}

void frmDesign::SetBandCaption() {
  lblBand->setText(FromText(BandCaption(m_session.design)));
}

void frmDesign::Redisplay() {
  Schematic();
  RunSweep();
  Plot();
}

void frmDesign::Schematic() {
  drawing::DrawDesignSchematic(Surface(), m_session, *this);
}

void frmDesign::RunSweep() {
  const model::ShownMeasurement* shown = m_session.measurement ? &*m_session.measurement : nullptr;
  m_evaluation =
      model::Evaluate(m_session.design, m_session.defaults, shown ? &shown->network : nullptr,
                      model::kDefaultFloorDb, m_session.analysis);
  if (m_measurement != nullptr)
    m_measurement->ShowMeasuredLoss(MeasuredLossText(m_session.design, m_evaluation.comparison));
}

void frmDesign::Plot() {
  ApplyPlotLabels(screens::Plot(Surface(), m_session, m_evaluation,
                                platform::ScreenGeometry::kDisplayWidthTwips));
}

void frmDesign::PlotRunEvaluation(const model::Evaluation& evaluation) {
  // The comparison stays the nominal design's: a trial is not what was built.
  std::optional<model::Comparison> comparison = std::move(m_evaluation.comparison);
  m_evaluation = evaluation;
  m_evaluation.comparison = std::move(comparison);
  Plot();
}

void frmDesign::ApplyPlotLabels(const PlotLabels& labels) {
  if (labels.worstSecondChanged) lblWorstSecond->setText(FromText(labels.worstSecond));
  if (labels.worstThirdChanged) lblWorstThird->setText(FromText(labels.worstThird));
  lblLossLow->setText(FromText(labels.lossLow.text));
  SetTextColour(lblLossLow, labels.lossLow.colour);
  lblLossHigh->setText(FromText(labels.lossHigh.text));
  SetTextColour(lblLossHigh, labels.lossHigh.colour);
}

void frmDesign::HideWorstCase() {
  lblWorst->setVisible(false);
  lblWorstSecond->setVisible(false);
  lblWorstThird->setVisible(false);
}

void frmDesign::SetField(drawing::SchematicField field, const std::string& text) {
  switch (field) {
    case drawing::SchematicField::txtAL:
      WriteBox(txtAL, text);
      break;
    case drawing::SchematicField::lblTerminations:
      lblTerminations->setText(FromText(text));
      break;
    case drawing::SchematicField::txtTurnsL2:
      WriteBox(txtTurnsL2, text);
      m_turnsL2Typed = false;
      break;
    case drawing::SchematicField::txtTurnsL1:
      WriteBox(txtTurnsL1, text);
      m_turnsL1Typed = false;
      break;
    case drawing::SchematicField::lblinductorQ:
      lblinductorQ->setText(FromText(text));
      break;
    case drawing::SchematicField::lblcapacitorQ:
      lblcapacitorQ->setText(FromText(text));
      break;
    case drawing::SchematicField::Text1:
      WriteBox(Text1, text);
      break;
    case drawing::SchematicField::Label2:
      Label2->setText(FromText(text));
      break;
    case drawing::SchematicField::Text3:
      WriteBox(Text3, text);
      break;
    case drawing::SchematicField::Label4:
      Label4->setText(FromText(text));
      break;
    case drawing::SchematicField::Text5:
      WriteBox(Text5, text);
      break;
    case drawing::SchematicField::Text6:
      WriteBox(Text6, text);
      break;
  }
}

void frmDesign::Text1_Change() {
  HideWorstCase();
  model::CapacitorTextChanged(Text1->text().toStdString(), m_session.design.C47);
}

void frmDesign::Text3_Change() {
  HideWorstCase();
  model::CapacitorTextChanged(Text3->text().toStdString(), m_session.design.C48);
}

void frmDesign::Text5_Change() {
  HideWorstCase();
  model::CapacitorTextChanged(Text5->text().toStdString(), m_session.design.C92);
}

void frmDesign::Text6_Change() {
  HideWorstCase();
  model::CapacitorTextChanged(Text6->text().toStdString(), m_session.design.C49);
}

void frmDesign::txtAL_Change() {
  HideWorstCase();
  model::AlTextChanged(txtAL->text().toStdString(), m_session.design);
}

// Capacitor step: hide the worst-case figures, step, redraw.
void frmDesign::StepCapacitor(float& capacitance, bool up) {
  TakeTypedTurns();
  HideWorstCase();
  capacitance = up ? model::StepCapacitorUp(capacitance) : model::StepCapacitorDown(capacitance);
  Redisplay();
}

std::int16_t frmDesign::ReadTurnsBox(QLineEdit* box) {
  const model::TurnsBoxReading reading = model::ReadTurnsBox(box->text().toStdString());
  if (reading.resetBoxToOne) WriteBox(box, QStringLiteral("1"));
  return reading.turns;
}

// What a spinner click and "Replot" read: both turns boxes, then AL.
void frmDesign::ReadTurnsAndAl() {
  model::DesignState& design = m_session.design;
  const std::int16_t turnsL1 = ReadTurnsBox(txtTurnsL1);
  const std::int16_t turnsL2 = ReadTurnsBox(txtTurnsL2);
  m_turnsL1Typed = false;
  m_turnsL2Typed = false;
  model::SetTurns(design, turnsL1, turnsL2);
  const model::AlBoxReading al = model::ReadAlBox(txtAL->text().toStdString());
  model::SetToroidAL(design, al.al);
  // Like any change of the box, this runs txtAL_Change.
  if (al.resetBoxToOne) WriteBox(txtAL, QStringLiteral("1"));
}

// Only a box the user typed into is read, so that a step leaves designs
// that nobody typed into exactly as they were.
void frmDesign::TakeTypedTurns() {
  if (!m_turnsL1Typed && !m_turnsL2Typed) return;
  model::DesignState& design = m_session.design;
  const std::int16_t turnsL1 = m_turnsL1Typed ? ReadTurnsBox(txtTurnsL1) : design.TurnsL1;
  const std::int16_t turnsL2 = m_turnsL2Typed ? ReadTurnsBox(txtTurnsL2) : design.TurnsL2;
  m_turnsL1Typed = false;
  m_turnsL2Typed = false;
  model::SetTurns(design, turnsL1, turnsL2);
}

void frmDesign::ValueBox_Enter() {
  // Enter does what a click on "Replot" would do, and nothing while the
  // button cannot be clicked (a Monte Carlo run).
  if (cmdAccept->isEnabled()) cmdAccept_Click();
}

void frmDesign::UpDown_Change() {
  ReadTurnsAndAl();
  Redisplay();
}

void frmDesign::cmdAccept_Click() {
  ReadTurnsAndAl();
  HideWorstCase();
  Redisplay();
}

std::vector<QWidget*> frmDesign::MonteCarloLocked() const {
  return {cmdAccept,   cmdSaveFile, cmdMonte,    cmdSpice,   cmdPrint,    cmdRestart,
          cmdExit,     cmdC47minus, cmdC47plus,  cmdC48minus, cmdC48plus, cmdC92minus,
          cmdC92plus,  cmdC49minus, cmdC49plus,  UpDown1,     UpDown2,    txtTurnsL1,
          txtTurnsL2,  txtAL,       m_measurement->cmdMeasured};
}

// The run as the screen shows it: every trial drawn, the event loop
// turned after each one.
class frmDesign::MonteCarloScreen final : public model::MonteCarloView {
 public:
  explicit MonteCarloScreen(frmDesign& form) : m_form(form), m_alive(&form) {}

  void ShowNominal() override {
    m_form.Surface().SetAutoRedraw(false);
    m_form.Redisplay();
    // Writing a value typed before the run back as displayed counts as an
    // edit and hides the worst-case figures; but the run is of the
    // displayed values, and its figures are what it is for.
    for (QLabel* label : {m_form.lblWorst, m_form.lblWorstSecond, m_form.lblWorstThird})
      label->setVisible(true);
    // Trials change only the inside of the plot frame (the axis labels are
    // drawn again as they were). The window is repainted there at most
    // about sixty times a second: a trial takes about a millisecond, and
    // copying the picture to the window after each one would cost more
    // than the trial. Every trial still gets its turn of the event loop.
    m_plotArea = m_form.Geometry().Map(5950, 450, 5100, 3600);
    m_form.Surface().SetChangedCallback([] {});
    m_sinceRepaint.start();
  }
  void Plot(const model::Evaluation& evaluation) override { m_form.PlotRunEvaluation(evaluation); }
  void ShowWorst(const std::string& text) override { m_form.lblWorst->setText(FromText(text)); }
  bool TrialDone() override {
    // Stop, typing and repainting happen here.
    if (m_sinceRepaint.elapsed() >= 16) {
      m_form.update(m_plotArea);
      m_sinceRepaint.restart();
    }
    QCoreApplication::processEvents();
    return !m_alive.isNull();
  }
  void Ending() override { m_form.Surface().SetLineWidth(1); }
  void Ended() override {
    frmDesign& form = m_form;
    form.Surface().SetChangedCallback([&form] { form.update(); });
    form.update();
  }

 private:
  frmDesign& m_form;
  const QPointer<frmDesign> m_alive;
  QRect m_plotArea;
  QElapsedTimer m_sinceRepaint;
};

void frmDesign::cmdMonte_Click() {
  // One run at a time: Stop re-enables this button before the run's end.
  if (m_session.monte.running) return;
  m_enabledBeforeRun.clear();
  // Disabling the focused button hands the focus to a capacitor box with
  // its text selected, where a stray key would replace the value; the
  // focus goes back at the end of the run.
  m_focusBeforeRun = focusWidget();
  for (QWidget* control : MonteCarloLocked()) {
    m_enabledBeforeRun.emplace_back(control, control->isEnabled());
    control->setEnabled(false);
  }
  cmdMonteStop->setVisible(true);
  lblWorst->setVisible(true);
  lblWorstSecond->setVisible(true);
  lblWorstThird->setVisible(true);
  lblLossLow->setVisible(false);
  lblLossHigh->setVisible(false);
  MonteCarloScreen view(*this);
  if (model::RunMonteCarlo(m_session, view)) EndMonteCarlo();
}

void frmDesign::EndMonteCarlo() {
  Surface().SetAutoRedraw(true);
  lblLossLow->setVisible(true);
  lblLossHigh->setVisible(true);
  for (const auto& [control, enabled] : m_enabledBeforeRun) {
    if (control) control->setEnabled(enabled);
  }
  m_enabledBeforeRun.clear();
  cmdMonteStop->setVisible(false);
  if (m_focusBeforeRun && m_focusBeforeRun->isEnabled()) m_focusBeforeRun->setFocus();
  m_focusBeforeRun = nullptr;
}

void frmDesign::cmdMonteStop_Click() {
  if (!m_session.monte.running) return;
  Surface().SetLineWidth(1);
  model::StopMonteCarlo(m_session);
  // Everything but Restart comes back at once; Restart with the run's end.
  for (const auto& [control, enabled] : m_enabledBeforeRun) {
    if (control && control != cmdRestart) control->setEnabled(enabled);
  }
  cmdMonteStop->setVisible(false);
}

void frmDesign::cmdSaveFile_Click() {
  std::string name = m_dialogs.SaveFile("Write DIRUruzevuv file", files::kDesignFilter,
                                        m_session.design.CurrentFile);
  // A cancelled dialog writes nothing and keeps the name offered.
  if (name.empty()) return;
  // A name typed without an extension gets the designs' own; names too
  // short to be written stay as they are.
  if (name.size() >= 2) name = files::WithDefaultExtension(name, ".TXT");
  m_session.design.CurrentFile = name;
  if (name.find("Defaults") != std::string::npos) {
    m_dialogs.Message("That filename is not allowed");
    m_session.design.CurrentFile.clear();
    return;
  }
  // Such a file takes the shipped preset's place for the band's button.
  if (const std::int16_t band = files::PresetBandAt(name, m_session.locations.workDir);
      band != 0 &&
      !m_dialogs.Confirm(std::to_string(band) + ".TXT is the " + std::to_string(band) +
                         "-meter band preset: from now on the " + std::to_string(band) +
                         " button opens this design.\r\nReplace the band preset?")) {
    return;
  }
  files::WriteDesignFile(m_session.design.CurrentFile, m_session.design, m_dialogs);
}

void frmDesign::cmdSpice_Click() {
  // The dialog offers an empty name every time; short names (a cancelled
  // dialog included) write nothing.
  m_session.SpiceFileName =
      m_dialogs.SaveFile(files::kSpiceDialogTitle, files::kSpiceFilter, std::string());
  if (!files::SpiceNameAccepted(m_session.SpiceFileName)) return;
  m_session.SpiceFileName = files::WithDefaultExtension(m_session.SpiceFileName, ".ASC");
  files::WriteSpiceSchematic(m_session.SpiceFileName, m_session.design, m_dialogs);
}

QPrinter& frmDesign::cdbPrintSchematic() {
  return m_manager.Printer();
}

void frmDesign::cmdPrint_Click() {
  report::PrintDesignReport(m_session, m_evaluation, cdbPrintSchematic(), this, m_dialogs,
                            platform::ScreenGeometry::kDisplayWidthTwips);
}

void frmDesign::cmdRestart_Click() {
  m_session.design.Band = 0;
  m_manager.ShowOpening();
}

void frmDesign::cmdExit_Click() {
  m_manager.ShowExit();
}

void frmDesign::resizeEvent(QResizeEvent* event) {
  GridForm::resizeEvent(event);
  for (QLineEdit* turns : {txtTurnsL1, txtTurnsL2}) {
    if (turns != nullptr) MarkCutTurns(turns);
  }
}

void frmDesign::closeEvent(QCloseEvent* event) {
  // The window's close box (or Alt+F4) asks as "Exit" does, so that tuned
  // values are not lost without a word: "Exit / Quit" saves the last
  // session and ends, "Cancel / Continue" keeps the window. During a Monte
  // Carlo run, when "Exit" cannot be pressed, it does nothing.
  event->ignore();
  if (m_session.monte.running || !cmdExit->isEnabled()) return;
  // A repeating analyser sweep stops first; the user may start it again.
  m_measurement->Analyser().Stop();
  m_manager.ShowExit();
}

}  // namespace diruruzevuv::screens
