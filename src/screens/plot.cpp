#include "screens/plot.h"

namespace diruruzevuv::screens {

// Placeholder until the response plot lands.
PlotLabels Plot(platform::Canvas&, model::Session&, double) { return {}; }

}  // namespace diruruzevuv::screens
