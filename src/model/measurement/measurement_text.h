#pragma once

#include <string>

#include "model/measurement/comparison.h"
#include "model/measurement/fit.h"
#include "model/measurement/measured_network.h"

namespace diruruzevuv::model {

// Texts of the comparison and the fit, shared by the command line, the
// fit dialog and the report. Lines end with LF; numbers use the full stop
// whatever the locale.

// "built.s2p, two-port, 401 points" and, when it was referred to
// another impedance, ", measured at 50 ohm, judged at 12.5 ohm".
std::string MeasurementSummary(const MeasuredNetwork& measured, double designOhms);

// A table a person reads, and the same figures as comma-separated lines.
std::string ComparisonTable(const Comparison& comparison, const DesignState& design);
std::string ComparisonCsv(const Comparison& comparison, const DesignState& design);
std::string FitTable(const FitResult& fit, const FitOptions& options);
std::string FitCsv(const FitResult& fit);
// The fit table's heading and a row a part: design, fitted, difference,
// uncertainty, and whether it is off or at the edge of its range.
std::string FitPartRows(const FitResult& fit);

// "remove 1 turn (13 turns)", "add 2 turns (16 turns)", "keep 12 turns".
std::string TurnAdviceText(const TurnAdvice& advice);

// A toroid's line of the fit's table; for an off one, both readings:
// "L2 measures 0.679 uH." and, on lines of their own, the turns to wind
// on the core the fit implies, and the turns it has on the design's core.
std::string ToroidAdviceText(const char* name, const TurnAdvice& advice, bool off);

// A number with a fixed count of decimals ("-0.25"), and with a sign ("+5.0").
std::string Fixed(double value, int decimals);
std::string Signed(double value, int decimals);
// Up to seven significant digits, as the design files write them.
std::string General(double value);

}  // namespace diruruzevuv::model
