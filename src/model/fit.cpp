#include "model/fit.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <limits>
#include <unsupported/Eigen/LevenbergMarquardt>

namespace diruruzevuv::model {
namespace {

using Complex = std::complex<double>;

constexpr double kDbPerNeper = 8.68588963806503655302;  // 20 / ln 10
// A complex difference in S11 counts as much as that many dB: for a
// reflection near 1 a small difference is then its change in dB.
constexpr double kReflectionWeight = kDbPerNeper;
// How far a value may move from the design, as ln(fitted / design).
const double kPartRange = std::log(2.0);
const double kQRange = std::log(10.0);
// The extra starts move one capacitor by this much (about 16 %) either
// way; a toroid's starts are one turn more and one turn less.
constexpr double kStartStep = 0.15;
constexpr int kMaxPoints = 1001;
constexpr double kQTolerancePercent = 10.0;
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
};

// The least-squares problem in the solver's terms. Each fitted value is
// design x exp(b tanh(u / b)): u is unbounded, the value stays within
// exp(+-b) of the design.
struct Problem : Eigen::DenseFunctor<double> {
  Problem(const PartValues& design, const LossContext& losses, double ohms,
          const std::vector<Point>& points, const std::vector<int>& fitted, bool twoPort)
      : Eigen::DenseFunctor<double>(static_cast<int>(fitted.size()),
                                    static_cast<int>(points.size()) * (twoPort ? 3 : 2)),
        m_design(design),
        m_losses(losses),
        m_ohms(ohms),
        m_points(points),
        m_fitted(fitted),
        m_twoPort(twoPort) {}

  double Bound(int part) const { return part == kPartQ ? kQRange : kPartRange; }

  PartValues Values(const InputType& u) const {
    PartValues v = m_design;
    for (std::size_t i = 0; i < m_fitted.size(); ++i) {
      const int part = m_fitted[i];
      const double b = Bound(part);
      v[part] = m_design[part] * std::exp(b * std::tanh(u[i] / b));
    }
    return v;
  }

  int operator()(const InputType& u, ValueType& r) const {
    const PartValues v = Values(u);
    int row = 0;
    for (const Point& p : m_points) {
      const NetworkResponse n = Respond(v, m_losses, p.frequency, m_ohms);
      if (m_twoPort) r[row++] = (kDbPerNeper * std::log(std::abs(n.s21)) - p.s21Db) * p.weight;
      const Complex d = (n.s11 - p.s11) * (kReflectionWeight * p.frequencyWeight);
      r[row++] = d.real();
      r[row++] = d.imag();
    }
    for (int i = 0; i < r.size(); ++i) {
      if (!std::isfinite(r[i])) r[i] = 1e6;
    }
    return 0;
  }

  int df(const InputType& u, JacobianType& j) const {
    const PartValues v = Values(u);
    // d value / d u = value x (1 - tanh^2)
    std::array<double, kFitPartCount> chain{};
    for (std::size_t i = 0; i < m_fitted.size(); ++i) {
      const int part = m_fitted[i];
      const double t = std::tanh(u[i] / Bound(part));
      chain[i] = v[part] * (1.0 - t * t);
    }
    NetworkDerivatives d;
    int row = 0;
    const int n = static_cast<int>(m_fitted.size());
    for (const Point& p : m_points) {
      const NetworkResponse s = RespondWithDerivatives(v, m_losses, p.frequency, m_ohms, d);
      if (m_twoPort) {
        const Complex inv = std::conj(s.s21) / std::norm(s.s21);
        for (int i = 0; i < n; ++i)
          j(row, i) = kDbPerNeper * (d.s21[m_fitted[i]] * inv).real() * chain[i] * p.weight;
        ++row;
      }
      for (int i = 0; i < n; ++i) {
        const Complex ds = d.s11[m_fitted[i]] * (kReflectionWeight * p.frequencyWeight * chain[i]);
        j(row, i) = ds.real();
        j(row + 1, i) = ds.imag();
      }
      row += 2;
    }
    for (int r = 0; r < j.rows(); ++r)
      for (int c = 0; c < j.cols(); ++c)
        if (!std::isfinite(j(r, c))) j(r, c) = 0.0;
    return 0;
  }

  const PartValues& m_design;
  const LossContext& m_losses;
  double m_ohms;
  const std::vector<Point>& m_points;
  const std::vector<int>& m_fitted;
  bool m_twoPort;
};

double Cost(const Problem& problem, const Eigen::VectorXd& u) {
  Eigen::VectorXd r(problem.values());
  problem(u, r);
  return r.squaredNorm();
}

// Runs the solver from u for at most evaluations residual evaluations.
double Solve(Problem& problem, Eigen::VectorXd& u, int evaluations) {
  Eigen::LevenbergMarquardt<Problem> solver(problem);
  solver.setMaxfev(evaluations);
  solver.setXtol(1e-8);
  solver.setFtol(1e-9);
  solver.minimize(u);
  return Cost(problem, u);
}

TurnAdvice Advise(std::int16_t turns, double fitted, double design) {
  TurnAdvice advice;
  advice.turns = turns;
  if (turns <= 0 || !(fitted > 0.0)) return advice;
  const double al = fitted / (static_cast<double>(turns) * turns);
  advice.impliedAL = al * 1e9;
  // The whole number of turns whose inductance on this core is nearest the design.
  const double ideal = std::sqrt(design / al);
  int best = turns;
  double bestGap = std::numeric_limits<double>::infinity();
  for (int n = std::max(1, static_cast<int>(std::floor(ideal)) - 1);
       n <= static_cast<int>(std::ceil(ideal)) + 1; ++n) {
    const double gap = std::fabs(al * n * n - design);
    if (gap < bestGap) {
      bestGap = gap;
      best = n;
    }
  }
  advice.change = best - turns;
  advice.inductanceAfter = al * best * best;
  return advice;
}

}  // namespace

FitResult FitBuiltValues(const DesignState& design, const MeasuredNetwork& measured,
                         const FitOptions& options) {
  FitResult result;
  const PartValues start = DesignParts(design);
  const LossContext losses = DesignLosses(design);
  // The measurement's own reference: the design's termination once
  // referred, or the analyser's impedance loading a one-port measurement.
  const double ohms = measured.referenceOhms[0];
  if (!(ohms > 0.0) || !(losses.referenceFrequency > 0.0) || !(losses.capacitorQ > 0.0) ||
      !(start[kPartQ] > 0.0) || !(start[kPartL1] > 0.0) || !(start[kPartL2] > 0.0)) {
    result.error =
        "the design cannot be analysed (check the inductances, Q values and terminations)";
    return result;
  }
  const bool twoPort = measured.ports == 2;

  std::vector<Point> all;
  for (std::size_t i = 0; i < measured.frequency.size() && i < measured.s.size(); ++i) {
    const double f = measured.frequency[i];
    if (!(f > 0.0) || !std::isfinite(f)) continue;
    Point p;
    p.frequency = f;
    p.s11 = measured.s[i][0];
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
        ++result.pointsLeftOut;
        continue;
      }
      p.weight = std::min(1.0, magnitude / kFullWeightTransmission) * p.frequencyWeight;
    }
    all.push_back(p);
  }
  result.pointsUsed = static_cast<int>(all.size());
  // Long files are thinned evenly: a thousand points pin seven values.
  std::vector<Point> points;
  if (all.size() > static_cast<std::size_t>(kMaxPoints)) {
    for (int k = 0; k < kMaxPoints; ++k)
      points.push_back(all[static_cast<std::size_t>(k) * (all.size() - 1) / (kMaxPoints - 1)]);
  } else {
    points = all;
  }

  std::vector<int> fitted;
  for (int part = 0; part < kFitPartCount; ++part) {
    if (start[part] > 0.0) fitted.push_back(part);
  }
  if (points.size() * (twoPort ? 3 : 2) < 2 * fitted.size()) {
    result.error = "too few measured points above the floor to fit the parts";
    return result;
  }

  Problem problem(start, losses, ohms, points, fitted, twoPort);
  const int n = static_cast<int>(fitted.size());
  // Starts: the design, and the design with one part moved either way:
  // a capacitor by about 16 %, a toroid by one turn more or less.
  std::vector<Eigen::VectorXd> starts;
  starts.push_back(Eigen::VectorXd::Zero(n));
  for (int i = 0; i < n; ++i) {
    const int part = fitted[i];
    if (part == kPartQ) continue;
    std::array<double, 2> moves = {-kStartStep, kStartStep};
    const int turns = part == kPartL2 ? design.TurnsL2 : part == kPartL1 ? design.TurnsL1 : 0;
    if (turns > 1) {
      moves = {2.0 * std::log((turns - 1.0) / turns), 2.0 * std::log((turns + 1.0) / turns)};
    }
    for (double move : moves) {
      const double b = problem.Bound(part);
      if (std::fabs(move) >= 0.9 * b) continue;
      Eigen::VectorXd u = Eigen::VectorXd::Zero(n);
      u[i] = b * std::atanh(move / b);
      starts.push_back(u);
    }
  }
  // A few steps from every start, then the most promising ones to the end.
  std::vector<std::pair<double, Eigen::VectorXd>> tried;
  for (Eigen::VectorXd u : starts) {
    const double cost = Solve(problem, u, 4);
    tried.emplace_back(cost, u);
  }
  std::sort(tried.begin(), tried.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  double bestCost = std::numeric_limits<double>::infinity();
  Eigen::VectorXd best = tried.front().second;
  for (std::size_t k = 0; k < tried.size() && k < 2; ++k) {
    Eigen::VectorXd u = tried[k].second;
    const double cost = Solve(problem, u, 200);
    if (cost < bestCost) {
      bestCost = cost;
      best = u;
    }
  }
  // With a toroid far off, the loss can find a false minimum with the Q
  // at the edge of its range; the parts as found, with the design's Q,
  // start one more run.
  const int qIndex = n - 1;  // Q is fitted last
  if (std::fabs(std::tanh(best[qIndex] / kQRange)) > 0.9) {
    Eigen::VectorXd u = best;
    u[qIndex] = 0.0;
    const double cost = Solve(problem, u, 200);
    if (cost < bestCost) {
      bestCost = cost;
      best = u;
    }
  }

  const PartValues values = problem.Values(best);
  const int rows = problem.values();
  result.residualDb = std::sqrt(bestCost / rows);
  for (std::size_t i = 0; i < fitted.size(); ++i) {
    const int part = fitted[i];
    FittedPart row;
    row.part = static_cast<FitPart>(part);
    row.design = start[part];
    row.fitted = values[part];
    row.percent = (values[part] - start[part]) / start[part] * 100.0;
    // Nobody knows a toroid's Q to a few percent: it is flagged only when
    // far off.
    const double tolerance = part == kPartQ ? std::max(kQTolerancePercent, options.tolerancePercent)
                                            : options.tolerancePercent;
    row.flagged = std::fabs(row.percent) > tolerance;
    row.atLimit = std::fabs(std::log(values[part] / start[part])) > 0.97 * problem.Bound(part);
    result.parts.push_back(row);
  }
  result.l2 = Advise(design.TurnsL2, values[kPartL2], start[kPartL2]);
  result.l1 = Advise(design.TurnsL1, values[kPartL1], start[kPartL1]);

  if (!std::isfinite(result.residualDb) || result.residualDb > kPoorResidualDb) {
    result.poor = true;
    result.poorReason =
        "the parts of this filter do not explain the measurement (a part missing, a wrong "
        "connection or an uncalibrated analyser?)";
  } else {
    for (const FittedPart& row : result.parts) {
      if (row.atLimit) {
        result.poor = true;
        result.poorReason = std::string(kFitPartNames[row.part]) +
                            " ran into the edge of the range the fit allows (a part missing "
                            "or a wrong connection?)";
        break;
      }
    }
  }
  result.done = true;
  return result;
}

}  // namespace diruruzevuv::model
