#include "model/circuit/analysis.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>

#include "model/circuit/ladder.h"

namespace diruruzevuv::model {
namespace {

// The chain matrices are multiplied for a block of frequencies at a time,
// one element after the other, with the real and imaginary parts in
// separate arrays. Every loop body is straight-line code the compiler can
// vectorise, and each value is computed with the same operations in the
// same order as a one-point complex calculation, so the stored results do
// not depend on the block layout.
constexpr int kBlock = 256;
constexpr int kIntervals = kSweepIntervals;

// The kernels are built for the baseline instruction set, for AVX2 and for
// AVX-512, and the loader picks the best the processor has; the helpers
// are inlined into each version. Fused multiply-add is off for the whole
// build, so every version computes the same values.
#if defined(__GNUC__) && defined(__x86_64__) && !defined(__clang__) && !defined(DIRU_NO_CLONES)
#define KERNEL_CLONES __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#else
#define KERNEL_CLONES
#endif
#define KERNEL_INLINE inline __attribute__((always_inline))

constexpr double kResonanceNudge = 1.00001;
constexpr double kZeroPart = 1e-10;
constexpr double kRhoMin = kReflectionMin;
constexpr double kRhoMax = kReflectionMax;
// The reflection at the two clamps, 20 log10(rho).
const double kLowDb = 20.0 * std::log10(kRhoMin);
const double kHighDb = 20.0 * std::log10(kRhoMax);

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
};

struct Block {
  double w[kBlock];
  double ar[kBlock], ai[kBlock], br[kBlock], bi[kBlock];
  double cr[kBlock], ci[kBlock], dr[kBlock], di[kBlock];
  double gainArg[kBlock];  // |T|^2 RL / 4Rs
  double rho2[kBlock];     // squared reflection magnitude
  double rho2Clamped[kBlock];
  double scratch[kBlock];
  double gain[kBlock];        // dB
  double reflection[kBlock];  // dB
};

// M = M x [[1, 0], [Y, 1]]
KERNEL_INLINE void ShuntStep(Block& k, int i, double yr, double yi) noexcept {
  k.ar[i] = k.ar[i] + (k.br[i] * yr - k.bi[i] * yi);
  k.ai[i] = k.ai[i] + (k.br[i] * yi + k.bi[i] * yr);
  k.cr[i] = k.cr[i] + (k.dr[i] * yr - k.di[i] * yi);
  k.ci[i] = k.ci[i] + (k.dr[i] * yi + k.di[i] * yr);
}

// M = M x [[1, Z], [0, 1]]
KERNEL_INLINE void SeriesStep(Block& k, int i, double zr, double zi) noexcept {
  k.br[i] = (k.ar[i] * zr - k.ai[i] * zi) + k.br[i];
  k.bi[i] = (k.ar[i] * zi + k.ai[i] * zr) + k.bi[i];
  k.dr[i] = (k.cr[i] * zr - k.ci[i] * zi) + k.dr[i];
  k.di[i] = (k.cr[i] * zi + k.ci[i] * zr) + k.di[i];
}

KERNEL_INLINE void ShuntCapacitor(const Plan& plan, const ElementPlan& e, Block& k,
                                  int n) noexcept {
  if (e.c == 0.0) {
    for (int i = 0; i < n; ++i) ShuntStep(k, i, e.openY, e.openB);
    return;
  }
  const double qc = plan.qc;
  const double c = e.c;
  for (int i = 0; i < n; ++i) {
    const double x = -1.0 / (k.w[i] * c);
    const double rp = std::fabs(qc * x);
    ShuntStep(k, i, 1.0 / rp, -1.0 / x);
  }
}

KERNEL_INLINE void SeriesInductor(const ElementPlan& e, Block& k, int n) noexcept {
  const double rsl = e.lossOhms;
  const double l = e.l;
  for (int i = 0; i < n; ++i) SeriesStep(k, i, rsl, k.w[i] * l);
}

// The pair L || C reduced to one series impedance; trapped tells whether a
// capacitor is fitted (otherwise it stands for 1e11 ohm).
template <bool trapped>
KERNEL_INLINE void TrappedInductor(const Plan& plan, const ElementPlan& e, Block& k,
                                   int n) noexcept {
  const double qc = plan.qc;
  const double rsl = e.lossOhms;
  const double l = e.l;
  const double c = e.c;
  for (int i = 0; i < n; ++i) {
    const double w = k.w[i];
    const double xl = w * l;
    const double rpl = rsl * (1.0 + (xl / rsl) * (xl / rsl));
    const double xplUnnudged = rpl * rsl / xl;
    double rc = kOpenOhms;
    double xc = kOpenOhms;
    if constexpr (trapped) {
      rc = std::fabs(qc / (w * c));
      xc = -1.0 / (w * c);
    }
    const double nudged = xplUnnudged * kResonanceNudge;
    const double xpl = (xc + xplUnnudged == 0.0) ? nudged : xplUnnudged;
    const double r = 1.0 / (1.0 / rpl + 1.0 / rc + 1.0 / kShuntOhms);
    const double x = 1.0 / (1.0 / xpl + 1.0 / xc);
    const double rser = std::fabs(r / (1.0 + (r / x) * (r / x)));
    const double xser = r * rser / x;
    SeriesStep(k, i, rser, xser);
  }
}

// log10 for arrays, branch-free so that it vectorises: the reduction and
// polynomial of the classic fdlibm logarithm, accurate to about one unit
// in the last place of a double. The results are only ever stored as
// float; where a result lies so close to a float rounding boundary that
// the last bits of the double could decide it, or the argument is not a
// normal positive number, the library's log10 recomputes it, so the stored
// floats are exactly those of scale * std::log10(x).
KERNEL_INLINE double Log10Kernel(double x) noexcept {
  constexpr double kLg1 = 6.666666666666735130e-01;
  constexpr double kLg2 = 3.999999999940941908e-01;
  constexpr double kLg3 = 2.857142874366239149e-01;
  constexpr double kLg4 = 2.222219843214978396e-01;
  constexpr double kLg5 = 1.818357216161805012e-01;
  constexpr double kLg6 = 1.531383769920937332e-01;
  constexpr double kLg7 = 1.479819860511658591e-01;
  constexpr double kInvLn10 = 4.34294481903251816668e-01;
  constexpr double kLog10Of2Hi = 3.01029995663611771306e-01;
  constexpr double kLog10Of2Lo = 3.69423907715893078616e-13;
  // x = 2^k m with m in [sqrt(1/2), sqrt(2)); k is kept biased by 1024 so
  // that only logical shifts are needed.
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
  const std::uint64_t t = bits - 0x3fe6a09e667f3bcdULL + 0x4000000000000000ULL;
  const std::uint64_t biasedK = t >> 52;
  const double k =
      (std::bit_cast<double>(0x4330000000000000ULL | biasedK) - 4503599627370496.0) - 1024.0;
  const double m =
      std::bit_cast<double>(bits - (t & 0xfff0000000000000ULL) + 0x4000000000000000ULL);
  const double f = m - 1.0;
  const double s = f / (2.0 + f);
  const double z = s * s;
  const double w = z * z;
  const double t1 = w * (kLg2 + w * (kLg4 + w * kLg6));
  const double t2 = z * (kLg1 + w * (kLg3 + w * (kLg5 + w * kLg7)));
  const double hfsq = 0.5 * f * f;
  const double lnm = f - (hfsq - s * (hfsq + (t1 + t2)));
  return k * kLog10Of2Hi + (k * kLog10Of2Lo + kInvLn10 * lnm);
}

// out[i] = scale * log10(in[i]) for i < n; unsure is scratch space.
KERNEL_INLINE void ScaledLog10(double scale, const double* in, double* out, double* unsure,
                               int n) noexcept {
  for (int i = 0; i < n; ++i) out[i] = scale * Log10Kernel(in[i]);
  // Multiplying by 2^29 + 1 and cancelling rounds a double to the 24
  // significant bits of a float (Veltkamp's split). If both ends of a
  // margin far wider than the kernel's error round alike, the library's
  // value rounds the same way too.
  constexpr double kMargin = 1e-14;
  constexpr double kSplit = 536870913.0;
  double anyUnsure = 0.0;
  for (int i = 0; i < n; ++i) {
    const double x = in[i];
    const double v = out[i];
    const double size = std::fabs(v);
    const double below = v - size * kMargin;
    const double above = v + size * kMargin;
    const double pb = below * kSplit;
    const double pa = above * kSplit;
    const double roundedBelow = pb - (pb - below);
    const double roundedAbove = pa - (pa - above);
    // Arguments that are not normal positive numbers (NaN included), zero
    // or tiny results and huge ones are left to the library.
    const double normal = x >= DBL_MIN ? (x <= DBL_MAX ? 1.0 : 0.0) : 0.0;
    const double bad = roundedBelow != roundedAbove ? 1.0
                       : size < 1e-30               ? 1.0
                       : size > 1e30                ? 1.0
                                                    : 1.0 - normal;
    unsure[i] = bad;
    anyUnsure += bad;
  }
  if (anyUnsure == 0.0) return;
  for (int i = 0; i < n; ++i) {
    if (unsure[i] != 0.0) out[i] = scale * std::log10(in[i]);
  }
}

// Analyses n frequencies into k.gain and k.reflection.
KERNEL_CLONES void AnalyzeBlock(const Plan& plan, Block& k, int n) noexcept {
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
        if (e.c == 0.0) {
          TrappedInductor<false>(plan, e, k, n);
        } else {
          TrappedInductor<true>(plan, e, k, n);
        }
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
    tr = tr == 0.0 ? kZeroPart : tr;
    ti = ti == 0.0 ? kZeroPart : ti;
    k.gainArg[i] = (tr * tr + ti * ti) * rl / (4.0 * rs);
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
    k.rho2[i] = (mr * mr + mi * mi) / (pr * pr + pi * pi);
  }
  ScaledLog10(-10.0, k.gainArg, k.gain, k.scratch, n);
  const double rho2Min = kRhoMin * kRhoMin;
  const double rho2Max = kRhoMax * kRhoMax;
  for (int i = 0; i < n; ++i) {
    const double rho2 = k.rho2[i];
    k.rho2Clamped[i] = rho2 > rho2Max ? rho2Max : (rho2 < rho2Min ? rho2Min : rho2);
  }
  ScaledLog10(10.0, k.rho2Clamped, k.reflection, k.scratch, n);
  const double highDb = kHighDb;
  const double lowDb = kLowDb;
  for (int i = 0; i < n; ++i) {
    const double rho2 = k.rho2[i];
    k.reflection[i] = rho2 > rho2Max ? highDb : (rho2 < rho2Min ? lowDb : k.reflection[i]);
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
      const double loss = std::fabs(InductorLossOhms(plan.twoPi, fref, e.l, qi));
      if (!FitsFloat(loss)) return false;
      e.lossOhms = static_cast<float>(loss);
    } else if (e.type == 7) {
      // The trap divides by the inductor's reactance and loss resistance.
      if (!(e.l > 0.0)) return false;
      e.lossOhms = InductorLossOhms(plan.twoPi, fref, e.l, qi);
      if (!IsPositive(e.lossOhms)) return false;
    }
  }
  return true;
}

// exp for arrays, branch-free: Cody and Waite's reduction by ln 2 and a
// degree-13 Taylor polynomial, within about one unit in the last place of
// a double for the arguments a sweep can produce. Like the logarithm
// above, results close to a float rounding boundary are recomputed with
// the library's exp.
KERNEL_INLINE double ExpKernel(double x) noexcept {
  constexpr double kInvLn2 = 1.44269504088896338700e+00;
  constexpr double kLn2Hi = 6.93147180369123816490e-01;
  constexpr double kLn2Lo = 1.90821492927058770002e-10;
  constexpr double kShifter = 6755399441055744.0;  // 1.5 * 2^52 rounds to an integer
  const double shifted = x * kInvLn2 + kShifter;
  const double k = shifted - kShifter;
  const double r = (x - k * kLn2Hi) - k * kLn2Lo;
  double p = 1.0 / 6227020800.0;
  p = p * r + 1.0 / 479001600.0;
  p = p * r + 1.0 / 39916800.0;
  p = p * r + 1.0 / 3628800.0;
  p = p * r + 1.0 / 362880.0;
  p = p * r + 1.0 / 40320.0;
  p = p * r + 1.0 / 5040.0;
  p = p * r + 1.0 / 720.0;
  p = p * r + 1.0 / 120.0;
  p = p * r + 1.0 / 24.0;
  p = p * r + 1.0 / 6.0;
  p = p * r + 0.5;
  p = p * r + 1.0;
  p = p * r + 1.0;
  const std::uint64_t ki =
      std::bit_cast<std::uint64_t>(shifted) - std::bit_cast<std::uint64_t>(kShifter);
  return p * std::bit_cast<double>((ki + 1023) << 52);
}

// The frequency table from start to stop, false when a limit is not a
// positive finite number or a frequency falls outside the float range.
KERNEL_CLONES bool BuildFrequencyTable(double start, double stop,
                                       std::array<float, kIntervals + 1>& table) noexcept {
  if (!IsPositive(start) || !IsPositive(stop)) return false;
  const double la = std::log(start);
  const double lb = std::log(stop);
  constexpr int kCount = kIntervals + 1;
  double f[kCount];
  double unsure[kCount];
  for (int i = 0; i < kCount; ++i) f[i] = ExpKernel(LogGridExponent(la, lb, i, kIntervals));
  constexpr double kMargin = 1e-14;
  constexpr double kSplit = 536870913.0;
  double anyUnsure = 0.0;
  for (int i = 0; i < kCount; ++i) {
    const double v = f[i];
    const double below = v - v * kMargin;
    const double above = v + v * kMargin;
    const double pb = below * kSplit;
    const double pa = above * kSplit;
    // Outside the float normal range (and for NaN) the library decides.
    const double bad = (pb - (pb - below)) != (pa - (pa - above)) ? 1.0
                       : v < 1e-37                                ? 1.0
                       : v > 1e38                                 ? 1.0
                                                                  : 0.0;
    unsure[i] = bad;
    anyUnsure += bad;
  }
  if (anyUnsure != 0.0) {
    for (int i = 0; i < kCount; ++i) {
      if (unsure[i] != 0.0) f[i] = std::exp(LogGridExponent(la, lb, i, kIntervals));
    }
  }
  int outside = 0;
  for (int i = 0; i < kCount; ++i) {
    const bool fits = std::fabs(f[i]) <= FLT_MAX;
    outside |= !fits;
    table[i] = fits ? static_cast<float>(f[i]) : 0.0f;
  }
  return outside == 0;
}

void MarkInvalid(SweepResult& out, bool keepFrequencies) noexcept {
  out.valid = false;
  out.gain.fill(0.0f);
  out.reflection.fill(0.0f);
  if (!keepFrequencies) out.frequency.fill(0.0f);
  out.pointGain = 0.0;
  out.pointReflection = 0.0;
}

}  // namespace

// Inputs that break the arithmetic are judged per sweep: if the design
// cannot be analysed, or any point comes out non-finite, the whole sweep
// is marked invalid and its gain and reflection arrays hold zeros, so no
// partial curve and no stale curve of an earlier design survives.
void Analyzer::RunSweep(DesignState& design) noexcept {
  // The element table read off the ladder's sections: 4 a shunt
  // capacitor, 1 a series inductor, 7 an inductor with a capacitor across.
  const Ladder ladder = LadderFromDesign(design);
  m_elementCount = kLadderSectionCount;
  for (int p = 0; p < kLadderSectionCount; ++p) {
    const LadderSection& section = kLadderSections[p];
    const float part = static_cast<float>(ladder.value[section.part]);  // the design's float
    const float across = static_cast<float>(ladder.value[section.across]);
    m_elements[p + 1] = section.kind == SectionKind::kShuntCapacitor ? LadderElement{4, part, 0.0f}
                        : section.kind == SectionKind::kSeriesInductor
                            ? LadderElement{1, 0.0f, part}
                            : LadderElement{7, across, part};
  }
  SetTermination(design, design.InputTermination);
  m_rl = design.LoadTermination;
  m_r0 = design.InputTermination;
  m_fref = design.LowerEdge;

  SweepResult& out = m_result;
  out.intervals = kIntervals;
  if (!m_tableReady || design.SweepStart != m_tableStart || design.SweepStop != m_tableStop) {
    m_tableReady = BuildFrequencyTable(design.SweepStart, design.SweepStop, m_frequencies);
    m_tableStart = design.SweepStart;
    m_tableStop = design.SweepStop;
  }
  if (!m_tableReady) {
    MarkInvalid(out, false);
    return;
  }
  std::copy(m_frequencies.begin(), m_frequencies.end(), out.frequency.begin());

  Plan plan;
  if (!MakePlan(&m_elements[1], m_elementCount, m_rl, m_r0, m_fref, design, plan)) {
    MarkInvalid(out, true);
    return;
  }
  Block k;
  int broken = 0;
  for (int first = 0; first <= kIntervals; first += kBlock) {
    const int n = std::min(kBlock, kIntervals + 1 - first);
    const float* f = &out.frequency[first];
    for (int i = 0; i < n; ++i) k.w[i] = static_cast<double>(f[i]) * plan.twoPi;
    AnalyzeBlock(plan, k, n);
    float* gain = &out.gain[first];
    float* reflection = &out.reflection[first];
    for (int i = 0; i < n; ++i) {
      const bool ok = std::fabs(k.gain[i]) <= FLT_MAX && std::fabs(k.reflection[i]) <= FLT_MAX;
      broken |= !ok;
      gain[i] = ok ? static_cast<float>(k.gain[i]) : 0.0f;
      reflection[i] = ok ? static_cast<float>(k.reflection[i]) : 0.0f;
    }
    out.pointGain = k.gain[n - 1];
    out.pointReflection = k.reflection[n - 1];
  }
  if (broken != 0) {
    MarkInvalid(out, true);
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

EdgeGains AnalyzeEdges(Analyzer& swept, const DesignState& design) noexcept {
  EdgeGains gains;
  swept.AnalyzePoint(design, design.LowerEdge);
  gains.lower = swept.Result().pointGain;
  swept.AnalyzePoint(design, design.UpperEdge);
  gains.upper = swept.Result().pointGain;
  return gains;
}

}  // namespace diruruzevuv::model
