// olvan-sample: deterministic stand-ins for the two payload files, for builds that are not given
// the real ones. They have the real sizes and a similar make-up, so that the records, the tests and
// the measurements behave as with the real files; they come from integer arithmetic only, so every
// machine makes the same bytes.
//
//   olvan-sample exe OUTPUT     876,544 bytes shaped like a 32-bit Windows executable
//   olvan-sample voice OUTPUT   35,706 bytes of 16-bit mono PCM speech-like sound
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr size_t ExecutableSize = 876544;
constexpr size_t VoiceSize = 35706;

class Random {
  public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint32_t Next() {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return uint32_t((state_ * 0x2545F4914F6CDD1Dull) >> 32);
    }
    uint32_t Below(uint32_t bound) { return Next() % bound; }

  private:
    uint64_t state_;
};

struct Writer {
    std::vector<uint8_t> &bytes;
    void Byte(uint32_t b) { bytes.push_back(uint8_t(b)); }
    void Le16(uint32_t v) { Byte(v), Byte(v >> 8); }
    void Le32(uint32_t v) { Le16(v), Le16(v >> 16); }
    void Text(const char *s) { bytes.insert(bytes.end(), s, s + std::strlen(s)); }
    void PadTo(size_t size, uint8_t fill) {
        if (bytes.size() < size) bytes.resize(size, fill);
    }
};

// Code: functions built from common instruction shapes with varied operands, and from idioms that
// recur through the whole section, as a compiler's output does.
void WriteInstruction(Writer &w, Random &random) {
    switch (random.Below(9)) {
    case 0:
        w.Byte(0x8B), w.Byte(0x45), w.Byte(8 + 4 * random.Below(6));
        break;
    case 1:
        w.Byte(0x89), w.Byte(0x45), w.Byte(0x100 - 4 * (1 + random.Below(8)));
        break;
    case 2:
        w.Byte(0xE8), w.Le32(0x1000 + 0x40 * random.Below(300));
        break;
    case 3:
        w.Byte(0x50 + random.Below(8));
        break;
    case 4:
        w.Byte(0x85), w.Byte(0xC0), w.Byte(0x74), w.Byte(random.Below(64));
        break;
    case 5:
        w.Byte(0xA1), w.Le32(0x00480000 + 4 * random.Below(256));
        break;
    case 6:
        w.Byte(0x68), w.Le32(0x00460000 + 16 * random.Below(512));
        break;
    case 7:
        w.Byte(0x33), w.Byte(0xC0);
        break;
    default:
        w.Byte(0x8D), w.Byte(0x4D), w.Byte(0x100 - 4 * (1 + random.Below(8)));
        break;
    }
}

void WriteCode(Writer &w, Random &random, size_t end) {
    std::vector<std::vector<uint8_t>> idioms(400);
    for (auto &idiom : idioms) {
        Writer into{idiom};
        for (uint32_t n = 2 + random.Below(5); n > 0; n--) WriteInstruction(into, random);
    }
    while (w.bytes.size() + 256 < end) {
        w.Byte(0x55), w.Byte(0x8B), w.Byte(0xEC); // push ebp; mov ebp, esp
        if (random.Below(2)) w.Byte(0x83), w.Byte(0xEC), w.Byte(4 * (1 + random.Below(16)));
        for (uint32_t n = 4 + random.Below(24); n > 0; n--) {
            if (random.Below(2)) {
                const std::vector<uint8_t> &idiom = idioms[random.Below(uint32_t(idioms.size()))];
                w.bytes.insert(w.bytes.end(), idiom.begin(), idiom.end());
            } else {
                WriteInstruction(w, random);
            }
        }
        w.Byte(0x8B), w.Byte(0xE5), w.Byte(0x5D), w.Byte(0xC3); // mov esp, ebp; pop ebp; ret
        while (w.bytes.size() % 16) w.Byte(0xCC);
    }
    w.PadTo(end, 0);
}

// Read-only data: strings from a small vocabulary, then tables of addresses.
void WriteReadOnlyData(Writer &w, Random &random, size_t end) {
    static const char *const words[] = {"Olvan",  "voice", "scene", "error",   "file",
                                        "cannot", "open",  "load",  "graphic", "sound",
                                        "data",   "save",  "menu",  "%s\\%s",  "%d"};
    const size_t stringsEnd = w.bytes.size() + (end - w.bytes.size()) / 2;
    while (w.bytes.size() + 64 < stringsEnd) {
        const uint32_t count = 1 + random.Below(5);
        for (uint32_t i = 0; i < count; i++) {
            if (i) w.Byte(' ');
            w.Text(words[random.Below(sizeof words / sizeof words[0])]);
        }
        w.Byte(0);
        while (w.bytes.size() % 4) w.Byte(0);
    }
    while (w.bytes.size() + 4 <= end) w.Le32(0x00401000 + 16 * random.Below(1024));
    w.PadTo(end, 0);
}

// Data: small tables between long zero-filled stretches.
void WriteData(Writer &w, Random &random, size_t end) {
    while (w.bytes.size() + 4096 < end) {
        const uint32_t table = 64 + random.Below(512);
        for (uint32_t i = 0; i < table; i++) w.Le16(random.Below(4) ? i * 3 : random.Next());
        w.PadTo(w.bytes.size() + 512 + random.Below(6000), 0);
    }
    w.PadTo(end, 0);
}

// Resources: 8-bit pictures whose rows repeat with small changes.
void WriteResources(Writer &w, Random &random, size_t end) {
    while (w.bytes.size() + 256 < end) {
        const uint32_t width = 32 * (1 + random.Below(8));
        const uint32_t rows = 16 + random.Below(64);
        std::vector<uint8_t> row(width);
        for (uint32_t x = 0; x < width; x++) row[x] = uint8_t(x / 4 + random.Below(3));
        for (uint32_t y = 0; y < rows && w.bytes.size() + width < end; y++) {
            for (uint32_t x = 0; x < width; x++) {
                if (random.Below(8) == 0) row[x] = uint8_t(row[x] + random.Below(5) - 2);
                w.Byte(row[x]);
            }
        }
    }
    w.PadTo(end, 0);
}

std::vector<uint8_t> MakeExecutable() {
    std::vector<uint8_t> bytes;
    Writer w{bytes};
    Random random(0x4F4C56414E313034ull);
    struct Section {
        const char *name;
        uint32_t size;
        uint32_t characteristics;
        void (*write)(Writer &, Random &, size_t);
    };
    const Section sections[] = {
        {".text", 0x88000, 0x60000020, WriteCode},
        {".rdata", 0x1A000, 0x40000040, WriteReadOnlyData},
        {".data", 0x28000, 0xC0000040, WriteData},
        {".rsrc", 0x1D000, 0x40000040, WriteResources},
    };
    // DOS header and stub, then the PE headers at 0x80.
    w.Text("MZ");
    w.Le16(0x90), w.Le16(3), w.Le16(0), w.Le16(4), w.Le16(0), w.Le16(0xFFFF);
    w.PadTo(0x3C, 0);
    w.Le32(0x80);
    w.Text("\x0E\x1F\xBA\x0E\x00\xB4\x09\xCD\x21\xB8\x01\x4C\xCD\x21");
    w.Text("This program cannot be run in DOS mode.\r\r\n$");
    w.PadTo(0x80, 0);
    w.Text("PE");
    w.Le16(0);
    w.Le16(0x14C), w.Le16(4), w.Le32(0x39E6C1C6), w.Le32(0), w.Le32(0), w.Le16(0xE0), w.Le16(0x10F);
    w.Le16(0x10B), w.Byte(6), w.Byte(0);
    w.Le32(0x88000), w.Le32(0x4D000), w.Le32(0), w.Le32(0x1000), w.Le32(0x1000), w.Le32(0x89000);
    w.Le32(0x400000), w.Le32(0x1000), w.Le32(0x1000);
    w.PadTo(0x80 + 24 + 0xE0, 0);
    uint32_t address = 0x1000, offset = 0x1000;
    for (const Section &s : sections) {
        char name[8] = {};
        std::memcpy(name, s.name, std::strlen(s.name));
        bytes.insert(bytes.end(), name, name + 8);
        w.Le32(s.size), w.Le32(address), w.Le32(s.size), w.Le32(offset);
        w.Le32(0), w.Le32(0), w.Le32(0), w.Le32(s.characteristics);
        address += s.size, offset += s.size;
    }
    w.PadTo(0x1000, 0);
    size_t end = 0x1000;
    for (const Section &s : sections) {
        end += s.size;
        s.write(w, random, end);
    }
    bytes.resize(ExecutableSize, 0);
    return bytes;
}

// A parabola through the sine's zeros and peaks, on a phase of 16 bits; about +-32767.
int32_t Sine(uint32_t phase) {
    const int32_t x = int32_t(phase & 0x7FFF) - 0x4000; // -16384..16383 inside a half wave
    const int32_t half = 32767 - int32_t((int64_t(x) * x) >> 13);
    return (phase & 0x8000) ? -half : half;
}

std::vector<uint8_t> MakeVoice() {
    std::vector<uint8_t> bytes;
    Writer w{bytes};
    Random random(0x3132514141533033ull);
    uint32_t phase = 0;
    const size_t samples = VoiceSize / 2;
    for (size_t i = 0; i < samples; i++) {
        // A voice at 22,050 Hz: a gliding pitch, three harmonics, syllables and a little breath.
        const uint32_t pitch = 140 + uint32_t((i / 400) % 60);
        phase += pitch * 65536 / 22050;
        const int32_t tone = Sine(phase) / 2 + Sine(phase * 2) / 4 + Sine(phase * 3) / 8;
        const int32_t syllable = Sine(uint32_t(i * 65536 / 4410)) / 2 + 16384;
        const int32_t noise = int32_t(random.Below(2049)) - 1024;
        int32_t sample = int32_t((int64_t(tone) * syllable) >> 16) + noise;
        sample = sample > 32767 ? 32767 : sample < -32768 ? -32768 : sample;
        w.Le16(uint32_t(sample) & 0xFFFF);
    }
    return bytes;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3 || (std::strcmp(argv[1], "exe") != 0 && std::strcmp(argv[1], "voice") != 0)) {
        std::fputs("usage: olvan-sample exe|voice OUTPUT\n", stderr);
        return 2;
    }
    const std::vector<uint8_t> bytes =
        std::strcmp(argv[1], "exe") == 0 ? MakeExecutable() : MakeVoice();
    std::FILE *file = std::fopen(argv[2], "wb");
    bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file) written = std::fclose(file) == 0 && written;
    if (!written) {
        std::fprintf(stderr, "olvan-sample: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
