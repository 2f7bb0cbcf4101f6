#include "model/measurement/fit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <span>

#include "model/measurement/least_squares.h"

namespace diruruzevuv::model {
namespace {

// A complex difference in S11 counts as much as that many dB: for a
// reflection near 1 a small difference is then its change in dB.
constexpr double kReflectionWeight = kDbPerNeper;
// How far a value may move from the design, as ln(fitted / design).
const double kPartRange = std::log(kPartRangeFactor);
const double kQRange = std::log(10.0);
// The coarse search tries each part at factors from 1/2.6 to 2.6 of its
// present value, about 8 % apart, on at most this many points.
const double kCoarseSpan = std::log(2.6);
constexpr int kCoarseSteps = 12;  // each way
constexpr int kCoarsePoints = 101;
constexpr int kCoarseRounds = 5;
constexpr int kPairSteps = 5;  // each way, about 21 % apart
// A fit whose residual is above this (dB RMS), or with a part at the edge
// of its range, tries the search over pairs of parts as well.
constexpr double kSecondSearchDb = 0.005;
// A part whose column of the Jacobian is this close to a combination of the
// others (the variance inflation) cannot be told apart from them.
constexpr double kMaxInflation = 1e4;
// The extra starts move one capacitor by this much (about 16 %) either
// way; a toroid's starts are one turn more and one turn less.
constexpr double kStartStep = 0.15;
constexpr int kMaxPoints = 1001;
// Above this RMS residual the parts do not explain the measurement.
constexpr double kPoorResidualDb = 0.5;

// Below this measured transmission (-40 dB) an analyser's noise moves
// the level in dB noticeably; such points count less, in proportion to
// the transmission, as the noise's share of them grows.
constexpr double kFullWeightTransmission = 0.01;

struct Point {
  double frequency = 0.0;
  Complex s11;
  double s21Db = 0.0;
  double weight = 1.0;           // of the transmission difference
  double frequencyWeight = 1.0;  // of both differences
  // The impedance that loaded port 2 (an analyser's port-2 match), or
  // nothing: the reference.
  std::optional<Complex> load;
};

SParameters ModelAt(const Ladder& v, const Point& p, double ohms) {
  return p.load ? Respond(v, p.frequency, ohms, *p.load) : Respond(v, p.frequency, ohms);
}

// The values the fit takes, in its order: the capacitors, the inductors,
// then the inductors' Q.
constexpr std::array<LadderValue, kLadderValueCount> kFitOrder = [] {
  std::array<LadderValue, kLadderValueCount> order{};
  int n = 0;
  for (LadderPart part : kLadderCapacitors) order[n++] = part;
  for (LadderPart part : kLadderInductors) order[n++] = part;
  order[n] = kInductorQ;
  return order;
}();

// The least-squares problem in the solver's terms. Each fitted value is
// design x exp(b tanh(u / b)): u is unbounded, the value stays within
// exp(+-b) of the design.
struct Problem : Residuals {
  Problem(const Ladder& design, double ohms, const std::vector<Point>& points,
          const std::vector<LadderValue>& fitted, bool twoPort,
          const std::function<void()>& onEvaluation)
      : m_design(design),
        m_ohms(ohms),
        m_points(points),
        m_fitted(fitted),
        m_twoPort(twoPort),
        m_onEvaluation(onEvaluation),
        m_r(static_cast<int>(points.size()) * (twoPort ? 3 : 2)) {}

  double Bound(LadderValue value) const { return value == kInductorQ ? kQRange : kPartRange; }

  Ladder Values(const Eigen::VectorXd& u) const {
    Ladder v = m_design;
    for (std::size_t i = 0; i < m_fitted.size(); ++i) {
      const LadderValue value = m_fitted[i];
      const double b = Bound(value);
      ValueOf(v, value) = ValueOf(m_design, value) * std::exp(b * std::tanh(u[i] / b));
    }
    return v;
  }

  int Rows() const override { return static_cast<int>(m_r.size()); }

  void Evaluate(const Eigen::VectorXd& u, Eigen::VectorXd& r) const override {
    if (m_onEvaluation) m_onEvaluation();
    const Ladder v = Values(u);
    int row = 0;
    for (const Point& p : m_points) {
      const SParameters n = ModelAt(v, p, m_ohms);
      // ln |s21| as half ln |s21|^2: the square root costs less than hypot.
      if (m_twoPort)
        r[row++] = (kDbPerNeper * 0.5 * std::log(std::norm(n.s21)) - p.s21Db) * p.weight;
      const Complex d = (n.s11 - p.s11) * (kReflectionWeight * p.frequencyWeight);
      r[row++] = d.real();
      r[row++] = d.imag();
    }
    for (int i = 0; i < r.size(); ++i) {
      if (!std::isfinite(r[i])) r[i] = 1e6;
    }
  }

  void Differentiate(const Eigen::VectorXd& u, Eigen::MatrixXd& j) const override {
    const Ladder v = Values(u);
    // d value / d u = value x (1 - tanh^2)
    std::array<double, kLadderValueCount> chain{};
    for (std::size_t i = 0; i < m_fitted.size(); ++i) {
      const LadderValue value = m_fitted[i];
      const double t = std::tanh(u[i] / Bound(value));
      chain[i] = ValueOf(v, value) * (1.0 - t * t);
    }
    Jacobian(v, chain, j);
  }

  // The derivatives of the residuals by each fitted value times chain[i].
  void Jacobian(const Ladder& v, const std::array<double, kLadderValueCount>& chain,
                Eigen::MatrixXd& j) const {
    // A slope that is not finite tells the solver nothing.
    const auto finite = [](double x) { return std::isfinite(x) ? x : 0.0; };
    SDerivatives d;
    int row = 0;
    const int n = static_cast<int>(m_fitted.size());
    for (const Point& p : m_points) {
      const SParameters s = p.load ? RespondWithDerivatives(v, p.frequency, m_ohms, *p.load, d)
                                   : RespondWithDerivatives(v, p.frequency, m_ohms, d);
      if (m_twoPort) {
        const Complex inv = std::conj(s.s21) / std::norm(s.s21);
        for (int i = 0; i < n; ++i)
          j(row, i) = finite(kDbPerNeper * (d.s21[m_fitted[i]] * inv).real() * chain[i] * p.weight);
        ++row;
      }
      for (int i = 0; i < n; ++i) {
        const Complex ds = d.s11[m_fitted[i]] * (kReflectionWeight * p.frequencyWeight * chain[i]);
        j(row, i) = finite(ds.real());
        j(row + 1, i) = finite(ds.imag());
      }
      row += 2;
    }
  }

  // The sum of the squared residuals at u.
  double Cost(const Eigen::VectorXd& u) const {
    Evaluate(u, m_r);
    return m_r.squaredNorm();
  }

  // u for the values design x exp(x), x clamped inside the bound.
  double ToU(LadderValue value, double x) const {
    const double b = Bound(value);
    return b * std::atanh(std::clamp(x / b, -0.999, 0.999));
  }

  int Count() const { return static_cast<int>(m_fitted.size()); }

  const Ladder& m_design;
  double m_ohms;
  const std::vector<Point>& m_points;
  const std::vector<LadderValue>& m_fitted;
  bool m_twoPort;
  const std::function<void()>& m_onEvaluation;
  mutable Eigen::VectorXd m_r;  // Cost's residuals
};

// The solver's best point, its cost, and whether its final run ended on
// the solver's own tolerances.
struct Solution {
  Eigen::VectorXd u;
  double cost = std::numeric_limits<double>::infinity();
  bool converged = false;
};

// All the memory the solve writes, taken before its first evaluation so
// that none is taken and handed back while it runs.
struct Workspace {
  Workspace(const Problem& problem, int starts)
      : solver(problem.Rows(), problem.Count()),
        x(problem.Count()),
        bestX(problem.Count()),
        u(problem.Count()),
        tried(starts, Eigen::VectorXd::Zero(problem.Count())),
        costs(starts),
        order(starts),
        run(problem.Count()),
        pairStart(problem.Count()),
        best{Eigen::VectorXd::Zero(problem.Count())} {}

  LeastSquares solver;
  std::vector<double> x, bestX;  // the coarse search's ln(value / design)
  Eigen::VectorXd u;             // and its point
  std::vector<Eigen::VectorXd> tried;
  std::vector<double> costs;
  std::vector<int> order;
  Eigen::VectorXd run, pairStart;
  Solution best;
};

// Runs the solver from u for at most evaluations residual evaluations;
// converged tells whether it stopped on its own tolerances.
double Solve(const Problem& problem, Workspace& work, Eigen::VectorXd& u, int evaluations,
             bool* converged = nullptr) {
  const bool ended = work.solver.Minimize(problem, u, evaluations, 1e-8, 1e-9);
  if (converged != nullptr) *converged = ended;
  return work.solver.Cost();
}

// Each part but the Q tried at a ladder of factors with the others held;
// the one move that lowers the cost most is made, and the search goes on
// from there until no move helps. A part far off moves a notch or an edge
// that the solver, starting near the design, would explain with the wrong
// part; the best single move is the part that explains most of it.
// With pairs, every two parts are first tried together on a coarser
// ladder: two parts off can hide each other from single moves. The
// result goes to out.
void CoarseSearch(const Problem& problem, bool pairs, Workspace& work, Eigen::VectorXd& out) {
  const std::vector<LadderValue>& fitted = problem.m_fitted;
  const int n = problem.Count();
  std::vector<double>& x = work.x;  // ln(value / design)
  std::fill(x.begin(), x.end(), 0.0);
  auto u = [&]() -> const Eigen::VectorXd& {
    for (int i = 0; i < n; ++i) work.u[i] = problem.ToU(fitted[i], x[i]);
    return work.u;
  };
  double best = problem.Cost(u());
  if (pairs) {
    std::vector<double>& bestX = work.bestX;
    bestX = x;
    for (int i = 0; i < n; ++i) {
      for (int j = i + 1; j < n; ++j) {
        if (fitted[i] == kInductorQ || fitted[j] == kInductorQ) continue;
        for (int a = -kPairSteps; a <= kPairSteps; ++a) {
          for (int b = -kPairSteps; b <= kPairSteps; ++b) {
            if (a == 0 || b == 0) continue;  // single moves follow
            x[i] = kCoarseSpan * a / kPairSteps;
            x[j] = kCoarseSpan * b / kPairSteps;
            const double cost = problem.Cost(u());
            if (cost < best) {
              best = cost;
              bestX = x;
            }
          }
        }
        x[i] = x[j] = 0.0;
      }
    }
    x = bestX;
  }
  for (int round = 0; round < kCoarseRounds; ++round) {
    int bestPart = -1;
    double bestX = 0.0;
    for (int i = 0; i < n; ++i) {
      if (fitted[i] == kInductorQ) continue;
      const double held = x[i];
      for (int k = -kCoarseSteps; k <= kCoarseSteps; ++k) {
        if (k == 0) continue;
        x[i] = held + kCoarseSpan * k / kCoarseSteps;
        if (std::fabs(x[i]) > kPartRange) continue;
        const double cost = problem.Cost(u());
        if (cost < best) {
          best = cost;
          bestPart = i;
          bestX = x[i];
        }
      }
      x[i] = held;
    }
    if (bestPart < 0) break;
    x[bestPart] = bestX;
  }
  out = u();
}

TurnAdvice Advise(std::int16_t turns, double fitted, double design, double designAL) {
  TurnAdvice advice;
  advice.turns = turns;
  advice.fitted = fitted;
  advice.designAL = designAL;
  if (turns <= 0 || !(fitted > 0.0)) return advice;
  const double al = fitted / (static_cast<double>(turns) * turns);
  advice.impliedAL = al * 1e9;
  const int best = NearestWholeTurns(design, al);
  advice.change = best - turns;
  advice.inductanceAfter = al * best * best;
  const double counted = NearestWholeTurns(fitted, designAL * 1e-9);
  advice.countedTurns = static_cast<std::int16_t>(counted);
  advice.countedInductance = designAL * 1e-9 * counted * counted;
  return advice;
}

// ---- The fit's steps ----

// The measured points above the floor, and those the solver takes: long
// files are thinned evenly, a thousand points pin seven values.
struct ChosenPoints {
  std::vector<Point> all;
  std::vector<Point> points;
  int leftOut = 0;  // below the floor
  int atZeroHz = 0;
};

ChosenPoints ChoosePoints(const DesignState& design, const MeasuredNetwork& measured,
                          const FitOptions& options) {
  ChosenPoints chosen;
  const bool twoPort = measured.ports == 2;
  for (std::size_t i = 0; i < measured.frequency.size() && i < measured.s.size(); ++i) {
    const double f = measured.frequency[i];
    if (!(f > 0.0) || !std::isfinite(f)) {
      ++chosen.atZeroHz;
      continue;
    }
    Point p;
    p.frequency = f;
    p.s11 = measured.s[i][0];
    if (i < measured.portTwoMatch.size())
      p.load = PortTwoLoad(measured.portTwoMatch[i], measured.referenceOhms[1]);
    // Real parts carry small inductances and capacitances of their own,
    // whose effect grows with the square of the frequency (and its square
    // in the squared differences); above the band the points count less
    // by the fourth power, so that they do not pull the values.
    const double above = static_cast<double>(design.UpperEdge) / f;
    p.frequencyWeight = std::min(1.0, (above * above) * (above * above));
    if (twoPort) {
      const double magnitude = std::abs(measured.s[i][1]);
      p.s21Db = magnitude > 0.0 ? kDbPerNeper * std::log(magnitude)
                                : -std::numeric_limits<double>::infinity();
      if (!(p.s21Db >= options.floorDb)) {
        ++chosen.leftOut;
        continue;
      }
      p.weight = std::min(1.0, magnitude / kFullWeightTransmission) * p.frequencyWeight;
    }
    chosen.all.push_back(p);
  }
  const std::vector<Point>& all = chosen.all;
  if (all.size() > static_cast<std::size_t>(kMaxPoints)) {
    for (int k = 0; k < kMaxPoints; ++k)
      chosen.points.push_back(
          all[static_cast<std::size_t>(k) * (all.size() - 1) / (kMaxPoints - 1)]);
  } else {
    chosen.points = all;
  }
  return chosen;
}

// The coarse search's points: at most kCoarsePoints of them, evenly.
std::vector<Point> CoarsePoints(const std::vector<Point>& points) {
  std::vector<Point> coarse;
  const std::size_t thinTo = std::min(points.size(), static_cast<std::size_t>(kCoarsePoints));
  for (std::size_t k = 0; k < thinTo; ++k)
    coarse.push_back(points[thinTo > 1 ? k * (points.size() - 1) / (thinTo - 1) : 0]);
  return coarse;
}

// Starts: the design, the coarse search's best (filled in by the caller,
// the first evaluation of the fit), and the design with one part moved
// either way: a capacitor by about 16 %, a toroid by one turn more or less.
std::vector<Eigen::VectorXd> Starts(const Problem& problem, const DesignState& design) {
  const int n = problem.Count();
  std::vector<Eigen::VectorXd> starts(2, Eigen::VectorXd::Zero(n));
  for (int i = 0; i < n; ++i) {
    const LadderValue part = problem.m_fitted[i];
    if (part == kInductorQ) continue;
    std::array<double, 2> moves = {-kStartStep, kStartStep};
    const int turns = part == kL2 ? design.TurnsL2 : part == kL1 ? design.TurnsL1 : 0;
    if (turns > 1) {
      moves = {2.0 * std::log((turns - 1.0) / turns), 2.0 * std::log((turns + 1.0) / turns)};
    }
    for (double move : moves) {
      if (std::fabs(move) >= 0.9 * problem.Bound(part)) continue;
      Eigen::VectorXd u = Eigen::VectorXd::Zero(n);
      u[i] = problem.ToU(part, move);
      starts.push_back(u);
    }
  }
  return starts;
}

// A few steps from every start, then the most promising ones to the end;
// a result still poor, or with a part at the edge of its range, tries the
// coarse search over pairs of parts as well. The result is work.best.
void SolveFromStarts(const Problem& problem, const Problem& thinned,
                     std::span<const Eigen::VectorXd> starts, int evaluationLimit,
                     Workspace& work) {
  const int n = problem.Count();
  Solution& best = work.best;
  // Runs the solver to its end from u and keeps the result if it is the best.
  const auto finish = [&](const Eigen::VectorXd& u) {
    work.run = u;
    bool ended = false;
    const double cost = Solve(problem, work, work.run, evaluationLimit, &ended);
    if (cost < best.cost) {
      best.u = work.run;
      best.cost = cost;
      best.converged = ended;
    }
  };
  auto refine = [&](std::span<const Eigen::VectorXd> from) {
    const int count = static_cast<int>(from.size());
    for (int k = 0; k < count; ++k) {
      work.tried[k] = from[k];
      work.costs[k] = Solve(problem, work, work.tried[k], 4);
      // In order of cost, the earlier start first among equals.
      int at = k;
      for (; at > 0 && work.costs[k] < work.costs[work.order[at - 1]]; --at)
        work.order[at] = work.order[at - 1];
      work.order[at] = k;
    }
    for (int k = 0; k < count && k < 2; ++k) finish(work.tried[work.order[k]]);
    // With a toroid far off, the loss can find a false minimum with the Q
    // at the edge of its range; the parts as found, with the design's Q,
    // start one more run.
    const int qIndex = n - 1;  // Q is fitted last
    if (std::fabs(std::tanh(best.u[qIndex] / kQRange)) > 0.9) {
      work.u = best.u;
      work.u[qIndex] = 0.0;
      finish(work.u);
    }
  };
  refine(starts);
  const auto atEdge = [&] {
    for (int i = 0; i < n; ++i) {
      const LadderValue value = problem.m_fitted[i];
      if (value != kInductorQ && std::fabs(std::tanh(best.u[i] / problem.Bound(value))) > 0.9)
        return true;
    }
    return false;
  };
  if (std::sqrt(best.cost / problem.Rows()) > kSecondSearchDb || atEdge()) {
    CoarseSearch(thinned, true, work, work.pairStart);
    refine({&work.pairStart, 1});
  }
}

Uncertainties UncertaintiesAt(const Problem& problem, const Ladder& values, double cost) {
  Eigen::MatrixXd jac(problem.Rows(), problem.Count());
  std::array<double, kLadderValueCount> byLog{};
  for (int i = 0; i < problem.Count(); ++i) byLog[i] = ValueOf(values, problem.m_fitted[i]);
  problem.Jacobian(values, byLog, jac);
  return UncertaintiesOf(jac, cost);
}

// The two parts the points tell apart worst, or nothing: with too little
// information the largest two entries of the weakest direction; otherwise
// the part with the largest inflation and the one it correlates with most.
std::string UnclearParts(const std::vector<LadderValue>& fitted, const Uncertainties& u) {
  const int n = static_cast<int>(fitted.size());
  for (int i = 0; i < n; ++i) {
    if (u.norms[i] == 0.0)
      return std::string(ValueName(fitted[i])) + " cannot be told with these points";
  }
  int worst = -1, partner = -1;
  if (u.rankDeficient) {
    u.weakest.maxCoeff(&worst);
    for (int j = 0; j < n; ++j)
      if (j != worst && (partner < 0 || u.weakest[j] > u.weakest[partner])) partner = j;
  } else {
    const Eigen::MatrixXd& inverse = u.inverse;
    for (int i = 0; i < n; ++i)
      if (inverse(i, i) > kMaxInflation && (worst < 0 || inverse(i, i) > inverse(worst, worst)))
        worst = i;
    double strongest = -1.0;
    for (int j = 0; worst >= 0 && j < n; ++j) {
      if (j == worst) continue;
      const double c =
          std::fabs(inverse(worst, j)) / std::sqrt(inverse(worst, worst) * inverse(j, j));
      if (c > strongest) {
        strongest = c;
        partner = j;
      }
    }
  }
  if (worst < 0 || partner < 0) return {};
  return std::string(ValueName(fitted[worst])) + " cannot be told from " +
         ValueName(fitted[partner]) + " with these points";
}

// Each fitted value against the design's, with its uncertainty and flags.
std::vector<FittedPart> FittedRows(const Problem& problem, const Ladder& values,
                                   const Uncertainties& u, const FitOptions& options) {
  std::vector<FittedPart> rows;
  for (int i = 0; i < problem.Count(); ++i) {
    const LadderValue part = problem.m_fitted[i];
    const double design = ValueOf(problem.m_design, part);
    const double fitted = ValueOf(values, part);
    FittedPart row;
    row.part = part;
    row.design = design;
    row.fitted = fitted;
    row.percent = (fitted - design) / design * 100.0;
    const double logSigma = u.LogSigma(i);
    row.uncertaintyPercent = fitted * logSigma / design * 100.0;
    // One rule for parts and Q: a difference beyond the tolerance that the
    // noise cannot explain either.
    row.flagged = std::fabs(row.percent) > options.tolerancePercent &&
                  std::fabs(row.percent) > 2.0 * row.uncertaintyPercent;
    row.atLimit = std::fabs(std::log(fitted / design)) > 0.97 * problem.Bound(part);
    rows.push_back(row);
  }
  return rows;
}

// The transmission the weights play down (deep in the stop band) still
// counts where the fitted filter passes: a measurement at -400 dB in the
// passband is a broken filter, not a good fit of the reflection. RMS dB
// over the points where the fitted filter passes; 0 for a one-port file.
double PassbandResidualDb(const std::vector<Point>& all, const Ladder& values, double ohms,
                          bool twoPort) {
  double passDifference = 0.0;
  int passPoints = 0;
  if (twoPort) {
    for (const Point& p : all) {
      const SParameters r = ModelAt(values, p, ohms);
      const double modelDb = kDbPerNeper * std::log(std::abs(r.s21));
      if (!(modelDb > -3.0)) continue;
      const double d = modelDb - std::max(p.s21Db, -200.0);
      passDifference += d * d;
      ++passPoints;
    }
  }
  return passPoints > 0 ? std::sqrt(passDifference / passPoints) : 0.0;
}

// Why the figures do not explain the measurement, or nothing: what the
// points cover (the passband, and the trap's notch as fitted), how far the
// fitted filter misses them, which parts they cannot tell apart, and a
// part at the edge of its range.
std::string PoorFitReason(const FitResult& result, const DesignState& design,
                          const std::vector<Point>& all, const Ladder& values,
                          double passResidualDb, const std::string& unclear) {
  double lowest = std::numeric_limits<double>::infinity(), highest = 0.0;
  bool inPassband = false;
  for (const Point& p : all) {
    lowest = std::min(lowest, p.frequency);
    highest = std::max(highest, p.frequency);
    inPassband |= p.frequency >= design.LowerEdge && p.frequency <= design.UpperEdge;
  }
  const bool passbandSpanned = lowest <= design.UpperEdge && highest >= design.LowerEdge;
  bool notchReached = true;
  if (values.value[kC92] > 0.0) {
    const double notch = 1.0 / (values.twoPi * std::sqrt(values.value[kL1] * values.value[kC92]));
    notchReached = lowest <= notch && notch <= highest;
  }
  if (!(inPassband || passbandSpanned)) return "the measurement does not reach the passband";
  if (!notchReached) return "the measurement does not reach the trap's notch";
  if (!std::isfinite(result.residualDb) || result.residualDb > kPoorResidualDb ||
      passResidualDb > 2.0 * kPoorResidualDb) {
    return "the parts of this filter do not explain the measurement (a part missing, a wrong "
           "connection or an uncalibrated analyser?)";
  }
  if (!unclear.empty()) return unclear;
  for (const FittedPart& row : result.parts) {
    if (row.atLimit) {
      return std::string(ValueName(row.part)) +
             " ran into the edge of the range the fit allows (a part missing or a wrong "
             "connection?)";
    }
  }
  return {};
}

}  // namespace

FitResult FitBuiltValues(const DesignState& design, const MeasuredNetwork& measured,
                         const FitOptions& options) {
  FitResult result;
  const Ladder start = LadderFromDesign(design);
  // The measurement's own reference: the design's termination once
  // referred, or the analyser's impedance loading a one-port measurement.
  const double ohms = measured.referenceOhms[0];
  if (!(ohms > 0.0) || !(start.lossReferenceHz > 0.0) || !(start.capacitorQ > 0.0) ||
      !(start.inductorQ > 0.0) || !(start.value[kL1] > 0.0) || !(start.value[kL2] > 0.0)) {
    result.error =
        "the design cannot be analysed (check the inductances, Q values and terminations)";
    return result;
  }
  const bool twoPort = measured.ports == 2;
  const ChosenPoints chosen = ChoosePoints(design, measured, options);
  result.pointsUsed = static_cast<int>(chosen.all.size());
  result.pointsLeftOut = chosen.leftOut;
  result.pointsAtZeroHz = chosen.atZeroHz;
  std::vector<LadderValue> fitted;
  for (LadderValue value : kFitOrder) {
    if (ValueOf(start, value) > 0.0) fitted.push_back(value);
  }
  if (chosen.points.size() * (twoPort ? 3 : 2) < 2 * fitted.size()) {
    result.error = "too few measured points above the floor to fit the parts";
    return result;
  }

  const Problem problem(start, ohms, chosen.points, fitted, twoPort, options.onEvaluation);
  const std::vector<Point> coarse = CoarsePoints(chosen.points);
  const Problem thinned(start, ohms, coarse, fitted, twoPort, options.onEvaluation);
  std::vector<Eigen::VectorXd> starts = Starts(problem, design);
  Workspace work(problem, static_cast<int>(starts.size()));
  CoarseSearch(thinned, false, work, starts[1]);
  SolveFromStarts(problem, thinned, starts, options.evaluationLimit, work);
  const Solution& best = work.best;
  result.converged = best.converged;
  const Ladder values = problem.Values(best.u);
  result.residualDb = std::sqrt(best.cost / problem.Rows());

  const Uncertainties uncertainties = UncertaintiesAt(problem, values, best.cost);
  result.parts = FittedRows(problem, values, uncertainties, options);
  result.l2 = Advise(design.TurnsL2, values.value[kL2], start.value[kL2], design.ToroidAL);
  result.l1 = Advise(design.TurnsL1, values.value[kL1], start.value[kL1], design.ToroidAL);

  result.poorReason = PoorFitReason(result, design, chosen.all, values,
                                    PassbandResidualDb(chosen.all, values, ohms, twoPort),
                                    UnclearParts(fitted, uncertainties));
  result.poor = !result.poorReason.empty();
  result.done = true;
  return result;
}

}  // namespace diruruzevuv::model
