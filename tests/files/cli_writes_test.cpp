// Every file the command-line tool writes survives failed and competing writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "files/design_file.h"
#include "files/global_defaults_file.h"
#include "files/spice_export.h"
#include "model/session.h"
#include "write_cases.h"

namespace diruruzevuv::files {
namespace {

using namespace testing;

const std::string kCli = DIRU_CLI_PATH;
const std::string kForty = DIRU_SOURCE_DATA_DIR "/40.TXT";

// The safe writer's cases run in its own test; here each writing command
// shows that a write failure reaches the user plainly.
TEST(CliWritesTest, EachWriterFailsPlainlyUnderAFileSizeLimit) {
  ExpectPlainFailureUnderSizeLimit([](const std::string& out) {
    return std::vector<std::string>{kCli, "wizard", "7M", "3", "50", out};
  });
  ExpectPlainFailureUnderSizeLimit([](const std::string& out) {
    return std::vector<std::string>{kCli, "spice", kForty, out};
  });
}

// Thirty writers of one file at once, each with its own design: all succeed
// and the file is exactly one of their schematics.
TEST(CliWritesTest, ParallelSpiceWritersLeaveExactlyOneWholeSchematic) {
  const TempDir dir;
  model::SilentNotifier quiet;
  std::vector<std::vector<std::string>> commands;
  std::vector<std::string> expected;
  for (int i = 0; i < 30; ++i) {
    model::Session session;
    ReadGlobalDefaults({".", DIRU_SOURCE_DATA_DIR}, session.design, session.defaults, quiet);
    ASSERT_TRUE(ReadDesignFile(kForty, session.design, quiet));
    session.design.C47 = 3.0e-10f + 1.0e-12f * static_cast<float>(i);
    const std::string design = (dir.path() / "D").concat(std::to_string(i)).concat(".TXT");
    ASSERT_TRUE(WriteDesignFile(design, session.design, quiet));
    ASSERT_TRUE(ReadDesignFile(design, session.design, quiet));  // as the tool will see it
    expected.push_back(SpiceSchematicText(session.design).value());
    commands.push_back({kCli, "spice", design, dir / "shared.ASC"});
  }
  for (const auto& run : RunTogether(commands)) EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(std::count(expected.begin(), expected.end(), ReadText(dir / "shared.ASC")), 1);
  EXPECT_EQ(FolderSnapshot(dir.path()).size(), 31u);  // the designs and the one schematic
}

}  // namespace
}  // namespace diruruzevuv::files
