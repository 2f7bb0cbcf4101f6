#include "files/file_names.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#include "test_support.h"

namespace diruruzevuv::files {
namespace {

TEST(FileNamesTest, ExtensionAddedOnlyWhereTheNameHasNone) {
  const std::pair<std::string, std::string> rows[] = {
      {"design", "design.TXT"},
      {"/home/me/v1.2/design", "/home/me/v1.2/design.TXT"},  // a dot in a folder is no extension
      {"design.old", "design.old"},
      {"/home/me/", "/home/me/"},
      {".TXT", ".TXT.TXT"},  // a hidden name, not an extension
  };
  for (const auto& [typed, saved] : rows) EXPECT_EQ(WithDefaultExtension(typed, ".TXT"), saved);
}

TEST(FileNamesTest, PresetNamesInTheWorkingFolder) {
  testing::TempDir dir;
  std::filesystem::create_directory(dir / "sub");
  const std::pair<std::string, std::int16_t> rows[] = {
      {(dir / "40.TXT").string(), 40},
      {(dir / "160.TXT").string(), 160},
      {(dir / "sub/../10.TXT").string(), 10},
      {(dir / "sub/40.TXT").string(), 0},  // another folder
      {(dir / "41.TXT").string(), 0},      // no band
      {(dir / "40.txt").string(), 0},      // the band button reads 40.TXT only
  };
  for (const auto& [path, band] : rows) EXPECT_EQ(PresetBandAt(path, dir.path()), band) << path;
}

}  // namespace
}  // namespace diruruzevuv::files
