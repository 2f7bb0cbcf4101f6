#pragma once

#include <string>
#include <string_view>

#include "files/line_reader.h"
#include "model/circuit/design_state.h"
#include "model/notifier.h"
#include "model/session.h"

namespace diruruzevuv::files {

inline constexpr const char* kLastSessionName = "DIRUruzevuvLastSession.TXT";
inline constexpr const char* kDesignFilter = "DIRUruzevuv files (*.TXT)|*.TXT";

// Why a design file was not retrieved, for a caller that says so in its
// own words (the command-line tool) rather than through the message.
struct DesignReadFailure {
  bool unreadable = false;  // the file could not be opened or read
  // "No such file or directory", "L1 has 0 turns", "no design values" ...;
  // empty when the file was retrieved.
  std::string reason;
  bool unanalysable = false;  // the reason is why its design cannot be analysed
};

// Reads a design file into the design. On failure (cannot open, 16-bit
// overflow, "Defaults" in the first value line, no design value at all, a
// design that cannot be analysed) tells the user and falls back to the
// built-in 20-metre design. Returns false on that failure, whose reason
// goes to `failure` when given.
bool ReadDesignFile(const std::string& path, model::DesignState& design, model::Notifier& notifier,
                    DesignReadFailure* failure = nullptr);

// Whether the text is one the design reader takes, and not a measurement
// (none of its lines starts with the '#' of a measurement's option line):
// such a file loaded as a measurement is refused as what it is.
bool ReadsAsDesignFile(std::string_view text);

// Reads the last-session file from the working directory, likewise.
bool ReadLastSession(const model::FileLocations& where, model::DesignState& design,
                     model::Notifier& notifier);

// True when the last-session file can be opened for reading.
bool LastSessionExists(const model::FileLocations& where);

// Writes the design. Paths shorter than two characters write nothing and
// return true. A failed write beeps, shows the message, leaves any older
// file intact and returns false.
bool WriteDesignFile(const std::string& path, const model::DesignState& design,
                     model::Notifier& notifier);
bool WriteLastSession(const model::FileLocations& where, const model::DesignState& design,
                      model::Notifier& notifier);

// How far a read of the thirteen design values got.
enum class ValuesOutcome {
  kComplete,    // all thirteen values stored
  kEndedEarly,  // the text ended first; the values read so far are stored
  kOutOfRange,  // a turns or band value does not fit 16 bits
};

// Reads the thirteen design values (C47 ... Band) from the reader, which
// stands after the two header lines, storing each value as soon as it is
// read: AL below 1 becomes 1, LoadTermination follows InputTermination.
// Does not recompute the inductances.
// `outOfRange`, when given, receives the label of a value that does not fit.
ValuesOutcome ReadDesignValues(LineReader& reader, model::DesignState& design,
                               const char** outOfRange = nullptr);

// The readers above on a file's text; the path readers use them and the
// fuzzing targets call them directly. Same messages, fallback and result.
bool ReadDesignText(std::string_view text, model::DesignState& design, model::Notifier& notifier);
bool ReadLastSessionText(std::string_view text, model::DesignState& design,
                         model::Notifier& notifier);

// The complete text a writer puts into a file: the title line (the path
// for a design file), the date, an empty line and the thirteen labelled
// values, every line ended by CR LF.
enum class FileKind { kDesign, kLastSession };
std::string DesignText(const model::DesignState& design, FileKind kind, std::string_view title,
                       std::string_view date);

// The current date in a short numeric form, for line 2 of a file and the
// report's footer.
std::string ShortDate();

}  // namespace diruruzevuv::files
