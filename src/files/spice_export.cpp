#include "files/spice_export.h"

#include <array>
#include <cmath>
#include <string_view>
#include <utility>

#include "files/replace_file.h"
#include "model/circuit/ladder.h"
#include "notation/notation.h"

namespace diruruzevuv::files {

namespace {

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// The directive's number form: the file form of the value with a blank in
// place of a plus sign, and a blank after it.
std::string DirectiveNumber(float value) {
  const std::string text = notation::ShortestFloatText(value);
  return (text.front() == '-' ? text : " " + text) + " ";
}

class Lines {
 public:
  void Add(std::string_view line) {
    m_text.append(line);
    m_text.append("\r\n");
  }
  void Add(std::string_view fixed, std::string_view value) {
    m_text.append(fixed);
    Add(value);
  }
  std::string Take() { return std::move(m_text); }

 private:
  std::string m_text;
};

}  // namespace

std::optional<float> SeriesResistance(const model::DesignState& design, float inductance) {
  if (design.InductorQ == 0.0f) return std::nullopt;
  const model::Ladder ladder = model::LadderFromDesign(design);
  const double r = model::InductorLossOhms(ladder.twoPi, ladder.lossReferenceHz, inductance,
                                           ladder.inductorQ);
  if (!std::isfinite(r)) return std::nullopt;
  const float stored = static_cast<float>(r);
  if (!std::isfinite(stored)) return std::nullopt;
  return stored;
}

namespace {

// Where each part of the ladder sits on the sheet, in the order the file
// lists them, and the resistors between them.
enum : int { kSourceResistor = model::kLadderPartCount, kLoadResistor };
struct Placement {
  int part;  // a model::LadderPart or one of the resistors
  std::array<const char*, 3> lines;  // SYMBOL and WINDOW lines
};
constexpr Placement kPlacements[] = {
    {model::kC47, {"SYMBOL cap 160 112 R0"}},
    {model::kC48, {"SYMBOL cap 336 112 R0"}},
    {model::kL2, {"SYMBOL ind 208 80 R270", "WINDOW 0 32 56 VTop 0", "WINDOW 3 5 56 VBottom 0"}},
    {kSourceResistor,
     {"SYMBOL res 32 80 R270", "WINDOW 0 32 56 VTop 0", "WINDOW 3 0 56 VBottom 0"}},
    {model::kL1, {"SYMBOL ind 416 80 R270", "WINDOW 0 32 56 VTop 0", "WINDOW 3 5 56 VBottom 0"}},
    {model::kC92,
     {"SYMBOL cap 432 -32 R270", "WINDOW 0 32 32 VTop 0", "WINDOW 3 0 32 VBottom 0"}},
    {model::kC49, {"SYMBOL cap 576 112 R0"}},
    {kLoadResistor, {"SYMBOL res 688 80 R0"}},
};

}  // namespace

std::optional<std::string> SpiceSchematicText(const model::DesignState& design) {
  const model::Ladder ladder = model::LadderFromDesign(design);
  for (const double value : ladder.value) {
    if (!std::isfinite(value)) return std::nullopt;
  }
  for (const float value :
       {design.SweepStart, design.SweepStop, design.InputTermination, design.LoadTermination}) {
    if (!std::isfinite(value)) return std::nullopt;
  }
  // The values are the design's floats, so narrowing them back is exact.
  const auto value = [&ladder](int part) { return static_cast<float>(ladder.value[part]); };
  std::array<float, model::kLadderPartCount> rser{};
  for (int p = 0; p < model::kLadderPartCount; ++p) {
    if (model::kLadderParts[p].kind != model::PartKind::kInductor) continue;
    const std::optional<float> r = SeriesResistance(design, value(p));
    if (!r) return std::nullopt;
    rser[p] = *r;
  }

  Lines out;
  out.Add("Version 4");
  out.Add("SHEET 1 880 680");
  for (const char* wire : {"WIRE 432 -48 400 -48", "WIRE 544 -48 496 -48", "WIRE 48 64 -48 64",
                           "WIRE 176 64 128 64",   "WIRE 224 64 176 64",   "WIRE 352 64 304 64",
                           "WIRE 400 64 400 -48",  "WIRE 400 64 352 64",   "WIRE 432 64 400 64",
                           "WIRE 544 64 544 -48",  "WIRE 544 64 512 64",   "WIRE 592 64 544 64",
                           "WIRE 704 64 592 64",   "WIRE 704 96 704 64",   "WIRE -48 112 -48 64",
                           "WIRE 176 112 176 64",  "WIRE 352 112 352 64",  "WIRE 592 112 592 64",
                           "WIRE -48 240 -48 192", "WIRE 176 240 176 176", "WIRE 352 240 352 176",
                           "WIRE 592 240 592 176", "WIRE 704 240 704 176"}) {
    out.Add(wire);
  }
  for (const char* flag :
       {"FLAG -48 240 0", "FLAG 176 240 0", "FLAG 352 240 0", "FLAG 592 240 0", "FLAG 704 240 0"}) {
    out.Add(flag);
  }

  out.Add("SYMBOL voltage -48 96 R0");
  out.Add("WINDOW 123 25 89 Left 0");
  out.Add("WINDOW 39 0 0 Left 0");
  out.Add("WINDOW 0 25 25 Left 0");
  out.Add("WINDOW 3 24 104 Invisible 0");
  out.Add("SYMATTR Value2 AC 2");
  out.Add("SYMATTR InstName V1");
  out.Add("SYMATTR Value 0");

  for (const Placement& place : kPlacements) {
    for (const char* line : place.lines)
      if (line) out.Add(line);
    if (place.part == kSourceResistor) {
      out.Add("SYMATTR InstName Ramp");
      // The source resistor keeps the formatter's trailing blank; the
      // load's is trimmed.
      out.Add("SYMATTR Value ", notation::FormatValue(design.InputTermination));
    } else if (place.part == kLoadResistor) {
      out.Add("SYMATTR InstName Rload");
      out.Add("SYMATTR Value ", TrimBlanks(notation::FormatValue(design.LoadTermination)));
    } else if (model::kLadderParts[place.part].kind == model::PartKind::kCapacitor) {
      out.Add("SYMATTR InstName ", model::kLadderParts[place.part].name);
      out.Add("SYMATTR Value ", notation::FormatCapacitance(value(place.part)));
    } else {
      out.Add("SYMATTR InstName ", model::kLadderParts[place.part].name);
      out.Add("SYMATTR Value ", notation::FormatInductance(value(place.part)));
      out.Add("SYMATTR SpiceLine Rser=", TrimBlanks(notation::FormatValue(rser[place.part])));
    }
  }

  out.Add("TEXT -48 -56 Left 0 !.AC DEC 1000 ",
          DirectiveNumber(design.SweepStart) + DirectiveNumber(design.SweepStop));
  return out.Take();
}

bool WriteSpiceSchematic(const std::string& path, const model::DesignState& design,
                         model::Notifier& notifier) {
  const std::optional<std::string> text = SpiceSchematicText(design);
  std::string why = "the inductors' loss cannot be computed with an inductor Q of 0";
  if (text && ReplaceFileContents(path, *text, &why)) return true;
  notifier.WriteFailed({kSpiceWriteFailed, path, why});
  return false;
}

}  // namespace diruruzevuv::files
