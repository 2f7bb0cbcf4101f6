#include "screens/frm_design.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPalette>
#include <QPrinter>
#include <utility>
#include <variant>

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

// The member that keeps a control the screen's code uses; none for a
// control that only shows its caption.
using ControlMember =
    std::variant<std::monostate, QLabel * frmDesign::*, QLineEdit * frmDesign::*,
                 QPushButton * frmDesign::*, platform::TurnsSpinner * frmDesign::*>;

// A control of the design screen: its name, its caption (a box's first
// text; for a spinner, the box it steps), its kind, its place on the
// layout grid and its member.
struct ControlRow {
  const char* name;
  const char* caption;
  ControlKind kind;
  double left;
  double top;
  double width;
  double height;
  ControlMember member{};  // empty: the screen keeps no pointer to it
};

}  // namespace

// The controls in the order they are made. No two overlap but "MonteCarlo"
// and "Stop", which take turns at one place; the value boxes and the
// inductance labels sit where the schematic wants them. The AL box and the
// value boxes start with their own names, as new text boxes do, so that
// the first schematic always changes them and the values are read back
// (an empty formatted capacitance then stores 0).
struct DesignControlTable {
  using enum ControlKind;
  using F = frmDesign;
  static constexpr ControlRow kRows[] = {
      // The credit has the free strip below the bottom row of buttons.
      {"lblCredit", kDesignCredit, Label, 2000, 8450, 4700, 200, &F::lblCredit},
      {"lblTitle", "KAMO Lowpass Designer", Title, 1000, 500, 4000, 400},
      {"lblBand", "", Label, 1000, 900, 4000, 350, &F::lblBand},
      {"lblLossLow", "", Label, 1000, 2000, 4400, 200, &F::lblLossLow},
      {"lblLossHigh", "", Label, 1000, 2200, 4400, 200, &F::lblLossHigh},
      {"lblWorst", "Worst-case loss: ", Label, 1000, 2400, 4400, 200, &F::lblWorst},
      {"lblWorstSecond", "", Label, 1000, 2600, 4400, 200, &F::lblWorstSecond},
      {"lblWorstThird", "", Label, 1000, 2800, 4400, 200, &F::lblWorstThird},
      {"lblTerminations", "", Label, 1000, 3300, 2500, 200, &F::lblTerminations},
      {"lblinductorQ", "", Label, 1000, 3500, 2500, 200, &F::lblinductorQ},
      {"lblcapacitorQ", "", Label, 1000, 3700, 2500, 200, &F::lblcapacitorQ},
      {"lblTrans", "Forward:", Label, 7500, 4500, 800, 300},
      {"lblRefl", "Reflected:", Label, 8500, 4500, 800, 300},
      {"lblTurnsL2", "L2 turns: ", Label, 7200, 5900, 1000, 300},
      {"txtTurnsL2", "", Box, 8200, 5900, 400, 300, &F::txtTurnsL2},
      {"UpDown1", "txtTurnsL2", Spinner, 8600, 5900, kSpinnerWidth, 300, &F::UpDown1},
      {"lblTurnsL1", "L1 turns: ", Label, 7200, 6200, 1000, 300},
      {"txtTurnsL1", "", Box, 8200, 6200, 400, 300, &F::txtTurnsL1},
      {"UpDown2", "txtTurnsL1", Spinner, 8600, 6200, kSpinnerWidth, 300, &F::UpDown2},
      {"lblAL", "AL: ", Label, 7600, 6700, 600, 300},
      {"txtAL", "txtAL", Box, 8200, 6700, 600, 300, &F::txtAL},
      {"lblALexplain", "nH per turns squared", Label, 8840, 6700, 2600, 300},
      {"cmdC92minus", "-1%", Button, 4050, 4700, 450, 300, &F::cmdC92minus},
      {"cmdC92plus", "+1%", Button, 4500, 4700, 450, 300, &F::cmdC92plus},
      {"cmdC47minus", "-1%", Button, 2250, 6600, 450, 300, &F::cmdC47minus},
      {"cmdC47plus", "+1%", Button, 2700, 6600, 450, 300, &F::cmdC47plus},
      {"cmdC48minus", "-1%", Button, 3750, 6600, 450, 300, &F::cmdC48minus},
      {"cmdC48plus", "+1%", Button, 4200, 6600, 450, 300, &F::cmdC48plus},
      {"cmdC49minus", "-1%", Button, 5350, 6600, 450, 300, &F::cmdC49minus},
      {"cmdC49plus", "+1%", Button, 5800, 6600, 450, 300, &F::cmdC49plus},
      {"cmdAccept", "Replot", Button, 2000, 7600, 7000, 300, &F::cmdAccept},
      {"cmdMonte", "MonteCarlo", Button, 2000, 8000, 1300, 300, &F::cmdMonte},
      {"cmdMonteStop", "Stop", Button, 2000, 8000, 1300, 300, &F::cmdMonteStop},
      {"cmdSpice", "LTspice", Button, 3400, 8000, 1000, 300, &F::cmdSpice},
      {"cmdPrint", "Print", Button, 4500, 8000, 900, 300, &F::cmdPrint},
      {"cmdSaveFile", "Save file", Button, 5500, 8000, 1200, 300, &F::cmdSaveFile},
      {"cmdRestart", "Restart", Button, 8100, 8000, 900, 300, &F::cmdRestart},
      {"cmdExit", "Exit", Button, 9100, 8000, 900, 300, &F::cmdExit},
      {"Text1", "Text1", Box, 2250, 6300, 900, 300, &F::Text1},  // C47
      {"Label2", "", Label, 2800, 5550, 900, 300, &F::Label2},   // L2
      {"Text3", "Text3", Box, 3759, 6300, 900, 300, &F::Text3},  // C48 (3759, not 3750)
      {"Label4", "", Label, 4250, 5550, 900, 300, &F::Label4},   // L1
      {"Text5", "Text5", Box, 4050, 4400, 900, 300, &F::Text5},  // C92
      {"Text6", "Text6", Box, 5350, 6300, 900, 300, &F::Text6},  // C49
  };
};

namespace {

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

// A new control of the kind with its caption (for a spinner, the name of
// the box it steps).
QWidget* MakeControl(QWidget& form, ControlKind kind, const QString& caption) {
  switch (kind) {
    case ControlKind::Label:
    case ControlKind::Title: {
      auto* label = new QLabel(caption, &form);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      return label;
    }
    case ControlKind::Button: {
      auto* button = new QPushButton(caption, &form);
      button->setAutoDefault(false);
      return button;
    }
    case ControlKind::Box:
      return new QLineEdit(caption, &form);
    case ControlKind::Spinner: {
      auto* spinner = new platform::TurnsSpinner(&form);
      spinner->Attach(form.findChild<QLineEdit*>(caption));
      return spinner;
    }
  }
  return nullptr;
}

void KeepControl(frmDesign&, std::monostate, QWidget*) {}

template <typename Control>
void KeepControl(frmDesign& form, Control* frmDesign::*member, QWidget* control) {
  form.*member = qobject_cast<Control*>(control);
  Q_ASSERT(form.*member != nullptr);
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
  // The boxes round what a file held to what they show: that is the design
  // the file stands for from now on.
  m_session.filed.design = m_session.design;
}

frmDesign::~frmDesign() = default;

void frmDesign::CreateControls() {
  for (const ControlRow& row : DesignControlTable::kRows) {
    QWidget* control = MakeControl(*this, row.kind, QString::fromUtf8(row.caption));
    control->setObjectName(QString::fromLatin1(row.name));
    Place(control, row.left, row.top, row.width, row.height,
          row.kind == ControlKind::Title ? kTitleFont : kFont);
    std::visit([this, control](auto member) { KeepControl(*this, member, control); }, row.member);
  }
  cmdMonteStop->setVisible(false);
  ConnectTypedValues();
  ConnectTurns();
  ConnectButtons();
}

// Typed values go into the design at once; they are analysed at the next
// redisplay. Enter in a value box is "Replot".
void frmDesign::ConnectTypedValues() {
  const std::pair<QLineEdit*, void (frmDesign::*)()> changes[] = {
      {Text1, &frmDesign::Text1_Change}, {Text3, &frmDesign::Text3_Change},
      {Text5, &frmDesign::Text5_Change}, {Text6, &frmDesign::Text6_Change},
      {txtAL, &frmDesign::txtAL_Change},
  };
  for (const auto& [box, handler] : changes) connect(box, &QLineEdit::textChanged, this, handler);
  for (QLineEdit* box : {Text1, Text3, Text5, Text6, txtTurnsL1, txtTurnsL2, txtAL})
    connect(box, &QLineEdit::returnPressed, this, &frmDesign::ValueBox_Enter);
}

// A turns count is read only by a spinner, "Replot" or Enter; one typed
// and then followed by a step is taken first rather than overwritten.
void frmDesign::ConnectTurns() {
  for (QLineEdit* turns : {txtTurnsL1, txtTurnsL2})
    connect(turns, &QLineEdit::textChanged, this, [turns] { MarkCutTurns(turns); });
  connect(txtTurnsL1, &QLineEdit::textEdited, this, [this] { m_turnsL1Typed = true; });
  connect(txtTurnsL2, &QLineEdit::textEdited, this, [this] { m_turnsL2Typed = true; });
  for (platform::TurnsSpinner* spinner : {UpDown1, UpDown2}) {
    connect(spinner, &platform::TurnsSpinner::changed, this, &frmDesign::UpDown_Change);
    connect(spinner, &platform::TurnsSpinner::stoppedAtLimit, this, [this] {
      if (m_turnsL1Typed || m_turnsL2Typed) UpDown_Change();
    });
  }
}

void frmDesign::ConnectButtons() {
  struct CapacitorStep {
    QPushButton* button;
    float model::DesignState::*capacitance;
    bool up;
  };
  using model::DesignState;
  const CapacitorStep steps[] = {
      {cmdC47minus, &DesignState::C47, false}, {cmdC47plus, &DesignState::C47, true},
      {cmdC48minus, &DesignState::C48, false}, {cmdC48plus, &DesignState::C48, true},
      {cmdC92minus, &DesignState::C92, false}, {cmdC92plus, &DesignState::C92, true},
      {cmdC49minus, &DesignState::C49, false}, {cmdC49plus, &DesignState::C49, true},
  };
  for (const auto& [button, capacitance, up] : steps) {
    connect(button, &QPushButton::clicked, this,
            [this, capacitance, up] { StepCapacitor(m_session.design.*capacitance, up); });
  }
  const std::pair<QPushButton*, void (frmDesign::*)()> clicks[] = {
      {cmdAccept, &frmDesign::cmdAccept_Click},       {cmdMonte, &frmDesign::cmdMonte_Click},
      {cmdMonteStop, &frmDesign::cmdMonteStop_Click}, {cmdSaveFile, &frmDesign::cmdSaveFile_Click},
      {cmdSpice, &frmDesign::cmdSpice_Click},         {cmdPrint, &frmDesign::cmdPrint_Click},
      {cmdRestart, &frmDesign::cmdRestart_Click},     {cmdExit, &frmDesign::cmdExit_Click},
  };
  for (const auto& [button, handler] : clicks)
    connect(button, &QPushButton::clicked, this, handler);
}

// The captions, and the widest texts the changing labels and the value
// boxes show for the bands' designs.
void frmDesign::MeasureMinimumSize() {
  std::vector<platform::ScreenGeometry::TextNeed> needs = CaptionNeeds();
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

// Each text of the schematic goes to the control that shows it.
void frmDesign::SetField(drawing::SchematicField field, const std::string& text) {
  using enum drawing::SchematicField;
  switch (field) {
    case kAL:
      return WriteBox(txtAL, text);
    case kTerminations:
      return lblTerminations->setText(FromText(text));
    case kTurnsL2:
      WriteBox(txtTurnsL2, text);
      m_turnsL2Typed = false;
      return;
    case kTurnsL1:
      WriteBox(txtTurnsL1, text);
      m_turnsL1Typed = false;
      return;
    case kInductorQ:
      return lblinductorQ->setText(FromText(text));
    case kCapacitorQ:
      return lblcapacitorQ->setText(FromText(text));
    case kC47:
      return WriteBox(Text1, text);
    case kL2:
      return Label2->setText(FromText(text));
    case kC48:
      return WriteBox(Text3, text);
    case kL1:
      return Label4->setText(FromText(text));
    case kC92:
      return WriteBox(Text5, text);
    case kC49:
      return WriteBox(Text6, text);
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

// A turns count typed but not yet entered is what the user sees, so
// everything that writes the design out takes it first, as Enter would.
void frmDesign::EnterTypedTurns() {
  if (m_turnsL1Typed || m_turnsL2Typed) cmdAccept_Click();
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
  return {cmdAccept,   cmdSaveFile, cmdMonte,
          cmdSpice,    cmdPrint,    cmdRestart,
          cmdExit,     cmdC47minus, cmdC47plus,
          cmdC48minus, cmdC48plus,  cmdC92minus,
          cmdC92plus,  cmdC49minus, cmdC49plus,
          UpDown1,     UpDown2,     txtTurnsL1,
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
  EnterTypedTurns();
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
  if (files::WriteDesignFile(m_session.design.CurrentFile, m_session.design, m_dialogs))
    m_session.filed = {std::filesystem::path(name).filename().string(), m_session.design};
}

void frmDesign::cmdSpice_Click() {
  EnterTypedTurns();
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
  EnterTypedTurns();
  report::PrintDesignReport(m_session, m_evaluation, cdbPrintSchematic(), this, m_dialogs,
                            platform::ScreenGeometry::kDisplayWidthTwips);
}

// The tuned design is kept as the last session before the band is
// forgotten, so that "Last session" on the opening screen brings it back.
void frmDesign::cmdRestart_Click() {
  EnterTypedTurns();
  files::WriteLastSession(m_session.locations, m_session.design, m_dialogs);
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
