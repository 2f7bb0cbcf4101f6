#pragma once

#include <QObject>
#include <QPointer>
#include <chrono>
#include <optional>
#include <string>
#include <thread>

#include "model/circuit/design_state.h"
#include "model/measurement/fit.h"
#include "model/measurement/measured_network.h"
#include "model/measurement/tuning.h"
#include "screens/tuning_window.h"

namespace diruruzevuv::screens {

class frmDesign;

// Advice that follows every sweep while "Repeat" runs: each sweep is fitted
// on a worker thread (a sweep that arrives during a fit replaces the one
// waiting: the newest wins, and the window's thread never fits), and the
// result goes to the tuning window and to the plot's fitted curve.
class LiveAdvice final : public QObject {
  Q_OBJECT

 public:
  explicit LiveAdvice(frmDesign& form);
  ~LiveAdvice() override;

  // The repeat starts: the window opens (again), the steady count starts over.
  void Begin();
  // A sweep shown, referred to the design's termination, to be fitted.
  void Sweep(const model::DesignState& design, const model::MeasuredNetwork& referred);
  // The latest fit's curve at a new sweep's frequencies, so that it stays
  // on the plot until the next fit.
  void Follow(model::ShownMeasurement& shown) const;
  // The repeat ends; the last advice stays in the window.
  void End();

  TuningWindow* Window() const { return m_window; }
  int FitsDone() const noexcept { return m_fits; }
  const std::optional<model::TuningAdvice>& LastAdvice() const noexcept { return m_advice; }
  bool Steady() const noexcept { return m_steady; }

 private:
  struct Job {
    model::DesignState design;
    model::MeasuredNetwork network;
  };
  struct Fitted {
    model::DesignState design;
    model::FitResult fit;
  };
  void Show(Fitted fitted);
  void ShowStatus();

  frmDesign& m_form;
  QPointer<TuningWindow> m_window;
  model::NewestWins<Job> m_slot;
  std::thread m_worker;
  model::SteadyAdvice m_rule;
  std::optional<Fitted> m_last;
  std::optional<model::TuningAdvice> m_advice;
  bool m_steady = false;
  bool m_repeating = false;
  int m_sweeps = 0, m_fits = 0;
  std::chrono::steady_clock::time_point m_firstSweep, m_lastSweep;
};

}  // namespace diruruzevuv::screens
