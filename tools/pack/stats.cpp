#include "tools/pack/stats.h"

#include <algorithm>

namespace {

std::string Grouped(int64_t value) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    for (int i = int(digits.size()) - 3; i > 0; i -= 3) digits.insert(size_t(i), ",");
    return value < 0 ? "-" + digits : digits;
}

std::string Range(int32_t low, int32_t high) {
    return low == high ? Grouped(low) : Grouped(low) + "-" + Grouped(high);
}

void Widen(FormFigures &form, int32_t length, int32_t distance) {
    if (form.count++ == 0) {
        form.minLength = form.maxLength = length;
        form.minDistance = form.maxDistance = distance;
        return;
    }
    form.minLength = std::min(form.minLength, length);
    form.maxLength = std::max(form.maxLength, length);
    form.minDistance = std::min(form.minDistance, distance);
    form.maxDistance = std::max(form.maxDistance, distance);
}

} // namespace

StreamFigures CountTokens(const uint8_t *stream, int32_t count) {
    StreamFigures figures;
    int32_t at = 0;
    while (at < count) {
        const uint8_t flags = stream[at++];
        figures.flagBytes++;
        int32_t inGroup = 0;
        for (; inGroup < GroupTokens && at < count; inGroup++) {
            if (flags >> inGroup & 1) {
                figures.literals++;
                figures.expandedSize++;
                at++;
            } else {
                if (RefSize(ClassifyRef(stream[at])) > count - at) return figures;
                const RefFields ref = ReadRef(stream + at);
                Widen(figures.forms[ref.form], ref.length, ref.distance);
                figures.expandedSize += ref.length;
                at += ref.size;
            }
            figures.tokens++;
        }
        figures.lastGroupTokens = inGroup;
    }
    return figures;
}

std::string FormatFigures(const StreamFigures &figures) {
    struct Row {
        const char *name;
        RefForm form;
    };
    static const Row rows[] = {
        {"NearRef", NearRef}, {"ByteRef", ByteRef}, {"MidRef", MidRef},
        {"FarRef", FarRef},   {"LongRef", LongRef},
    };
    auto line = [](const std::string &name, const std::string &value) {
        return name + std::string(name.size() < 26 ? 26 - name.size() : 1, ' ') + value + "\n";
    };
    std::string text = line("flag bytes", Grouped(figures.flagBytes)) +
                       line("tokens", Grouped(figures.tokens)) +
                       line("literals", Grouped(figures.literals));
    for (const Row &row : rows) {
        const FormFigures &form = figures.forms[row.form];
        text += line(row.name, form.count == 0
                                   ? "none"
                                   : Grouped(form.count) + " (length " +
                                         Range(form.minLength, form.maxLength) + ", distance " +
                                         Range(form.minDistance, form.maxDistance) + ")");
    }
    return text + line("tokens in the last group", Grouped(figures.lastGroupTokens)) +
           line("expanded size", Grouped(figures.expandedSize));
}
