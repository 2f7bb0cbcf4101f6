#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/build/build_sheet.h"

namespace diruruzevuv::model {

// The buildable design nearest the boxes: over the standard values near
// each capacitor (the single values either side, its best pair) and the
// turns within one of each toroid's, the combination whose
// smallest margin to the design-aid boxes is largest; of equal ones, the
// one with the lower band-edge loss. A combination that puts a capacitor
// over its rating loses to any that does not.
struct BuildableProposal {
  std::array<CapacitorBuild, 4> capacitors{};  // C47, C48, C92, C49
  std::int16_t turnsL1 = 0;
  std::int16_t turnsL2 = 0;
  DesignState design;  // the design with these values
  ResponseFigures designFigures;
  ResponseFigures proposalFigures;
  StressSettings stress;  // the power, SWR, rating and margin searched for
  std::array<PartStress, kLadderPartCount> proposalStress{};
  long combinations = 0;
  bool complete = false;  // false when stopped through the progress call
};

// The candidates for one capacitor, nearest first, without repeats; none
// for a capacitor that is not fitted (0 F).
std::vector<CapacitorBuild> CandidatesFor(double farads, ESeries series);

// progress(fraction done) is called now and then; returning false stops
// the search, which then returns the best found so far.
BuildableProposal SearchBuildable(const DesignState& design, const GlobalDefaults& defaults,
                                  ESeries series, const StressSettings& stress,
                                  const std::function<bool(double)>& progress = {});

// The proposal's margins beside the design's, its stress and its values,
// as text lines (the first one empty).
std::vector<std::string> ProposalLines(const BuildableProposal& proposal,
                                       const DesignState& before);

// The proposal applied: its capacitors and turns, the inductances following.
void ApplyProposal(const BuildableProposal& proposal, DesignState& design) noexcept;

}  // namespace diruruzevuv::model
