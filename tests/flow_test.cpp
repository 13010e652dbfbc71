// The update flow from WinMain to its last message, in real prefixes, with the scripted box.
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "flow/update.h"
#include "tests/support/boxes.h"
#include "tests/support/fixtures.h"
#include "tests/support/reference_expand.h"
#include "tests/support/small_disk.h"
#include "tests/support/test_prefix.h"

namespace {

namespace fs = std::filesystem;

const char OldExecutable[] = "the executable at version 1.03";
const char OldVoice[] = "the voice before";

const std::string NewExecutable = ExpandedRecord(ExecutableRecordPath());
const std::string NewVoice = ExpandedRecord(VoiceRecordPath());

// A run of the program, as from a fresh start: its static buffers hold zeros.
int RunProgram(std::vector<int32_t> answers) {
    std::memset(DataDir, 0, sizeof DataDir);
    std::memset(TargetPath, 0, sizeof TargetPath);
    ScriptBoxes(std::move(answers));
    char commandLine[] = "";
    return WinMain(nullptr, nullptr, commandLine, 10);
}

class Flow : public ::testing::Test {
  public:
    Flow() { umask(022); }

    // The game as the installer left it, in capitals: C:\Games\Olvan with the voice data.
    void Install(bool withVoice = true) {
        prefix.SetDataDir("C:\\Games\\Olvan");
        prefix.AddFile("GAMES/OLVAN/OLVAN.EXE", OldExecutable);
        if (withVoice) prefix.AddFile("GAMES/OLVAN/VOICE/KELO/10226A_A/12QAAS03.PCM", OldVoice);
    }
    fs::path Executable() const { return prefix.DriveC() / "GAMES/OLVAN/OLVAN.EXE"; }
    fs::path Voice() const {
        return prefix.DriveC() / "GAMES/OLVAN/VOICE/KELO/10226A_A/12QAAS03.PCM";
    }
    fs::path VoiceFolder() const { return prefix.DriveC() / "GAMES/OLVAN/VOICE/KELO/10226A_A"; }

    TestPrefix prefix;
    ScopedEnv inPrefix{"WINEPREFIX", prefix.Root().string()};
};

struct Case {
    const char *what;
    std::function<void(Flow &)> setUp;
    std::vector<int32_t> answers;
    std::vector<Box> boxes;
    std::function<void(Flow &, const char *)> check = nullptr; // none where nothing is on disk yet
};

void RunCases(Flow &flow, const std::vector<Case> &cases) {
    for (const Case &c : cases) {
        c.setUp(flow);
        EXPECT_EQ(RunProgram(c.answers), 0) << c.what;
        ExpectBoxes(c.boxes, c.what);
        if (c.check) c.check(flow, c.what);
    }
}

void Unchanged(Flow &flow, const char *what) {
    EXPECT_TRUE(Holds(flow.Executable(), OldExecutable)) << what;
    EXPECT_TRUE(Holds(flow.Voice(), OldVoice)) << what;
}

void BothReplaced(Flow &flow, const char *what) {
    EXPECT_TRUE(Holds(flow.Executable(), NewExecutable)) << what;
    EXPECT_TRUE(Holds(flow.Voice(), NewVoice)) << what;
    EXPECT_EQ(StatOf(flow.Executable()).st_mtime, 971424710) << what;
    EXPECT_EQ(StatOf(flow.Voice()).st_mtime, 968599678) << what;
    EXPECT_EQ(std::distance(fs::directory_iterator(flow.VoiceFolder()), {}), 1)
        << what << ": no second voice file";
    EXPECT_EQ(std::distance(fs::directory_iterator(flow.prefix.DriveC() / "GAMES/OLVAN"), {}), 2)
        << what << ": no second executable or voice folder";
}

TEST_F(Flow, EndsEachCaseOfTheFailureTableWithItsBoxesInOrder) {
    const auto readOnly = [](const fs::path &path) {
        fs::permissions(path, fs::perms::owner_read);
    };
    RunCases(
        *this,
        {
            {"no user.reg", [](Flow &) {}, {}, {NotInstalled}},
            {"no key",
             [](Flow &f) { f.prefix.WriteKey("\"DataDir\"=\"C:\\\\x\"", "Software\\\\Brenmo"); },
             {},
             {NotInstalled}},
            {"no value",
             [](Flow &f) { f.prefix.WriteKey("\"Data\"=\"C:\\\\x\""); },
             {},
             {NotInstalled}},
            {"an empty value", [](Flow &f) { f.prefix.SetDataDir(""); }, {}, {NotInstalled}},
            {"a value of 260 bytes",
             [](Flow &f) { f.prefix.SetDataDir("C:\\" + std::string(257, 'a')); },
             {},
             {NotInstalled}},
            {"a value of 260 bytes without a zero",
             [](Flow &f) {
                 std::string hex = "41";
                 for (int i = 1; i < 260; i++) hex += ",41";
                 f.prefix.WriteKey("\"DataDir\"=hex:" + hex);
             },
             {},
             {NotInstalled}},
            {"no executable", [](Flow &f) { f.prefix.SetDataDir("C:\\Nowhere"); }, {}, {NotFound}},
        });
    Install();
    RunCases(*this, {
                        {"Cancel", [](Flow &) {}, {IdCancel}, {Confirmation}, Unchanged},
                        {"no box could be shown", [](Flow &) {}, {0}, {Confirmation}, Unchanged},
                        {"a read-only executable",
                         [&](Flow &f) { readOnly(f.Executable()); },
                         {IdOk},
                         {Confirmation, CannotOpen("olvan.pck"), CannotWrite},
                         Unchanged},
                    });
}

TEST_F(Flow, ReportsAnExecutableThatIsAFolder) {
    prefix.SetDataDir("C:\\Games\\Olvan");
    fs::create_directories(prefix.DriveC() / "Games/Olvan/olvan.exe");
    EXPECT_EQ(RunProgram({IdOk}), 0);
    ExpectBoxes({Confirmation, CannotOpen("olvan.pck"), CannotWrite}, "a folder named olvan.exe");
}

TEST_F(Flow, ReplacesTheExecutableAndTheVoiceFileUnderTheirStoredNames) {
    Install();
    EXPECT_EQ(RunProgram({IdOk}), 0);
    ExpectBoxes({Confirmation, Finished}, "both");
    BothReplaced(*this, "both");
    EXPECT_STREQ(DataDir, "C:\\Games\\Olvan");
    EXPECT_STREQ(TargetPath, "C:\\Games\\Olvan\\voice\\kelo\\10226a_a\\12QAAS03.pcm");
}

TEST_F(Flow, ReplacesOnlyTheExecutableWhereNoVoiceDataIsInstalled) {
    Install(false);
    fs::create_directories(prefix.DriveC() / "GAMES/OLVAN/VOICE/KELO");
    EXPECT_EQ(RunProgram({IdOk}), 0);
    ExpectBoxes({Confirmation, Finished}, "no voice");
    EXPECT_TRUE(Holds(Executable(), NewExecutable));
    EXPECT_FALSE(fs::exists(VoiceFolder())) << "no voice folder is made";
    EXPECT_STREQ(TargetPath, "C:\\Games\\Olvan\\olvan.exe") << "no voice path was composed";
}

TEST_F(Flow, ReportsAVoiceFileThatCannotBeOpenedWithNoLastMessage) {
    const struct {
        const char *what;
        std::function<void(Flow &)> setUp;
    } cases[] = {
        {"a read-only voice file",
         [](Flow &f) { fs::permissions(f.Voice(), fs::perms::owner_read); }},
        {"a folder in the voice file's place",
         [](Flow &f) {
             fs::remove(f.Voice());
             fs::create_directory(f.Voice());
         }},
    };
    for (const auto &c : cases) {
        Install();
        c.setUp(*this);
        EXPECT_EQ(RunProgram({IdOk}), 0) << c.what;
        // The executable has been replaced: "Olvan.exe cannot be written" would be false.
        ExpectBoxes({Confirmation, CannotOpen("12QAAS03.pck"), VoiceCannotWrite}, c.what);
        EXPECT_TRUE(Holds(Executable(), NewExecutable)) << c.what;
        if (fs::is_regular_file(Voice())) {
            EXPECT_TRUE(Holds(Voice(), OldVoice)) << c.what;
        }
        fs::remove_all(prefix.DriveC() / "GAMES");
    }
}

TEST_F(Flow, ReportsADiskThatFillsDuringEitherWrite) {
    // 64 KiB hold neither file; 880 KiB hold the executable but not the voice file after it.
    const struct {
        const char *size;
        std::vector<Box> boxes;
        bool executableWhole;
    } cases[] = {
        {"64k", {Confirmation, TooLarge("olvan.pck"), DiskFull}, false},
        {"880k", {Confirmation, TooLarge("12QAAS03.pck"), VoiceCannotWrite, DiskFull}, true},
    };
    for (const auto &c : cases) {
        const fs::path game = prefix.Root() / "game";
        SmallDisk disk(game, c.size);
        SKIP_UNLESS_MOUNTED(disk);
        fs::remove(prefix.Root() / "dosdevices" / "d:");
        fs::create_directory_symlink(game, prefix.Root() / "dosdevices" / "d:");
        prefix.SetDataDir("D:\\");
        std::ofstream(game / "Olvan.exe") << OldExecutable;
        fs::create_directories(game / "Voice/Kelo/10226a_a");
        std::ofstream(game / "Voice/Kelo/10226a_a/12qaas03.pcm") << OldVoice;
        EXPECT_EQ(RunProgram({IdOk}), 0) << c.size;
        ExpectBoxes(c.boxes, c.size);
        EXPECT_EQ(Contents(game / "Olvan.exe") == NewExecutable, c.executableWhole) << c.size;
        EXPECT_LT(fs::file_size(game / "Voice/Kelo/10226a_a/12qaas03.pcm"), NewVoice.size())
            << c.size;
    }
}

TEST_F(Flow, ComposesItsPathsFromTheRegistryValueAsItStands) {
    const std::string longFolder =
        "C:\\" + std::string(100, 'a') + "\\" + std::string(100, 'b') + "\\";
    const struct {
        const char *what;
        std::string dataDir;     // code page 932
        std::string installedAt; // below drive_c, in UTF-8
        bool voice;
        std::string trimmed;
        std::vector<Box> boxes;
    } cases[] = {
        {"a trailing backslash",
         "C:\\Games\\Olvan\\",
         "Games/Olvan",
         true,
         "C:\\Games\\Olvan",
         {Confirmation, Finished}},
        {"two trailing backslashes",
         "C:\\Games\\Olvan\\\\",
         "Games/Olvan",
         false,
         "C:\\Games\\Olvan\\",
         {Confirmation, Finished}},
        {"a drive root", "C:\\", "", true, "C:", {Confirmation, Finished}},
        {"a name ending in 表",
         Cp932("C:\\ゲーム\\オルヴァン表"),
         "ゲーム/オルヴァン表",
         true,
         Cp932("C:\\ゲーム\\オルヴァン表"),
         {Confirmation, Finished}},
        {"a name ending in ソ",
         Cp932("C:\\ソ"),
         "ソ",
         false,
         Cp932("C:\\ソ"),
         {Confirmation, Finished}},
        {"249 bytes: the executable's path fills the buffer",
         longFolder + std::string(44, 'c'),
         std::string(100, 'a') + "/" + std::string(100, 'b') + "/" + std::string(44, 'c'),
         false,
         longFolder + std::string(44, 'c'),
         {Confirmation, Finished}},
        {"250 bytes leave no room for the executable's name",
         longFolder + std::string(45, 'c'),
         std::string(100, 'a') + "/" + std::string(100, 'b') + "/" + std::string(45, 'c'),
         false,
         longFolder + std::string(45, 'c'),
         {NotFound}},
        {"226 bytes: the voice paths fill the buffer",
         longFolder + std::string(21, 'c'),
         std::string(100, 'a') + "/" + std::string(100, 'b') + "/" + std::string(21, 'c'),
         true,
         longFolder + std::string(21, 'c'),
         {Confirmation, Finished}},
    };
    for (const auto &c : cases) {
        fs::remove_all(prefix.DriveC());
        fs::create_directories(prefix.DriveC());
        prefix.SetDataDir(c.dataDir);
        const fs::path folder = prefix.DriveC() / c.installedAt;
        const std::string below = c.installedAt.empty() ? "" : c.installedAt + "/";
        prefix.AddFile(below + "olvan.exe", OldExecutable);
        if (c.voice) prefix.AddFile(below + "voice/kelo/10226a_a/12QAAS03.PCM", OldVoice);
        EXPECT_EQ(RunProgram({IdOk}), 0) << c.what;
        ExpectBoxes(c.boxes, c.what);
        EXPECT_EQ(std::string(DataDir), c.trimmed) << c.what;
        const bool updates = c.boxes.size() == 2;
        EXPECT_EQ(Contents(folder / "olvan.exe") == NewExecutable, updates) << c.what;
        if (c.voice) {
            EXPECT_EQ(Contents(folder / "voice/kelo/10226a_a/12QAAS03.PCM") == NewVoice, updates)
                << c.what;
        }
    }
}

TEST_F(Flow, SkipsTheVoicePhaseWhereTheVoicePathsWouldNotFit) {
    // 227 bytes: the executable's path fits, the voice paths would need 261 bytes.
    const std::string folder =
        std::string(100, 'a') + "/" + std::string(100, 'b') + "/" + std::string(22, 'c');
    prefix.SetDataDir("C:\\" + std::string(100, 'a') + "\\" + std::string(100, 'b') + "\\" +
                      std::string(22, 'c'));
    prefix.AddFile(folder + "/olvan.exe", OldExecutable);
    prefix.AddFile(folder + "/voice/kelo/10226a_a/12QAAS03.PCM", OldVoice);
    EXPECT_EQ(RunProgram({IdOk}), 0);
    ExpectBoxes({Confirmation, Finished}, "227 bytes");
    EXPECT_TRUE(Holds(prefix.DriveC() / folder / "olvan.exe", NewExecutable));
    EXPECT_TRUE(Holds(prefix.DriveC() / folder / "voice/kelo/10226a_a/12QAAS03.PCM", OldVoice));
}

TEST_F(Flow, TakesAValueOfAnyTypeUpToItsFirstZero) {
    const struct {
        const char *what;
        std::string line;
        std::vector<Box> boxes;
        const char *replaced; // below drive_c
    } cases[] = {
        {"a dword spelling C:",
         "\"DataDir\"=dword:00003a43",
         {Confirmation, Finished},
         "olvan.exe"},
        {"binary data without a zero",
         "\"DataDir\"=hex:43,3a,5c,47,61,6d,65",
         {Confirmation, Finished},
         "Game/olvan.exe"},
        {"an expandable string, not expanded",
         "\"DataDir\"=str(2):\"%SystemDrive%\\\\Game\"",
         {NotFound},
         nullptr},
        {"a lone backslash: the current drive's root",
         "\"DataDir\"=\"\\\\\"",
         {Confirmation, Finished},
         "olvan.exe"},
    };
    const fs::path old = fs::current_path();
    fs::current_path(prefix.DriveC());
    for (const auto &c : cases) {
        prefix.WriteKey(c.line);
        prefix.AddFile("olvan.exe", OldExecutable);
        prefix.AddFile("Game/olvan.exe", OldExecutable);
        EXPECT_EQ(RunProgram({IdOk}), 0) << c.what;
        ExpectBoxes(c.boxes, c.what);
        for (const char *file : {"olvan.exe", "Game/olvan.exe"}) {
            const bool replaced = c.replaced && std::string(c.replaced) == file;
            EXPECT_TRUE(Holds(prefix.DriveC() / file, replaced ? NewExecutable : OldExecutable))
                << c.what;
        }
    }
    fs::current_path(old);
}

} // namespace
