#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "payload/expand.h"
#include "payload/format.h"
#include "tests/support/fixtures.h"
#include "tests/support/reference_expand.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Repeat(uint8_t byte, size_t count) {
    return Bytes(count, byte);
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes &part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Expands input from an allocation of exactly its size, so that the sanitizer sees any read past
// it.
int32_t Expand(const Bytes &input, ExpandFault *fault) {
    const std::unique_ptr<uint8_t[]> exact(new uint8_t[input.size() + 1]);
    std::memcpy(exact.get(), input.data(), input.size());
    return ExpandPayload(ExpandBuffer, exact.get(), int32_t(input.size()), fault);
}

Bytes Expanded(int32_t size) {
    return Bytes(ExpandBuffer, ExpandBuffer + size);
}

const Bytes Eight = {1, 2, 3, 4, 5, 6, 7, 8};

struct ValidCase {
    const char *what;
    Bytes input;
    Bytes output;
};

TEST(ExpandPayload, ExpandsEachFormAndGroupBoundary) {
    const ValidCase cases[] = {
        {"NearRef overlapping itself", {0x03, 0x41, 0x42, 0xA2}, {0x41, 0x42, 0x41, 0x42, 0x41}},
        {"ByteRef length 2", {0x01, 0x41, 0x80, 0x01}, Repeat(0x41, 3)},
        {"ByteRef length 3", {0x01, 0x41, 0xA0, 0x01}, Repeat(0x41, 4)},
        {"MidRef length 4", {0x01, 0x41, 0xC0, 0x01}, Repeat(0x41, 5)},
        {"MidRef length 19", {0x01, 0x41, 0xFC, 0x01}, Repeat(0x41, 20)},
        {"FarRef length 4", {0x01, 0x41, 0x00, 0x01, 0x00}, Repeat(0x41, 5)},
        {"FarRef length 130", {0x01, 0x41, 0x7E, 0x01, 0x00}, Repeat(0x41, 131)},
        {"LongRef length 65,537", {0x01, 0x41, 0x7F, 0xFF, 0xFF, 0x01, 0x00}, Repeat(0x41, 65538)},
        {"one full group", Join({{0xFF}, Eight}), Eight},
        {"a second group of one token", Join({{0xFF}, Eight, {0x01, 0x09}}), Join({Eight, {0x09}})},
        {"unused flag bits 0", {0x01, 0x41}, {0x41}},
        {"unused flag bits 1", {0xFF, 0x41}, {0x41}},
        {"a last flag byte with no token", Join({{0xFF}, Eight, {0x01}}), Eight},
    };
    for (const ValidCase &c : cases) {
        ExpandFault fault;
        const int32_t written = Expand(c.input, &fault);
        EXPECT_EQ(fault, ExpandClean) << c.what;
        EXPECT_EQ(Expanded(written), c.output) << c.what;
    }
}

TEST(ExpandPayload, ReachesBackAcrossTheDistanceHighBits) {
    // 1,024 literals, then a MidRef of length 4 at distance 1,023 and a FarRef of length 4 at
    // distance 1,024.
    Bytes input, output;
    for (int group = 0; group < 128; group++) {
        input.push_back(0xFF);
        for (int i = 0; i < 8; i++) {
            const uint8_t b = uint8_t(group * 7 + i * 13);
            input.push_back(b);
            output.push_back(b);
        }
    }
    input.insert(input.end(), {0x00, 0xC3, 0xFF, 0x00, 0x00, 0x04});
    for (size_t from : {output.size() - 1023, output.size() - 1024 + 4}) {
        for (int i = 0; i < 4; i++) output.push_back(output[from + size_t(i)]);
    }
    ExpandFault fault;
    EXPECT_EQ(Expanded(Expand(input, &fault)), output);
    EXPECT_EQ(fault, ExpandClean);
}

TEST(ExpandPayload, CountOfZeroOrLessLeavesTheBufferUntouched) {
    const Bytes input = {0x01, 0x41};
    for (int32_t count : {0, -1, INT32_MIN}) {
        std::memset(ExpandBuffer, 0xEE, 16);
        EXPECT_EQ(ExpandPayload(ExpandBuffer, input.data(), count), 0) << count;
        EXPECT_EQ(Expanded(16), Repeat(0xEE, 16)) << count;
    }
}

TEST(ExpandPayload, ShorterExpansionLeavesTheLongerOnesBytesAfterIt) {
    const Bytes executable = ReadFixture(ExecutableRecordPath());
    const Bytes voice = ReadFixture(VoiceRecordPath());
    ExpandFault fault;
    const int32_t longer = Expand(Bytes(executable.begin() + 8, executable.end()), &fault);
    ASSERT_EQ(longer, 876544);
    ASSERT_EQ(fault, ExpandClean);
    const Bytes before = Expanded(longer);
    const int32_t shorter = Expand(Bytes(voice.begin() + 8, voice.end()), &fault);
    ASSERT_EQ(shorter, 35706);
    ASSERT_EQ(fault, ExpandClean);
    EXPECT_TRUE(std::equal(before.begin() + shorter, before.end(), ExpandBuffer + shorter));
}

struct FaultCase {
    const char *what;
    Bytes input;
    ExpandFault fault;
    int32_t written;
};

Bytes Literals(int groups) {
    Bytes stream;
    for (int g = 0; g < groups; g++) {
        stream.push_back(0xFF);
        for (int i = 0; i < 8; i++) stream.push_back(uint8_t(g + i));
    }
    return stream;
}

// A literal, then back-references of the given lengths at distance 1, eight tokens a group.
Bytes LiteralThenLongRefs(std::vector<int32_t> lengths) {
    Bytes stream = {0x01, 0x41};
    for (size_t i = 0; i < lengths.size(); i++) {
        if ((i + 1) % 8 == 0) stream.push_back(0x00);
        const int32_t l = lengths[i] - 2;
        stream.insert(stream.end(), {0x7F, uint8_t(l), uint8_t(l >> 8), 0x01, 0x00});
    }
    return stream;
}

TEST(ExpandPayload, StopsBeforeTheFaultyTokenOfAMalformedStream) {
    const std::vector<int32_t> toTheBrim = [] {
        std::vector<int32_t> lengths(21, 65537);
        lengths.push_back(ExpandBufferSize - 1 - 21 * 65537);
        return lengths;
    }();
    Bytes literalPastTheBrim = LiteralThenLongRefs(toTheBrim);
    literalPastTheBrim[78] |= 0x80; // the third group's flag byte: its last token is a literal
    literalPastTheBrim.push_back(0x42);
    // A group that starts 20 bytes before the end of the buffer, with plenty of input after it:
    // seven literals, then a MidRef of 14 bytes, one more than there is room for.
    std::vector<int32_t> nearTheBrim(21, 65537);
    nearTheBrim.insert(nearTheBrim.end(), 2, (ExpandBufferSize - 20 - 1 - 21 * 65537) / 2);
    Bytes refNearTheBrim = LiteralThenLongRefs(nearTheBrim);
    refNearTheBrim.insert(refNearTheBrim.end(), {0x7F, 1, 2, 3, 4, 5, 6, 7, 0xE8, 0x01});
    refNearTheBrim.insert(refNearTheBrim.end(), 160, 0xFF);
    const FaultCase cases[] = {
        {"ByteRef distance 0", {0x01, 0x41, 0x80, 0x00}, ExpandBadDistance, 1},
        {"MidRef distance 0", {0x01, 0x41, 0xC0, 0x00}, ExpandBadDistance, 1},
        {"FarRef distance 0", {0x01, 0x41, 0x00, 0x00, 0x00}, ExpandBadDistance, 1},
        {"LongRef distance 0", {0x01, 0x41, 0x7F, 0x00, 0x00, 0x00, 0x00}, ExpandBadDistance, 1},
        {"a back-reference first", {0x00, 0xA1}, ExpandBadDistance, 0},
        {"NearRef before the start", {0x01, 0x41, 0x82}, ExpandBadDistance, 1},
        {"LongRef 65,535 back", {0x01, 0x41, 0x7F, 0x00, 0x00, 0xFF, 0xFF}, ExpandBadDistance, 1},
        {"far from the end, before the start",
         Join({Literals(25), {0x00, 0x00, 0x60, 0xEA}, Literals(12)}), ExpandBadDistance, 200},
        {"ByteRef cut", {0x01, 0x41, 0x80}, ExpandCutToken, 1},
        {"MidRef cut", {0x01, 0x41, 0xC0}, ExpandCutToken, 1},
        {"FarRef cut", {0x01, 0x41, 0x00, 0x01}, ExpandCutToken, 1},
        {"LongRef cut", {0x01, 0x41, 0x7F, 0xFF, 0xFF, 0x01}, ExpandCutToken, 1},
        {"a back-reference past 1,400,000 bytes",
         LiteralThenLongRefs(std::vector<int32_t>(22, 65537)), ExpandOverflow, 1 + 21 * 65537},
        {"a literal past 1,400,000 bytes", literalPastTheBrim, ExpandOverflow, ExpandBufferSize},
        {"a reference past 1,400,000 bytes after literals", refNearTheBrim, ExpandOverflow,
         ExpandBufferSize - 13},
    };
    for (const FaultCase &c : cases) {
        ExpandFault fault;
        EXPECT_EQ(Expand(c.input, &fault), c.written) << c.what;
        EXPECT_EQ(fault, c.fault) << c.what;
    }
}

// Streams that keep every rule, with tokens of every form at random, overlapping ones included.
Bytes RandomValidStream(std::mt19937 &random, int32_t tokens) {
    Bytes stream;
    size_t flagAt = 0;
    int64_t produced = 0;
    for (int32_t t = 0; t < tokens; t++) {
        if (t % 8 == 0) {
            flagAt = stream.size();
            stream.push_back(0);
        }
        const RefForm form = RefForm(random() % 5);
        const int32_t maxDistance[] = {MidRefMaxDistance, NearRefMaxDistance, ByteRefMaxDistance,
                                       MaxDistance, MaxDistance};
        const int64_t reach = std::min<int64_t>(produced, maxDistance[form]);
        if (produced == 0 || random() % 3 == 0 || reach == 0) {
            stream[flagAt] |= uint8_t(1 << (t % 8));
            stream.push_back(uint8_t(random() % 4));
            produced++;
            continue;
        }
        const int32_t distance = int32_t(1 + random() % reach);
        int32_t length;
        switch (form) {
        case MidRef:
            length = 4 + int32_t(random() % 16);
            break;
        case FarRef:
            length = 4 + int32_t(random() % 127);
            break;
        case LongRef:
            length = 2 + int32_t(random() % (random() % 8 ? 300 : 65536));
            break;
        default:
            length = 2 + int32_t(random() % 2);
            break;
        }
        uint8_t bytes[8];
        stream.insert(stream.end(), bytes, bytes + WriteRef(form, length, distance, bytes));
        produced += length;
    }
    return stream;
}

TEST(ExpandPayload, AgreesWithTheByteAtATimeDecoderOnRandomStreams) {
    std::mt19937 random(104);
    for (int round = 0; round < 400; round++) {
        const bool valid = round % 2 == 0;
        Bytes input;
        if (valid) {
            input = RandomValidStream(random, 1 + int32_t(random() % 600));
        } else {
            input.resize(random() % 300);
            for (uint8_t &b : input) b = uint8_t(random() % 8 ? random() : 0xFF);
        }
        const ReferenceExpansion expected = ReferenceExpand(input);
        const size_t end = expected.output.size();
        const uint8_t mark = uint8_t(round | 1);
        std::memset(ExpandBuffer + end, mark, std::min<size_t>(64, ExpandBufferSize - end));

        ExpandFault fault;
        const int32_t written = Expand(input, &fault);
        ASSERT_EQ(fault, expected.fault) << "round " << round;
        ASSERT_EQ(Expanded(written), expected.output) << "round " << round;
        if (valid) {
            // Nothing past the expanded size changes.
            for (size_t i = end; i < std::min<size_t>(end + 64, ExpandBufferSize); i++)
                ASSERT_EQ(ExpandBuffer[i], mark) << "round " << round << " byte " << i;
        }
    }
}

} // namespace
