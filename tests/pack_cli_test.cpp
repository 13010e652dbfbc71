// The olvan-pack program, run as the build runs it.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "payload/record.h"
#include "tests/support/fixtures.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;

void WriteFile(const std::filesystem::path &path, const Bytes &bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes Record(uint32_t compressedLength, int32_t stamp, const Bytes &stream) {
    Bytes record(8);
    WriteLe32(record.data(), compressedLength);
    WriteLe32(record.data() + 4, uint32_t(stamp));
    record.insert(record.end(), stream.begin(), stream.end());
    return record;
}

ProgramRun Pack(const std::vector<std::string> &args) {
    std::vector<std::string> argv = {OLVAN_PACK_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProgram(argv);
}

TEST(OlvanPack, PacksAndExpandsBackToTheSameBytes) {
    TempDir dir;
    const Bytes input = ReadFixture(OLVAN_RECORD_DIR "/sample-voice.bin");
    WriteFile(dir / "in", input);
    ASSERT_EQ(Pack({"pack", (dir / "in").string(), (dir / "rec"), "--time", "968599678"}).exitCode,
              0);
    const Bytes record = ReadFixture(dir / "rec");
    EXPECT_EQ(ReadLe32(record.data() + 4), 968599678u);
    EXPECT_EQ(record, ReadFixture(VoiceRecordPath())) << "the build packs the same record";
    ASSERT_EQ(Pack({"expand", (dir / "rec").string(), (dir / "out").string()}).exitCode, 0);
    EXPECT_EQ(ReadFixture(dir / "out"), input);
}

TEST(OlvanPack, PrintsTheFiguresOfEachForm) {
    TempDir dir;
    // A literal, then a MidRef, a FarRef, a LongRef, a ByteRef and a NearRef, each at distance 1.
    const Bytes stream = {0x01, 0x41, 0xC0, 0x01, 0x00, 0x01, 0x00, 0x7F,
                          0x00, 0x00, 0x01, 0x00, 0x80, 0x01, 0xA1};
    WriteFile(dir / "rec", Record(uint32_t(stream.size()), 7, stream));
    const ProgramRun run = Pack({"stats", (dir / "rec").string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "compressedLength          15\n"
                       "timeStamp                 7\n"
                       "flag bytes                1\n"
                       "tokens                    6\n"
                       "literals                  1\n"
                       "NearRef                   1 (length 3, distance 1)\n"
                       "ByteRef                   1 (length 2, distance 1)\n"
                       "MidRef                    1 (length 4, distance 1)\n"
                       "FarRef                    1 (length 4, distance 1)\n"
                       "LongRef                   1 (length 2, distance 1)\n"
                       "tokens in the last group  6\n"
                       "expanded size             16\n");
}

TEST(OlvanPack, RefusesBadInputWithAMessageAndNoOutputFile) {
    TempDir dir;
    WriteFile(dir / "malformed", Record(3, 0, {0x01, 0x41, 0x82}));
    WriteFile(dir / "past", Record(100, 0, {0x01, 0x41}));
    WriteFile(dir / "short", {0x01, 0x00});
    WriteFile(dir / "large", Bytes(1400001, 0));
    WriteFile(dir / "small", {0x41});
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string message;
    } cases[] = {
        {{"expand", (dir / "malformed").string(), (dir / "out").string()}, 1, "malformed stream"},
        {{"expand", (dir / "past").string(), (dir / "out").string()}, 1, "runs past"},
        {{"expand", (dir / "short").string(), (dir / "out").string()}, 1, "too short"},
        {{"expand", (dir / "missing").string(), (dir / "out").string()}, 1, "cannot open"},
        {{"stats", (dir / "malformed").string()}, 1, "malformed stream"},
        {{"pack", (dir / "large").string(), (dir / "out").string(), "--time", "0"}, 1, "1400000"},
        {{"pack", (dir / "small").string(), (dir / "out").string(), "--time", "4294967296"},
         1,
         "not a 32-bit time stamp"},
        {{"pack", (dir / "small").string(), (dir / "out").string()}, 2, "usage"},
    };
    for (const auto &c : cases) {
        const ProgramRun run = Pack(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args[0] << " " << c.args[1];
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "out")) << c.args[1];
    }
}

} // namespace
