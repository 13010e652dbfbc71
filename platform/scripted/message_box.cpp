#include "platform/platform.h"
#include "platform/scripted/scripted_box.h"

namespace {

std::vector<RecordedBox> Shown;
std::vector<int32_t> Answers;

} // namespace

void ScriptBoxes(std::vector<int32_t> answers) {
    Shown.clear();
    Answers = std::move(answers);
}

const std::vector<RecordedBox> &ShownBoxes() {
    return Shown;
}

int32_t PlatformMessageBox(const char *text, const char *caption, uint32_t style) {
    const size_t index = Shown.size();
    Shown.push_back({text, caption, style});
    return index < Answers.size() ? Answers[index] : IdOk;
}
