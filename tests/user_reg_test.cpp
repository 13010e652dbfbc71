#include <string>

#include <gtest/gtest.h>

#include "platform/posix/user_reg.h"
#include "tests/support/cp932_text.h"

namespace {

const std::string Head =
    "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n";
const char Key[] = "Software\\Brenmo\\Olvan";

std::string InKey(const std::string &lines) {
    return Head + "[Software\\\\Brenmo\\\\Olvan] 1700000000\n#time=1da0000000000\n" + lines + "\n";
}

struct Answer {
    int32_t code;
    uint32_t type;
    std::string data;
};

Answer Query(const std::string &text, uint32_t room = 260) {
    Answer answer{0, 0, std::string(room, '\xEE')};
    uint32_t size = room;
    answer.code = QueryRegistryValue(text.data(), text.size(), Key, "DataDir", &answer.type,
                                     reinterpret_cast<uint8_t *>(answer.data.data()), &size);
    if (answer.code == RegistryOk) answer.data.resize(size);
    return answer;
}

struct ValueCase {
    const char *what;
    std::string text;
    uint32_t type;
    std::string data; // as RegQueryValueExA delivers it, terminator included
};

TEST(UserReg, DeliversValuesAsTheAnsiRegistryCallDoes) {
    const std::string japanese = Cp932("C:\\ゲーム\\オルヴァン表");
    const std::string s259(258, 'a');
    const ValueCase cases[] = {
        {"a plain string", InKey("\"DataDir\"=\"C:\\\\Games\\\\Olvan\""), 1,
         std::string("C:\\Games\\Olvan\0", 15)},
        {"as Wine escapes Japanese",
         InKey("\"DataDir\"=\"C:"
               "\\\\\\x30b2\\x30fc\\x30e0\\\\\\x30aa\\x30eb\\x30f4\\x30a1\\x30f3\\x8868\""),
         1, japanese + '\0'},
        {"a \\x escape of fewer digits", InKey("\"DataDir\"=\"\\x41Z\\x4g\""), 1,
         std::string("AZ\x04g\0", 5)},
        {"\\x without a digit", InKey("\"DataDir\"=\"\\xz\""), 1, std::string("xz\0", 3)},
        {"quotes, octal and C escapes", InKey("\"DataDir\"=\"a\\\"b\\101\\t\\q\""), 1,
         std::string("a\"bA\tq\0", 7)},
        {"str:", InKey("\"DataDir\"=str:\"x\""), 1, std::string("x\0", 2)},
        {"an expandable string is not expanded", InKey("\"DataDir\"=str(2):\"%TEMP%\\\\x\""), 2,
         std::string("%TEMP%\\x\0", 9)},
        {"a multi-string", InKey("\"DataDir\"=str(7):\"a\\0b\\0\""), 7, std::string("a\0b\0\0", 5)},
        {"a dword as its bytes", InKey("\"DataDir\"=dword:0000002a"), 4,
         std::string("\x2a\0\0\0", 4)},
        {"binary as its bytes", InKey("\"DataDir\"=hex:43,3a,5c,00,41"), 3,
         std::string("C:\\\0A", 5)},
        {"hex over three lines", InKey("\"DataDir\"=hex:43,3a,\\\n  5c,41,\\\n  00"), 3,
         std::string("C:\\A\0", 5)},
        {"hex(1) is a string in UTF-16", InKey("\"DataDir\"=hex(1):43,00,a8,30,00,00"), 1,
         Cp932("Cエ") + '\0'},
        {"hex(1) without a zero gets one", InKey("\"DataDir\"=hex(1):43,00,44,00"), 1, "CD"},
        {"hex(5) as its bytes", InKey("\"DataDir\"=hex(5):01,02"), 5, "\x01\x02"},
        {"a character code page 932 lacks", InKey("\"DataDir\"=\"a\\x00e9b\""), 1,
         std::string("a?b\0", 4)},
        {"the name without regard to case", InKey("\"datadir\"=\"x\""), 1, std::string("x\0", 2)},
        {"the key without regard to case",
         Head + "[software\\\\BRENMO\\\\olvan] 1\n\"DataDir\"=\"k\"\n", 1, std::string("k\0", 2)},
        {"the last definition", InKey("\"DataDir\"=\"one\"\n\"DataDir\"=\"two\""), 1,
         std::string("two\0", 4)},
        {"a malformed last definition leaves the one before",
         InKey("\"DataDir\"=\"one\"\n\"DataDir\"=\"two"), 1, std::string("one\0", 4)},
        {"sections of the same key merge",
         InKey("\"DataDir\"=\"one\"") +
             "[Other] 1\n\"DataDir\"=\"no\"\n[Software\\\\Brenmo\\\\Olvan] 2\n\"X\"=\"y\"\n",
         1, std::string("one\0", 4)},
        {"CR LF line ends",
         "WINE REGISTRY Version 2\r\n[Software\\\\Brenmo\\\\Olvan] 1\r\n\"DataDir\"=\"c\"\r\n", 1,
         std::string("c\0", 2)},
        {"259 bytes and a zero fit 260", InKey("\"DataDir\"=\"" + std::string(259, 'a') + "\""), 1,
         std::string(259, 'a') + '\0'},
        {"129 double-byte characters, a letter and a zero fit 260",
         InKey("\"DataDir\"=\"" +
               [] {
                   std::string s;
                   for (int i = 0; i < 129; i++) s += "\\x8868";
                   return s;
               }() +
               "a\""),
         1,
         [] {
             std::string s;
             for (int i = 0; i < 129; i++) s += Cp932("表");
             return s + "a" + '\0';
         }()},
        {"260 raw bytes fit",
         InKey("\"DataDir\"=hex:" +
               [] {
                   std::string s = "41";
                   for (int i = 1; i < 260; i++) s += ",41";
                   return s;
               }()),
         3, std::string(260, 'A')},
    };
    for (const ValueCase &c : cases) {
        const Answer answer = Query(c.text);
        ASSERT_EQ(answer.code, RegistryOk) << c.what;
        EXPECT_EQ(answer.type, c.type) << c.what;
        EXPECT_EQ(answer.data, c.data) << c.what;
    }
}

TEST(UserReg, FailsWithoutWritingWhereTheValueIsMissingOrTooLarge) {
    const struct {
        const char *what;
        std::string text;
        int32_t code;
    } cases[] = {
        {"no value", InKey("\"Other\"=\"x\""), RegistryNotFound},
        {"the default value is another value", InKey("@=\"x\""), RegistryNotFound},
        {"a value of a key below",
         Head + "[Software\\\\Brenmo\\\\Olvan\\\\Sub] 1\n\"DataDir\"=\"x\"\n", RegistryNotFound},
        {"a value of the key above", Head + "[Software\\\\Brenmo] 1\n\"DataDir\"=\"x\"\n",
         RegistryNotFound},
        {"a value before any section",
         Head + "\"DataDir\"=\"x\"\n[Software\\\\Brenmo\\\\Olvan] 1\n", RegistryNotFound},
        {"a value after a malformed section",
         InKey("") + "[Software\\\\Brenmo\\\\Olvan\n\"DataDir\"=\"x\"\n", RegistryNotFound},
        {"a value without its closing quote", InKey("\"DataDir\"=\"x"), RegistryNotFound},
        {"an unknown type", InKey("\"DataDir\"=qword:1"), RegistryNotFound},
        {"a continuation line that is not hex", InKey("\"Blob\"=hex:00,\\\n\"DataDir\"=\"x\""),
         RegistryNotFound},
        {"not a registry file", "REGEDIT4\n[Software\\\\Brenmo\\\\Olvan]\n\"DataDir\"=\"x\"\n",
         RegistryNotFound},
        {"260 bytes and a zero", InKey("\"DataDir\"=\"" + std::string(260, 'a') + "\""),
         RegistryMoreData},
        {"130 double-byte characters and a zero",
         InKey("\"DataDir\"=\"" +
               [] {
                   std::string s;
                   for (int i = 0; i < 130; i++) s += "\\x8868";
                   return s;
               }() +
               "\""),
         RegistryMoreData},
        {"a huge value", InKey("\"DataDir\"=\"" + std::string(1 << 20, 'a') + "\""),
         RegistryMoreData},
    };
    for (const auto &c : cases) {
        const Answer answer = Query(c.text);
        EXPECT_EQ(answer.code, c.code) << c.what;
        EXPECT_EQ(answer.data, std::string(260, '\xEE')) << c.what << ": nothing written";
    }
}

TEST(UserReg, FindsAKeyBySectionOrBySectionBelowIt) {
    const struct {
        std::string text;
        bool has;
    } cases[] = {
        {InKey(""), true},
        {Head + "[SOFTWARE\\\\brenmo\\\\OLVAN\\\\Saves] 1\n", true},
        {Head + "[Software\\\\Brenmo\\\\Olvan2] 1\n", false},
        {Head + "[Software\\\\Brenmo] 1\n", false},
        {Head + "[Software\\\\Brenmo\\\\Olvan 1\n", false},
        {"", false},
        {Head + "[Other] 1\n\"Blob\"=hex:00,\\\n[Software\\\\Brenmo\\\\Olvan] 1\n", false},
        {std::string("WINE REGISTRY Version 2\n[Software\\\\Brenmo\\\\Olv\0an] 1\n", 53), false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(RegistryHasKey(c.text.data(), c.text.size(), Key), c.has) << c.text;
}

} // namespace
