// A message box on the terminal, for a player without a display and for scripts:
//
//   === Olvan update ===
//   Olvan.exeをバージョン1.04に
//   書き換えてよろしいですか？
//   [OK] [Cancel]
//   -> OK
//
// The caption between "=== " and " ===", the text in UTF-8 with its line breaks, the buttons, and
// after the answer has been read, the button chosen ("-> OK", "-> Cancel") and an empty line.
// Answers are read from standard input a line at a time: an empty line chooses the default button
// (OK), "c" or "cancel" chooses Cancel, "o" or "ok" chooses OK; the end of input is the close box
// ("-> closed"), which cancels. Any other line asks again.
#pragma once

#include <cstdint>

int32_t ShowTerminalBox(const char *text, const char *caption, uint32_t style);
