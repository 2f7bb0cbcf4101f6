#include "screens/build_sheet_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <charconv>
#include <cmath>

#include "files/core_catalogue.h"
#include "files/design_file.h"
#include "files/rules_file.h"
#include "model/measurement/fit.h"
#include "notation/notation.h"
#include "report/report.h"
#include "report/report_printer.h"
#include "screens/frm_design.h"

namespace diruruzevuv::screens {
namespace {

std::string NumberText(double value) {
  return notation::ShortestFloatText(static_cast<float>(value));
}

// Page layout of the printed sheet, in page units.
constexpr double kPageLeft = 600.0;
constexpr double kPageTop = 500.0;
constexpr double kColumnWidth = 90.0;  // per character column at 9 points
constexpr double kLineHeight = 215.0;

// The design as it stands: the file it was last read from or written to,
// and ", changed" once the values on the screen are no longer that file's.
std::string StandingName(const model::Session& session) {
  const model::FiledDesign& filed = session.filed;
  if (filed.name.empty()) return {};
  const auto values = [](const model::DesignState& design) {
    return files::DesignText(design, files::FileKind::kDesign, {}, {});
  };
  return filed.name + (values(session.design) == values(filed.design) ? "" : ", changed");
}

}  // namespace

void StoreChoices(const model::BuildSheetChoices& c, files::ProgramSettings& settings) {
  settings.Set("buildsheet.core", c.core);
  settings.Set("buildsheet.wire.L2", c.wire[0]);
  settings.Set("buildsheet.wire.L1", c.wire[1]);
  settings.Set("buildsheet.lead", NumberText(c.leadMm));
  settings.Set("buildsheet.series", model::SeriesName(c.series));
  settings.Set("buildsheet.power", NumberText(c.stress.watts));
  settings.Set("buildsheet.swr", NumberText(c.stress.swr));
  settings.Set("buildsheet.rating", NumberText(c.stress.ratingVolts));
  settings.Set("buildsheet.margin", NumberText(c.stress.margin));
}

model::BuildSheetChoices LoadChoices(const files::ProgramSettings& settings) {
  // A value that does not read keeps its default.
  model::BuildSheetChoices c;
  c.core = settings.Get("buildsheet.core");
  for (int i = 0; i < 2; ++i) {
    const std::string wire = settings.Get(i == 0 ? "buildsheet.wire.L2" : "buildsheet.wire.L1");
    if (model::ParseWire(wire)) c.wire[i] = wire;
  }
  const auto number = [&](const char* key, double& value, model::ChoiceRange range) {
    if (const auto v = notation::PlainNumber(settings.Get(key)); v && range.Holds(*v)) value = *v;
  };
  number("buildsheet.lead", c.leadMm, model::kLeadRangeMm);
  number("buildsheet.power", c.stress.watts, model::kPowerRangeWatts);
  number("buildsheet.swr", c.stress.swr, model::kSwrRange);
  number("buildsheet.rating", c.stress.ratingVolts, model::kRatingRangeVolts);
  number("buildsheet.margin", c.stress.margin, model::kMarginRange);
  if (const auto series = model::ParseSeries(settings.Get("buildsheet.series"))) c.series = *series;
  return c;
}

platform::RecordingCanvas BuildSheetPage(const std::vector<std::string>& lines) {
  platform::RecordingCanvas page;
  page.SetFontSize(12.0);
  page.SetTextPosition({kPageLeft, kPageTop});
  page.Text("DIRUruzevuv build sheet");
  const double room = 10000.0 - kPageTop - 3.0 * kLineHeight;
  const double rows = static_cast<double>(std::max<std::size_t>(lines.size(), 1));
  const double scale = std::min(1.0, room / (rows * kLineHeight));
  page.SetFontSize(9.0 * scale);
  double y = kPageTop + 2.0 * kLineHeight;
  for (const std::string& line : lines) {
    // Each run of text starts at its character column, so that the
    // columns line up in any font.
    std::size_t pos = 0;
    while (pos < line.size()) {
      pos = line.find_first_not_of(' ', pos);
      if (pos == std::string::npos) break;
      std::size_t end = line.find("  ", pos);
      if (end == std::string::npos) end = line.size();
      page.SetTextPosition({kPageLeft + kColumnWidth * scale * static_cast<double>(pos), y});
      page.Text(line.substr(pos, end - pos));
      pos = end;
    }
    y += kLineHeight * scale;
  }
  return page;
}

BuildSheetWindow::BuildSheetWindow(frmDesign& form) : QDialog(&form), m_form(form) {
  setWindowTitle(QStringLiteral("Build sheet"));
  setObjectName(QStringLiteral("BuildSheetWindow"));
  model::Session& session = m_form.SessionState();
  m_catalogue = files::ReadCoreCatalogue(session.locations);
  m_settings = files::ReadSettingsFile(session.locations.workDir / files::kSettingsFileName);
  m_choices = LoadChoices(m_settings);
  std::string unreadable;
  m_rules = files::ReadRules(session.locations, unreadable);
  m_rule = model::RuleNamed(m_rules, m_settings.Get("harmonics.rule"));
  m_pa = model::ParsePaLevels(m_settings.Get("harmonics.pa")).value_or(m_pa);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(MakeChoiceBoxes());
  sheetText = new QPlainTextEdit;
  sheetText->setObjectName(QStringLiteral("sheetText"));
  sheetText->setReadOnly(true);
  sheetText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  sheetText->setLineWrapMode(QPlainTextEdit::NoWrap);
  sheetText->setMinimumSize(900, 560);
  layout->addWidget(sheetText, 1);
  lblSearch = new QLabel;
  layout->addWidget(lblSearch);
  layout->addLayout(MakeButtons());
  ShowChoices();

  m_loading = false;
  Recompute();
  if (!m_catalogue.problems.empty()) {
    std::string text = "Some rows of the core catalogue were skipped:";
    for (const std::string& problem : m_catalogue.problems) text += "\r\n" + problem;
    m_form.DialogsUsed().Message(text);
  }
  if (!unreadable.empty() || !m_rules.problems.empty()) {
    std::string text = unreadable.empty() ? "Some rows of the rules were skipped:" : unreadable;
    for (const std::string& problem : m_rules.problems) text += "\r\n" + problem;
    m_form.DialogsUsed().Message(text);
  }
}

QGridLayout* BuildSheetWindow::MakeChoiceBoxes() {
  auto* grid = new QGridLayout;
  const auto field = [&](int row, int column, const char* label, QWidget* widget,
                         const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    grid->addWidget(new QLabel(QString::fromLatin1(label)), row, column * 2);
    grid->addWidget(widget, row, column * 2 + 1);
  };
  cboCore = new QComboBox;
  for (const model::Core& core : m_catalogue.cores)
    cboCore->addItem(QString::fromStdString(core.name + "  (AL " + NumberText(core.alNh) + ")"));
  txtWireL2 = new QLineEdit;
  txtWireL1 = new QLineEdit;
  txtLead = new QLineEdit;
  cboSeries = new QComboBox;
  cboSeries->addItems({QStringLiteral("E6"), QStringLiteral("E12"), QStringLiteral("E24")});
  txtPower = new QLineEdit;
  txtSwr = new QLineEdit;
  txtRating = new QLineEdit;
  txtMargin = new QLineEdit;
  field(0, 0, "Core:", cboCore, "cboCore");
  field(0, 1, "L2 wire (AWG or mm):", txtWireL2, "txtWireL2");
  field(0, 2, "L1 wire (AWG or mm):", txtWireL1, "txtWireL1");
  field(0, 3, "Leads (mm each):", txtLead, "txtLead");
  field(1, 0, "Capacitor series:", cboSeries, "cboSeries");
  field(1, 1, "Power (W):", txtPower, "txtPower");
  field(1, 2, "SWR at any phase:", txtSwr, "txtSwr");
  field(1, 3, "Capacitor rating (V):", txtRating, "txtRating");
  field(2, 3, "Safety margin:", txtMargin, "txtMargin");
  cboRule = new QComboBox;
  for (const model::RuleRow& row : m_rules.rows)
    if (cboRule->findText(QString::fromStdString(row.name)) < 0)
      cboRule->addItem(QString::fromStdString(row.name));
  txtPa = new QLineEdit;
  txtPa->setPlaceholderText(QStringLiteral("2=-30,3=-15"));
  field(3, 0, "Harmonics rule:", cboRule, "cboRule");
  field(3, 1, "PA levels (dBc):", txtPa, "txtPa");
  connect(cboRule, &QComboBox::activated, this, [this](int index) {
    m_rule = cboRule->itemText(index).toStdString();
    ChoicesChanged();
  });
  connect(txtPa, &QLineEdit::editingFinished, this, [this] { ChoicesChanged(); });
  // Quiet while m_loading: showing the saved choices changes nothing.
  connect(cboCore, &QComboBox::currentIndexChanged, this, &BuildSheetWindow::CoreChosen);
  connect(cboSeries, &QComboBox::currentIndexChanged, this, [this] { ChoicesChanged(); });
  for (QLineEdit* box : {txtWireL2, txtWireL1, txtLead, txtPower, txtSwr, txtRating, txtMargin})
    connect(box, &QLineEdit::editingFinished, this, [this] { ChoicesChanged(); });
  return grid;
}

QHBoxLayout* BuildSheetWindow::MakeButtons() {
  const auto button = [this](const char* text, const char* name, bool enabled, auto clicked) {
    auto* b = new QPushButton(QString::fromLatin1(text));
    b->setObjectName(QString::fromLatin1(name));
    b->setEnabled(enabled);
    connect(b, &QPushButton::clicked, this, clicked);
    return b;
  };
  cmdUseTurns = button("Use offered turns", "cmdUseTurns", false, [this] { UseOfferedTurns(); });
  cmdSearch = button("Search buildable design", "cmdSearch", true, [this] { StartSearch(); });
  cmdStop = button("Stop", "cmdStop", false, [this] { StopSearch(); });
  searchProgress = new QProgressBar;
  searchProgress->setRange(0, 1000);
  searchProgress->setValue(0);
  cmdAcceptProposal =
      button("Accept proposal", "cmdAcceptProposal", false, [this] { AcceptProposal(); });
  cmdPrint = button("Print...", "cmdPrint", true, [this] { Print(); });
  auto* cmdClose = button("Close", "cmdClose", true, [this] { reject(); });
  m_poll = new QTimer(this);
  m_poll->setInterval(50);
  connect(m_poll, &QTimer::timeout, this, [this] { SearchTick(); });

  auto* buttons = new QHBoxLayout;
  for (QWidget* w : std::initializer_list<QWidget*>{cmdUseTurns, cmdSearch, cmdStop, searchProgress,
                                                    cmdAcceptProposal, cmdPrint, cmdClose})
    buttons->addWidget(w);
  return buttons;
}

void BuildSheetWindow::ShowChoices() {
  // The core shown first is the saved one when the design's AL is within
  // its tolerance, otherwise the one nearest the design's AL; showing it
  // changes nothing.
  const model::DesignState& design = m_form.SessionState().design;
  const model::Core* shown = m_catalogue.Find(m_choices.core);
  if (!shown || model::CheckCore(*shown, design).alOffCore)
    shown = m_catalogue.NearestByAl(design.ToroidAL);
  if (shown) {
    cboCore->setCurrentIndex(static_cast<int>(shown - m_catalogue.cores.data()));
    m_choices.core = shown->name;
  }
  txtWireL2->setText(QString::fromStdString(m_choices.wire[0]));
  txtWireL1->setText(QString::fromStdString(m_choices.wire[1]));
  txtLead->setText(QString::fromStdString(NumberText(m_choices.leadMm)));
  cboSeries->setCurrentIndex(static_cast<int>(m_choices.series));
  txtPower->setText(QString::fromStdString(NumberText(m_choices.stress.watts)));
  txtSwr->setText(QString::fromStdString(NumberText(m_choices.stress.swr)));
  txtRating->setText(QString::fromStdString(NumberText(m_choices.stress.ratingVolts)));
  txtMargin->setText(QString::fromStdString(NumberText(m_choices.stress.margin)));
  txtPa->setText(QString::fromStdString(model::PaLevelsText(m_pa)));
}

BuildSheetWindow::~BuildSheetWindow() {
  StopSearch();
}

void BuildSheetWindow::closeEvent(QCloseEvent* event) {
  StopSearch();
  QDialog::closeEvent(event);
}

void BuildSheetWindow::ChoicesChanged() {
  if (m_loading) return;
  model::BuildSheetChoices c = m_choices;
  const auto wire = [](QLineEdit* box, std::string& value) {
    const std::string text = box->text().trimmed().toStdString();
    if (model::ParseWire(text)) value = text;
    box->setText(QString::fromStdString(value));  // a wire that does not read is put back
  };
  wire(txtWireL2, c.wire[0]);
  wire(txtWireL1, c.wire[1]);
  // A number out of its range is put back, like one that does not read.
  const auto number = [](QLineEdit* box, double& value, model::ChoiceRange range) {
    const auto v = notation::PlainNumber(box->text().trimmed().toStdString());
    if (v && range.Holds(*v)) value = *v;
    box->setText(QString::fromStdString(NumberText(value)));
  };
  number(txtLead, c.leadMm, model::kLeadRangeMm);
  number(txtPower, c.stress.watts, model::kPowerRangeWatts);
  number(txtSwr, c.stress.swr, model::kSwrRange);
  number(txtRating, c.stress.ratingVolts, model::kRatingRangeVolts);
  number(txtMargin, c.stress.margin, model::kMarginRange);
  c.series = static_cast<model::ESeries>(std::max(0, cboSeries->currentIndex()));
  const int index = cboCore->currentIndex();
  if (index >= 0 && index < static_cast<int>(m_catalogue.cores.size()))
    c.core = m_catalogue.cores[index].name;
  m_choices = c;
  m_pa = model::ParsePaLevels(txtPa->text().trimmed().toStdString()).value_or(m_pa);
  txtPa->setText(QString::fromStdString(model::PaLevelsText(m_pa)));
  // Written only when a choice really changed, and only the window's own
  // keys: another copy's written meanwhile stay. The harmonics' keys only
  // once the user has made those choices.
  files::ProgramSettings updated = m_settings, mine;
  for (files::ProgramSettings* settings : {&updated, &mine}) {
    StoreChoices(m_choices, *settings);
    if (!m_rule.empty()) settings->Set("harmonics.rule", m_rule);
    if (!m_pa.empty() || !m_settings.Get("harmonics.pa").empty())
      settings->Set("harmonics.pa", model::PaLevelsText(m_pa));
  }
  if (updated.values != m_settings.values) {
    std::string why;
    model::Session& session = m_form.SessionState();
    const auto path = session.locations.workDir / files::kSettingsFileName;
    if (files::UpdateSettingsFile(path, mine, &why))
      m_settings = updated;
    else
      m_form.DialogsUsed().WriteFailed({"The settings file was not written.", path.string(), why});
  }
  Recompute();
}

void BuildSheetWindow::CoreChosen(int index) {
  if (m_loading || index < 0 || index >= static_cast<int>(m_catalogue.cores.size())) return;
  model::Session& session = m_form.SessionState();
  m_offer = model::ChooseCore(session.design, m_catalogue.cores[index]);
  m_form.Redisplay();
  const bool differs =
      m_offer->turnsL1 != session.design.TurnsL1 || m_offer->turnsL2 != session.design.TurnsL2;
  cmdUseTurns->setEnabled(differs);
  cmdUseTurns->setText(QString::fromStdString("Use offered turns (L2 " +
                                              std::to_string(m_offer->turnsL2) + ", L1 " +
                                              std::to_string(m_offer->turnsL1) + ")"));
  m_proposal.reset();
  cmdAcceptProposal->setEnabled(false);
  ChoicesChanged();
}

void BuildSheetWindow::UseOfferedTurns() {
  if (!m_offer) return;
  model::SetTurns(m_form.SessionState().design, m_offer->turnsL1, m_offer->turnsL2);
  m_form.Redisplay();
  cmdUseTurns->setEnabled(false);
  m_proposal.reset();
  cmdAcceptProposal->setEnabled(false);
  Recompute();
}

void BuildSheetWindow::Recompute() {
  const model::Session& session = m_form.SessionState();
  model::DesignState named = session.design;  // the sheet's heading names its design by this
  named.CurrentFile = StandingName(session);
  m_sheet =
      model::MakeBuildSheet(named, session.defaults, m_catalogue.Find(m_choices.core), m_choices);
  QString text;
  for (const std::string& line : SheetLines())
    text += QString::fromStdString(line) + QLatin1Char('\n');
  sheetText->setPlainText(text);
  cboRule->setCurrentIndex(cboRule->findText(QString::fromStdString(ShownRule())));
  // What a search was waited for comes into view, not below it.
  if (m_proposal)
    sheetText->verticalScrollBar()->setValue(
        static_cast<int>(model::BuildSheetLines(m_sheet).size()));
}

std::string BuildSheetWindow::ShownRule() const {
  const model::DesignState& design = m_form.SessionState().design;
  if (!m_rule.empty()) return m_rule;
  return model::FirstRuleFor(m_rules, design.LowerEdge, design.UpperEdge, m_choices.stress.watts);
}

std::vector<std::string> BuildSheetWindow::SheetLines() const {
  std::vector<std::string> lines = model::BuildSheetLines(m_sheet);
  if (m_proposal)
    for (const std::string& line : model::ProposalLines(*m_proposal, m_sheet.design))
      lines.push_back(line);
  const model::DesignState& design = m_sheet.design;
  const model::HarmonicsChoices choices{
      .rule = ShownRule(), .watts = m_choices.stress.watts, .paDbc = m_pa};
  std::vector<model::HarmonicsFilter> filters = {
      {"design", model::DesignTransmission(design)},
      {"soldered", model::DesignTransmission(m_sheet.built)}};
  const auto& measured = m_form.SessionState().measurement;
  if (measured)
    filters.push_back(
        {"measured", model::MeasuredTransmission(measured->network, model::kDefaultFloorDb)});
  std::string problem = "no rule covers the band";
  const model::HarmonicsReport report =
      choices.rule.empty() ? model::HarmonicsReport{}
                           : model::JudgeHarmonics(design, filters, m_rules, choices, problem);
  lines.push_back("");
  if (!problem.empty()) {
    lines.push_back("Harmonics and the rules: " + problem);
    return lines;
  }
  for (const std::string& line : model::HarmonicsLines(report)) lines.push_back(line);
  return lines;
}

void BuildSheetWindow::StartSearch() {
  if (Searching()) return;
  const model::Session& session = m_form.SessionState();
  m_stop = false;
  m_done = false;
  m_progress = 0.0;
  m_proposal.reset();
  cmdAcceptProposal->setEnabled(false);
  cmdSearch->setEnabled(false);
  cmdStop->setEnabled(true);
  lblSearch->setText(QStringLiteral("Searching..."));
  // The worker has its own copies; nothing of the session is touched off
  // the GUI thread.
  m_worker = std::thread(
      [this, design = session.design, defaults = session.defaults, choices = m_choices] {
        m_result = model::SearchBuildable(design, defaults, choices.series, choices.stress,
                                          [this](double done) {
                                            m_progress = done;
                                            return !m_stop.load();
                                          });
        m_done = true;
      });
  m_poll->start();
}

void BuildSheetWindow::StopSearch() {
  m_stop = true;
  if (m_worker.joinable()) m_worker.join();
  if (m_poll) m_poll->stop();
  m_done = false;
  if (cmdSearch) cmdSearch->setEnabled(true);
  if (cmdStop) cmdStop->setEnabled(false);
}

void BuildSheetWindow::SearchTick() {
  searchProgress->setValue(static_cast<int>(1000.0 * m_progress.load()));
  if (!m_done) return;
  m_worker.join();
  m_poll->stop();
  m_done = false;
  cmdSearch->setEnabled(true);
  cmdStop->setEnabled(false);
  searchProgress->setValue(1000);
  m_proposal = m_result;
  const bool better =
      m_result.proposalFigures.SmallestMarginDb() > m_result.designFigures.SmallestMarginDb();
  lblSearch->setText(QString::fromStdString(
      m_result.complete
          ? (better ? "The proposal is below; the design changes only if you accept it."
                    : "No combination does better than the design.")
          : "Stopped: the best found so far is below."));
  cmdAcceptProposal->setEnabled(true);
  Recompute();
}

void BuildSheetWindow::AcceptProposal() {
  if (!m_proposal) return;
  model::ApplyProposal(*m_proposal, m_form.SessionState().design);
  m_form.Redisplay();
  m_proposal.reset();
  cmdAcceptProposal->setEnabled(false);
  lblSearch->setText(QStringLiteral("Proposal taken into the design."));
  Recompute();
}

void BuildSheetWindow::Print() {
  // A printer of its own: the report's keeps offering the report's file.
  if (!m_printer) m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  QPrinter& printer = *m_printer;
  const model::Session& session = m_form.SessionState();
  const std::string stem = std::filesystem::path(session.filed.name).stem().string();
  report::OfferPrintFile(
      printer, m_form.DialogsUsed(), session.locations.workDir,
      QString::fromStdString(stem + (stem.empty() ? "" : "-") + "buildsheet.pdf"));
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() != QDialog::Accepted) return;
  printer.setOutputFileName(report::WithPdfExtension(printer));
  if (printer.outputFormat() == QPrinter::PdfFormat)
    m_form.DialogsUsed().RememberFolderOf(printer.outputFileName().toStdString());
  try {
    report::RenderPageOnPrinter(BuildSheetPage(SheetLines()), printer);
  } catch (const report::PrinterError& error) {
    m_form.DialogsUsed().MessageWithTitle(error.what(), "Printer Error");
  }
}

}  // namespace diruruzevuv::screens
