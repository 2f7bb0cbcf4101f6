#include "screens/live_advice.h"

#include "model/measurement/fitted_response.h"
#include "model/measurement/measurement_text.h"
#include "screens/frm_design.h"
#include "screens/tuning_window.h"

namespace diruruzevuv::screens {

LiveAdvice::LiveAdvice(frmDesign& form) : QObject(&form), m_form(form) {
  m_worker = std::thread([this] {
    while (std::optional<Job> job = m_slot.Take()) {
      Fitted fitted{job->design, model::FitBuiltValues(job->design, job->network, {})};
      QMetaObject::invokeMethod(
          this, [this, fitted = std::move(fitted)]() mutable { Show(std::move(fitted)); },
          Qt::QueuedConnection);
    }
  });
}

LiveAdvice::~LiveAdvice() {
  m_slot.Close();
  m_worker.join();
}

void LiveAdvice::Begin() {
  m_rule.Clear();
  m_repeating = true;
  m_sweeps = m_fits = 0;
  if (!m_window) {
    m_window = new TuningWindow(&m_form);
    m_window->PlaceBeside(m_form);
  }
  m_window->show();
  m_window->raise();
  ShowStatus();
}

void LiveAdvice::Sweep(const model::DesignState& design, const model::MeasuredNetwork& referred) {
  const auto now = std::chrono::steady_clock::now();
  if (m_sweeps++ == 0) m_firstSweep = now;
  m_lastSweep = now;
  m_slot.Put({design, referred});
  ShowStatus();
}

void LiveAdvice::Follow(model::ShownMeasurement& shown) const {
  if (m_last && m_last->fit.done)
    shown.fitted = model::FittedResponse(m_last->fit, m_last->design, shown.network.frequency);
}

void LiveAdvice::End() {
  m_repeating = false;
  ShowStatus();
}

void LiveAdvice::Show(Fitted fitted) {
  ++m_fits;
  m_advice = model::AdviseTuning(fitted.fit);
  m_steady = m_rule.Add(*m_advice);
  if (m_window) m_window->ShowAdvice(model::TuningPanelText(fitted.fit, *m_advice, m_steady));
  m_last = std::move(fitted);
  model::Session& session = m_form.SessionState();
  if (session.measurement && m_last->fit.done) {
    Follow(*session.measurement);
    m_form.Redisplay();
  }
  ShowStatus();
}

void LiveAdvice::ShowStatus() {
  if (!m_window) return;
  const double seconds = std::chrono::duration<double>(m_lastSweep - m_firstSweep).count();
  const std::string rate = m_sweeps > 1 && seconds > 0.0
                               ? model::Fixed((m_sweeps - 1) / seconds, 2) + " sweeps per second"
                               : "measuring the rate";
  const std::string sweeps = std::to_string(m_sweeps) + (m_sweeps == 1 ? " sweep" : " sweeps");
  m_window->ShowStatus(
      m_repeating
          ? "Repeating: " + sweeps + ", " + rate + "; " + std::to_string(m_fits) + " fitted."
          : "Stopped after " + sweeps + " (" + rate + "); the last advice stands.");
}

}  // namespace diruruzevuv::screens
