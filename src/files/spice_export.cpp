#include "files/spice_export.h"

#include <cmath>
#include <string_view>
#include <utility>

#include "files/replace_file.h"
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
  const double r = 2.0 * static_cast<double>(model::kPi) * static_cast<double>(design.LowerEdge) *
                   static_cast<double>(inductance) / static_cast<double>(design.InductorQ);
  if (!std::isfinite(r)) return std::nullopt;
  const float stored = static_cast<float>(r);
  if (!std::isfinite(stored)) return std::nullopt;
  return stored;
}

std::optional<std::string> SpiceSchematicText(const model::DesignState& design) {
  for (const float value :
       {design.C47, design.C48, design.C92, design.C49, design.L1, design.L2, design.SweepStart,
        design.SweepStop, design.InputTermination, design.LoadTermination}) {
    if (!std::isfinite(value)) return std::nullopt;
  }
  const std::optional<float> rserL2 = SeriesResistance(design, design.L2);
  const std::optional<float> rserL1 = SeriesResistance(design, design.L1);
  if (!rserL2 || !rserL1) return std::nullopt;

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

  out.Add("SYMBOL cap 160 112 R0");
  out.Add("SYMATTR InstName C47");
  out.Add("SYMATTR Value ", notation::FormatCapacitance(design.C47));

  out.Add("SYMBOL cap 336 112 R0");
  out.Add("SYMATTR InstName C48");
  out.Add("SYMATTR Value ", notation::FormatCapacitance(design.C48));

  out.Add("SYMBOL ind 208 80 R270");
  out.Add("WINDOW 0 32 56 VTop 0");
  out.Add("WINDOW 3 5 56 VBottom 0");
  out.Add("SYMATTR InstName L2");
  out.Add("SYMATTR Value ", notation::FormatInductance(design.L2));
  out.Add("SYMATTR SpiceLine Rser=", TrimBlanks(notation::FormatValue(*rserL2)));

  out.Add("SYMBOL res 32 80 R270");
  out.Add("WINDOW 0 32 56 VTop 0");
  out.Add("WINDOW 3 0 56 VBottom 0");
  out.Add("SYMATTR InstName Ramp");
  // The source resistor keeps the formatter's trailing blank; the load's is
  // trimmed.
  out.Add("SYMATTR Value ", notation::FormatValue(design.InputTermination));

  out.Add("SYMBOL ind 416 80 R270");
  out.Add("WINDOW 0 32 56 VTop 0");
  out.Add("WINDOW 3 5 56 VBottom 0");
  out.Add("SYMATTR InstName L1");
  out.Add("SYMATTR Value ", notation::FormatInductance(design.L1));
  out.Add("SYMATTR SpiceLine Rser=", TrimBlanks(notation::FormatValue(*rserL1)));

  out.Add("SYMBOL cap 432 -32 R270");
  out.Add("WINDOW 0 32 32 VTop 0");
  out.Add("WINDOW 3 0 32 VBottom 0");
  out.Add("SYMATTR InstName C92");
  out.Add("SYMATTR Value ", notation::FormatCapacitance(design.C92));

  out.Add("SYMBOL cap 576 112 R0");
  out.Add("SYMATTR InstName C49");
  out.Add("SYMATTR Value ", notation::FormatCapacitance(design.C49));

  out.Add("SYMBOL res 688 80 R0");
  out.Add("SYMATTR InstName Rload");
  out.Add("SYMATTR Value ", TrimBlanks(notation::FormatValue(design.LoadTermination)));

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
