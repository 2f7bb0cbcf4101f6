#pragma once

// Advice while the builder tunes: what each sweep's fit says to do, whether
// it has held still, and the hand-over of sweeps to a fit that runs beside
// the sweeping (the newest sweep wins).
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/measurement/fit.h"

namespace diruruzevuv::model {

// The change in whole turns a toroid's fit calls for, read both ways: on
// the core the fit implies (the design's turns rewound for the design's
// inductance) and on the design's core (the turns counted again: back to
// the design's count).
struct TurnsChange {
  int onFittedCore = 0;
  int onDesignCore = 0;
  bool operator==(const TurnsChange&) const = default;
};

// One sweep's fit as the advice keeps it.
struct TuningAdvice {
  enum class Verdict { kAsDesigned, kPartsOff, kPoorFit, kNoFit };
  Verdict verdict = Verdict::kNoFit;
  std::vector<LadderValue> off;  // the parts and Q the fit calls off
  TurnsChange l2, l1;
  std::string reason;  // of a poor fit, or why there is no fit
  bool operator==(const TuningAdvice&) const = default;
};
TuningAdvice AdviseTuning(const FitResult& fit);

// "as designed", "parts off", "poor fit", "no fit".
const char* VerdictText(TuningAdvice::Verdict verdict);
// "C48, L2" (", " between) or "C48;L2" (";").
std::string PartsOffText(const TuningAdvice& advice, std::string_view between);
// "L2: add 1 turn", "L2: keep the turns", and where the readings differ
// "L2: remove 1 turn (a stronger core) or remove 2 turns (turns miscounted)".
std::string TurnsAdviceText(const char* toroid, const TurnsChange& change);
// "-1", "0", and where the readings differ both: "-1/0".
std::string TurnsAdviceCsv(const TurnsChange& change);

// One sweep's line of the tool's tune command, and its CSV row under
// kTuningCsvHeader.
std::string TuningLine(int sweep, double seconds, const TuningAdvice& advice);
inline constexpr const char* kTuningCsvHeader =
    "sweep,seconds,verdict,parts_off,L2_turns_advice,L1_turns_advice,poor_reason\n";
std::string TuningCsvRow(int sweep, double seconds, const TuningAdvice& advice);

// The tuning window's text: the fit's part rows, each toroid's advice, the
// verdict (or the reason for a poor fit) and whether the advice is steady.
std::string TuningPanelText(const FitResult& fit, const TuningAdvice& advice, bool steady);

// A CSV field, quoted when it holds a comma, a quote or a line end.
std::string CsvField(std::string_view text);

// Advice is steady when the last three sweeps gave the same.
class SteadyAdvice {
 public:
  static constexpr int kSweeps = 3;
  // Takes the newest sweep's advice; whether it is now steady.
  bool Add(const TuningAdvice& advice);
  void Clear();

 private:
  std::optional<TuningAdvice> m_last;
  int m_same = 0;  // sweeps in a row with m_last's advice
};

// One waiting place between a producer and a worker: a newer item replaces
// the one waiting, so the worker always goes on with the newest and never
// falls behind. Take waits for an item, or returns nothing once closed.
template <class T>
class NewestWins {
 public:
  // Whether an item that had not been taken was replaced.
  bool Put(T item) {
    bool replaced;
    {
      std::lock_guard lock(m_mutex);
      replaced = m_waiting.has_value();
      m_waiting = std::move(item);
      m_replaced += replaced ? 1 : 0;
    }
    m_ready.notify_one();
    return replaced;
  }
  std::optional<T> Take() {
    std::unique_lock lock(m_mutex);
    m_ready.wait(lock, [this] { return m_closed || m_waiting.has_value(); });
    if (m_closed) return std::nullopt;
    std::optional<T> item = std::move(m_waiting);
    m_waiting.reset();
    return item;
  }
  void Close() {
    {
      std::lock_guard lock(m_mutex);
      m_closed = true;
    }
    m_ready.notify_all();
  }
  int Replaced() const {
    std::lock_guard lock(m_mutex);
    return m_replaced;
  }

 private:
  mutable std::mutex m_mutex;
  std::condition_variable m_ready;
  std::optional<T> m_waiting;
  bool m_closed = false;
  int m_replaced = 0;
};

}  // namespace diruruzevuv::model
