#include "files/data_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "test_support.h"

namespace diruruzevuv::files {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::WriteText;

// The marker of a build folder wins; without one the installed layout holds.
TEST(DataFolderTest, ShippedDataFolderFollowsTheMarkerOrTheInstalledLayout) {
  struct Row {
    const char* name;
    const char* marker;    // nullptr: no marker file
    const char* expected;  // relative to the temporary folder
  } rows[] = {
      {"installed", nullptr, "share/diruruzevuv"},
      {"relative marker, CR LF", "../src/data\r\n", "src/data"},
      {"empty marker", "", "share/diruruzevuv"},
  };
  for (const Row& row : rows) {
    TempDir root;
    const fs::path bin = root / "bin";
    fs::create_directories(bin);
    if (row.marker != nullptr) WriteText(bin / kDataFolderMarkerName, row.marker);
    EXPECT_EQ(ShippedDataFolder(bin), (root.path() / row.expected).lexically_normal()) << row.name;
  }
  TempDir root;
  WriteText(root / kDataFolderMarkerName, (root / "elsewhere").string());
  EXPECT_EQ(ShippedDataFolder(root.path()), root / "elsewhere") << "absolute marker";
}

TEST(DataFolderTest, UserWorkFolderFollowsTheBaseDirectoryRules) {
  struct Row {
    const char* xdg;
    const char* home;
    const char* expected;
  } rows[] = {
      {"/x/data", "/home/u", "/x/data/diruruzevuv"},
      {nullptr, "/home/u", "/home/u/.local/share/diruruzevuv"},
      {"", "/home/u", "/home/u/.local/share/diruruzevuv"},
      {"relative/data", "/home/u", "/home/u/.local/share/diruruzevuv"},
      {nullptr, nullptr, ""},
      {"", "", ""},
  };
  for (const Row& row : rows)
    EXPECT_EQ(UserWorkFolder(row.xdg, row.home), fs::path(row.expected))
        << (row.xdg ? row.xdg : "(unset)") << " " << (row.home ? row.home : "(unset)");
}

}  // namespace
}  // namespace diruruzevuv::files
