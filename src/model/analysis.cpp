#include "model/analysis.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace diruruzevuv::model {
namespace {

// The chain matrices are multiplied for a block of frequencies at a time,
// one element after the other, with the real and imaginary parts in
// separate arrays. Every loop body is straight-line code the compiler can
// vectorise, and each value is computed with the same operations in the
// same order as a one-point complex calculation, so the stored results do
// not depend on the block layout.
constexpr int kBlock = 256;
constexpr int kIntervals = 2000;

constexpr double kOpenOhms = 1e11;   // stands in for a capacitor of 0 F
constexpr double kShuntOhms = 1e11;  // fixed resistance across L1 and C92
constexpr double kResonanceNudge = 1.00001;
constexpr double kZeroPart = 1e-10;
constexpr double kRhoMin = 1e-7;
constexpr double kRhoMax = 0.9999999;

bool IsPositive(double v) noexcept {
  return std::isfinite(v) && v > 0.0;
}

// A double converts to float only inside the float range; anything else is
// undefined behaviour, so callers check first.
bool FitsFloat(double v) noexcept {
  return std::isfinite(v) && std::fabs(v) <= FLT_MAX;
}

struct ElementPlan {
  std::int16_t type = 0;
  double c = 0.0;
  double l = 0.0;
  double lossOhms = 0.0;  // type 1: float-rounded, type 7: double
  // Constants for a capacitor of exactly 0 F.
  double openY = 0.0;  // type 4: conductance 1/Rp
  double openB = 0.0;  // type 4: susceptance -1/X
};

// Everything one evaluation needs, fixed for a whole sweep.
struct Plan {
  int count = 0;
  ElementPlan elements[Analyzer::kMaxElements];
  double twoPi = 0.0;
  double rs = 0.0;
  double rl = 0.0;
  double r0 = 0.0;
  double qc = 0.0;
  double lowDb = 0.0;  // reflection at the clamps
  double highDb = 0.0;
};

struct Block {
  double w[kBlock];
  double ar[kBlock], ai[kBlock], br[kBlock], bi[kBlock];
  double cr[kBlock], ci[kBlock], dr[kBlock], di[kBlock];
  double gain[kBlock];
  double reflection[kBlock];
};

void ShuntCapacitor(const Plan& plan, const ElementPlan& e, Block& k, int n) noexcept {
  const double qc = plan.qc;
  const double c = e.c;
  for (int i = 0; i < n; ++i) {
    double yr = e.openY;
    double yi = e.openB;
    if (c != 0.0) {
      const double x = -1.0 / (k.w[i] * c);
      const double rp = std::fabs(qc * x);
      yr = 1.0 / rp;
      yi = -1.0 / x;
    }
    // M = M x [[1, 0], [Y, 1]]
    k.ar[i] = k.ar[i] + (k.br[i] * yr - k.bi[i] * yi);
    k.ai[i] = k.ai[i] + (k.br[i] * yi + k.bi[i] * yr);
    k.cr[i] = k.cr[i] + (k.dr[i] * yr - k.di[i] * yi);
    k.ci[i] = k.ci[i] + (k.dr[i] * yi + k.di[i] * yr);
  }
}

// M = M x [[1, Z], [0, 1]]
inline void SeriesStep(Block& k, int i, double zr, double zi) noexcept {
  k.br[i] = (k.ar[i] * zr - k.ai[i] * zi) + k.br[i];
  k.bi[i] = (k.ar[i] * zi + k.ai[i] * zr) + k.bi[i];
  k.dr[i] = (k.cr[i] * zr - k.ci[i] * zi) + k.dr[i];
  k.di[i] = (k.cr[i] * zi + k.ci[i] * zr) + k.di[i];
}

void SeriesInductor(const ElementPlan& e, Block& k, int n) noexcept {
  const double rsl = e.lossOhms;
  const double l = e.l;
  for (int i = 0; i < n; ++i) SeriesStep(k, i, rsl, k.w[i] * l);
}

void TrappedInductor(const Plan& plan, const ElementPlan& e, Block& k, int n) noexcept {
  const double qc = plan.qc;
  const double rsl = e.lossOhms;
  const double l = e.l;
  const double c = e.c;
  for (int i = 0; i < n; ++i) {
    const double w = k.w[i];
    const double xl = w * l;
    const double rpl = rsl * (1.0 + (xl / rsl) * (xl / rsl));
    double xpl = rpl * rsl / xl;
    double rc = kOpenOhms;
    double xc = kOpenOhms;
    if (c != 0.0) {
      rc = std::fabs(qc / (w * c));
      xc = -1.0 / (w * c);
    }
    if (xc + xpl == 0.0) xpl *= kResonanceNudge;
    const double r = 1.0 / (1.0 / rpl + 1.0 / rc + 1.0 / kShuntOhms);
    const double x = 1.0 / (1.0 / xpl + 1.0 / xc);
    const double rser = std::fabs(r / (1.0 + (r / x) * (r / x)));
    const double xser = r * rser / x;
    SeriesStep(k, i, rser, xser);
  }
}

// Analyses n frequencies into k.gain and k.reflection.
void AnalyzeBlock(const Plan& plan, Block& k, int n) noexcept {
  for (int i = 0; i < n; ++i) {
    k.ar[i] = 1.0;
    k.ai[i] = 0.0;
    k.br[i] = 0.0;
    k.bi[i] = 0.0;
    k.cr[i] = 0.0;
    k.ci[i] = 0.0;
    k.dr[i] = 1.0;
    k.di[i] = 0.0;
  }
  for (int p = 0; p < plan.count; ++p) {
    const ElementPlan& e = plan.elements[p];
    switch (e.type) {
      case 4:
        ShuntCapacitor(plan, e, k, n);
        break;
      case 1:
        SeriesInductor(e, k, n);
        break;
      case 7:
        TrappedInductor(plan, e, k, n);
        break;
      default:
        break;  // straight through
    }
  }
  const double rs = plan.rs;
  const double rl = plan.rl;
  const double r0 = plan.r0;
  for (int i = 0; i < n; ++i) {
    // T = (A RL + B + C Rs RL + D Rs) / RL
    double tr = (((k.ar[i] * rl + k.br[i]) + k.cr[i] * rs * rl) + k.dr[i] * rs) / rl;
    double ti = (((k.ai[i] * rl + k.bi[i]) + k.ci[i] * rs * rl) + k.di[i] * rs) / rl;
    if (tr == 0.0) tr = kZeroPart;
    if (ti == 0.0) ti = kZeroPart;
    k.gain[i] = (tr * tr + ti * ti) * rl / (4.0 * rs);
    // |Zin - R0| / |Zin + R0| with Zin = N / D, without dividing complex
    // numbers: |N - R0 D| / |N + R0 D|, squared.
    const double nr = k.ar[i] * rl + k.br[i];
    const double ni = k.ai[i] * rl + k.bi[i];
    const double dr = k.cr[i] * rl + k.dr[i];
    const double di = k.ci[i] * rl + k.di[i];
    const double mr = nr - r0 * dr;
    const double mi = ni - r0 * di;
    const double pr = nr + r0 * dr;
    const double pi = ni + r0 * di;
    k.reflection[i] = (mr * mr + mi * mi) / (pr * pr + pi * pi);
  }
  const double rho2Min = kRhoMin * kRhoMin;
  const double rho2Max = kRhoMax * kRhoMax;
  for (int i = 0; i < n; ++i) {
    k.gain[i] = -10.0 * std::log10(k.gain[i]);
    const double rho2 = k.reflection[i];
    if (rho2 > rho2Max) {
      k.reflection[i] = plan.highDb;
    } else if (rho2 < rho2Min) {
      k.reflection[i] = plan.lowDb;
    } else {
      k.reflection[i] = 10.0 * std::log10(rho2);
    }
  }
}

// Builds the plan from the element table and parameters of the last sweep
// and the design's current Rs and Q values. False when these break the
// arithmetic.
bool MakePlan(const LadderElement* table, int count, float rl, float r0, float fref,
              const DesignState& design, Plan& plan) noexcept {
  plan.count = count;
  plan.twoPi = 2.0 * static_cast<double>(kPi);
  plan.rs = design.InputTermination;
  plan.rl = rl;
  plan.r0 = r0;
  plan.qc = design.CapacitorQ;
  const double qi = design.InductorQ;
  plan.lowDb = 20.0 * std::log10(kRhoMin);
  plan.highDb = 20.0 * std::log10(kRhoMax);
  if (!IsPositive(plan.rs) || !IsPositive(plan.rl) || !IsPositive(plan.r0) ||
      !IsPositive(plan.qc) || !IsPositive(qi) || !IsPositive(fref)) {
    return false;
  }
  for (int p = 0; p < count; ++p) {
    const LadderElement& el = table[p];
    ElementPlan& e = plan.elements[p];
    e.type = el.type;
    e.c = el.capacitance;
    e.l = el.inductance;
    if (!std::isfinite(e.c) || !std::isfinite(e.l)) return false;
    if (e.type == 4 && e.c == 0.0) {
      const double rp = std::fabs(plan.qc * kOpenOhms);
      e.openY = 1.0 / rp;
      e.openB = -1.0 / kOpenOhms;
    } else if (e.type == 1) {
      const double loss = std::fabs(plan.twoPi * fref * e.l / qi);
      if (!FitsFloat(loss)) return false;
      e.lossOhms = static_cast<float>(loss);
    } else if (e.type == 7) {
      // The trap divides by the inductor's reactance and loss resistance.
      if (!(e.l > 0.0)) return false;
      e.lossOhms = plan.twoPi * fref * e.l / qi;
      if (!IsPositive(e.lossOhms)) return false;
    }
  }
  return true;
}

}  // namespace

// Inputs that break the arithmetic are judged per sweep: if the design
// cannot be analysed, or any point comes out non-finite, the whole sweep
// is marked invalid and its gain and reflection arrays hold zeros, so no
// partial curve and no stale curve of an earlier design survives.
void Analyzer::RunSweep(DesignState& design) noexcept {
  m_elementCount = 5;
  m_elements[1] = {4, design.C47, 0.0f};
  m_elements[2] = {1, 0.0f, design.L2};
  m_elements[3] = {4, design.C48, 0.0f};
  m_elements[4] = {7, design.C92, design.L1};
  m_elements[5] = {4, design.C49, 0.0f};
  design.LoadTermination = design.InputTermination;
  m_rl = design.LoadTermination;
  m_r0 = design.InputTermination;
  m_fref = design.LowerEdge;

  SweepResult& out = m_result;
  out.intervals = kIntervals;
  out.valid = false;
  out.gain.fill(0.0f);
  out.reflection.fill(0.0f);
  out.frequency.fill(0.0f);
  out.pointGain = 0.0;
  out.pointReflection = 0.0;

  const double start = design.SweepStart;
  const double stop = design.SweepStop;
  if (!IsPositive(start) || !IsPositive(stop)) return;
  const double la = std::log(start);
  const double lb = std::log(stop);
  for (int i = 0; i <= kIntervals; ++i) {
    const double f = std::exp(la + (lb - la) * i / kIntervals);
    if (!FitsFloat(f)) {
      out.frequency.fill(0.0f);
      return;
    }
    out.frequency[i] = static_cast<float>(f);
  }

  Plan plan;
  if (!MakePlan(&m_elements[1], m_elementCount, m_rl, m_r0, m_fref, design, plan)) return;

  Block k;
  bool finite = true;
  for (int first = 0; first <= kIntervals; first += kBlock) {
    const int n = std::min(kBlock, kIntervals + 1 - first);
    for (int i = 0; i < n; ++i) k.w[i] = static_cast<double>(out.frequency[first + i]) * plan.twoPi;
    AnalyzeBlock(plan, k, n);
    for (int i = 0; i < n; ++i) {
      const bool ok = FitsFloat(k.gain[i]) && FitsFloat(k.reflection[i]);
      finite = finite && ok;
      out.gain[first + i] = ok ? static_cast<float>(k.gain[i]) : 0.0f;
      out.reflection[first + i] = ok ? static_cast<float>(k.reflection[i]) : 0.0f;
    }
    if (first + n == kIntervals + 1) {
      out.pointGain = k.gain[n - 1];
      out.pointReflection = k.reflection[n - 1];
    }
  }
  if (!finite) {
    out.gain.fill(0.0f);
    out.reflection.fill(0.0f);
    out.pointGain = 0.0;
    out.pointReflection = 0.0;
    return;
  }
  out.valid = true;
}

// A single point judges its own inputs: where they break the arithmetic
// both results are 0 dB rather than NaN or a crash.
void Analyzer::AnalyzePoint(const DesignState& design, double frequency) noexcept {
  if (m_elementCount <= 0) return;
  SweepResult& out = m_result;
  out.pointGain = 0.0;
  out.pointReflection = 0.0;
  Plan plan;
  const int count = std::min<int>(m_elementCount, kMaxElements);
  if (!IsPositive(frequency) ||
      !MakePlan(&m_elements[1], count, m_rl, m_r0, m_fref, design, plan)) {
    return;
  }
  Block k;
  k.w[0] = frequency * plan.twoPi;
  AnalyzeBlock(plan, k, 1);
  if (std::isfinite(k.gain[0]) && std::isfinite(k.reflection[0])) {
    out.pointGain = k.gain[0];
    out.pointReflection = k.reflection[0];
  }
}

}  // namespace diruruzevuv::model
