#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "model/circuit/adjustment.h"
#include "model/circuit/evaluation.h"
#include "model/plot/rgb.h"
#include "model/session.h"

namespace diruruzevuv::model {

// A run makes trials while the count is at most this: 201 trials in all.
inline constexpr std::int16_t kLastTrialCount = 200;

// Colours of the trial curves, index 1 to 9 of the trial colour counter.
inline constexpr std::array<Rgb, 9> kTrialColors = {{{17, 17, 255},
                                                     {51, 51, 255},
                                                     {85, 85, 255},
                                                     {119, 119, 255},
                                                     {153, 153, 255},
                                                     {187, 187, 255},
                                                     {204, 204, 255},
                                                     {221, 221, 255},
                                                     {17, 17, 119}}};

// Label texts of the worst-case figures.
std::string WorstPassbandText(float worstGainDb);  // "Worst-case passband loss: 0.2345 dB"
std::string WorstSecondText(float attenuationDb);  // "Worst-case 2nd harm. atten: 45.2 dB"
std::string WorstThirdText(float attenuationDb);   // "Worst-case 3ed harm. atten: ..."

// Advances the colour counter (1..9, wrapping) and sets DrawColor.
void NextTrialColor(Session& session) noexcept;

// Beginning of a run: keeps the nominal C47, C48, C92, C49 and AL, clears
// the stop flag and trial count, resets the worst figures (passband 0,
// harmonics 100) and sets DrawColor to blue. Returns false, changing
// nothing, while a run is already under way.
bool StartMonteCarlo(Session& session) noexcept;

// True while another trial is due: not stopped and at most 200 trials made.
bool MonteCarloContinues(const MonteCarloState& monte) noexcept;

// One trial up to its evaluation: counts it, perturbs the five values by
// up to +-2.5 % of nominal, derives the inductances, takes the next trial
// colour and evaluates the design (without a measurement: the comparison
// describes the nominal design). The caller plots the result next.
Evaluation BeginTrial(Session& session);

// After the trial's plot: keeps the lowest passband gain, the trial's gain
// at UpperEdge rounded to float. Returns the new worst-case loss text
// when the worst figure changed.
std::optional<std::string> FinishTrial(Session& session, const Evaluation& trial);

// Puts back the nominal five values and derives the inductances.
void RestoreNominal(Session& session) noexcept;

// Stop pressed: blue, stop flag, nominal values back at once. The run's own
// end follows when the loop sees the flag.
void StopMonteCarlo(Session& session) noexcept;

// End of the run up to the final plot: nominal values back, DrawColor
// yellow, evaluation. The caller then plots the nominal response.
Evaluation BeginEndOfRun(Session& session);

// After the final plot: blue again, the stop flag set, the run over.
void FinishEndOfRun(Session& session) noexcept;

// What a run asks of whoever shows it. The run itself (values, colours,
// figures, order) is RunMonteCarlo's; a view only draws and lets events in.
class MonteCarloView {
 public:
  virtual ~MonteCarloView() = default;
  // After the start of the run: the nominal design once (the screen's
  // redisplay: value boxes written and read back, evaluation, plot).
  virtual void ShowNominal() = 0;
  // After every evaluation of the run: the plot, which must fold the
  // evaluation's harmonic figures into the session's (TakeWorstHarmonics).
  virtual void Plot(const Evaluation& evaluation) = 0;
  // The worst passband figure changed to this text.
  virtual void ShowWorst(const std::string& text) = 0;
  // After each trial; false abandons the run at once (no end of run).
  virtual bool TrialDone() { return true; }
  // Before the end of the run restores and sweeps the nominal design.
  virtual void Ending() {}
  // After the nominal design's final plot, before the run is over.
  virtual void Ended() {}
};

// A whole run: start, the nominal design, trials until 201 are made or the
// stop flag is seen, then the end with the nominal response in yellow.
// Returns false when the run could not start (one is under way) or the
// view abandoned it.
bool RunMonteCarlo(Session& session, MonteCarloView& view);

// What the three worst-case labels read.
struct WorstCaseLabels {
  std::string worst = "Worst-case loss: ";
  std::string worstSecond;
  std::string worstThird;
};

// Folds an evaluation's harmonic figures into the session's running worst
// values and updates the label texts of those that changed.
void ApplyWorstHarmonics(const Evaluation& evaluation, PlotState& plot, WorstCaseLabels& labels);

// A complete run with nothing drawn (the command-line tool's). The boxes
// hold what the design screen's boxes show; the labels hold the texts at
// the end of the run. Does nothing while a run is under way.
void RunMonteCarloWithoutDrawing(Session& session, ValueBoxes& boxes, WorstCaseLabels& labels);

}  // namespace diruruzevuv::model
