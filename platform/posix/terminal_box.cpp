#include "platform/posix/terminal_box.h"

#include <unistd.h>

#include <cstring>

#include "platform/platform.h"
#include "platform/posix/ascii_case.h"
#include "platform/posix/cp932.h"

namespace {

char Converted[1024];
char Answer[64];

void Put(const char *text) {
    for (size_t left = std::strlen(text); left > 0;) {
        const ssize_t n = write(STDOUT_FILENO, text, left);
        if (n <= 0) return;
        text += n, left -= size_t(n);
    }
}

void PutConverted(const char *cp932) {
    if (Cp932ToUtf8(cp932, std::strlen(cp932), Converted, sizeof Converted, false))
        Put(Converted);
    else
        Put("?");
}

// Reads one line of standard input, a byte at a time so that nothing past it is taken from the
// next box's answers. False at the end of input. A line too long for the buffer reads as one
// that matches no answer.
bool ReadAnswer() {
    size_t length = 0;
    bool tooLong = false;
    for (;;) {
        char c;
        const ssize_t n = read(STDIN_FILENO, &c, 1);
        if (n <= 0) {
            if (length == 0 && !tooLong) return false;
            break;
        }
        if (c == '\n') break;
        if (length + 1 < sizeof Answer)
            Answer[length++] = c;
        else
            tooLong = true;
    }
    while (length > 0 &&
           (Answer[length - 1] == ' ' || Answer[length - 1] == '\r' || Answer[length - 1] == '\t'))
        length--;
    size_t start = 0;
    while (start < length && (Answer[start] == ' ' || Answer[start] == '\t')) start++;
    std::memmove(Answer, Answer + start, length - start);
    Answer[length - start] = 0;
    if (tooLong) std::strcpy(Answer, "?");
    return true;
}

} // namespace

int32_t ShowTerminalBox(const char *text, const char *caption, uint32_t style) {
    const bool withCancel = (style & MbOkCancel) != 0;
    Put("=== ");
    PutConverted(caption);
    Put(" ===\n");
    PutConverted(text);
    Put("\n");
    for (;;) {
        Put(withCancel ? "[OK] [Cancel]\n" : "[OK]\n");
        if (!ReadAnswer()) {
            Put("-> closed\n\n");
            return withCancel ? IdCancel : IdOk;
        }
        const bool ok = Answer[0] == 0 || SameIgnoringAsciiCase(Answer, "o") ||
                        SameIgnoringAsciiCase(Answer, "ok");
        const bool cancel =
            SameIgnoringAsciiCase(Answer, "c") || SameIgnoringAsciiCase(Answer, "cancel");
        if (ok || !withCancel) {
            Put("-> OK\n\n");
            return IdOk;
        }
        if (cancel) {
            Put("-> Cancel\n\n");
            return IdCancel;
        }
    }
}
