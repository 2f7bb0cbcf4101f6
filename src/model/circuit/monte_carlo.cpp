#include "model/circuit/monte_carlo.h"

#include <cmath>

#include "model/circuit/ladder.h"
#include "model/circuit/random.h"
#include "notation/notation.h"

namespace diruruzevuv::model {
namespace {

// The perturbed values in the order the trial draws them: the capacitors,
// then the toroids' AL.
std::array<float*, kPerturbedValueCount> PerturbedValues(DesignState& design) noexcept {
  std::array<float*, kPerturbedValueCount> values{};
  for (std::size_t i = 0; i < kLadderCapacitors.size(); ++i)
    values[i] = &DesignValue(design, kLadderCapacitors[i]);
  values.back() = &design.ToroidAL;
  return values;
}

constexpr float kWorstHarmonicStart = 100.0f;

}  // namespace

std::string WorstPassbandText(float worstGainDb) {
  return "Worst-case passband loss: " + notation::FormatValue(std::fabs(worstGainDb)) + "dB";
}

std::string WorstSecondText(float attenuationDb) {
  return "Worst-case 2nd harm. atten: " + notation::FormatValue(attenuationDb) + "dB";
}

std::string WorstThirdText(float attenuationDb) {
  return "Worst-case 3ed harm. atten: " + notation::FormatValue(attenuationDb) + "dB";
}

void NextTrialColor(Session& session) noexcept {
  auto& counter = session.monte.trialColorCounter;
  counter = static_cast<std::int16_t>(counter >= 9 || counter < 0 ? 1 : counter + 1);
  session.DrawColor = kTrialColors[static_cast<std::size_t>(counter - 1)];
}

bool StartMonteCarlo(Session& session) noexcept {
  MonteCarloState& monte = session.monte;
  if (monte.running) return false;
  monte.running = true;
  const auto values = PerturbedValues(session.design);
  for (std::size_t i = 0; i < values.size(); ++i) monte.nominal[i] = *values[i];
  monte.stopFlag = false;
  monte.trialCount = 0;
  monte.worstPassbandGain = 0.0f;
  session.DrawColor = kBlue;
  session.plot.worstSecond = kWorstHarmonicStart;
  session.plot.worstThird = kWorstHarmonicStart;
  return true;
}

bool MonteCarloContinues(const MonteCarloState& monte) noexcept {
  return !monte.stopFlag && monte.trialCount <= kLastTrialCount;
}

Evaluation BeginTrial(Session& session) {
  MonteCarloState& monte = session.monte;
  ++monte.trialCount;
  const auto values = PerturbedValues(session.design);
  for (std::size_t i = 0; i < values.size(); ++i) {
    const double r = NextUniform(monte.randomState);
    *values[i] =
        static_cast<float>(static_cast<double>(monte.nominal[i]) * ((r - 0.5) * 0.05 + 1.0));
  }
  UpdateInductances(session.design);
  NextTrialColor(session);
  return Evaluate(session.design, session.defaults, nullptr, kDefaultFloorDb, session.analysis);
}

std::optional<std::string> FinishTrial(Session& session, const Evaluation& trial) {
  if (!trial.drawable) return std::nullopt;
  const float gain = static_cast<float>(trial.edges.upper);
  MonteCarloState& monte = session.monte;
  if (!(gain < monte.worstPassbandGain)) return std::nullopt;
  monte.worstPassbandGain = gain;
  return WorstPassbandText(gain);
}

void RestoreNominal(Session& session) noexcept {
  const auto values = PerturbedValues(session.design);
  for (std::size_t i = 0; i < values.size(); ++i) *values[i] = session.monte.nominal[i];
  UpdateInductances(session.design);
}

void StopMonteCarlo(Session& session) noexcept {
  session.DrawColor = kBlue;
  session.monte.stopFlag = true;
  RestoreNominal(session);
}

Evaluation BeginEndOfRun(Session& session) {
  RestoreNominal(session);
  session.DrawColor = kYellow;
  return Evaluate(session.design, session.defaults, nullptr, kDefaultFloorDb, session.analysis);
}

void FinishEndOfRun(Session& session) noexcept {
  session.DrawColor = kBlue;
  session.monte.stopFlag = true;
  session.monte.running = false;
}

bool RunMonteCarlo(Session& session, MonteCarloView& view) {
  if (!StartMonteCarlo(session)) return false;
  view.ShowNominal();
  while (MonteCarloContinues(session.monte)) {
    const Evaluation trial = BeginTrial(session);
    view.Plot(trial);
    if (const auto text = FinishTrial(session, trial)) view.ShowWorst(*text);
    if (!view.TrialDone()) return false;
  }
  view.Ending();
  view.Plot(BeginEndOfRun(session));
  view.Ended();
  FinishEndOfRun(session);
  return true;
}

void ApplyWorstHarmonics(const Evaluation& evaluation, PlotState& plot, WorstCaseLabels& labels) {
  const WorstHarmonicUpdate update = TakeWorstHarmonics(evaluation, plot);
  if (update.secondChanged) labels.worstSecond = WorstSecondText(plot.worstSecond);
  if (update.thirdChanged) labels.worstThird = WorstThirdText(plot.worstThird);
}

namespace {

class DrawingFreeView final : public MonteCarloView {
 public:
  DrawingFreeView(Session& session, ValueBoxes& boxes, WorstCaseLabels& labels)
      : m_session(session), m_boxes(boxes), m_labels(labels) {}

  void ShowNominal() override {
    WriteValueBoxes(m_boxes, m_session.design);
    Plot(Evaluate(m_session.design, m_session.defaults, nullptr, kDefaultFloorDb,
                  m_session.analysis));
  }
  void Plot(const Evaluation& evaluation) override {
    ApplyWorstHarmonics(evaluation, m_session.plot, m_labels);
  }
  void ShowWorst(const std::string& text) override { m_labels.worst = text; }

 private:
  Session& m_session;
  ValueBoxes& m_boxes;
  WorstCaseLabels& m_labels;
};

}  // namespace

void RunMonteCarloWithoutDrawing(Session& session, ValueBoxes& boxes, WorstCaseLabels& labels) {
  DrawingFreeView view(session, boxes, labels);
  RunMonteCarlo(session, view);
}

}  // namespace diruruzevuv::model
