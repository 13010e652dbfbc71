#include <sys/stat.h>
#include <time.h>

#include <ctime>
#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "payload/extract.h"
#include "tests/support/boxes.h"
#include "tests/support/fixtures.h"
#include "tests/support/reference_expand.h"
#include "tests/support/small_disk.h"
#include "tests/support/test_prefix.h"

namespace {

namespace fs = std::filesystem;

constexpr int32_t ExecutableStamp = 971424710; // 2000-10-13 08:11:50 UTC

class Extraction : public ::testing::Test {
  protected:
    Extraction() {
        umask(022);
        ScriptBoxes();
        fs::create_directories(prefix.DriveC() / "Game");
    }

    TestPrefix prefix;
    ScopedEnv inPrefix{"WINEPREFIX", prefix.Root().string()};
    const fs::path target = prefix.DriveC() / "Game" / "olvan.exe";
};

TEST_F(Extraction, CreatesAMissingTargetWithExactlyThePayload) {
    EXPECT_EQ(ExtractPayload("C:\\Game\\olvan.exe", "olvan.pck"), ExtractOk);
    ExpectBoxes({}, "no box on success");
    // The times first: reading the file may move its access time.
    const struct stat st = StatOf(target);
    EXPECT_EQ(st.st_mode & 07777, 0600u) << "readable and writable by its owner";
    EXPECT_EQ(st.st_mtime, ExecutableStamp);
    EXPECT_EQ(st.st_atime, ExecutableStamp);
    EXPECT_TRUE(Holds(target, ExpandedRecord(ExecutableRecordPath())));

    EXPECT_EQ(ExtractPayload("C:\\Game\\lines.txt", "lines.pck"), ExtractOk);
    EXPECT_TRUE(Holds(prefix.DriveC() / "Game" / "lines.txt", "a\r\nb\n"))
        << "no line-end translation";
}

TEST_F(Extraction, TruncatesALongerTargetThatKeepsItsStoredName) {
    prefix.AddFile("Game/OLVAN.EXE", std::string(2000000, 'x'));
    EXPECT_EQ(ExtractPayload("C:\\Game\\olvan.exe", "OLVAN.Pck"), ExtractOk);
    EXPECT_TRUE(
        Holds(prefix.DriveC() / "Game" / "OLVAN.EXE", ExpandedRecord(ExecutableRecordPath())));
    EXPECT_EQ(std::distance(fs::directory_iterator(prefix.DriveC() / "Game"), {}), 1)
        << "no second file";
}

TEST_F(Extraction, LeavesTheTargetAsItWasWhenItCannotBeWrittenOrThePayloadCannotBeLoaded) {
    const struct {
        const char *what;
        std::function<void()> setUp;
        const char *payload;
        ExtractStatus status;
        Box box;
    } cases[] = {
        {"a read-only target",
         [&] { fs::permissions(target, fs::perms::owner_read | fs::perms::group_read); },
         "olvan.pck", ExtractOpenFailed, CannotOpen("olvan.pck")},
        {"no payload of that name", [] {}, "Nothing.pck", ExtractNoPayload,
         NoResource("Nothing.pck")},
        {"a stream cut short", [] {}, "cut.pck", ExtractNoPayload, NoResource("cut.pck")},
        {"a distance before the output", [] {}, "before.pck", ExtractNoPayload,
         NoResource("before.pck")},
        {"a length past the record", [] {}, "past.pck", ExtractNoPayload, NoResource("past.pck")},
        {"an expansion past 1,400,000 bytes", [] {}, "huge.pck", ExtractNoPayload,
         NoResource("huge.pck")},
        {"a record shorter than its header", [] {}, "short.pck", ExtractNoPayload,
         NoResource("short.pck")},
    };
    for (const auto &c : cases) {
        fs::remove_all(prefix.DriveC() / "Game");
        prefix.AddFile("Game/olvan.exe", "the old executable");
        const struct timespec old[2] = {{1000000, 0}, {2000000, 0}};
        utimensat(AT_FDCWD, target.c_str(), old, 0);
        c.setUp();
        const struct stat before = StatOf(target);
        ScriptBoxes();
        EXPECT_EQ(ExtractPayload("C:\\Game\\olvan.exe", c.payload), c.status) << c.what;
        ExpectBoxes({c.box}, c.what);
        EXPECT_TRUE(Holds(target, "the old executable")) << c.what;
        const struct stat after = StatOf(target);
        EXPECT_EQ(after.st_mode, before.st_mode) << c.what;
        EXPECT_EQ(after.st_mtime, 2000000) << c.what;
    }
}

TEST_F(Extraction, FailsToOpenAFolderOrAMissingFolderAndCreatesNothing) {
    fs::create_directories(prefix.DriveC() / "Game" / "olvan.exe");
    const struct {
        const char *path;
        fs::path check;
    } cases[] = {
        {"C:\\Game\\olvan.exe", target},
        {"C:\\Missing\\olvan.exe", prefix.DriveC() / "Missing"},
    };
    for (const auto &c : cases) {
        ScriptBoxes();
        EXPECT_EQ(ExtractPayload(c.path, "olvan.pck"), ExtractOpenFailed) << c.path;
        ExpectBoxes({CannotOpen("olvan.pck")}, c.path);
    }
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_FALSE(fs::exists(prefix.DriveC() / "Missing"));
    ScriptBoxes();
    EXPECT_EQ(ExtractPayload("C:\\Game\\absent.exe", "nothing.pck"), ExtractNoPayload);
    EXPECT_FALSE(fs::exists(prefix.DriveC() / "Game" / "absent.exe"))
        << "a missing payload creates nothing";
}

TEST_F(Extraction, StampsTheInstantWhateverTheTimeZone) {
    // Tokyo keeps no daylight saving; Berlin's summer time covers the run's date or the stamp's.
    for (const char *zone :
         {"UTC0", "JST-9", "CET-1CEST,M3.5.0,M10.5.0/3", "EST5EDT,M3.2.0,M11.1.0"}) {
        const ScopedEnv tz("TZ", zone);
        tzset();
        EXPECT_EQ(ExtractPayload("C:\\Game\\olvan.exe", "olvan.pck"), ExtractOk) << zone;
        EXPECT_EQ(StatOf(target).st_mtime, ExecutableStamp) << zone;
        EXPECT_EQ(StatOf(target).st_atime, ExecutableStamp) << zone;
    }
    tzset();
}

TEST_F(Extraction, WritesAnEmptyPayloadAndLeavesTheTimesOfANegativeStamp) {
    prefix.AddFile("Game/olvan.exe", "something");
    EXPECT_EQ(ExtractPayload("C:\\Game\\olvan.exe", "empty.pck"), ExtractOk);
    EXPECT_EQ(fs::file_size(target), 0u);
    EXPECT_EQ(StatOf(target).st_mtime, ExecutableStamp);

    const time_t before = time(nullptr);
    EXPECT_EQ(ExtractPayload("C:\\Game\\olvan.exe", "negstamp.pck"), ExtractOk);
    EXPECT_TRUE(Holds(target, "A\nB\n"));
    EXPECT_GE(StatOf(target).st_mtime, before) << "the times that the writing gave it";
    ExpectBoxes({}, "no box");
}

TEST_F(Extraction, ReportsAShortWriteOnAFullDisk) {
    SmallDisk disk(prefix.Root() / "small", "64k");
    SKIP_UNLESS_MOUNTED(disk);
    fs::create_directory_symlink(prefix.Root() / "small", prefix.Root() / "dosdevices" / "d:");
    const time_t before = time(nullptr);
    EXPECT_EQ(ExtractPayload("D:\\olvan.exe", "olvan.pck"), ExtractShortWrite);
    ExpectBoxes({TooLarge("olvan.pck")}, "a full disk");
    const fs::path written = prefix.Root() / "small" / "olvan.exe";
    ASSERT_TRUE(fs::exists(written));
    EXPECT_LT(fs::file_size(written), 876544u) << "holds at most part of the payload";
    EXPECT_GE(StatOf(written).st_mtime, before) << "not stamped";
}

} // namespace
