#include "screens/measurement_control.h"

#include <QBuffer>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPixmap>
#include <QPushButton>
#include <QShortcut>
#include <QTime>
#include <QUrl>
#include <memory>
#include <optional>

#include "files/file_names.h"
#include "files/measurement_file.h"
#include "files/replace_file.h"
#include "files/sweep_csv.h"
#include "files/touchstone.h"
#include "files/touchstone_writer.h"
#include "model/circuit/analysis_problem.h"
#include "model/circuit/design_response.h"
#include "model/measurement/fitted_response.h"
#include "model/measurement/measured_network.h"
#include "model/plot/plot_geometry.h"
#include "screens/analyser_control.h"
#include "screens/build_sheet_window.h"
#include "screens/fit_dialog.h"
#include "screens/frm_design.h"
#include "screens/part_dialog.h"

namespace diruruzevuv::screens {
namespace {

// Names what the menu holds, which is more than measurements.
constexpr const char* kMeasuredCaption = "Measured, export, build sheet...";

constexpr const char* kPngFilter = "PNG images (*.png)|*.png";
constexpr const char* kCsvFilter = "CSV files (*.csv)|*.csv";
constexpr const char* kTouchstoneFilter = "Touchstone files (*.s2p)|*.s2p";

// The plot with its labels around it, in layout-grid units.
constexpr double kImageLeft = 5400.0;
constexpr double kImageTop = 300.0;
constexpr double kImageRight = 11450.0;
constexpr double kImageBottom = 4400.0;

// The ending that gives a trace's file its ports back when it is read.
std::string TouchstoneEnding(const model::Trace& trace) {
  return trace.network.ports == 2 ? ".s2p" : ".s1p";
}

// The one local file of a drop, or nothing.
std::string DroppedFile(const QMimeData* mime) {
  if (mime == nullptr || !mime->hasUrls() || mime->urls().size() != 1) return {};
  const QUrl url = mime->urls().front();
  if (!url.isLocalFile()) return {};
  return url.toLocalFile().toStdString();
}

}  // namespace

std::string ResponseCsv(const model::Evaluation& evaluation) {
  return files::SweepCsvText(evaluation.sweep);
}

MeasurementControl::MeasurementControl(frmDesign& form)
    : QObject(&form), m_form(form), m_session(form.SessionState()) {
  form.setAcceptDrops(true);
  form.installEventFilter(this);
  lblMeasuredLoss = new QLabel(&form);
  lblMeasuredLoss->setObjectName(QStringLiteral("lblMeasuredLoss"));
  lblMeasuredLoss->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // Between the band caption and the computed losses, free on this screen.
  form.Place(lblMeasuredLoss, 1000, 1500, 4400, 450);
  lblMeasuredLoss->hide();
  m_analyser = new AnalyserControl(form, *this);
  // The menu seen and reached without the mouse: a button beside the
  // curves' legend, free space on this screen, and the keys that open a
  // context menu.
  cmdMeasured = new QPushButton(QString::fromLatin1(kMeasuredCaption), &form);
  cmdMeasured->setObjectName(QStringLiteral("cmdMeasured"));
  cmdMeasured->setAutoDefault(false);
  cmdMeasured->setToolTip(QStringLiteral(
      "Load, fit and remove a measurement, save or export the plot and the response, the build "
      "sheet (also Shift+F10 or the Menu key)"));
  // From the legend into the free margin right of the plot, wide enough
  // for its caption at the smallest window the value boxes allow.
  form.Place(cmdMeasured, 9400, 4500, 2550, 300);
  connect(cmdMeasured, &QPushButton::clicked, this, &MeasurementControl::ShowMenu);
  for (const QKeySequence& key :
       {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)})
    connect(new QShortcut(key, &form), &QShortcut::activated, this, &MeasurementControl::ShowMenu);
  // A value box would open its own edit menu for the Menu key.
  for (QLineEdit* box : form.findChildren<QLineEdit*>()) box->installEventFilter(this);
}

void MeasurementControl::ShowMenu() {
  if (m_session.monte.running) return;
  const model::PlotFrame& frame = model::kScreenPlotFrame;
  std::unique_ptr<QMenu> menu(
      MenuAt({(frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2}));
  if (menu) menu->exec(cmdMeasured->mapToGlobal(QPoint(0, cmdMeasured->height())));
}

void MeasurementControl::ShowMeasuredLoss(const std::string& text) {
  lblMeasuredLoss->setText(QString::fromStdString(text));
  lblMeasuredLoss->setVisible(!text.empty());
}

// Leaving the design screen takes the measurement away with it.
MeasurementControl::~MeasurementControl() {
  m_session.measurement.reset();
}

bool MeasurementControl::Load(const std::string& path) {
  return Show(files::LoadMeasurementFile(path, m_session.design.InputTermination));
}

bool MeasurementControl::Show(const model::MeasuredNetwork& network) {
  return Show(model::TakeMeasurement(network, network.name, m_session.design.InputTermination));
}

bool MeasurementControl::Show(model::MeasurementIntake intake) {
  if (!intake.shown) {
    m_form.DialogsUsed().Message(intake.refusal);
    return false;
  }
  m_session.measurement = std::move(intake.shown);
  m_form.Redisplay();
  return true;
}

void MeasurementControl::Remove() {
  m_form.SessionState().measurement.reset();
  m_form.Redisplay();
}

void MeasurementControl::Fit() {
  model::Session& session = m_form.SessionState();
  if (!session.measurement) return;
  const model::FitOptions options;
  const model::FitResult fit =
      model::FitBuiltValues(session.design, session.measurement->network, options);
  if (!fit.done) {
    m_form.DialogsUsed().Message("No fit: " + fit.error);
    return;
  }
  // The fitted parts' response lies over the measurement from now on, so
  // that the diagnosis can be seen confirmed (or not).
  session.measurement->fitted =
      model::FittedResponse(fit, session.design, session.measurement->network.frequency);
  m_form.Redisplay();  // seen while the user decides
  FitDialog dialog(session, fit, options, &m_form);
  const int answer = dialog.exec();
  if (answer == QDialog::Accepted || answer == FitDialog::kUseWithTurns)
    model::ApplyFit(fit, session.design, answer == FitDialog::kUseWithTurns);
  m_form.Redisplay();
}

bool MeasurementControl::KeepTrace() {
  if (!m_session.measurement || m_session.traces.Full()) return false;
  const QTime now = QTime::currentTime();
  const std::string offered = model::DefaultTraceName(m_session.measurement->network.name,
                                                      now.hour(), now.minute(), now.second());
  const std::string name =
      m_form.DialogsUsed().ChooseItem("Keep this trace", "Name:", {offered}, offered);
  if (!m_session.traces.Keep(name, m_session.measurement->network)) return false;
  m_form.Redisplay();
  return true;
}

bool MeasurementControl::SaveTrace(std::size_t index, const std::string& path) {
  const std::vector<model::Trace>& traces = m_session.traces.Items();
  if (index >= traces.size()) return false;
  const model::Trace& trace = traces[index];
  const std::string file = files::WithDefaultExtension(path, TouchstoneEnding(trace));
  std::string why;
  if (files::WriteTouchstoneFile(file, trace.network, {"Trace " + trace.name}, &why)) return true;
  m_form.DialogsUsed().Message("Cannot write " + file + ": " + why);
  return false;
}

void MeasurementControl::AddTraceMenu(QMenu& menu, std::size_t index) {
  const model::Trace& trace = m_session.traces.Items()[index];
  const model::Rgb c = model::kTracePalette[trace.colour];
  QPixmap swatch(12, 12);
  swatch.fill(QColor(c.r, c.g, c.b));
  QMenu* sub = menu.addMenu(QIcon(swatch), QString::fromStdString("Trace: " + trace.name));
  platform::Dialogs& dialogs = m_form.DialogsUsed();
  QAction* shown = sub->addAction(QStringLiteral("Shown"), this, [this, index](bool on) {
    m_session.traces.SetVisible(index, on);
    m_form.Redisplay();
  });
  shown->setCheckable(true);
  shown->setChecked(trace.visible);
  sub->addAction(QStringLiteral("Rename..."), this, [this, index, &dialogs] {
    const std::string old = m_session.traces.Items()[index].name;
    if (m_session.traces.Rename(index, dialogs.ChooseItem("Rename trace", "Name:", {old}, old)))
      m_form.Redisplay();
  });
  const std::string offered = "trace" + TouchstoneEnding(trace);
  sub->addAction(QStringLiteral("Save as Touchstone..."), this, [this, index, &dialogs, offered] {
    const std::string path =
        dialogs.SaveFile("Save trace as Touchstone", kMeasurementFilter, offered);
    if (!path.empty()) SaveTrace(index, path);
  });
  sub->addAction(QStringLiteral("Remove"), this, [this, index] {
    m_session.traces.Remove(index);
    m_form.Redisplay();
  });
}

bool MeasurementControl::SavePlotImage(const std::string& path) {
  const QImage& image = m_form.Surface().Image();
  const QRect area = m_form.Geometry().Map(kImageLeft, kImageTop, kImageRight - kImageLeft,
                                           kImageBottom - kImageTop);
  const double ratio = image.devicePixelRatio();
  const QRect pixels(QPoint(qRound(area.left() * ratio), qRound(area.top() * ratio)),
                     QSize(qRound(area.width() * ratio), qRound(area.height() * ratio)));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImage plot = image.copy(pixels.intersected(image.rect()));
  plot.setDevicePixelRatio(1.0);
  std::string why;
  if (plot.isNull() || !plot.save(&buffer, "PNG")) {
    why = "the picture could not be made";
  } else if (files::ReplaceFileContents(path, std::string_view(bytes.constData(), bytes.size()),
                                        &why)) {
    return true;
  }
  m_form.DialogsUsed().WriteFailed({"", path, why});
  return false;
}

bool MeasurementControl::SaveResponseCsv(const std::string& path) {
  std::string why;
  if (files::ReplaceFileContents(path, ResponseCsv(m_form.LastEvaluation()), &why)) return true;
  m_form.DialogsUsed().WriteFailed({"", path, why});
  return false;
}

bool MeasurementControl::ExportResponseTouchstone(std::string path) {
  // A name typed without an ending gets the Touchstone two-port one.
  const std::size_t name = path.find_last_of('/') + 1;
  if (path.find('.', name) == std::string::npos) path += ".s2p";
  const model::DesignState& design = m_form.SessionState().design;
  const std::optional<model::MeasuredNetwork> network =
      model::DesignResponse(design, model::DesignResponseRange(design));
  std::string why;
  if (!network) {
    why = model::DescribeUnanalysable(design);
    if (why.empty()) why = "the design gives no response over its sweep range";
  } else if (files::WriteTouchstoneFile(path, *network, {"S-parameters computed by DIRUruzevuv"},
                                        &why)) {
    return true;
  }
  m_form.DialogsUsed().Message("Cannot write " + path + ": " + why);
  return false;
}

QMenu* MeasurementControl::MenuAt(QPointF grid) {
  const model::PlotFrame& frame = model::kScreenPlotFrame;
  if (grid.x() < frame.left || grid.x() > frame.right || grid.y() < frame.top ||
      grid.y() > frame.bottom)
    return nullptr;
  const bool shown = m_form.SessionState().measurement.has_value();
  auto* menu = new QMenu(&m_form);
  platform::Dialogs& dialogs = m_form.DialogsUsed();
  menu->addAction(QStringLiteral("Load measured filter..."), this, [this, &dialogs] {
    const std::string path =
        dialogs.OpenFile("Load measured filter", kMeasurementFilter, std::string());
    if (!path.empty()) Load(path);
  });
  menu->addAction(QStringLiteral("Remove measurement"), this, [this] { Remove(); })
      ->setEnabled(shown);
  menu->addAction(QStringLiteral("Fit built values..."), this, [this] { Fit(); })
      ->setEnabled(shown);
  menu->addAction(QStringLiteral("Keep this trace..."), this, [this] { KeepTrace(); })
      ->setEnabled(shown && !m_session.traces.Full());
  for (std::size_t i = 0; i < m_session.traces.Items().size(); ++i) AddTraceMenu(*menu, i);
  menu->addSeparator();
  m_analyser->AddMenuEntries(*menu);
  menu->addAction(QStringLiteral("Measure a part..."), this,
                  [this] { MeasureAPart(m_form, *m_analyser); })
      ->setEnabled(!m_analyser->Busy());
  menu->addSeparator();
  menu->addAction(QStringLiteral("Save plot as PNG..."), this, [this, &dialogs] {
    const std::string path = dialogs.SaveFile("Save plot as PNG", kPngFilter, "plot.png");
    if (!path.empty()) SavePlotImage(files::WithDefaultExtension(path, ".png"));
  });
  menu->addAction(QStringLiteral("Save computed response as CSV..."), this, [this, &dialogs] {
    const std::string path = dialogs.SaveFile("Save computed response", kCsvFilter, "response.csv");
    if (!path.empty()) SaveResponseCsv(files::WithDefaultExtension(path, ".csv"));
  });
  menu->addAction(QStringLiteral("Export response as Touchstone..."), this, [this, &dialogs] {
    const std::string path =
        dialogs.SaveFile("Export response as Touchstone", kTouchstoneFilter, "response.s2p");
    if (!path.empty()) ExportResponseTouchstone(path);
  });
  menu->addSeparator();
  menu->addAction(QStringLiteral("Build sheet..."), this, [this] {
    BuildSheetWindow window(m_form);
    window.exec();
  });
  return menu;
}

bool MeasurementControl::eventFilter(QObject* watched, QEvent* event) {
  // The window system sends the Menu key as a context menu request before
  // the key itself, whose shortcut opens this menu: a value box would open
  // its own edit menu first (the mouse keeps it), the form this one twice.
  if (event->type() == QEvent::ContextMenu &&
      static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard)
    return true;
  if (watched != &m_form) return false;
  // A Monte Carlo run owns the plot until it ends. (The session, not the
  // form: events still arrive while the form is being taken down.)
  const bool busy = m_session.monte.running;
  switch (event->type()) {
    case QEvent::ContextMenu: {
      if (busy) return false;
      auto* e = static_cast<QContextMenuEvent*>(event);
      const platform::ScreenGeometry& g = m_form.Geometry();
      const QPointF grid = (QPointF(e->pos()) - g.Origin()) / g.PixelsPerUnit();
      std::unique_ptr<QMenu> menu(MenuAt(grid));
      if (!menu) return false;
      menu->exec(e->globalPos());
      return true;
    }
    case QEvent::DragEnter: {
      auto* e = static_cast<QDragEnterEvent*>(event);
      if (!busy && !DroppedFile(e->mimeData()).empty()) {
        e->acceptProposedAction();
        return true;
      }
      return false;
    }
    case QEvent::Drop: {
      auto* e = static_cast<QDropEvent*>(event);
      const std::string path = DroppedFile(e->mimeData());
      if (busy || path.empty()) return false;
      e->acceptProposedAction();
      Load(path);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace diruruzevuv::screens
