#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "payload/format.h"
#include "payload/record.h"
#include "tests/support/exhaustive_parse.h"
#include "tests/support/reference_expand.h"
#include "tools/pack/pack.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes RandomBytes(std::mt19937 &random, size_t size, uint32_t alphabet = 256) {
    Bytes bytes(size);
    for (uint8_t &b : bytes) b = uint8_t(random() % alphabet);
    return bytes;
}

Bytes Stream(const Bytes &record) {
    return Bytes(record.begin() + PayloadHeaderSize, record.end());
}

Bytes Pack(const Bytes &input, int32_t stamp = 0) {
    Bytes record;
    std::string error;
    EXPECT_TRUE(PackPayload(input, stamp, &record, &error)) << error;
    return record;
}

// Every back-reference of a stream, as the walk of its groups finds them.
struct StreamRef {
    RefForm form;
    int32_t length, distance;
};

std::vector<StreamRef> RefsOf(const Bytes &stream, uint8_t *unusedFlagBits) {
    std::vector<StreamRef> refs;
    size_t at = 0;
    *unusedFlagBits = 0;
    while (at < stream.size()) {
        const uint8_t flags = stream[at++];
        int token = 0;
        for (; token < 8 && at < stream.size(); token++) {
            if (flags >> token & 1) {
                at++;
                continue;
            }
            const RefFields ref = ReadRef(&stream[at]);
            refs.push_back({ref.form, ref.length, ref.distance});
            at += size_t(ref.size);
        }
        *unusedFlagBits = uint8_t(flags >> token);
    }
    return refs;
}

// What every record the packer writes must be: its header, a stream that expands to the input
// under the byte-at-a-time decoder, every reference in its shortest form, the unused flag bits 0.
void ExpectSoundRecord(const Bytes &input, const Bytes &record, int32_t stamp,
                       const std::string &what) {
    ASSERT_GE(record.size(), PayloadHeaderSize) << what;
    EXPECT_EQ(ReadLe32(record.data()), record.size() - PayloadHeaderSize) << what;
    EXPECT_EQ(int32_t(ReadLe32(record.data() + 4)), stamp) << what;
    const Bytes stream = Stream(record);
    const ReferenceExpansion expanded = ReferenceExpand(stream);
    EXPECT_EQ(expanded.fault, ExpandClean) << what;
    EXPECT_TRUE(expanded.output == input) << what;
    uint8_t unused;
    for (const StreamRef &ref : RefsOf(stream, &unused))
        ASSERT_EQ(ref.form, ShortestForm(ref.length, ref.distance)) << what;
    EXPECT_EQ(unused, 0) << what;
}

TEST(PackPayload, MakesTheSmallestStreamThatAnExhaustiveSearchFinds) {
    std::mt19937 random(1004);
    std::vector<std::pair<std::string, Bytes>> inputs;
    for (int round = 0; round < 300; round++) {
        const uint32_t alphabet = 1 + round % 4;
        inputs.push_back({"random, alphabet " + std::to_string(alphabet),
                          RandomBytes(random, random() % 40, alphabet)});
    }
    for (size_t period = 1; period <= 7; period++) {
        Bytes periodic = RandomBytes(random, period);
        while (periodic.size() < 70) periodic.push_back(periodic[periodic.size() - period]);
        inputs.push_back({"period " + std::to_string(period), periodic});
    }
    Bytes fibonacci = {0}, previous = {1};
    while (fibonacci.size() < 200) {
        Bytes next = fibonacci;
        next.insert(next.end(), previous.begin(), previous.end());
        previous = fibonacci;
        fibonacci = next;
    }
    inputs.push_back({"Fibonacci word", fibonacci});
    for (int round = 0; round < 6; round++)
        inputs.push_back({"300 bytes, alphabet 3", RandomBytes(random, 300, 3)});
    // One repeat at each distance and length where the cheapest form changes.
    for (int32_t distance : {31, 32, 255, 256, 1023, 1024}) {
        for (int32_t length : {2, 3, 4, 19, 20, 130, 131}) {
            Bytes input = RandomBytes(random, size_t(distance));
            for (int32_t i = 0; i < length; i++) input.push_back(input[size_t(i)]);
            inputs.push_back(
                {"a repeat of " + std::to_string(length) + " at " + std::to_string(distance),
                 input});
        }
    }
    for (const auto &[what, input] : inputs) {
        const Bytes record = Pack(input);
        EXPECT_EQ(int64_t(record.size() - PayloadHeaderSize), ExhaustiveSmallestStream(input))
            << what;
        ExpectSoundRecord(input, record, 0, what);
    }
}

TEST(PackPayload, RoundTripsEveryShapeOfInput) {
    std::mt19937 random(2000);
    Bytes zeros(200000, 0);
    Bytes mixed = RandomBytes(random, 70000, 4);
    mixed.insert(mixed.end(), 80000, 0x90);
    const Bytes more = RandomBytes(random, 30000);
    mixed.insert(mixed.end(), more.begin(), more.end());
    mixed.insert(mixed.end(), mixed.begin() + 1000, mixed.begin() + 71000);
    const std::pair<std::string, Bytes> inputs[] = {
        {"empty", {}},
        {"one byte", {0x41}},
        {"incompressible", RandomBytes(random, 100000)},
        {"a run longer than 65,537", zeros},
        {"runs, repeats and noise", mixed},
        {"the largest payload", Bytes(1400000, 0x55)},
    };
    for (const auto &[what, input] : inputs) ExpectSoundRecord(input, Pack(input, -5), -5, what);

    const Bytes incompressible = Stream(Pack(inputs[2].second));
    EXPECT_LE(incompressible.size(), 100000 + 100000 / 8)
        << "random bytes cost their flag bytes at most";
    // A flag byte, a literal, then 199,999 bytes in four LongRefs.
    EXPECT_EQ(Stream(Pack(zeros)).size(), 1u + 1u + 4u * 5u);
}

TEST(PackPayload, ReachesBack65535BytesAndNoFurther) {
    std::mt19937 random(65535);
    for (size_t gap : {65535u, 65536u}) {
        Bytes input = RandomBytes(random, gap);
        input.insert(input.end(), input.begin(), input.begin() + 200);
        const Bytes record = Pack(input);
        ExpectSoundRecord(input, record, 0, "gap " + std::to_string(gap));
        uint8_t unused;
        int32_t longest = 0;
        for (const StreamRef &ref : RefsOf(Stream(record), &unused)) {
            if (ref.length > longest) longest = ref.length;
            EXPECT_LE(ref.distance, 65535);
        }
        if (gap == 65535)
            EXPECT_EQ(longest, 200) << "the repeat at distance 65,535 is one reference";
        else
            EXPECT_LT(longest, 20) << "nothing can reach the repeat 65,536 bytes back";
    }
}

TEST(PackPayload, RefusesAnInputLongerThanTheExpandBuffer) {
    Bytes record;
    std::string error;
    EXPECT_FALSE(PackPayload(Bytes(1400001, 0), 0, &record, &error));
    EXPECT_NE(error.find("1400001"), std::string::npos) << error;
    EXPECT_NE(error.find("1400000"), std::string::npos) << error;
}

} // namespace
