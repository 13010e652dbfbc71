// The message boxes a test expects, written in UTF-8, compared with the scripted box's record.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/scripted/scripted_box.h"
#include "tests/support/cp932_text.h"

struct Box {
    std::string text; // UTF-8
    std::string caption;
    uint32_t style = MbOk;
};

inline Box Boxed(const std::string &text, const std::string &caption = "Olvan update") {
    return {text, caption};
}

inline const Box Confirmation = {"Olvan.exeをバージョン1.04に\n書き換えてよろしいですか？",
                                 "Olvan update", MbOkCancel | MbIconQuestion};
inline const Box NotInstalled = Boxed("Ｏｌｖａｎがインストールされていません。");
inline const Box NotFound = Boxed("Olvan.exeが見つかりません。");
inline const Box Finished = Boxed("データーの更新が終了しました。");
inline const Box CannotWrite = Boxed("Olvan.exeに書き込みできません。");
inline const Box DiskFull = Boxed("書き込みに失敗しました。\nディスク領域が不足しています。\nディス"
                                  "クの空き領域を増やしてから、もう一度実行してください。");
inline const Box VoiceCannotWrite = Boxed("10226a_aが書き込みできません。");
inline Box NoResource(const std::string &payload) {
    return Boxed("リソースが見つかりません", payload);
}
inline Box CannotOpen(const std::string &payload) {
    return Boxed("ファイルがひらけません", payload);
}
inline Box TooLarge(const std::string &payload) {
    return Boxed("ファイルがおおきすぎます", payload);
}

inline void ExpectBoxes(const std::vector<Box> &expected, const std::string &what) {
    const std::vector<RecordedBox> &shown = ShownBoxes();
    ASSERT_EQ(shown.size(), expected.size()) << what;
    for (size_t i = 0; i < shown.size(); i++) {
        EXPECT_EQ(shown[i].text, Cp932(expected[i].text)) << what << ", box " << i + 1;
        EXPECT_EQ(shown[i].caption, expected[i].caption) << what << ", box " << i + 1;
        EXPECT_EQ(shown[i].style, expected[i].style) << what << ", box " << i + 1;
    }
}
