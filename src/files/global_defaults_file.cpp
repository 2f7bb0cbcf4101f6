#include "files/global_defaults_file.h"

#include <cmath>
#include <optional>

#include "files/line_reader.h"

namespace diruruzevuv::files {

namespace {

// Value lines 3 to 12 in file order.
enum Field : int {
  kPassband,
  kSecond,
  kThird,
  kMultiplier,
  kAL,
  kGrid,
  kFloor,
  kTermination,
  kInductorQ,
  kCapacitorQ,
  kFieldCount
};

// One consistent set for every field the file did not supply, so that a
// missing or short file never leaves a zero termination or Q behind for
// the analysis to divide by.
void FillUnsupplied(int supplied, model::DesignState& design, model::GlobalDefaults& defaults) {
  for (int field = supplied; field < kFieldCount; ++field) {
    switch (field) {
      case kPassband:
        defaults.PassbandBoxDb = -20.0f;
        break;
      case kSecond:
        defaults.SecondHarmonicBoxDb = -28.0f;
        break;
      case kThird:
        defaults.ThirdHarmonicBoxDb = -35.0f;
        break;
      case kMultiplier:
        defaults.BandwidthMultiplier = 1.05f;
        break;
      case kAL:
        design.ToroidAL = 3.0f;
        break;
      case kGrid:
        defaults.GridDivisions = 6;
        break;
      case kFloor:
        defaults.PlotFloorDb = -60.0f;
        break;
      case kTermination:
        design.InputTermination = 50.0f;
        break;
      case kInductorQ:
        design.InductorQ = 200.0f;
        break;
      case kCapacitorQ:
        design.CapacitorQ = 2000.0f;
        break;
    }
  }
}

// Stores value line 3 + field. False when the value does not fit.
bool StoreField(int field, double value, model::DesignState& design,
                model::GlobalDefaults& defaults) {
  const float f = ToStoredFloat(value);
  switch (field) {
    case kPassband:
      defaults.PassbandBoxDb = f;
      break;
    case kSecond:
      defaults.SecondHarmonicBoxDb = f;
      break;
    case kThird:
      defaults.ThirdHarmonicBoxDb = f;
      break;
    case kMultiplier:
      defaults.BandwidthMultiplier = f;
      break;
    case kAL:
      design.ToroidAL = f < 1.0f ? 1.0f : f;
      break;
    case kGrid: {
      const auto divisions = ToStoredInt16(value);
      if (!divisions) return false;
      defaults.GridDivisions = *divisions;
      break;
    }
    // 60 and -60 both mean 60 dB below the top; 0 stays +0.
    case kFloor:
      defaults.PlotFloorDb = 0.0f - std::fabs(f);
      break;
    case kTermination:
      design.InputTermination = f;
      break;
    case kInductorQ:
      design.InductorQ = f;
      break;
    case kCapacitorQ:
      design.CapacitorQ = f;
      break;
  }
  return true;
}

void CheckRanges(model::DesignState& design, model::GlobalDefaults& defaults,
                 model::Notifier& notifier) {
  if (defaults.BandwidthMultiplier < 1.01f) {
    defaults.BandwidthMultiplier = 1.01f;
    notifier.Message(
        "Design-assisting bandwidth multiplier must not be less than 1.01 and so has been reset "
        "to that value.");
  }
  if (defaults.BandwidthMultiplier > 1.2f) {
    defaults.BandwidthMultiplier = 1.2f;
    notifier.Message(
        "Design-assisting bandwidth multiplier must not be greater than 1.2 and so has been reset "
        "to that value.");
  }
  if (design.InputTermination < 1.0f) {
    design.InputTermination = 1.0f;
    notifier.Message(
        "Input termination must not be less than 1 ohm and so has been reset to that value.");
  }
  if (design.InputTermination > 1000.0f) {
    design.InputTermination = 1000.0f;
    notifier.Message(
        "Input termination must not be greater than 1000 ohms and so has been reset to that "
        "value.");
  }
  if (design.InductorQ < 10.0f) {
    design.InductorQ = 10.0f;
    notifier.Message("Inductor Q must not be less than 10 and so has been reset to that value.");
  }
  if (design.CapacitorQ < 100.0f) {
    design.CapacitorQ = 100.0f;
    notifier.Message("Capacitor Q must not be less than 100 and so has been reset to that value.");
  }
}

// No text: the file could not be found or read.
void ReadDefaults(std::optional<std::string_view> text, model::DesignState& design,
                  model::GlobalDefaults& defaults, model::Notifier& notifier) {
  int supplied = 0;
  bool failed = !text;
  if (text) {
    LineReader reader(*text);
    if (reader.NextValueLine() && reader.NextValueLine()) {
      for (; supplied < kFieldCount; ++supplied) {
        const auto value = reader.NextValueLine();
        if (!value) break;
        if (!StoreField(supplied, LeadingNumber(*value), design, defaults)) {
          failed = true;
          break;
        }
      }
    }
  }
  if (failed) {
    // Missing, or a grid division beyond 16 bits: the boxes, multiplier
    // and AL go back to their missing-file values even where they were
    // read, nothing after the grid line was read, and no check runs.
    FillUnsupplied(0, design, defaults);
  } else {
    FillUnsupplied(supplied, design, defaults);
    CheckRanges(design, defaults, notifier);
  }
  model::SetTermination(design, design.InputTermination);
}

}  // namespace

void ReadGlobalDefaultsText(std::string_view text, model::DesignState& design,
                            model::GlobalDefaults& defaults, model::Notifier& notifier) {
  ReadDefaults(text, design, defaults, notifier);
}

void ReadGlobalDefaults(const model::FileLocations& where, model::DesignState& design,
                        model::GlobalDefaults& defaults, model::Notifier& notifier) {
  auto text = ReadWholeFile(where.workDir / kGlobalDefaultsName);
  if (!text) text = ReadWholeFile(where.dataDir / kGlobalDefaultsName);
  if (text)
    ReadDefaults(std::string_view(*text), design, defaults, notifier);
  else
    ReadDefaults(std::nullopt, design, defaults, notifier);
}

}  // namespace diruruzevuv::files
