#include <benchmark/benchmark.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>

#include "model/circuit/analysis.h"
#include "model/circuit/design_state.h"

namespace {

using diruruzevuv::model::Analyzer;
using diruruzevuv::model::ApplyDefaultDesign;
using diruruzevuv::model::DesignState;

DesignState TwentyMetres() {
  DesignState design;
  ApplyDefaultDesign(design);
  design.InductorQ = 200.0f;
  design.CapacitorQ = 2000.0f;
  return design;
}

// What every component button and every Monte Carlo trial pays.
void BM_RunSweep(benchmark::State& state) {
  DesignState design = TwentyMetres();
  Analyzer analyzer;
  for (auto _ : state) {
    analyzer.RunSweep(design);
    benchmark::DoNotOptimize(analyzer.Result().gain.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 2001);
}
BENCHMARK(BM_RunSweep);

// The same with the sweep range changing every time, so the frequency
// table has to be rebuilt on each sweep.
void BM_RunSweepNewRange(benchmark::State& state) {
  DesignState design = TwentyMetres();
  Analyzer analyzer;
  bool flip = false;
  for (auto _ : state) {
    design.SweepStop = flip ? 50e6f : 51e6f;
    flip = !flip;
    analyzer.RunSweep(design);
    benchmark::DoNotOptimize(analyzer.Result().gain.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 2001);
}
BENCHMARK(BM_RunSweepNewRange);

// One band-edge evaluation, as the plot does twice per redisplay.
void BM_AnalyzePoint(benchmark::State& state) {
  DesignState design = TwentyMetres();
  Analyzer analyzer;
  analyzer.RunSweep(design);
  double f = 14e6;
  for (auto _ : state) {
    benchmark::DoNotOptimize(f);
    analyzer.AnalyzePoint(design, f);
    benchmark::DoNotOptimize(analyzer.Result().pointGain);
  }
}
BENCHMARK(BM_AnalyzePoint);

}  // namespace

// The reference for RunSweep: a plain double-precision kernel of the same
// ladder, one straight-line loop over the points with a vectorised
// logarithm, built for AVX2, with none of the program's rules on float
// rounding (its results may differ from RunSweep's in the last bits).
//
// The same kernel also takes the sweep's rules one at a time, each written
// as RunSweep computes it, to show what each costs:
//  - kShuntForm: a shunt capacitor through its reactance, x = -1/(wC),
//    Rp = |Qc x|, Y = 1/Rp - j/x (three divisions; plain: none);
//  - kTrapForm: the trap through the inductor's parallel equivalent, the
//    resonance nudge, and back to a series impedance (about thirteen
//    divisions; plain: two);
//  - kEndsForm: the transmission through the load and source and the
//    reflection as RunSweep writes them, with the zero-part substitution;
//  - kLogCheck: every logarithm checked against the float rounding
//    boundary (and recomputed by the library where it is close), and the
//    reflection's clamp values restored.
namespace plain {

#if defined(__GNUC__) && defined(__x86_64__)
#define PLAIN_TARGET __attribute__((target("avx2")))
#else
#define PLAIN_TARGET
#endif

constexpr int kPoints = 2001;
constexpr unsigned kShuntForm = 1, kTrapForm = 2, kEndsForm = 4, kLogCheck = 8;

PLAIN_TARGET inline double Log10(double x) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
  // x = 2^k m, m in [sqrt(1/2), sqrt(2)); k biased so that shifts stay logical
  // and the conversion to double needs no 64-bit integer instruction.
  const std::uint64_t t = bits - 0x3fe6a09e667f3bcdULL + 0x4000000000000000ULL;
  const double k =
      (std::bit_cast<double>(0x4330000000000000ULL | (t >> 52)) - 4503599627370496.0) - 1024.0;
  const double m =
      std::bit_cast<double>(bits - (t & 0xfff0000000000000ULL) + 0x4000000000000000ULL);
  const double f = m - 1.0;
  const double s = f / (2.0 + f);
  const double z = s * s;
  const double w = z * z;
  const double t1 = w * (3.999999999940941908e-01 +
                         w * (2.222219843214978396e-01 + w * 1.531383769920937332e-01));
  const double t2 = z * (6.666666666666735130e-01 +
                         w * (2.857142874366239149e-01 +
                              w * (1.818357216161805012e-01 + w * 1.479819860511658591e-01)));
  const double hfsq = 0.5 * f * f;
  const double lnm = f - (hfsq - s * (hfsq + (t1 + t2)));
  return k * 0.30102999566398119521 + 0.43429448190325182765 * lnm;
}

struct Sweep {
  double w[kPoints];
  double gainArg[kPoints];
  double rho2[kPoints];
  double rho2Clamped[kPoints];
  double gainDb[kPoints];
  double reflectionDb[kPoints];
  double unsure[kPoints];
  float gain[kPoints];
  float reflection[kPoints];
};

// out = scale log10(in); with kLogCheck, values near a float rounding
// boundary are recomputed by the library, as RunSweep does.
template <unsigned Rules>
PLAIN_TARGET void Logs(double scale, const double* in, double* out, double* unsure) {
  for (int i = 0; i < kPoints; ++i) out[i] = scale * Log10(in[i]);
  if constexpr ((Rules & kLogCheck) != 0) {
    double any = 0.0;
    for (int i = 0; i < kPoints; ++i) {
      const double v = out[i], size = std::fabs(v);
      const double below = v - size * 1e-14, above = v + size * 1e-14;
      const double pb = below * 536870913.0, pa = above * 536870913.0;
      const double normal = in[i] >= DBL_MIN ? (in[i] <= DBL_MAX ? 1.0 : 0.0) : 0.0;
      const double bad = (pb - (pb - below)) != (pa - (pa - above)) ? 1.0
                         : size < 1e-30                             ? 1.0
                         : size > 1e30                              ? 1.0
                                                                    : 1.0 - normal;
      unsure[i] = bad;
      any += bad;
    }
    if (any != 0.0) {
      for (int i = 0; i < kPoints; ++i)
        if (unsure[i] != 0.0) out[i] = scale * std::log10(in[i]);
    }
  }
}

template <unsigned Rules>
PLAIN_TARGET void Run(const DesignState& d, Sweep& s) {
  const double twoPi = 2.0 * static_cast<double>(diruruzevuv::model::kPi);
  const double r = d.InputTermination, qc = d.CapacitorQ;
  const double c47 = d.C47, c48 = d.C48, c49 = d.C49, c92 = d.C92, l1 = d.L1, l2 = d.L2;
  const double rl2 = static_cast<float>(twoPi * d.LowerEdge * l2 / d.InductorQ);
  const double rl1 = twoPi * d.LowerEdge * l1 / d.InductorQ;
  for (int i = 0; i < kPoints; ++i) {
    const double w = s.w[i];
    // M = [C47][L2][C48][L1 || C92][C49], as real and imaginary parts.
    double ar = 1.0, ai = 0.0, br = 0.0, bi = 0.0, cr = 0.0, ci = 0.0, dr = 1.0, di = 0.0;
    auto series = [&](double zr, double zi) {
      br += ar * zr - ai * zi, bi += ar * zi + ai * zr;
      dr += cr * zr - ci * zi, di += cr * zi + ci * zr;
    };
    auto shunt = [&](double yr, double yi) {
      ar += br * yr - bi * yi, ai += br * yi + bi * yr;
      cr += dr * yr - di * yi, ci += dr * yi + di * yr;
    };
    auto capacitor = [&](double c) {
      if constexpr ((Rules & kShuntForm) != 0) {
        const double x = -1.0 / (w * c);
        const double rp = std::fabs(qc * x);
        shunt(1.0 / rp, -1.0 / x);
      } else {
        shunt(w * c / qc, w * c);
      }
    };
    capacitor(c47);
    series(rl2, w * l2);
    capacitor(c48);
    if constexpr ((Rules & kTrapForm) != 0) {
      const double xl = w * l1;
      const double rpl = rl1 * (1.0 + (xl / rl1) * (xl / rl1));
      const double xplUnnudged = rpl * rl1 / xl;
      const double rc = std::fabs(qc / (w * c92));
      const double xc = -1.0 / (w * c92);
      const double nudged = xplUnnudged * 1.00001;
      const double xpl = (xc + xplUnnudged == 0.0) ? nudged : xplUnnudged;
      const double rp = 1.0 / (1.0 / rpl + 1.0 / rc + 1.0 / 1e11);
      const double xp = 1.0 / (1.0 / xpl + 1.0 / xc);
      const double rser = std::fabs(rp / (1.0 + (rp / xp) * (rp / xp)));
      series(rser, rp * rser / xp);
    } else {
      // 1 / (1 / (R + jwL) + G + jwC + 1e-11).
      const double xl = w * l1;
      const double den = 1.0 / (rl1 * rl1 + xl * xl);
      const double yr = rl1 * den + w * c92 / qc + 1e-11, yi = -xl * den + w * c92;
      const double yden = 1.0 / (yr * yr + yi * yi);
      series(yr * yden, -yi * yden);
    }
    capacitor(c49);
    if constexpr ((Rules & kEndsForm) != 0) {
      double tr = (((ar * r + br) + cr * r * r) + dr * r) / r;
      double ti = (((ai * r + bi) + ci * r * r) + di * r) / r;
      tr = tr == 0.0 ? 1e-10 : tr;
      ti = ti == 0.0 ? 1e-10 : ti;
      s.gainArg[i] = (tr * tr + ti * ti) * r / (4.0 * r);
    } else {
      const double tr = ar + br / r + cr * r + dr, ti = ai + bi / r + ci * r + di;
      s.gainArg[i] = (tr * tr + ti * ti) * 0.25;
    }
    const double nr = ar * r + br, ni = ai * r + bi, er = cr * r + dr, ei = ci * r + di;
    const double mr = nr - r * er, mi = ni - r * ei, pr = nr + r * er, pi = ni + r * ei;
    s.rho2[i] = (mr * mr + mi * mi) / (pr * pr + pi * pi);
  }
  constexpr double kMin = 1e-14, kMax = 0.9999999 * 0.9999999;
  for (int i = 0; i < kPoints; ++i) {
    const double rho2 = s.rho2[i];
    s.rho2Clamped[i] = rho2 < kMin ? kMin : (rho2 > kMax ? kMax : rho2);
  }
  Logs<Rules>(-10.0, s.gainArg, s.gainDb, s.unsure);
  Logs<Rules>(10.0, s.rho2Clamped, s.reflectionDb, s.unsure);
  if constexpr ((Rules & kLogCheck) != 0) {
    const double lowDb = 20.0 * std::log10(1e-7), highDb = 20.0 * std::log10(0.9999999);
    for (int i = 0; i < kPoints; ++i) {
      const double rho2 = s.rho2[i];
      s.reflectionDb[i] = rho2 > kMax ? highDb : (rho2 < kMin ? lowDb : s.reflectionDb[i]);
    }
  }
  for (int i = 0; i < kPoints; ++i) {
    s.gain[i] = static_cast<float>(s.gainDb[i]);
    s.reflection[i] = static_cast<float>(s.reflectionDb[i]);
  }
}

}  // namespace plain

template <unsigned Rules>
void BM_PlainKernel(benchmark::State& state) {
  const DesignState design = TwentyMetres();
  Analyzer analyzer;
  DesignState copy = design;
  analyzer.RunSweep(copy);
  static plain::Sweep sweep;
  for (int i = 0; i < plain::kPoints; ++i)
    sweep.w[i] = static_cast<double>(analyzer.Result().frequency[i]) * 2.0 *
                 static_cast<double>(diruruzevuv::model::kPi);
  plain::Run<Rules>(design, sweep);
  // Every variant must compute the same response to within rounding.
  for (int i = 0; i < plain::kPoints; i += 100) {
    if (std::fabs(sweep.gain[i] - analyzer.Result().gain[i]) > 1e-3 ||
        std::fabs(sweep.reflection[i] - analyzer.Result().reflection[i]) > 1e-3) {
      state.SkipWithError("the plain kernel does not match RunSweep");
      return;
    }
  }
  for (auto _ : state) {
    plain::Run<Rules>(design, sweep);
    benchmark::DoNotOptimize(sweep.gain);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * plain::kPoints);
}
BENCHMARK(BM_PlainKernel<0>)->Name("BM_PlainKernelReference");
BENCHMARK(BM_PlainKernel<plain::kShuntForm>)->Name("BM_PlainKernel/+ShuntForm");
BENCHMARK(BM_PlainKernel<plain::kTrapForm>)->Name("BM_PlainKernel/+TrapForm");
BENCHMARK(BM_PlainKernel<plain::kEndsForm>)->Name("BM_PlainKernel/+EndsForm");
BENCHMARK(BM_PlainKernel<plain::kLogCheck>)->Name("BM_PlainKernel/+LogCheck");
BENCHMARK(BM_PlainKernel<15>)->Name("BM_PlainKernel/AllRules");
