#include "files/design_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <system_error>

#include "files/replace_file.h"
#include "model/circuit/analysis_problem.h"
#include "notation/notation.h"

namespace diruruzevuv::files {

namespace {

constexpr const char* kDesignReadFailed =
    "We did not successfully retrieve that file;\r\n"
    "20-meter band values are being used for defaults.";
constexpr const char* kLastSessionReadFailed =
    "We did not retrieve the Last Session file;\r\n"
    "the 20-meter band values are being used for defaults.";
constexpr const char* kDesignWriteFailed = "The file was not written correctly.";
constexpr const char* kLastSessionWriteFailed = "The last-session file was not written correctly.";
constexpr const char* kLastSessionTitle = "DIRUruzevuv last-session file";
// Stands in for a Q value the global defaults left at 0 or below.
constexpr float kJudgingQ = 200.0f;

// The Q values come from the global defaults, not from the file: a file is
// judged by the values it holds.
std::string FileProblem(const model::DesignState& design) {
  model::DesignState judged = design;
  if (!(judged.InductorQ > 0.0f)) judged.InductorQ = kJudgingQ;
  if (!(judged.CapacitorQ > 0.0f)) judged.CapacitorQ = kJudgingQ;
  return model::DescribeUnanalysable(judged);
}

// Both readers share everything but the "Defaults" test and the message. A
// file without a single design value, or one whose design cannot be
// analysed, counts as not retrieved: the user would otherwise be left with
// an empty plot and no word of what went wrong.
bool ReadDesignLayout(std::string_view text, bool refuseDefaults, const char* failureMessage,
                      model::DesignState& design, model::Notifier& notifier,
                      DesignReadFailure* failure) {
  LineReader reader(text);
  std::string reason = "no design values";
  bool unanalysable = false;
  if (const auto title = reader.NextValueLine()) {
    const bool refused = refuseDefaults && title->find("Defaults") != std::string_view::npos;
    if (refused) reason = "a global defaults file, not a design";
    const bool hasDate = !refused && reader.NextValueLine().has_value();
    LineReader probe = reader;
    if (hasDate && probe.NextValueLine()) {  // at least C47
      const char* field = "";
      if (ReadDesignValues(reader, design, &field) == ValuesOutcome::kOutOfRange) {
        reason = std::string(field) + " out of range (-32768 to 32767)";
      } else {
        model::UpdateInductances(design);
        reason = FileProblem(design);
        unanalysable = !reason.empty();
      }
    }
  }
  if (failure) *failure = DesignReadFailure{false, reason, unanalysable};
  if (!reason.empty()) {
    notifier.Message(failureMessage);
    model::ApplyDefaultDesign(design);
    return false;
  }
  return true;
}

bool ReadDesignPath(const std::filesystem::path& path, bool refuseDefaults,
                    const char* failureMessage, model::DesignState& design,
                    model::Notifier& notifier, DesignReadFailure* failure) {
  const auto text = ReadWholeFile(path);
  if (!text) {
    if (failure) *failure = DesignReadFailure{true, WhyUnreadable(path), false};
    notifier.Message(failureMessage);
    model::ApplyDefaultDesign(design);
    return false;
  }
  return ReadDesignLayout(*text, refuseDefaults, failureMessage, design, notifier, failure);
}

bool ReadFloat(LineReader& reader, float& field) {
  const auto value = reader.NextValueLine();
  if (!value) return false;
  field = ToStoredFloat(LeadingNumber(*value));
  return true;
}

// Returns kComplete when stored, otherwise why not.
ValuesOutcome ReadInt16(LineReader& reader, std::int16_t& field, const char* label,
                        const char** outOfRange) {
  const auto value = reader.NextValueLine();
  if (!value) return ValuesOutcome::kEndedEarly;
  const auto number = ToStoredInt16(LeadingNumber(*value));
  if (!number) {
    if (outOfRange) *outOfRange = label;
    return ValuesOutcome::kOutOfRange;
  }
  field = *number;
  return ValuesOutcome::kComplete;
}

void AppendLine(std::string& out, std::string_view text) {
  out.append(text);
  out.append("\r\n");
}

void AppendValue(std::string& out, std::string_view label, float value) {
  out.append(label);
  AppendLine(out, notation::ShortestFloatText(value));
}

void AppendValue(std::string& out, std::string_view label, std::int16_t value) {
  out.append(label);
  AppendLine(out, std::to_string(value));
}

bool WriteDesignLayout(const std::filesystem::path& target, std::string_view text,
                       const char* failureMessage, model::Notifier& notifier) {
  std::string why;
  if (ReplaceFileContents(target.string(), text, &why)) return true;
  notifier.WriteFailed({failureMessage, target.string(), why});
  return false;
}

}  // namespace

ValuesOutcome ReadDesignValues(LineReader& reader, model::DesignState& design,
                               const char** outOfRange) {
  constexpr auto kEnded = ValuesOutcome::kEndedEarly;
  if (!ReadFloat(reader, design.C47)) return kEnded;
  if (const auto r = ReadInt16(reader, design.TurnsL2, "L2 turns", outOfRange);
      r != ValuesOutcome::kComplete)
    return r;
  if (!ReadFloat(reader, design.C48)) return kEnded;
  if (const auto r = ReadInt16(reader, design.TurnsL1, "L1 turns", outOfRange);
      r != ValuesOutcome::kComplete)
    return r;
  if (!ReadFloat(reader, design.C92)) return kEnded;
  if (!ReadFloat(reader, design.C49)) return kEnded;
  if (!ReadFloat(reader, design.LowerEdge)) return kEnded;
  if (!ReadFloat(reader, design.UpperEdge)) return kEnded;
  if (!ReadFloat(reader, design.SweepStart)) return kEnded;
  if (!ReadFloat(reader, design.SweepStop)) return kEnded;
  if (!ReadFloat(reader, design.ToroidAL)) return kEnded;
  if (design.ToroidAL < 1.0f) design.ToroidAL = 1.0f;
  if (!ReadFloat(reader, design.InputTermination)) return kEnded;
  model::SetTermination(design, design.InputTermination);
  return ReadInt16(reader, design.Band, "Band", outOfRange);
}

bool ReadDesignText(std::string_view text, model::DesignState& design, model::Notifier& notifier) {
  return ReadDesignLayout(text, true, kDesignReadFailed, design, notifier, nullptr);
}

bool ReadsAsDesignFile(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t start = text.find_first_not_of(" \t\r\n", at);
    if (start == std::string_view::npos) break;
    if (text[start] == '#') return false;
    at = text.find_first_of("\r\n", start);
  }
  model::DesignState design;
  model::SilentNotifier quiet;
  return ReadDesignText(text, design, quiet);
}

bool ReadLastSessionText(std::string_view text, model::DesignState& design,
                         model::Notifier& notifier) {
  return ReadDesignLayout(text, false, kLastSessionReadFailed, design, notifier, nullptr);
}

bool ReadDesignFile(const std::string& path, model::DesignState& design, model::Notifier& notifier,
                    DesignReadFailure* failure) {
  return ReadDesignPath(path, true, kDesignReadFailed, design, notifier, failure);
}

bool ReadLastSession(const model::FileLocations& where, model::DesignState& design,
                     model::Notifier& notifier) {
  return ReadDesignPath(where.workDir / kLastSessionName, false, kLastSessionReadFailed, design,
                        notifier, nullptr);
}

bool LastSessionExists(const model::FileLocations& where) {
  const auto path = where.workDir / kLastSessionName;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

std::string DesignText(const model::DesignState& design, FileKind kind, std::string_view title,
                       std::string_view date) {
  std::string out;
  // A line end inside the title would shift every value by one line when
  // the file is read back.
  std::string line1(title);
  for (char& c : line1)
    if (c == '\r' || c == '\n') c = ' ';
  AppendLine(out, line1);
  AppendLine(out, date);
  AppendLine(out, "");
  AppendValue(out, "C47: ", design.C47);
  AppendValue(out, "L2 turns: ", design.TurnsL2);
  AppendValue(out, "C48: ", design.C48);
  AppendValue(out, "L1 turns: ", design.TurnsL1);
  AppendValue(out, "C92: ", design.C92);
  AppendValue(out, "C49: ", design.C49);
  AppendValue(out, "Lower bandedge: ", design.LowerEdge);
  AppendValue(out, "Upper bandedge: ", design.UpperEdge);
  AppendValue(out, "Analysis start freq: ", design.SweepStart);
  AppendValue(out, "Analysis stop freq: ", design.SweepStop);
  AppendValue(out, "Toroid AL: ", design.ToroidAL);
  // The last-session label keeps its historical spelling; readers ignore
  // labels anyway.
  AppendValue(out, kind == FileKind::kLastSession ? "Input termnation: " : "Input termination: ",
              design.InputTermination);
  AppendValue(out, "Band: ", design.Band);
  return out;
}

bool WriteDesignFile(const std::string& path, const model::DesignState& design,
                     model::Notifier& notifier) {
  if (path.size() < 2) return true;
  return WriteDesignLayout(path, DesignText(design, FileKind::kDesign, path, ShortDate()),
                           kDesignWriteFailed, notifier);
}

bool WriteLastSession(const model::FileLocations& where, const model::DesignState& design,
                      model::Notifier& notifier) {
  return WriteDesignLayout(
      where.workDir / kLastSessionName,
      DesignText(design, FileKind::kLastSession, kLastSessionTitle, ShortDate()),
      kLastSessionWriteFailed, notifier);
}

std::string ShortDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16] = {};
  std::strftime(text, sizeof text, "%Y-%m-%d", &local);
  return text;
}

}  // namespace diruruzevuv::files
