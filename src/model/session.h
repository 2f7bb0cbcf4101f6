#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "model/circuit/analysis.h"
#include "model/circuit/design_state.h"
#include "model/circuit/global_defaults.h"
#include "model/circuit/ladder.h"
#include "model/measurement/measured_network.h"
#include "model/plot/rgb.h"
#include "model/plot/traces.h"

namespace diruruzevuv::model {

// What the response plot keeps between calls.
struct PlotState {
  // Weakest attenuation (positive dB) seen in the harmonic bands since the
  // last Monte Carlo start; 0 at program start.
  float worstSecond = 0.0f;
  float worstThird = 0.0f;
};

// A Monte Carlo trial perturbs each capacitor and the toroids' AL.
inline constexpr std::size_t kPerturbedValueCount = kLadderCapacitors.size() + 1;

// Run-long Monte Carlo state. The trial colour counter and the random
// source are never reset, so colours and values continue across runs.
struct MonteCarloState {
  std::int16_t trialColorCounter = 0;
  std::uint64_t randomState = 0x853c49e6748fea9bULL;  // fixed start state
  std::int16_t trialCount = 0;
  bool stopFlag = true;
  bool running = false;
  float worstPassbandGain = 0.0f;
  std::array<float, kPerturbedValueCount> nominal{};
};

// Where the program finds and puts its own files.
struct FileLocations {
  std::filesystem::path workDir = ".";  // last-session file, first look for data files
  std::filesystem::path dataDir;  // shipped presets and defaults, found at start
};

// The design file the design was last read from or written to (its name
// without the folder; none when empty), and the design as it stood then.
struct FiledDesign {
  std::string name;
  DesignState design;
};

// The one owner of everything that lives for the whole run. Screens and
// operations receive it by reference.
struct Session {
  DesignState design;
  GlobalDefaults defaults;
  // The sweep's workspace, kept so that sweeps over an unchanged range
  // reuse its frequency table. Figures come from model::Evaluate's result,
  // never from here.
  Analyzer analysis;
  Rgb DrawColor = kBlue;
  PlotState plot;
  MonteCarloState monte;
  FileLocations locations;
  std::string SpiceFileName;
  FiledDesign filed;
  // The built filter's measurement drawn over the response, while the
  // design screen shows it.
  std::optional<ShownMeasurement> measurement;
  // Measurements kept for comparison, drawn under the current one; they
  // live for the run and are not saved with the session.
  TraceList traces;
};

}  // namespace diruruzevuv::model
