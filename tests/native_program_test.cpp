// The native program as a player runs it: no display, its boxes on the terminal, its answers on
// standard input.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/fixtures.h"
#include "tests/support/run_program.h"
#include "tests/support/test_prefix.h"

namespace {

const std::string OldExecutable = "the executable at version 1.03";
const std::string OldVoice = "the voice before";
const std::string NewExecutable = ExpandedRecord(ExecutableRecordPath());
const std::string NewVoice = ExpandedRecord(VoiceRecordPath());

std::string TerminalBox(const std::string &caption, const std::string &text,
                        const std::string &answer, bool withCancel = false) {
    return "=== " + caption + " ===\n" + text + "\n" + (withCancel ? "[OK] [Cancel]\n" : "[OK]\n") +
           "-> " + answer + "\n\n";
}

const std::string Confirmation =
    "=== Olvan update ===\nOlvan.exeをバージョン1.04に\n書き換えてよろしいですか？\n[OK] "
    "[Cancel]\n";
const std::string Finished = TerminalBox("Olvan update", "データーの更新が終了しました。", "OK");

class NativeProgram : public ::testing::Test {
  protected:
    NativeProgram() {
        prefix.SetDataDir("C:\\Games\\Olvan");
        prefix.AddFile("GAMES/OLVAN/OLVAN.EXE", OldExecutable);
        prefix.AddFile("GAMES/OLVAN/VOICE/KELO/10226A_A/12QAAS03.PCM", OldVoice);
    }

    ProgramRun Run(const std::string &answers, const std::vector<std::string> &arguments = {},
                   const std::string &program = OLVAN_UPDATE_PATH) {
        std::vector<std::string> argv = {program};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return RunProgram(argv, answers,
                          {"WINEPREFIX=" + prefix.Root().string(), "-DISPLAY", "-WAYLAND_DISPLAY"});
    }

    std::string Executable() const { return prefix.DriveC() / "GAMES/OLVAN/OLVAN.EXE"; }
    std::string Voice() const {
        return prefix.DriveC() / "GAMES/OLVAN/VOICE/KELO/10226A_A/12QAAS03.PCM";
    }

    TestPrefix prefix;
};

TEST_F(NativeProgram, PatchesTheInstallAndPrintsEveryBox) {
    for (const std::vector<std::string> &arguments :
         std::vector<std::vector<std::string>>{{}, {"C:\\Other", "/quiet"}}) {
        prefix.AddFile("GAMES/OLVAN/OLVAN.EXE", OldExecutable);
        const ProgramRun run = Run("\n\n", arguments);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.out, Confirmation + "-> OK\n\n" + Finished) << "arguments change nothing";
        EXPECT_TRUE(Holds(Executable(), NewExecutable));
        EXPECT_TRUE(Holds(Voice(), NewVoice));
    }
}

TEST_F(NativeProgram, ChangesNothingUnlessTheConfirmationIsAnsweredWithOk) {
    const struct {
        const char *answers;
        std::string shown;
    } cases[] = {
        {"c\n", Confirmation + "-> Cancel\n\n"},
        {" Cancel \n", Confirmation + "-> Cancel\n\n"},
        {"", Confirmation + "-> closed\n\n"},
        {"maybe\nc\n", Confirmation + "[OK] [Cancel]\n-> Cancel\n\n"},
    };
    for (const auto &c : cases) {
        const ProgramRun run = Run(c.answers);
        EXPECT_EQ(run.exitCode, 0) << c.answers;
        EXPECT_EQ(run.out, c.shown) << c.answers;
        EXPECT_TRUE(Holds(Executable(), OldExecutable)) << c.answers;
    }
}

TEST_F(NativeProgram, FindsThePrefixInHomeWhenNoneIsNamed) {
    TempDir home;
    const ProgramRun none =
        RunProgram({OLVAN_UPDATE_PATH}, "\n",
                   {"-WINEPREFIX", "HOME=" + home.Path().string(), "-DISPLAY", "-WAYLAND_DISPLAY"});
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_EQ(none.out,
              TerminalBox("Olvan update", "Ｏｌｖａｎがインストールされていません。", "OK"));

    std::filesystem::create_directory_symlink(prefix.Root(), home.Path() / ".wine");
    const ProgramRun found =
        RunProgram({OLVAN_UPDATE_PATH}, "c\n",
                   {"-WINEPREFIX", "HOME=" + home.Path().string(), "-DISPLAY", "-WAYLAND_DISPLAY"});
    EXPECT_EQ(found.out, Confirmation + "-> Cancel\n\n");
}

TEST_F(NativeProgram, ReportsAPayloadThatIsNotStored) {
    const struct {
        const char *variant;
        std::string shown;
        std::string executable, voice;
    } cases[] = {
        {"no-exe-payload",
         Confirmation + "-> OK\n\n" + TerminalBox("olvan.pck", "リソースが見つかりません", "OK"),
         OldExecutable, OldVoice},
        {"no-voice-payload",
         Confirmation + "-> OK\n\n" +
             TerminalBox("12QAAS03.pck", "リソースが見つかりません", "OK") +
             TerminalBox("Olvan update", "10226a_aが書き込みできません。", "OK"),
         NewExecutable, OldVoice},
    };
    for (const auto &c : cases) {
        prefix.AddFile("GAMES/OLVAN/OLVAN.EXE", OldExecutable);
        const ProgramRun run =
            Run("\n\n\n\n", {}, std::string(OLVAN_VARIANT_DIR "/olvan-update-") + c.variant);
        EXPECT_EQ(run.exitCode, 0) << c.variant;
        EXPECT_EQ(run.out, c.shown) << c.variant;
        EXPECT_TRUE(Holds(Executable(), c.executable)) << c.variant;
        EXPECT_TRUE(Holds(Voice(), c.voice)) << c.variant;
    }
}

} // namespace
