// Takes a design file's text through everything the program does with a
// design once it is read: the sweep, the LTspice text, a short Monte Carlo
// run and the report page, recorded in memory instead of printed. Every
// number that comes out, and every number written as text, must be finite.
#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "files/design_file.h"
#include "files/global_defaults_file.h"
#include "files/spice_export.h"
#include "model/circuit/adjustment.h"
#include "model/circuit/evaluation.h"
#include "model/circuit/monte_carlo.h"
#include "model/session.h"
#include "platform/recording_canvas.h"
#include "report/report.h"

namespace {

using namespace diruruzevuv;

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckFinite(double value) {
  Check(std::isfinite(value));
}

// "nan" or "inf" (any case) starting a word, as printf and to_chars write them.
void CheckText(std::string_view text) {
  for (std::size_t i = 0; i + 3 <= text.size(); ++i) {
    if (i > 0 && std::isalpha(static_cast<unsigned char>(text[i - 1]))) continue;
    std::string word(text.substr(i, 3));
    for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    Check(word != "nan" && word != "inf");
  }
}

void CheckSweep(const model::Evaluation& evaluation) {
  const model::SweepResult& r = evaluation.sweep;
  if (!r.valid) return;
  for (int i = 0; i <= r.intervals; ++i) {
    CheckFinite(r.frequency[i]);
    CheckFinite(r.gain[i]);
    CheckFinite(r.reflection[i]);
  }
}

void CheckLabels(const model::WorstCaseLabels& labels) {
  CheckText(labels.worst);
  CheckText(labels.worstSecond);
  CheckText(labels.worstThird);
}

// The design screen's Monte Carlo run cut short: Stop pressed after the
// third trial, then the end of the run with the nominal values back.
class ShortRun final : public model::MonteCarloView {
 public:
  explicit ShortRun(model::Session& session) : m_session(session) {}
  void ShowNominal() override {
    model::WriteValueBoxes(m_boxes, m_session.design);
    Plot(model::Evaluate(m_session.design, m_session.defaults, nullptr, model::kDefaultFloorDb,
                         m_session.analysis));
  }
  void Plot(const model::Evaluation& evaluation) override {
    CheckSweep(evaluation);
    m_valid = evaluation.sweep.valid;
    model::ApplyWorstHarmonics(evaluation, m_session.plot, m_labels);
  }
  void ShowWorst(const std::string& text) override { m_labels.worst = text; }
  bool TrialDone() override {
    if (++m_trials == 3) model::StopMonteCarlo(m_session);
    return true;
  }
  const model::WorstCaseLabels& Labels() const { return m_labels; }
  bool LastValid() const { return m_valid; }

 private:
  model::Session& m_session;
  model::ValueBoxes m_boxes;
  model::WorstCaseLabels m_labels;
  int m_trials = 0;
  bool m_valid = false;
};

void ShortMonteCarlo(model::Session& session) {
  ShortRun run(session);
  model::RunMonteCarlo(session, run);
  CheckLabels(run.Labels());
  if (run.LastValid()) CheckFinite(session.monte.worstPassbandGain);
}

void CheckPage(const platform::RecordingCanvas& page) {
  for (const auto& op : page.Ops()) {
    for (double v : {op.a.x, op.a.y, op.b.x, op.b.y, op.radius, op.start, op.end, op.value,
                     op.lineWidth, op.fontSize})
      CheckFinite(v);
    CheckText(op.text);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  model::SilentNotifier silent;
  model::Session session;
  // The program's start without a global defaults file: built-in Q values,
  // terminations and plot settings.
  files::ReadGlobalDefaultsText("", session.design, session.defaults, silent);
  model::ApplyDefaultDesign(session.design);
  files::ReadDesignText(text, session.design, silent);

  // What the design screen's redisplay leaves behind.
  model::ValueBoxes boxes;
  model::WriteValueBoxes(boxes, session.design);
  const model::Evaluation shown = model::Evaluate(session.design, session.defaults);
  CheckSweep(shown);
  CheckFinite(shown.edges.lower);
  CheckFinite(shown.edges.upper);

  if (const auto spice = files::SpiceSchematicText(session.design)) CheckText(*spice);

  platform::RecordingCanvas page;
  report::ReportOptions options;
  options.date = "2026-01-01";
  report::DrawReport(page, session, shown, options);
  CheckPage(page);

  ShortMonteCarlo(session);
  return 0;
}
