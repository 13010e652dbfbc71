#include <unistd.h>

#include <climits>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/posix/wine_paths.h"
#include "tests/support/cp932_text.h"
#include "tests/support/test_prefix.h"

namespace {

// Changes the current folder for the life of the object.
class ScopedCurrentFolder {
  public:
    explicit ScopedCurrentFolder(const std::filesystem::path &folder)
        : old_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~ScopedCurrentFolder() { std::filesystem::current_path(old_); }

  private:
    std::filesystem::path old_;
};

class WinePaths : public ::testing::Test {
  protected:
    WinePaths() {
        prefix.AddFile("Games/Olvan/OLVAN.EXE", "old");
        prefix.AddFile("Games/Olvan/VOICE/KELO/10226A_A/12QAAS03.PCM", "voice");
        prefix.AddFile(Utf8(Cp932("ゲーム/オルヴァン表/olvan.exe")), "old");
        prefix.AddFile("Both/DATA.TXT", "upper");
        prefix.AddFile("Both/data.txt", "lower");
    }

    // The Unix path for a Windows path, relative to the prefix, or "(none)".
    std::string Map(const std::string &windowsPath) {
        char out[PATH_MAX];
        if (!WinePathToUnix(prefix.Root().c_str(), windowsPath.c_str(), out, sizeof out))
            return "(none)";
        const std::string root = prefix.Root().string() + "/";
        const std::string mapped = out;
        return mapped.compare(0, root.size(), root) == 0 ? mapped.substr(root.size()) : mapped;
    }

    TestPrefix prefix;
};

TEST_F(WinePaths, MapsThroughTheDriveAndMatchesEachComponentWithoutRegardToCase) {
    const struct {
        std::string windows;
        std::string unix;
    } cases[] = {
        {"C:\\Games\\Olvan\\olvan.exe", "dosdevices/c:/Games/Olvan/OLVAN.EXE"},
        {"c:/games/OLVAN/Olvan.Exe", "dosdevices/c:/Games/Olvan/OLVAN.EXE"},
        {"C:\\Games\\\\Olvan\\olvan.exe", "dosdevices/c:/Games/Olvan/OLVAN.EXE"},
        {"C:\\Games\\.\\Olvan\\..\\Olvan\\olvan.exe", "dosdevices/c:/Games/Olvan/OLVAN.EXE"},
        {"C:\\..\\..\\Games\\Olvan\\", "dosdevices/c:/Games/Olvan"},
        {"C:\\Games\\Olvan\\voice\\kelo\\10226a_a\\12QAAS03.pcm",
         "dosdevices/c:/Games/Olvan/VOICE/KELO/10226A_A/12QAAS03.PCM"},
        {"C:\\Games\\Olvan\\new.txt", "dosdevices/c:/Games/Olvan/new.txt"},
        {"C:\\Both\\data.txt", "dosdevices/c:/Both/data.txt"},
        {"C:\\Both\\DATA.TXT", "dosdevices/c:/Both/DATA.TXT"},
        {Cp932("C:\\ゲーム\\オルヴァン表\\olvan.exe"),
         Utf8(Cp932("dosdevices/c:/ゲーム/オルヴァン表/olvan.exe"))},
        {"C:", "dosdevices/c:"},
        {"C:\\", "dosdevices/c:"},
        {"Q:\\x", "dosdevices/q:/x"},
        {"C:\\Games\\Missing\\x.txt", "(none)"},
        {"C:\\Games\\Olvan\\OLVAN.EXE\\x", "dosdevices/c:/Games/Olvan/OLVAN.EXE/x"},
        {"\\\\server\\share\\x", "(none)"},
        {"C:\\Games\\\x81", "(none)"},
        {"C:\\Games\\\x80x", "(none)"},
    };
    for (const auto &c : cases) EXPECT_EQ(Map(c.windows), c.unix) << c.windows;
}

TEST_F(WinePaths, TakesARootedPathOnTheCurrentDriveAndARelativeOneFromTheCurrentFolder) {
    std::filesystem::create_directory_symlink(prefix.Root() / "other",
                                              prefix.Root() / "dosdevices" / "d:");
    std::filesystem::create_directories(prefix.Root() / "other");
    const ScopedCurrentFolder inside(prefix.DriveC() / "Games");
    EXPECT_EQ(Map("\\Games\\Olvan\\olvan.exe"), "dosdevices/c:/Games/Olvan/OLVAN.EXE");
    EXPECT_EQ(Map("\\olvan.exe"), "dosdevices/c:/olvan.exe");
    EXPECT_EQ(Map("olvan\\olvan.exe"), "drive_c/Games/Olvan/OLVAN.EXE");
    EXPECT_EQ(Map("..\\Both"), "drive_c/Both");
    const ScopedCurrentFolder outside("/");
    EXPECT_EQ(Map("\\olvan.exe"), "(none)") << "no drive holds / in this prefix";
}

} // namespace
