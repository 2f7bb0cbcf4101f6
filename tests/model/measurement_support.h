#pragma once

// Measured-filter files made from the program's own model with known
// deviations, noise and parasitics the model does not have.
#include <cmath>
#include <complex>
#include <cstdio>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "files/band_preset.h"
#include "files/touchstone.h"
#include "model/circuit/design_state.h"
#include "model/circuit/global_defaults.h"
#include "model/circuit/ladder.h"
#include "model/measurement/measured_network.h"
#include "model/notifier.h"
#include "model/session.h"
#include "model/circuit/wizard.h"

namespace diruruzevuv::testing {

// A shipped band preset with the shipped global defaults' Q values.
inline model::DesignState BandDesign(std::int16_t band) {
  model::DesignState d;
  d.InductorQ = 200.0f, d.CapacitorQ = 2000.0f;
  d.InputTermination = d.LoadTermination = 50.0f;
  model::SilentNotifier quiet;
  files::SelectBand(band, d, model::FileLocations{".", DIRU_SOURCE_DATA_DIR}, quiet);
  return d;
}

// The wizard's 40-metre design for a 12.5 ohm transmitter.
inline model::DesignState WizardDesign12() {
  model::DesignState d;
  d.InductorQ = 200.0f, d.CapacitorQ = 2000.0f;
  model::GlobalDefaults defaults;
  const auto outcome = model::WizardPreview({"7M", "4.9", "12.5"}, d, defaults);
  if (!outcome.accepted) std::abort();
  return d;
}

struct Synthesis {
  double ohms = 50.0;  // reference impedance of the file
  int points = 401;
  double start = 0.0;  // 0: the design's sweep range
  double stop = 0.0;
  double noiseDb = 0.0;     // 0: no noise; otherwise its level, e.g. -90
  bool parasitics = false;  // 1.5 nH in each capacitor, 1 pF across each toroid
  bool twoPort = true;
  unsigned seed = 1;
};

// S11 and S21 of the built filter with parasitics, at reference ohms.
inline model::SParameters RespondWithParasitics(const model::Ladder& p, double f, double ohms) {
  using C = std::complex<double>;
  const double w = f * p.twoPi;
  const double lead = 1.5e-9, winding = 1e-12;
  auto cap = [&](double c) {  // shunt admittance of a capacitor with its leads
    const C y(w * c / p.capacitorQ, w * c);
    return 1.0 / (1.0 / y + C(0.0, w * lead));
  };
  const double loss = p.twoPi * p.lossReferenceHz / p.inductorQ;
  const auto& v = p.value;
  const C z2 = 1.0 / (1.0 / C(loss * v[model::kL2], w * v[model::kL2]) + C(0.0, w * winding));
  const C y4 = 1.0 / C(loss * v[model::kL1], w * v[model::kL1]) + C(0.0, w * winding) +
               cap(v[model::kC92]) + 1e-11;
  const C z4 = 1.0 / y4;
  C a = 1.0, b = 0.0, c = 0.0, d = 1.0;
  auto shunt = [&](C y) { a += b * y, c += d * y; };
  auto series = [&](C z) { b += a * z, d += c * z; };
  shunt(cap(v[model::kC47])), series(z2), shunt(cap(v[model::kC48])), series(z4);
  shunt(cap(v[model::kC49]));
  const C den = a * ohms + b + c * ohms * ohms + d * ohms;
  return {(a * ohms + b - c * ohms * ohms - d * ohms) / den, 2.0 * ohms / den,
          (-a * ohms + b - c * ohms * ohms + d * ohms) / den};
}

// A version 1 Touchstone file ("# Hz S RI R <ohms>") of the built parts.
inline std::string MeasurementText(const model::DesignState& design, const model::Ladder& built,
                                   const Synthesis& s = {}) {
  const double start = s.start > 0.0 ? s.start : design.SweepStart;
  const double stop = s.stop > 0.0 ? s.stop : design.SweepStop;
  std::mt19937 random(s.seed);
  std::normal_distribution<double> gauss(0.0, std::pow(10.0, s.noiseDb / 20.0) / std::sqrt(2.0));
  auto noise = [&] {
    return s.noiseDb == 0.0 ? std::complex<double>()
                            : std::complex<double>(gauss(random), gauss(random));
  };
  char line[256];
  std::snprintf(line, sizeof line, "! synthesised\r\n# Hz S RI R %.17g\r\n", s.ohms);
  std::string text = line;
  for (int i = 0; i < s.points; ++i) {
    const double f =
        std::exp(std::log(start) + (std::log(stop) - std::log(start)) * i / (s.points - 1));
    const model::SParameters r =
        s.parasitics ? RespondWithParasitics(built, f, s.ohms) : model::Respond(built, f, s.ohms);
    const std::complex<double> s11 = r.s11 + noise(), s21 = r.s21 + noise();
    const std::complex<double> s12 = r.s21 + noise(), s22 = r.s22 + noise();
    if (s.twoPort)
      std::snprintf(line, sizeof line, "%.17g %.17g %.17g %.17g %.17g %.17g %.17g %.17g %.17g\r\n",
                    f, s11.real(), s11.imag(), s21.real(), s21.imag(), s12.real(), s12.imag(),
                    s22.real(), s22.imag());
    else
      std::snprintf(line, sizeof line, "%.17g %.17g %.17g\r\n", f, s11.real(), s11.imag());
    text += line;
  }
  return text;
}

// The file read as the program reads it and referred to the design's termination.
inline model::MeasuredNetwork Measured(const model::DesignState& design, const model::Ladder& built,
                                       const Synthesis& s = {}) {
  const files::TouchstoneRead read = files::ParseTouchstone(MeasurementText(design, built, s),
                                                            s.twoPort ? "built.s2p" : "built.s1p");
  model::MeasuredNetwork referred;
  EXPECT_TRUE(read.network && Renormalise(*read.network, design.InputTermination, referred))
      << read.error.Text();
  return referred;
}

}  // namespace diruruzevuv::testing
