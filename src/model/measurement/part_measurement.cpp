#include "model/measurement/part_measurement.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "model/build/build_sheet.h"
#include "model/measurement/least_squares.h"
#include "model/measurement/measurement_text.h"

namespace diruruzevuv::model {
namespace {

using Complex = std::complex<double>;
constexpr double kTwoPi = 6.283185307179586;
constexpr Complex kJ{0.0, 1.0};
// The fit keeps the points up to this far past the first resonance: the
// resonance pins the winding's C, and far past it the model no longer holds.
constexpr double kPastResonance = 1.25;
// What an analyser's S is known to once calibrated: a floor (the isolation,
// -60 dB, in a transmission; the residual directivity, -40 dB, in a
// reflection) and a tracking error of 0.1 dB in proportion to S.
constexpr double kTransmissionFloor = 0.001;
constexpr double kReflectionFloor = 0.01;
constexpr double kTracking = 0.0116;
// A fixture resolves a part where those errors leave |Z| within 10 % (the
// median over the points below the resonance).
constexpr double kMostZError = 0.1;
// How far the fit lets each value move from its first guess, as ln(ratio).
const double kBound = std::log(1000.0);
// Starts of the loss: the first guess, ten times and a tenth of it.
constexpr std::array<double, 3> kLossStarts = {1.0, 10.0, 0.1};
// Q is a lower bound where its one standard deviation exceeds half of it;
// the bound lies two deviations of the loss above the fitted one.
constexpr double kQBoundSigma = 0.5;
constexpr int kSpreadSteps = 60;

struct PartPoint {
  double hz = 0.0;
  Complex s;  // what the fixture measured
  Complex z;  // the part's impedance from it
};

Complex FixtureS(Fixture fixture, Complex z, double z0) {
  switch (fixture) {
    case Fixture::kSeries:
      return 2.0 * z0 / (2.0 * z0 + z);
    case Fixture::kShunt:
      return 2.0 * z / (2.0 * z + z0);
    case Fixture::kReflection:
      break;
  }
  return (z - z0) / (z + z0);
}

// dS / dZ of the fixture.
Complex FixtureSByZ(Fixture fixture, Complex z, double z0) {
  switch (fixture) {
    case Fixture::kSeries:
      return -2.0 * z0 / ((2.0 * z0 + z) * (2.0 * z0 + z));
    case Fixture::kShunt:
      return 2.0 * z0 / ((2.0 * z + z0) * (2.0 * z + z0));
    case Fixture::kReflection:
      break;
  }
  return 2.0 * z0 / ((z + z0) * (z + z0));
}

// The relative error in |Z| that the analyser's usual errors in S leave.
double ZError(Fixture fixture, Complex z, double z0) {
  const double floor = fixture == Fixture::kReflection ? kReflectionFloor : kTransmissionFloor;
  const double error = floor + kTracking * std::abs(FixtureS(fixture, z, z0));
  return error / std::abs(z * FixtureSByZ(fixture, z, z0));
}

// dZ / d ln(l, r, c).
std::array<Complex, 3> ImpedanceByLog(const PartModel& m, double hz) {
  const double w = kTwoPi * hz;
  if (m.kind == PartKind::kCapacitor) return {kJ * w * m.l, Complex(m.r), -1.0 / (kJ * w * m.c)};
  const Complex zs = m.r + kJ * w * m.l;
  const Complex den = 1.0 + kJ * w * m.c * zs;
  const Complex den2 = den * den;
  return {kJ * w * m.l / den2, m.r / den2, -kJ * w * m.c * zs * zs / den2};
}

// The least-squares problem: the fixture's S from the model against the
// measured one, a complex difference weighed as the filter fit weighs
// S11. Each value is guess x exp(b tanh(u / b)).
struct PartProblem : Eigen::DenseFunctor<double> {
  PartProblem(const PartModel& guess, Fixture fixture, double z0,
              const std::vector<PartPoint>& points)
      : Eigen::DenseFunctor<double>(3, static_cast<int>(points.size()) * 2),
        m_guess(guess),
        m_fixture(fixture),
        m_z0(z0),
        m_points(points) {}

  PartModel Values(const InputType& u) const {
    PartModel m = m_guess;
    m.l *= std::exp(kBound * std::tanh(u[0] / kBound));
    m.r *= std::exp(kBound * std::tanh(u[1] / kBound));
    m.c *= std::exp(kBound * std::tanh(u[2] / kBound));
    return m;
  }

  int operator()(const InputType& u, ValueType& r) const {
    const PartModel m = Values(u);
    int row = 0;
    for (const PartPoint& p : m_points) {
      const Complex d = (FixtureS(m_fixture, m.Impedance(p.hz), m_z0) - p.s) * kDbPerNeper;
      r[row++] = std::isfinite(d.real()) ? d.real() : 1e6;
      r[row++] = std::isfinite(d.imag()) ? d.imag() : 1e6;
    }
    return 0;
  }

  int df(const InputType& u, JacobianType& j) const {
    std::array<double, 3> chain{};
    for (int i = 0; i < 3; ++i) {
      const double t = std::tanh(u[i] / kBound);
      chain[i] = 1.0 - t * t;
    }
    Jacobian(Values(u), chain, j);
    return 0;
  }

  // The derivatives of the residuals by ln(value) times chain.
  void Jacobian(const PartModel& m, const std::array<double, 3>& chain, JacobianType& j) const {
    int row = 0;
    for (const PartPoint& p : m_points) {
      const Complex bySz = FixtureSByZ(m_fixture, m.Impedance(p.hz), m_z0) * kDbPerNeper;
      const std::array<Complex, 3> byLog = ImpedanceByLog(m, p.hz);
      for (int i = 0; i < 3; ++i) {
        const Complex d = bySz * byLog[i] * chain[i];
        j(row, i) = std::isfinite(d.real()) ? d.real() : 0.0;
        j(row + 1, i) = std::isfinite(d.imag()) ? d.imag() : 0.0;
      }
      row += 2;
    }
  }

  PartModel m_guess;
  Fixture m_fixture;
  double m_z0;
  const std::vector<PartPoint>& m_points;
};

// The reactance's sign that the kind shows below its resonance.
double KindSign(PartKind kind) {
  return kind == PartKind::kInductor ? 1.0 : -1.0;
}

// L or C as the part shows it at hz, from its reactance.
double ApparentValue(const PartModel& m, double hz) {
  const double w = kTwoPi * hz;
  const double x = m.Impedance(hz).imag();
  return m.kind == PartKind::kInductor ? x / w : -1.0 / (w * x);
}

double QAt(const PartModel& m, double hz) {
  const Complex z = m.Impedance(hz);
  return std::fabs(z.imag()) / z.real();
}

// The first guess: L or C from the lowest point, the other reactive value
// from the resonance (or one three times above the range), the loss from
// the point nearest the centre (a Q of 1000 at least).
PartModel FirstGuess(PartKind kind, const std::vector<PartPoint>& points, double resonanceHz,
                     double centreHz) {
  PartModel m;
  m.kind = kind;
  const PartPoint& low = points.front();
  const double w = kTwoPi * low.hz;
  const double wr = kTwoPi * (resonanceHz > 0.0 ? resonanceHz : 3.0 * points.back().hz);
  const auto centre =
      std::min_element(points.begin(), points.end(), [&](const auto& a, const auto& b) {
        return std::fabs(std::log(a.hz / centreHz)) < std::fabs(std::log(b.hz / centreHz));
      });
  if (kind == PartKind::kInductor) {
    m.l = low.z.imag() / w;
    m.c = 1.0 / (wr * wr * m.l);
  } else {
    m.c = -1.0 / (w * low.z.imag());
    m.l = 1.0 / (wr * wr * m.c);
  }
  m.r = std::max(centre->z.real(), std::fabs(centre->z.imag()) / 1000.0);
  return m;
}

// ln of the quantity's one standard deviation, through the fit's
// covariance of ln(l, r, c); infinite when the points cannot tell it.
template <class Quantity>
double LogSigmaOf(const Uncertainties& u, const PartModel& m, Quantity quantity) {
  constexpr double kStep = 1e-5;
  std::array<double, 3> g{};
  for (int i = 0; i < 3; ++i) {
    PartModel up = m, down = m;
    double* values[2] = {i == 0   ? &up.l
                         : i == 1 ? &up.r
                                  : &up.c,
                         i == 0   ? &down.l
                         : i == 1 ? &down.r
                                  : &down.c};
    *values[0] *= std::exp(kStep);
    *values[1] *= std::exp(-kStep);
    g[i] = (std::log(std::fabs(quantity(up))) - std::log(std::fabs(quantity(down)))) / (2 * kStep);
  }
  double variance = 0.0;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      if (g[i] != 0.0 && g[j] != 0.0) variance += g[i] * g[j] * u.LogCovariance(i, j);
  return std::sqrt(std::max(variance, 0.0));
}

// Why the fixture cannot resolve the part (naming the one to use), or
// empty when it can.
std::string ResolutionProblem(Fixture fixture, const std::vector<PartPoint>& below, double z0) {
  std::array<double, 3> median{};
  std::vector<double> gains(below.size()), sizes(below.size());
  for (int f = 0; f < 3; ++f) {
    for (std::size_t i = 0; i < below.size(); ++i) {
      gains[i] = ZError(static_cast<Fixture>(f), below[i].z, z0);
      sizes[i] = std::abs(below[i].z);
    }
    std::nth_element(gains.begin(), gains.begin() + gains.size() / 2, gains.end());
    median[f] = gains[gains.size() / 2];
  }
  const int chosen = static_cast<int>(fixture);
  if (!(median[chosen] > kMostZError)) return {};
  std::nth_element(sizes.begin(), sizes.begin() + sizes.size() / 2, sizes.end());
  const auto best =
      static_cast<Fixture>(std::min_element(median.begin(), median.end()) - median.begin());
  char size[32];
  std::snprintf(size, sizeof size, "%.3g", sizes[sizes.size() / 2]);
  std::string why =
      std::string("the ") + FixtureTitle(fixture) +
      " fixture cannot resolve this part: an analyser's usual errors leave its impedance "
      "(about " +
      size + " ohm) uncertain by " + Fixed(100.0 * median[chosen], 0) + " %";
  return why + (best == fixture
                    ? std::string("; no fixture resolves it")
                    : std::string("; measure it in the ") + FixtureTitle(best) + " fixture");
}

// The measured points in the request's range with their impedance, or why
// there are none.
std::string ChoosePartPoints(const MeasuredNetwork& measured, const PartRequest& request,
                             std::vector<PartPoint>& points) {
  if (request.fixture != Fixture::kReflection && measured.ports != 2)
    return std::string("a one-port measurement has no S21: the ") + FixtureTitle(request.fixture) +
           " fixture needs a two-port one";
  const double z0 = measured.referenceOhms[0];
  for (std::size_t i = 0; i < measured.frequency.size() && i < measured.s.size(); ++i) {
    const double hz = measured.frequency[i];
    if (!(hz > 0.0) || hz < request.lowHz || hz > request.highHz) continue;
    PartPoint p{
        hz, request.fixture == Fixture::kReflection ? measured.s[i][0] : measured.s[i][1], {}};
    const Complex portTwo = i < measured.portTwoMatch.size() ? measured.portTwoMatch[i] : 0.0;
    p.z = request.fixture == Fixture::kSeries  ? SeriesThroughImpedance(p.s, z0, portTwo)
          : request.fixture == Fixture::kShunt ? ShuntThroughImpedance(p.s, z0, portTwo)
                                               : ReflectionImpedance(p.s, z0);
    // The fit compares with what a matched port 2 would have read.
    if (portTwo != 0.0) p.s = FixtureS(request.fixture, p.z, z0);
    if (std::isfinite(p.z.real()) && std::isfinite(p.z.imag())) points.push_back(p);
  }
  if (points.size() < 4) return "too few measured points in the range to fit the part";
  if (!(points.front().z.imag() * KindSign(request.kind) > 0.0))
    return std::string("the part does not look like ") +
           (request.kind == PartKind::kInductor ? "an inductor" : "a capacitor") +
           " at the lowest frequency (wrong kind, or a wrong connection?)";
  return {};
}

// Fits the model from its first guess and the loss's other starts.
PartModel Fit(PartProblem& problem, Eigen::VectorXd& best, double& cost) {
  cost = std::numeric_limits<double>::infinity();
  for (double loss : kLossStarts) {
    Eigen::VectorXd u = Eigen::VectorXd::Zero(3);
    u[1] = kBound * std::atanh(std::log(loss) / kBound);
    const double c = SolveLeastSquares(problem, u, 400);
    if (c < cost) {
      cost = c;
      best = u;
    }
  }
  return problem.Values(best);
}

// The apparent value's spread over the range below half the resonance,
// in percent of the value at the centre.
void Spread(PartMeasurement& out) {
  const double top = out.selfResonanceHz > 0.0
                         ? std::min(out.request.highHz, out.selfResonanceHz / 2.0)
                         : out.request.highHz;
  out.spreadTopHz = top;
  out.lowestPercent = out.highestPercent = 0.0;
  for (int k = 0; k <= kSpreadSteps && top > out.request.lowHz; ++k) {
    const double hz = out.request.lowHz *
                      std::pow(top / out.request.lowHz, static_cast<double>(k) / kSpreadSteps);
    const double percent = (ApparentValue(out.model, hz) / out.value - 1.0) * 100.0;
    out.lowestPercent = std::min(out.lowestPercent, percent);
    out.highestPercent = std::max(out.highestPercent, percent);
  }
}

// The figures read from the fitted model at the centre, with their
// uncertainties.
void ReadFigures(const Uncertainties& u, PartMeasurement& out) {
  const PartModel& m = out.model;
  const double centre = out.request.centreHz;
  out.value = ApparentValue(m, centre);
  out.valueUncertaintyPercent =
      100.0 * LogSigmaOf(u, m, [&](const PartModel& v) { return ApparentValue(v, centre); });
  out.q = QAt(m, centre);
  const double qSigma = LogSigmaOf(u, m, [&](const PartModel& v) { return QAt(v, centre); });
  out.qUncertaintyPercent = 100.0 * qSigma;
  if (!(qSigma <= kQBoundSigma)) {
    out.qIsLowerBound = true;
    out.q = std::isfinite(qSigma) ? out.q / (1.0 + 2.0 * qSigma) : 0.0;
  }
  const double resonance = m.SelfResonanceHz();
  if (resonance > 0.0 && resonance <= out.request.highHz) {
    out.selfResonanceHz = resonance;
    out.selfResonanceUncertaintyPercent =
        100.0 * LogSigmaOf(u, m, [](const PartModel& v) { return v.SelfResonanceHz(); });
  }
  if (m.kind == PartKind::kInductor && out.request.turns > 0) {
    out.leadsNh = kLeadsPerWinding * out.request.leadMm * kLeadNhPerMm;
    out.alNh =
        (m.l * 1e9 - out.leadsNh) / (static_cast<double>(out.request.turns) * out.request.turns);
  }
  Spread(out);
}

// "1.502 uH": four significant digits under the prefix that puts the
// number between 1 and 1000.
std::string WithPrefix(double value, const char* unit) {
  static constexpr const char* kPrefixes[] = {"p", "n", "u", "m", "", "k", "M", "G"};
  int k = 0;
  double scaled = value * 1e12;
  while (k < 7 && std::fabs(scaled) >= 1000.0) {
    scaled /= 1000.0;
    ++k;
  }
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%.4g %s%s", scaled, kPrefixes[k], unit);
  return buffer;
}

std::string PlusMinus(double percent) {
  return std::isfinite(percent) ? " +- " + Fixed(percent, 1) + " %" : " (not resolved)";
}

}  // namespace

const char* FixtureKey(Fixture fixture) noexcept {
  switch (fixture) {
    case Fixture::kSeries:
      return "series";
    case Fixture::kShunt:
      return "shunt";
    case Fixture::kReflection:
      break;
  }
  return "reflection";
}

const char* FixtureTitle(Fixture fixture) noexcept {
  switch (fixture) {
    case Fixture::kSeries:
      return "series-through";
    case Fixture::kShunt:
      return "shunt-through";
    case Fixture::kReflection:
      break;
  }
  return "reflection";
}

std::optional<Fixture> ParseFixture(std::string_view text) noexcept {
  for (Fixture f : {Fixture::kSeries, Fixture::kShunt, Fixture::kReflection})
    if (text == FixtureKey(f)) return f;
  return std::nullopt;
}

Complex SeriesThroughImpedance(Complex s21, double z0, Complex portTwo) {
  return 2.0 * z0 * (1.0 - s21) / (s21 * (1.0 - portTwo));
}

Complex ShuntThroughImpedance(Complex s21, double z0, Complex portTwo) {
  return z0 * (1.0 + portTwo) * s21 / (2.0 * (1.0 - s21));
}

Complex ReflectionImpedance(Complex s11, double z0) {
  return z0 * (1.0 + s11) / (1.0 - s11);
}

Complex PartModel::Impedance(double hz) const noexcept {
  const double w = kTwoPi * hz;
  if (kind == PartKind::kCapacitor) return r + kJ * w * l + 1.0 / (kJ * w * c);
  const Complex zs = r + kJ * w * l;
  return zs / (1.0 + kJ * w * c * zs);
}

double PartModel::SelfResonanceHz() const noexcept {
  if (!(l > 0.0) || !(c > 0.0)) return 0.0;
  // A toroid's parallel resonance moves down with its loss.
  const double w2 = 1.0 / (l * c) - (kind == PartKind::kInductor ? r * r / (l * l) : 0.0);
  return w2 > 0.0 ? std::sqrt(w2) / kTwoPi : 0.0;
}

void UseDesignRange(const DesignState& design, PartRequest& request) {
  request.lowHz = design.LowerEdge / 5.0;
  request.highHz = 3.0 * design.UpperEdge;
  request.centreHz = (static_cast<double>(design.LowerEdge) + design.UpperEdge) / 2.0;
}

PartMeasurement MeasurePart(const MeasuredNetwork& measured, const PartRequest& request) {
  PartMeasurement out;
  out.request = request;
  PartRequest& used = out.request;
  if (!measured.frequency.empty()) {
    if (!(used.lowHz > 0.0)) used.lowHz = measured.frequency.front();
    if (!(used.highHz > 0.0)) used.highHz = measured.frequency.back();
  }
  if (!(used.centreHz > 0.0)) used.centreHz = std::sqrt(used.lowHz * used.highHz);
  std::vector<PartPoint> points;
  if (out.error = ChoosePartPoints(measured, used, points); !out.error.empty()) return out;
  // The first resonance, where the reactance changes sign; the points
  // just past it are kept.
  const double sign = KindSign(used.kind);
  std::size_t below = points.size();
  for (std::size_t i = 1; i < points.size() && below == points.size(); ++i)
    if (points[i].z.imag() * sign <= 0.0) below = i;
  const double resonance = below < points.size() ? points[below].hz : 0.0;
  const double z0 = measured.referenceOhms[0];
  out.error = ResolutionProblem(used.fixture, {points.begin(), points.begin() + below}, z0);
  if (!out.error.empty()) return out;
  if (resonance > 0.0)
    std::erase_if(points, [&](const PartPoint& p) { return p.hz > kPastResonance * resonance; });

  PartProblem problem(FirstGuess(used.kind, points, resonance, used.centreHz), used.fixture, z0,
                      points);
  Eigen::VectorXd u;
  double cost = 0.0;
  out.model = Fit(problem, u, cost);
  out.pointsUsed = static_cast<int>(points.size());
  out.residualDb = std::sqrt(cost / problem.values());
  PartProblem::JacobianType jac(problem.values(), 3);
  problem.Jacobian(out.model, {1.0, 1.0, 1.0}, jac);
  ReadFigures(UncertaintiesOf(jac, cost), out);
  out.done = true;
  return out;
}

std::string PartLines(const PartMeasurement& part) {
  const PartRequest& r = part.request;
  const bool inductor = r.kind == PartKind::kInductor;
  const std::string at = " at " + WithPrefix(r.centreHz, "Hz") + ": ";
  std::string t = std::string(inductor ? "Inductor" : "Capacitor") + ", " +
                  FixtureTitle(r.fixture) + " fixture, " + WithPrefix(r.lowHz, "Hz") + " to " +
                  WithPrefix(r.highHz, "Hz") + ", " + std::to_string(part.pointsUsed) +
                  " points used\n";
  t += std::string(inductor ? "L" : "C") + at + WithPrefix(part.value, inductor ? "H" : "F") +
       PlusMinus(part.valueUncertaintyPercent) + "; " + Signed(part.lowestPercent, 1) + " % to " +
       Signed(part.highestPercent, 1) + " % up to " + WithPrefix(part.spreadTopHz, "Hz") + "\n";
  if (!part.qIsLowerBound)
    t += "Q" + at + Fixed(part.q, 0) + PlusMinus(part.qUncertaintyPercent) + "\n";
  else if (part.q > 0.0)
    t += "Q" + at + "above " + Fixed(part.q, 0) + "\n";
  else
    t += "Q" + at + "not resolved by this fixture\n";
  if (part.selfResonanceHz > 0.0)
    t += "Self-resonance: " + WithPrefix(part.selfResonanceHz, "Hz") +
         PlusMinus(part.selfResonanceUncertaintyPercent) + "\n";
  else
    t += "Self-resonance: above " + WithPrefix(r.highHz, "Hz") + "\n";
  if (part.alNh != 0.0) {
    t += "AL: " + Fixed(part.alNh, 3) + " nH/turn^2 (" + std::to_string(r.turns) + " turns";
    t += part.leadsNh > 0.0 ? ", less " + Fixed(part.leadsNh, 0) + " nH for the two leads)\n"
                            : ", leads included)\n";
  }
  return t;
}

std::string PartCsv(const PartMeasurement& part, const std::string& consistentCores) {
  const bool inductor = part.request.kind == PartKind::kInductor;
  const auto finite = [](double v, int decimals) {
    return std::isfinite(v) ? Fixed(v, decimals) : std::string();
  };
  std::string t =
      "kind,value,unit,value_uncertainty_percent,q,q_is_lower_bound,self_resonance_hz,"
      "al_nh_per_turn2,consistent_cores,fixture,points_used\n";
  t += std::string(inductor ? "inductor," : "capacitor,") + General(part.value) +
       (inductor ? ",H," : ",F,") + finite(part.valueUncertaintyPercent, 3) + "," +
       (part.q > 0.0 ? General(part.q) : "") + "," + (part.qIsLowerBound ? "yes" : "no") + "," +
       (part.selfResonanceHz > 0.0 ? General(part.selfResonanceHz) : "") + "," +
       (part.alNh != 0.0 ? General(part.alNh) : "") + "," + consistentCores + "," +
       FixtureKey(part.request.fixture) + "," + std::to_string(part.pointsUsed) + "\n";
  return t;
}

Core MeasuredCore(const PartMeasurement& part, const Core& woundOn, std::string name,
                  std::string_view date) {
  Core core = woundOn;
  core.name = std::move(name);
  core.alNh = std::round(part.alNh * 1000.0) / 1000.0;
  core.source = "measured, " + std::to_string(part.request.turns) + " turns, " +
                FixtureTitle(part.request.fixture) + ", " + std::string(date);
  return core;
}

std::string PartCoreLines(const PartMeasurement& part, const CoreCatalogue& catalogue,
                          const DesignState* design) {
  if (part.alNh == 0.0) return {};
  std::string t = "Cores: " + CoreMatchText(MatchCores(catalogue, part.alNh)) + "\n";
  const Core* own = design != nullptr ? catalogue.NearestByAl(design->ToroidAL) : nullptr;
  if (own == nullptr) return t;
  const double percent = (part.alNh / own->alNh - 1.0) * 100.0;
  t += "Design's core " + own->name + " (AL " + Fixed(own->alNh, 2) + " +- " +
       Fixed(own->alTolerancePercent, 0) + " %): ";
  return t + (AlWithinTolerance(*own, part.alNh)
                  ? std::string("within tolerance\n")
                  : Fixed(std::fabs(percent), 0) + " % off, outside tolerance\n");
}

}  // namespace diruruzevuv::model
