#include <benchmark/benchmark.h>

#include <bit>
#include <cmath>
#include <cstdint>

#include "model/analysis.h"
#include "model/design_state.h"

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
namespace plain {

#if defined(__GNUC__) && defined(__x86_64__)
#define PLAIN_TARGET __attribute__((target("avx2")))
#else
#define PLAIN_TARGET
#endif

constexpr int kPoints = 2001;

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
  float gain[kPoints];
  float reflection[kPoints];
};

PLAIN_TARGET void Run(const DesignState& d, Sweep& s) {
  const double twoPi = 2.0 * static_cast<double>(diruruzevuv::model::kPi);
  const double r = d.InputTermination, qc = d.CapacitorQ;
  const double c47 = d.C47, c48 = d.C48, c49 = d.C49, c92 = d.C92, l1 = d.L1, l2 = d.L2;
  const double rl2 = static_cast<float>(twoPi * d.LowerEdge * l2 / d.InductorQ);
  const double rl1 = twoPi * d.LowerEdge * l1 / d.InductorQ;
  for (int i = 0; i < kPoints; ++i) {
    const double w = s.w[i];
    // M = [C47][L2][C48][L1 || C92][C49], as real and imaginary parts.
    double ar = 1.0 + 0.0, ai = 0.0, br = 0.0, bi = 0.0, cr = w * c47 / qc, ci = w * c47,
           dr = 1.0, di = 0.0;
    auto series = [&](double zr, double zi) {
      br += ar * zr - ai * zi, bi += ar * zi + ai * zr;
      dr += cr * zr - ci * zi, di += cr * zi + ci * zr;
    };
    auto shunt = [&](double yr, double yi) {
      ar += br * yr - bi * yi, ai += br * yi + bi * yr;
      cr += dr * yr - di * yi, ci += dr * yi + di * yr;
    };
    series(rl2, w * l2);
    shunt(w * c48 / qc, w * c48);
    // The trap: 1 / (1 / (R + jwL) + G + jwC + 1e-11).
    const double xl = w * l1;
    const double den = 1.0 / (rl1 * rl1 + xl * xl);
    const double yr = rl1 * den + w * c92 / qc + 1e-11, yi = -xl * den + w * c92;
    const double yden = 1.0 / (yr * yr + yi * yi);
    series(yr * yden, -yi * yden);
    shunt(w * c49 / qc, w * c49);
    const double tr = ar + br / r + cr * r + dr, ti = ai + bi / r + ci * r + di;
    const double nr = ar * r + br, ni = ai * r + bi, er = cr * r + dr, ei = ci * r + di;
    const double mr = nr - r * er, mi = ni - r * ei, pr = nr + r * er, pi = ni + r * ei;
    const double rho2 = (mr * mr + mi * mi) / (pr * pr + pi * pi);
    s.gainArg[i] = (tr * tr + ti * ti) * 0.25;
    s.rho2[i] = rho2;
  }
  for (int i = 0; i < kPoints; ++i) {
    const double rho2 = s.rho2[i];
    s.rho2[i] = rho2 < 1e-14 ? 1e-14 : (rho2 > 0.9999998 ? 0.9999998 : rho2);
  }
  for (int i = 0; i < kPoints; ++i) {
    s.gain[i] = static_cast<float>(-10.0 * Log10(s.gainArg[i]));
    s.reflection[i] = static_cast<float>(10.0 * Log10(s.rho2[i]));
  }
}

}  // namespace plain

void BM_PlainKernelReference(benchmark::State& state) {
  const DesignState design = TwentyMetres();
  Analyzer analyzer;
  DesignState copy = design;
  analyzer.RunSweep(copy);
  static plain::Sweep sweep;
  for (int i = 0; i < plain::kPoints; ++i)
    sweep.w[i] = static_cast<double>(analyzer.Result().frequency[i]) * 2.0 *
                 static_cast<double>(diruruzevuv::model::kPi);
  plain::Run(design, sweep);
  // The reference must compute the same response to within rounding.
  for (int i = 0; i < plain::kPoints; i += 100) {
    if (std::fabs(sweep.gain[i] - analyzer.Result().gain[i]) > 1e-3 ||
        std::fabs(sweep.reflection[i] - analyzer.Result().reflection[i]) > 1e-3) {
      state.SkipWithError("the plain kernel does not match RunSweep");
      return;
    }
  }
  for (auto _ : state) {
    plain::Run(design, sweep);
    benchmark::DoNotOptimize(sweep.gain);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * plain::kPoints);
}
BENCHMARK(BM_PlainKernelReference);
