#include "files/file_names.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#include "test_support.h"

namespace diruruzevuv::files {
namespace {

TEST(FileNamesTest, ExtensionAddedOnlyWhereTheNameHasNone) {
  // A dot in a folder is no extension, nor is the dot of a hidden name.
  const std::pair<std::string, std::string> rows[] = {
      {"design", "design.TXT"}, {"/home/me/v1.2/design", "/home/me/v1.2/design.TXT"},
      {"design.old", "design.old"}, {"/home/me/", "/home/me/"}, {".TXT", ".TXT.TXT"}};
  for (const auto& [typed, saved] : rows) EXPECT_EQ(WithDefaultExtension(typed, ".TXT"), saved);
}

TEST(FileNamesTest, PresetNamesInTheWorkingFolder) {
  testing::TempDir dir;
  std::filesystem::create_directory(dir / "sub");
  // The band each name presets (0: none): only <band>.TXT, upper case, in the folder itself.
  const std::pair<std::string, std::int16_t> rows[] = {{"40.TXT", 40},        {"160.TXT", 160},
                                                       {"sub/../10.TXT", 10}, {"sub/40.TXT", 0},
                                                       {"41.TXT", 0},         {"40.txt", 0}};
  for (const auto& [name, band] : rows)
    EXPECT_EQ(PresetBandAt((dir / name).string(), dir.path()), band) << name;
}

}  // namespace
}  // namespace diruruzevuv::files
