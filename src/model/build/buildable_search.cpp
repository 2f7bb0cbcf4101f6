#include "model/build/buildable_search.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace diruruzevuv::model {
namespace {

// Margins this close count as equal, so that the edge loss decides.
constexpr double kMarginTie = 1e-9;

bool Better(const ResponseFigures& a, const ResponseFigures& b) {
  const double ma = a.SmallestMarginDb();
  const double mb = b.SmallestMarginDb();
  if (ma > mb + kMarginTie) return true;
  if (mb > ma + kMarginTie) return false;
  return a.WorseEdgeLossDb() < b.WorseEdgeLossDb();
}

std::string Printed(const char* format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

bool AnyOverRating(const std::array<PartStress, kLadderPartCount>& stress) {
  return std::any_of(stress.begin(), stress.end(),
                     [](const PartStress& part) { return part.overRating; });
}

}  // namespace

std::vector<CapacitorBuild> CandidatesFor(double farads, ESeries series) {
  std::vector<CapacitorBuild> out;
  if (!(farads > 0.0) || !std::isfinite(farads)) return out;
  const auto add = [&](CapacitorBuild c) {
    for (const CapacitorBuild& known : out)
      if (known.first == c.first && known.second == c.second) return;
    out.push_back(c);
  };
  if (auto single = NearestSingle(farads, series)) add(*single);
  if (auto pair = BestPair(farads, series)) add(*pair);
  // The single values either side of the target.
  const std::vector<Tenths>& values = SeriesValues(series);
  const double target = farads / 1e-13;
  const auto above = std::lower_bound(values.begin(), values.end(), target,
                                      [](Tenths v, double t) { return static_cast<double>(v) < t; });
  if (above != values.end()) add({*above, 0});
  if (above != values.begin()) add({*(above - 1), 0});
  return out;
}

BuildableProposal SearchBuildable(const DesignState& design, const GlobalDefaults& defaults,
                                  ESeries series, const StressSettings& stress,
                                  const std::function<bool(double)>& progress) {
  BuildableProposal best;
  best.stress = stress;
  DesignState base = design;
  UpdateInductances(base);
  // One analyser for every candidate: the sweep range never changes.
  auto workspace = std::make_unique<Analyzer>();
  const auto figuresOf = [&](const DesignState& candidate) {
    return FiguresOf(Evaluate(candidate, defaults, nullptr, kDefaultFloorDb, *workspace));
  };
  best.designFigures = figuresOf(base);

  std::array<std::vector<CapacitorBuild>, 4> options;
  for (int i = 0; i < 4; ++i) {
    options[i] = CandidatesFor(DesignValue(base, kLadderCapacitors[i]), series);
    if (options[i].empty()) options[i].push_back({});  // not fitted stays so
  }
  std::vector<std::int16_t> turnsL1, turnsL2;
  for (int delta = -1; delta <= 1; ++delta) {
    if (base.TurnsL1 + delta >= 1 && base.TurnsL1 + delta <= 32767)
      turnsL1.push_back(static_cast<std::int16_t>(base.TurnsL1 + delta));
    if (base.TurnsL2 + delta >= 1 && base.TurnsL2 + delta <= 32767)
      turnsL2.push_back(static_cast<std::int16_t>(base.TurnsL2 + delta));
  }
  const long total = static_cast<long>(options[0].size() * options[1].size() * options[2].size() *
                                       options[3].size() * turnsL1.size() * turnsL2.size());
  bool found = false;
  bool bestOver = false;
  bool stopped = false;
  long done = 0;
  DesignState candidate = base;
  for (std::int16_t n1 : turnsL1)
    for (std::int16_t n2 : turnsL2) {
      SetTurns(candidate, n1, n2);
      for (const CapacitorBuild& c47 : options[0])
        for (const CapacitorBuild& c48 : options[1])
          for (const CapacitorBuild& c92 : options[2])
            for (const CapacitorBuild& c49 : options[3]) {
              if (stopped) break;
              const CapacitorBuild chosen[4] = {c47, c48, c92, c49};
              for (int i = 0; i < 4; ++i)
                DesignValue(candidate, kLadderCapacitors[i]) =
                    static_cast<float>(chosen[i].Farads());
              const ResponseFigures figures = figuresOf(candidate);
              const bool better = !found || Better(figures, best.proposalFigures);
              // Within the rating first, then the figures; the stress, dearer
              // than the figures, is worked out only where it can decide.
              const bool over = (better || bestOver) && AnyOverRating(Stress(candidate, stress));
              if (!found || (over != bestOver ? !over : better)) {
                found = true;
                bestOver = over;
                best.proposalFigures = figures;
                std::copy(std::begin(chosen), std::end(chosen), best.capacitors.begin());
                best.turnsL1 = n1;
                best.turnsL2 = n2;
              }
              ++done;
              if (progress && done % 64 == 0 && !progress(static_cast<double>(done) / total))
                stopped = true;
            }
    }
  best.combinations = done;
  best.complete = !stopped;
  best.design = base;
  ApplyProposal(best, best.design);
  best.proposalStress = Stress(best.design, stress);
  return best;
}

std::vector<std::string> ProposalLines(const BuildableProposal& p, const DesignState& before) {
  const auto fixed = [](double value) { return Printed("%.2f dB", value); };
  std::vector<std::string> lines = {""};
  lines.push_back("Buildable design search: " + std::to_string(p.combinations) +
                  " combinations of standard values and turns" +
                  (p.complete ? "" : " (stopped early)"));
  lines.push_back("  Margin to the boxes           design     proposal");
  const char* names[3] = {"Passband (reflection)", "2nd harmonic (gain)", "3rd harmonic (gain)"};
  for (int k = 0; k < 3; ++k) {
    std::string label = names[k];
    label.resize(30, ' ');
    std::string a = fixed(p.designFigures.marginDb[k]);
    a.resize(11, ' ');
    lines.push_back("  " + label + a + fixed(p.proposalFigures.marginDb[k]));
  }
  const StressSettings& st = p.stress;
  std::string peaks = "  Proposal's peak V at " + Printed("%g", st.watts) + " W, SWR " +
                      Printed("%g", st.swr) + ":";
  bool over = false;
  for (const LadderPart part : kLadderCapacitors) {
    if (DesignValue(p.design, part) == 0.0f) continue;  // C92 not fitted
    peaks += std::string(peaks.back() == ':' ? " " : ", ") + kLadderParts[part].name +
             " " + Printed("%.1f", p.proposalStress[part].peakVolts);
    over = over || p.proposalStress[part].overRating;
  }
  lines.push_back(peaks + (over ? "; OVER RATING (" : "; within the rating (") +
                  Printed("%g", st.ratingVolts) + " V, margin " + Printed("%g", st.margin) + ")");
  std::string values = "  Proposal:";
  for (int i = 0; i < 4; ++i)
    values += std::string(" ") + kLadderParts[kLadderCapacitors[i]].name + " " +
              CapacitorBuildText(p.capacitors[i]);
  lines.push_back(values);
  lines.push_back("            L2 " + std::to_string(p.turnsL2) + " turns (was " +
                  std::to_string(before.TurnsL2) + "), L1 " + std::to_string(p.turnsL1) +
                  " turns (was " + std::to_string(before.TurnsL1) + ")");
  return lines;
}

void ApplyProposal(const BuildableProposal& proposal, DesignState& design) noexcept {
  for (int i = 0; i < 4; ++i)
    if (proposal.capacitors[i].Fitted())
      DesignValue(design, kLadderCapacitors[i]) =
          static_cast<float>(proposal.capacitors[i].Farads());
  SetTurns(design, proposal.turnsL1, proposal.turnsL2);
}

}  // namespace diruruzevuv::model
