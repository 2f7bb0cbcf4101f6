#include "screens/calibration_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "files/file_names.h"
#include "instruments/calibrated_measurement.h"
#include "notation/notation.h"
#include "screens/frm_design.h"

namespace diruruzevuv::screens {
namespace {

constexpr const char* kCalibrationFilter = "Calibration files (*.cal)|*.cal;*.CAL";
constexpr const char* kKitFilter = "Kit files (*.kit *.txt)|*.kit;*.txt;*.KIT;*.TXT";
constexpr const char* kCaptions[model::kStandardCount] = {"OPEN", "SHORT", "LOAD", "THROUGH",
                                                          "ISOLATION (optional)"};

QString Mhz(double hz) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", hz / 1e6);
  return QString::fromLatin1(text);
}

}  // namespace

StandardCurve::StandardCurve(QWidget* parent) : QWidget(parent) {
  setMinimumSize(160, 36);
}

void StandardCurve::Show(std::vector<double> db) {
  m_db = std::move(db);
  update();
}

void StandardCurve::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  painter.setPen(Qt::lightGray);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  if (m_db.size() < 2) return;
  const auto [low, high] = std::minmax_element(m_db.begin(), m_db.end());
  const double span = std::max(*high - *low, 1.0);
  QPolygonF line;
  for (std::size_t i = 0; i < m_db.size(); ++i)
    line << QPointF(2.0 + (width() - 4.0) * i / (m_db.size() - 1),
                    2.0 + (height() - 4.0) * (*high - m_db[i]) / span);
  painter.setPen(Qt::blue);
  painter.drawPolyline(line);
}

CalibrationDialog::CalibrationDialog(frmDesign& form, std::string port,
                                     const files::CalibrationFile* inUse)
    : QDialog(&form), m_form(form), m_port(std::move(port)) {
  setWindowTitle(QStringLiteral("DIRUruzevuv - Calibrate analyser"));
  setObjectName(QStringLiteral("frmCalibrate"));
  const model::DesignState& design = form.SessionState().design;
  if (inUse != nullptr) m_file = *inUse;
  auto* range = new QHBoxLayout;
  const auto box = [&](const char* name, const char* caption, const QString& value) {
    auto* edit = new QLineEdit(value, this);
    edit->setObjectName(QString::fromLatin1(name));
    range->addWidget(new QLabel(QString::fromLatin1(caption), this));
    range->addWidget(edit);
    return edit;
  };
  txtStart = box("txtStart", "Start MHz:", Mhz(std::min(design.SweepStart, design.SweepStop)));
  txtStop = box("txtStop", "Stop MHz:", Mhz(std::max(design.SweepStart, design.SweepStop)));
  txtPoints = box("txtPoints", "Points:", QString::number(instruments::kDefaultSweepPoints));
  auto* grid = new QGridLayout;
  for (int i = 0; i < model::kStandardCount; ++i) {
    const auto standard = static_cast<model::Standard>(i);
    cmdMeasure[i] = new QPushButton(QStringLiteral("Measure"), this);
    cmdMeasure[i]->setObjectName(QStringLiteral("cmdMeasure_") +
                                 QString::fromLatin1(model::StandardName(standard)));
    lblTick[i] = new QLabel(this);
    curve[i] = new StandardCurve(this);
    grid->addWidget(new QLabel(QString::fromLatin1(kCaptions[i]), this), i, 0);
    grid->addWidget(cmdMeasure[i], i, 1);
    grid->addWidget(lblTick[i], i, 2);
    grid->addWidget(curve[i], i, 3);
    connect(cmdMeasure[i], &QPushButton::clicked, this, [this, standard] { Measure(standard); });
  }
  lblMissing = new QLabel(this);
  auto* buttons = new QHBoxLayout;
  const auto button = [&](const char* caption, auto act) {
    auto* b = new QPushButton(QString::fromLatin1(caption), this);
    b->setAutoDefault(false);
    buttons->addWidget(b);
    connect(b, &QPushButton::clicked, this, act);
    return b;
  };
  platform::Dialogs& dialogs = form.DialogsUsed();
  m_fileButtons.push_back(button("Kit...", [this, &dialogs] {
    if (const auto path = dialogs.OpenFile("Calibration kit", kKitFilter, ""); !path.empty())
      LoadKit(path);
  }));
  m_fileButtons.push_back(button("Load...", [this, &dialogs] {
    if (const auto path = dialogs.OpenFile("Load calibration", kCalibrationFilter, "");
        !path.empty())
      Load(path);
  }));
  m_fileButtons.push_back(button("Save...", [this, &dialogs] {
    if (const auto path = dialogs.SaveFile("Save calibration", kCalibrationFilter, "analyser.cal");
        !path.empty())
      Save(files::WithDefaultExtension(path, ".cal"));
  }));
  buttons->addStretch();
  button("Close", [this] { accept(); });
  auto* progress = new QHBoxLayout;
  barMeasure = new QProgressBar(this);
  barMeasure->setObjectName(QStringLiteral("barMeasure"));
  cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
  cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
  cmdCancel->setAutoDefault(false);
  connect(cmdCancel, &QPushButton::clicked, this, [this] { m_cancel = true; });
  // Their row keeps its place while hidden: the dialog does not jump.
  for (QWidget* w : {static_cast<QWidget*>(barMeasure), static_cast<QWidget*>(cmdCancel)}) {
    QSizePolicy policy = w->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    w->setSizePolicy(policy);
  }
  progress->addWidget(barMeasure);
  progress->addWidget(cmdCancel);
  m_progressTimer = new QTimer(this);
  m_progressTimer->setInterval(100);
  connect(m_progressTimer, &QTimer::timeout, this, [this] {
    barMeasure->setRange(0, std::max(m_total.load(), 1));
    barMeasure->setValue(m_done.load());
  });
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(range);
  layout->addLayout(grid);
  layout->addWidget(lblMissing);
  layout->addLayout(progress);
  layout->addLayout(buttons);
  SetBusy(false);
  ShowState();
}

CalibrationDialog::~CalibrationDialog() {
  m_cancel = true;
  if (m_worker.joinable()) m_worker.join();
}

// The range as typed, while no standard fixes it: false after a message.
bool CalibrationDialog::TakeRange() {
  if (!m_file.calibration.frequency.empty()) return true;
  const auto start = notation::PlainNumber(txtStart->text().toStdString());
  const auto stop = notation::PlainNumber(txtStop->text().toStdString());
  const auto points = notation::PlainNumber(txtPoints->text().toStdString());
  const instruments::SweepRequest request{start.value_or(NAN) * 1e6, stop.value_or(NAN) * 1e6,
                                          static_cast<int>(points.value_or(0))};
  std::string problem = instruments::SweepRequestProblem(request);
  if (problem.empty() && (!points || *points != std::floor(*points)))
    problem = "the points must be a whole number";
  if (!problem.empty()) {
    m_form.DialogsUsed().Message("Cannot calibrate this range: " + problem);
    return false;
  }
  m_file.startHz = request.startHz, m_file.stopHz = request.stopHz, m_file.points = request.points;
  return true;
}

bool CalibrationDialog::Measure(model::Standard standard) {
  if (m_busy || !TakeRange()) return false;
  if (m_worker.joinable()) m_worker.join();
  m_cancel = false;
  m_done = 0;
  m_total = m_file.points;
  SetBusy(true);
  instruments::Timeouts timeouts;
  timeouts.cancel = &m_cancel;
  m_worker = std::thread([this, standard, timeouts, port = m_port, file = m_file]() mutable {
    Outcome outcome{std::move(file), {}, {}};
    const auto progress = [this](int done, int total) {
      m_done = done;
      m_total = total;
      return !m_cancel.load();
    };
    outcome.why = instruments::MeasureStandard(port, outcome.file, standard, outcome.warning,
                                               progress, timeouts);
    {
      std::lock_guard lock(m_outcomeMutex);
      m_outcome = std::move(outcome);
    }
    QMetaObject::invokeMethod(
        this, [this] { Finished(); }, Qt::QueuedConnection);
  });
  return true;
}

void CalibrationDialog::Finished() {
  if (m_worker.joinable()) m_worker.join();
  std::optional<Outcome> outcome;
  {
    std::lock_guard lock(m_outcomeMutex);
    outcome = std::exchange(m_outcome, std::nullopt);
  }
  SetBusy(false);
  if (!outcome || m_cancel.load()) return;
  if (!outcome->warning.empty()) m_form.DialogsUsed().Message(outcome->warning);
  if (!outcome->why.empty()) {
    m_form.DialogsUsed().Message(outcome->why);
    return;
  }
  m_file = std::move(outcome->file);
  ShowState();
}

void CalibrationDialog::SetBusy(bool busy) {
  m_busy = busy;
  barMeasure->setVisible(busy);
  cmdCancel->setVisible(busy);
  barMeasure->setValue(0);
  if (busy)
    m_progressTimer->start();
  else
    m_progressTimer->stop();
  for (QPushButton* b : cmdMeasure) b->setEnabled(!busy);
  for (QPushButton* b : m_fileButtons) b->setEnabled(!busy);
  const bool fixed = !m_file.calibration.frequency.empty();
  for (QLineEdit* edit : {txtStart, txtStop, txtPoints}) edit->setEnabled(!busy && !fixed);
}

bool CalibrationDialog::Save(const std::string& path) {
  std::string why;
  if (!files::WriteCalibrationFile(path, m_file, why)) {
    m_form.DialogsUsed().WriteFailed({"", path, why});
    return false;
  }
  m_path = path;
  return true;
}

bool CalibrationDialog::Load(const std::string& path) {
  files::CalibrationRead read = files::ReadCalibrationFile(path);
  if (!read.file) {
    m_form.DialogsUsed().Message(read.error);
    return false;
  }
  m_file = std::move(*read.file);
  m_path = path;
  ShowState();
  return true;
}

bool CalibrationDialog::LoadKit(const std::string& path) {
  const files::KitRead read = files::ReadKitFile(path);
  if (!read.kit) {
    m_form.DialogsUsed().Message(read.error);
    return false;
  }
  m_file.calibration.kit = *read.kit;
  return true;
}

void CalibrationDialog::ShowState() {
  const bool fixed = !m_file.calibration.frequency.empty();
  if (fixed) {
    txtStart->setText(Mhz(m_file.startHz));
    txtStop->setText(Mhz(m_file.stopHz));
    txtPoints->setText(QString::number(m_file.points));
  }
  for (QLineEdit* edit : {txtStart, txtStop, txtPoints}) edit->setEnabled(!fixed);
  for (int i = 0; i < model::kStandardCount; ++i) {
    const auto& raw = m_file.calibration.raw[i];
    lblTick[i]->setText(raw ? QStringLiteral("\u2714") : QString());
    std::vector<double> db;
    if (raw)
      for (const auto& v : i < 3 ? raw->s11 : raw->s21)
        db.push_back(20.0 * std::log10(std::max(std::abs(v), 1e-9)));
    curve[i]->Show(std::move(db));
  }
  lblMissing->setText(QString::fromStdString(files::StillMissingText(m_file.calibration)));
}

}  // namespace diruruzevuv::screens
