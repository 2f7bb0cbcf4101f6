#include "screens/part_dialog.h"

#include <QDate>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "files/core_catalogue.h"
#include "files/settings_file.h"
#include "files/touchstone.h"
#include "notation/notation.h"
#include "screens/analyser_control.h"
#include "screens/frm_design.h"
#include "screens/measurement_control.h"

namespace diruruzevuv::screens {
namespace {

constexpr const char* kTitle = "Measure a part";
constexpr const char* kCapacitor = "a capacitor";
constexpr const char* kAnalyser = "the analyser";
constexpr const char* kFile = "a Touchstone file";

std::string ToroidItem(const char* name, int turns) {
  return std::string("toroid ") + name + ", " + std::to_string(turns) + " turns";
}

// The part asked for: a toroid's turns (one of the design's, or typed), or
// a capacitor; false when cancelled or not understood.
bool AskPart(frmDesign& form, model::PartRequest& request) {
  const model::DesignState& design = form.SessionState().design;
  const std::vector<std::string> items = {ToroidItem("L2", design.TurnsL2),
                                          ToroidItem("L1", design.TurnsL1), kCapacitor};
  const std::string part = form.DialogsUsed().ChooseItem(
      kTitle, "The part (or type a toroid's turns):", items, items[0]);
  if (part.empty()) return false;
  if (part == kCapacitor) {
    request.kind = model::PartKind::kCapacitor;
    return true;
  }
  request.turns = part == items[0] ? design.TurnsL2 : part == items[1] ? design.TurnsL1 : 0;
  if (request.turns == 0) {
    const auto typed = notation::PlainNumber(part);
    if (!typed || *typed < 1 || *typed > 1000 || *typed != static_cast<int>(*typed)) {
      form.DialogsUsed().Message("\"" + part + "\" is not a number of turns from 1 to 1000.");
      return false;
    }
    request.turns = static_cast<int>(*typed);
  }
  return true;
}

void ShowPart(frmDesign& form, const model::MeasuredNetwork& network,
              const model::PartRequest& request) {
  const model::PartMeasurement part = model::MeasurePart(network, request);
  if (!part.done) {
    form.DialogsUsed().Message("No measurement of the part: " + part.error);
    return;
  }
  PartDialog dialog(form, part);
  dialog.exec();
}

}  // namespace

PartDialog::PartDialog(frmDesign& form, const model::PartMeasurement& part)
    : QDialog(&form), m_form(form), m_part(part) {
  setWindowTitle(QStringLiteral("DIRUruzevuv - Measured part"));
  setObjectName(QStringLiteral("frmPart"));
  const model::Session& session = form.SessionState();
  m_catalogue = files::ReadCoreCatalogue(session.locations);
  text = new QPlainTextEdit(
      QString::fromStdString(model::PartLines(part) +
                             model::PartCoreLines(part, m_catalogue, &session.design)),
      this);
  text->setObjectName(QStringLiteral("txtPart"));
  text->setReadOnly(true);
  text->setLineWrapMode(QPlainTextEdit::NoWrap);
  text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  const auto button = [this](const char* caption, const char* name, bool enabled) {
    auto* b = new QPushButton(QString::fromLatin1(caption), this);
    b->setObjectName(QString::fromLatin1(name));
    b->setEnabled(enabled);
    return b;
  };
  cmdUseAl = button("Use measured AL", "cmdUseAl", part.alNh > 0.0);
  cmdAddCore = button("Add to my cores", "cmdAddCore", part.alNh > 0.0);
  cmdClose = button("Close", "cmdClose", true);
  cmdClose->setDefault(true);
  connect(cmdUseAl, &QPushButton::clicked, this, [this] { UseMeasuredAl(); });
  connect(cmdAddCore, &QPushButton::clicked, this, [this] { AddToMyCores(); });
  connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (QPushButton* b : {cmdUseAl, cmdAddCore, cmdClose}) buttons->addWidget(b);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text);
  layout->addLayout(buttons);
  const QFontMetrics metrics(text->font());
  resize(metrics.horizontalAdvance(QLatin1Char('M')) * 80, metrics.height() * 14);
}

void PartDialog::UseMeasuredAl() {
  model::DesignState& design = m_form.SessionState().design;
  const model::TurnsOffer offer = model::UseAl(design, m_part.alNh);
  m_form.Redisplay();
  cmdUseAl->setEnabled(false);
  if (offer.turnsL1 == design.TurnsL1 && offer.turnsL2 == design.TurnsL2) return;
  if (m_form.DialogsUsed().Confirm("AL is now " + notation::ShortestFloatText(design.ToroidAL) +
                                   " nH per turn squared. Wind L2 with " +
                                   std::to_string(offer.turnsL2) + " turns and L1 with " +
                                   std::to_string(offer.turnsL1) +
                                   ", the whole turns nearest the design's inductances?")) {
    model::SetTurns(design, offer.turnsL1, offer.turnsL2);
    m_form.Redisplay();
  }
}

bool PartDialog::AddToMyCores() {
  platform::Dialogs& dialogs = m_form.DialogsUsed();
  std::vector<std::string> names;
  for (const model::Core& core : m_catalogue.cores) names.push_back(core.name);
  const model::Core* nearest = m_catalogue.NearestByAl(m_part.alNh);
  const std::string woundOn = dialogs.ChooseItem(
      "Add to my cores",
      "The catalogue core it is wound on (its sizes, tolerance and range):", names,
      nearest != nullptr ? nearest->name : std::string());
  const model::Core* picked = m_catalogue.Find(woundOn);
  if (picked == nullptr) return false;
  const std::string name =
      dialogs.ChooseItem("Add to my cores", "The new core's name:", {}, picked->name + " measured");
  if (name.empty()) return false;
  const model::Core core = model::MeasuredCore(
      m_part, *picked, name, QDate::currentDate().toString(Qt::ISODate).toStdString());
  const auto path = m_form.SessionState().locations.workDir / files::kCoreCatalogueName;
  std::string why;
  if (files::AppendCoreRow(m_form.SessionState().locations.workDir, core, why)) {
    m_catalogue = files::ReadCoreCatalogue(m_form.SessionState().locations);
    return true;
  }
  dialogs.WriteFailed({"The core was not added.", path.string(), why});
  return false;
}

void MeasureAPart(frmDesign& form, AnalyserControl& analyser) {
  model::PartRequest request;
  if (!AskPart(form, request)) return;
  platform::Dialogs& dialogs = form.DialogsUsed();
  const std::vector<std::string> fixtures = {model::FixtureTitle(model::Fixture::kSeries),
                                             model::FixtureTitle(model::Fixture::kShunt),
                                             model::FixtureTitle(model::Fixture::kReflection)};
  const std::string fixture = dialogs.ChooseItem(kTitle, "The fixture:", fixtures, fixtures[0]);
  const auto at = std::find(fixtures.begin(), fixtures.end(), fixture);
  if (at == fixtures.end()) return;
  request.fixture = static_cast<model::Fixture>(at - fixtures.begin());
  // The leads as the build sheet keeps them.
  const auto kept = notation::PlainNumber(
      files::ReadSettingsFile(form.SessionState().locations.workDir / files::kSettingsFileName)
          .Get("buildsheet.lead"));
  request.leadMm = kept && model::kLeadRangeMm.Holds(*kept) ? *kept : model::kDefaultLeadMm;
  model::UseDesignRange(form.SessionState().design, request);
  const std::string source =
      dialogs.ChooseItem(kTitle, "Measure with:", {kAnalyser, kFile}, kAnalyser);
  if (source == kAnalyser) {
    analyser.MeasureFor({request.lowHz, request.highHz}, [&form, request](const auto& network) {
      ShowPart(form, network, request);
    });
  } else if (source == kFile) {
    const std::string path = dialogs.OpenFile(kTitle, kMeasurementFilter, std::string());
    if (path.empty()) return;
    const files::TouchstoneRead read = files::ReadTouchstoneFile(path);
    if (!read.network) {
      dialogs.Message(read.error.Text());
      return;
    }
    ShowPart(form, *read.network, request);
  }
}

}  // namespace diruruzevuv::screens
