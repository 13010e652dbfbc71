// The message box of the tests: it records every box and gives the answers a test asks for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RecordedBox {
    std::string text; // code page 932 bytes, as shown
    std::string caption;
    uint32_t style;
};

// Forgets the boxes shown so far and sets the answers of the boxes to come, in order; a box past
// the last answer gets IdOk.
void ScriptBoxes(std::vector<int32_t> answers = {});

const std::vector<RecordedBox> &ShownBoxes();
