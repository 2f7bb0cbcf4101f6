#include "model/measurement/part_measurement.h"

#include <gtest/gtest.h>

#include <cmath>

#include "model/build/build_sheet.h"

namespace diruruzevuv::model {
namespace {

using C = std::complex<double>;

TEST(PartMeasurement, FixtureFormulasGiveHandWorkedImpedances) {
  struct Case {
    Fixture fixture;
    C s;
    C z;
    C portTwo = 0.0;
  };
  // series: 2 Z0 (1 - S) / S; shunt: Z0 S / (2 (1 - S)); reflection: Z0 (1 + S) / (1 - S).
  // With port 2 matched by 0.2, S = S21 / (1 - 0.2 S22): 0.5 / 0.9 and 0.5 / 1.1.
  const Case cases[] = {
      {Fixture::kSeries, {0.5, 0.0}, {100.0, 0.0}},
      {Fixture::kSeries, {0.5, -0.5}, {0.0, 100.0}},
      {Fixture::kShunt, {0.5, 0.0}, {25.0, 0.0}},
      {Fixture::kShunt, {0.5, 0.5}, {0.0, 25.0}},
      {Fixture::kSeries, {5.0 / 9, 0.0}, {100.0, 0.0}, 0.2},
      {Fixture::kShunt, {5.0 / 11, 0.0}, {25.0, 0.0}, 0.2},
      {Fixture::kReflection, {-1.0 / 3, 0.0}, {25.0, 0.0}},
      {Fixture::kReflection, {0.0, 1.0}, {0.0, 50.0}},
  };
  for (const Case& c : cases) {
    const C z = c.fixture == Fixture::kSeries  ? SeriesThroughImpedance(c.s, 50.0, c.portTwo)
                : c.fixture == Fixture::kShunt ? ShuntThroughImpedance(c.s, 50.0, c.portTwo)
                                               : ReflectionImpedance(c.s, 50.0);
    EXPECT_NEAR(std::abs(z - c.z), 0.0, 1e-12) << FixtureKey(c.fixture) << " " << c.s;
  }
}

// What the fixture measures of the part, from 1 MHz to topHz; above
// modelTopHz the part stops following its model, as a real winding does
// far past its resonance.
MeasuredNetwork Measured(const PartModel& part, Fixture fixture, double topHz,
                         double modelTopHz = INFINITY) {
  MeasuredNetwork n;
  n.ports = 2;
  for (int k = 0; k < 301; ++k) {
    const double hz = 1e6 * std::pow(topHz / 1e6, k / 300.0);
    const C z = part.Impedance(hz) * (hz > modelTopHz ? 3.0 : 1.0);
    const C s21 = fixture == Fixture::kSeries ? 100.0 / (100.0 + z) : 2.0 * z / (2.0 * z + 50.0);
    n.frequency.push_back(hz);
    n.s.push_back({(z - 50.0) / (z + 50.0), fixture == Fixture::kReflection ? C{} : s21, {}, {}});
  }
  return n;
}

TEST(PartMeasurement, FitRecoversKnownPartsInEachFixture) {
  const PartModel toroid{PartKind::kInductor, 1.5e-6, 0.4, 3e-12};     // resonates at 75 MHz
  const PartModel lossless{PartKind::kInductor, 1.5e-6, 0.01, 3e-12};  // Q 3000 and more
  const PartModel capacitor{PartKind::kCapacitor, 10e-9, 0.2, 100e-12};
  struct Case {
    PartModel part;
    Fixture fixture;
    double topHz;
    bool resonanceInRange;
    bool qLowerBound = false;
    double modelTopHz = INFINITY;
  };
  const Case cases[] = {
      {toroid, Fixture::kSeries, 30e6, false},
      {toroid, Fixture::kSeries, 100e6, true},
      {toroid, Fixture::kShunt, 100e6, true},
      {toroid, Fixture::kReflection, 100e6, true},
      {capacitor, Fixture::kSeries, 30e6, false},
      {capacitor, Fixture::kReflection, 200e6, true},
      {lossless, Fixture::kSeries, 30e6, false, true},
      {toroid, Fixture::kSeries, 300e6, true, false, 150e6},
  };
  for (const Case& c : cases) {
    PartRequest request{c.fixture, c.part.kind};
    const PartMeasurement m =
        MeasurePart(Measured(c.part, c.fixture, c.topHz, c.modelTopHz), request);
    SCOPED_TRACE(std::string(FixtureKey(c.fixture)) + " to " + std::to_string(c.topHz));
    ASSERT_TRUE(m.done) << m.error;
    const bool inductor = c.part.kind == PartKind::kInductor;
    EXPECT_NEAR(inductor ? m.model.l / c.part.l : m.model.c / c.part.c, 1.0, 0.01);
    const double centre = std::sqrt(1e6 * c.topHz);
    const double reactance = c.part.Impedance(centre).imag();
    EXPECT_NEAR(m.value,
                inductor ? reactance / (2 * M_PI * centre) : -1 / (2 * M_PI * centre * reactance),
                0.01 * std::fabs(m.value));
    const C z = c.part.Impedance(centre);
    EXPECT_EQ(m.qIsLowerBound, c.qLowerBound);
    const double q = std::fabs(z.imag()) / z.real();
    if (c.qLowerBound) {
      EXPECT_LT(m.q, q);
    } else {
      EXPECT_NEAR(m.q / q, 1.0, 0.1);
    }
    EXPECT_EQ(m.selfResonanceHz > 0.0, c.resonanceInRange);
    if (c.resonanceInRange) {
      EXPECT_NEAR(m.selfResonanceHz / c.part.SelfResonanceHz(), 1.0, 0.01);
    }
  }
}

TEST(PartMeasurement, RefusesAFixtureThatCannotResolveThePart) {
  const PartModel big{PartKind::kCapacitor, 5e-9, 0.05, 10e-9};  // 16 to 0.5 ohm
  const PartMeasurement m =
      MeasurePart(Measured(big, Fixture::kSeries, 30e6), {Fixture::kSeries, PartKind::kCapacitor});
  EXPECT_FALSE(m.done);
  EXPECT_NE(m.error.find("measure it in the shunt-through fixture"), std::string::npos) << m.error;
}

TEST(PartMeasurement, ALLessTheLeads) {
  // 12 turns of 4.9 nH/turn^2 and two 15 mm leads: 705.6 + 30 nH.
  const PartModel toroid{PartKind::kInductor, 735.6e-9, 0.2, 2e-12};
  for (const auto& [leadMm, al] : {std::pair{0.0, 735.6 / 144}, {15.0, 4.9}}) {
    PartRequest request{Fixture::kShunt, PartKind::kInductor, 12, leadMm};
    const PartMeasurement m = MeasurePart(Measured(toroid, Fixture::kShunt, 100e6), request);
    EXPECT_NEAR(m.alNh, al, 0.005 * al) << leadMm;
  }
}

TEST(PartMeasurement, CatalogueMatchesAtTheToleranceBoundary) {
  const auto core = [](std::string name, double alNh, double tolerancePercent) {
    Core c;
    c.name = std::move(name);
    c.alNh = alNh;
    c.alTolerancePercent = tolerancePercent;
    return c;
  };
  CoreCatalogue catalogue;
  catalogue.cores = {core("A", 8.0, 25.0), core("B", 20.0, 5.0)};
  EXPECT_EQ(CoreMatchText(MatchCores(catalogue, 10.0)), "consistent with A; B is 50 % off");
  EXPECT_EQ(CoreMatchText(MatchCores(catalogue, 10.01)),
            "consistent with no catalogue core; A is 25 % off");
}

}  // namespace
}  // namespace diruruzevuv::model
