#include "files/data_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <utility>

#include "test_support.h"

namespace diruruzevuv::files {
namespace {

namespace fs = std::filesystem;
using namespace testing;

// The marker of a build folder wins; without one the installed layout holds.
TEST(DataFolderTest, ShippedDataFolderFollowsTheMarkerOrTheInstalledLayout) {
  // The marker (nullptr: none) and the folder it gives, relative to the temporary one.
  const std::pair<const char*, const char*> rows[] = {
      {nullptr, "share/diruruzevuv"}, {"../src/data\r\n", "src/data"}, {"", "share/diruruzevuv"}};
  for (const auto& [marker, expected] : rows) {
    TempDir root;
    fs::create_directories(root / "bin");
    if (marker != nullptr) WriteText(root / "bin" / kDataFolderMarkerName, marker);
    EXPECT_EQ(ShippedDataFolder(root / "bin"), (root.path() / expected).lexically_normal())
        << (marker != nullptr ? marker : "no marker");
  }
  TempDir root;
  WriteText(root / kDataFolderMarkerName, (root / "elsewhere").string());
  EXPECT_EQ(ShippedDataFolder(root.path()), root / "elsewhere") << "absolute marker";
}

TEST(DataFolderTest, UserWorkFolderFollowsTheBaseDirectoryRules) {
  const std::tuple<const char*, const char*, const char*> rows[] = {
      {"/x/data", "/home/u", "/x/data/diruruzevuv"},
      {nullptr, "/home/u", "/home/u/.local/share/diruruzevuv"},
      {"", "/home/u", "/home/u/.local/share/diruruzevuv"},
      {"relative/data", "/home/u", "/home/u/.local/share/diruruzevuv"},
      {nullptr, nullptr, ""},
      {"", "", ""}};
  for (const auto& [xdg, home, expected] : rows)
    EXPECT_EQ(UserWorkFolder(xdg, home), fs::path(expected))
        << (xdg ? xdg : "(unset)") << " " << (home ? home : "(unset)");
}

}  // namespace
}  // namespace diruruzevuv::files
