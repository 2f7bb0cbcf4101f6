#include "model/analysis.h"

namespace diruruzevuv::model {

// Placeholder until the ladder analysis lands.
void Analyzer::RunSweep(DesignState& design) noexcept {
  design.LoadTermination = design.InputTermination;
  m_result.valid = false;
}

void Analyzer::AnalyzePoint(const DesignState&, double) noexcept {}

}  // namespace diruruzevuv::model
