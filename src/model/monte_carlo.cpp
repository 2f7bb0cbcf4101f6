#include "model/monte_carlo.h"

#include <cmath>

#include "model/random.h"
#include "model/worst_case.h"
#include "notation/notation.h"

namespace diruruzevuv::model {
namespace {

// The five perturbed values, in the order the trial draws them.
std::array<float*, 5> PerturbedValues(DesignState& design) noexcept {
  return {&design.C47, &design.C48, &design.C92, &design.C49, &design.ToroidAL};
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

void BeginTrial(Session& session) noexcept {
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
  session.analysis.RunSweep(session.design);
}

std::optional<std::string> FinishTrial(Session& session) {
  const float gain = static_cast<float>(session.analysis.Result().pointGain);
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

void BeginEndOfRun(Session& session) noexcept {
  RestoreNominal(session);
  session.DrawColor = kYellow;
  session.analysis.RunSweep(session.design);
}

void FinishEndOfRun(Session& session) noexcept {
  session.DrawColor = kBlue;
  session.monte.stopFlag = true;
  session.monte.running = false;
}

void PlotWithoutDrawing(Session& session, WorstCaseLabels& labels) {
  // The plot draws nothing, tracks nothing and evaluates no edge for a
  // sweep it cannot place on its axis.
  const DesignState& design = session.design;
  if (!session.analysis.Result().valid || !(design.SweepStart > 0.0f) ||
      !(design.SweepStop > 0.0f) || !std::isfinite(design.SweepStart) ||
      !std::isfinite(design.SweepStop) || design.SweepStart == design.SweepStop) {
    return;
  }
  const WorstHarmonicUpdate update =
      TrackWorstHarmonics(session.design, session.analysis.Result(), session.plot);
  if (update.secondChanged) labels.worstSecond = WorstSecondText(session.plot.worstSecond);
  if (update.thirdChanged) labels.worstThird = WorstThirdText(session.plot.worstThird);
  EvaluateBandEdges(session.analysis, session.design);
}

void RunMonteCarloWithoutDrawing(Session& session, ValueBoxes& boxes, WorstCaseLabels& labels) {
  if (!StartMonteCarlo(session)) return;
  WriteValueBoxes(boxes, session.design);
  session.analysis.RunSweep(session.design);
  PlotWithoutDrawing(session, labels);
  while (MonteCarloContinues(session.monte)) {
    BeginTrial(session);
    PlotWithoutDrawing(session, labels);
    if (auto text = FinishTrial(session)) labels.worst = std::move(*text);
  }
  BeginEndOfRun(session);
  PlotWithoutDrawing(session, labels);
  FinishEndOfRun(session);
}

}  // namespace diruruzevuv::model
