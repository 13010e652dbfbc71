#include "tools/pack/optimal_parse.h"

#include <algorithm>

#include "payload/format.h"

// The parse runs from the end of the input back to its start and keeps, for every position and
// every phase (the number of tokens before the position, modulo 8), the fewest stream bytes that
// encode the rest of the input. The token that opens a group pays for its flag byte, so the phase
// makes the flag bytes exact.
//
// Each form prices a whole range of lengths alike, and any length up to a window's best match
// can be had at that match's distance. So from a position, each priced range of lengths reaches a
// range of destinations [position + shortest, position + longest], and the best of them is a
// minimum over that range. Going backwards, both ends of the range move back or stay (a match at a
// position still holds one position on, one byte shorter), so each range is a sliding window and
// a monotone queue gives its minimum in constant amortised time: every length of every form is
// considered, and nothing is approximated.

namespace {

constexpr int Phases = GroupTokens;

// Lengths of 4 and more, by price. A LongRef of length 2 or 3 (5 bytes) never beats two or three
// literals, and the forms that are longer than another one for the same pair never win.
struct PricedLengths {
    int32_t shortest;
    int32_t longest;
    MatchWindow window;
    int32_t bytes;
};

constexpr PricedLengths LongerRefs[] = {
    {MidRefMinLength, MidRefMaxLength, Window1023, 2},       // MidRef
    {FarRefMinLength, FarRefMaxLength, Window65535, 3},      // FarRef
    {FarRefMaxLength + 1, LongRefMaxLength, Window65535, 5}, // LongRef
};
constexpr int LongerRefCount = sizeof LongerRefs / sizeof LongerRefs[0];

// The minimum of a cost over a window of positions that only moves towards the start: positions
// enter at the front, smaller than all held ones, and leave at the back.
class SlidingMinimum {
  public:
    // Room for every destination of one range of an input of that size: at most 65,536.
    explicit SlidingMinimum(int32_t inputSize) {
        uint32_t room = 1;
        while (room < uint32_t(std::min(inputSize, 65536)) + 1) room *= 2;
        ring_.resize(room);
        mask_ = room - 1;
    }

    void Clear() { front_ = back_ = 0; }
    bool Empty() const { return front_ == back_; }

    template <typename Cost> void PushFront(int32_t position, Cost cost) {
        const int32_t value = cost(position);
        while (!Empty() && cost(ring_[front_ & mask_]) >= value) front_++;
        ring_[--front_ & mask_] = position;
    }

    void DropBeyond(int32_t last) {
        while (!Empty() && ring_[(back_ - 1) & mask_] > last) back_--;
    }

    // The position of the smallest cost held.
    int32_t Best() const { return ring_[(back_ - 1) & mask_]; }

  private:
    std::vector<int32_t> ring_;
    uint32_t mask_;
    uint32_t front_ = 0;
    uint32_t back_ = 0;
};

} // namespace

Parse ParseOptimal(const std::vector<PositionMatches> &matches) {
    const int32_t size = int32_t(matches.size());
    // costToGo[position * Phases + phase]
    std::vector<int32_t> costToGo(size_t(size + 1) * Phases, 0);
    std::vector<int32_t> chosenLength(size_t(size) * Phases);
    std::vector<uint8_t> chosenWindow(size_t(size) * Phases);
    std::vector<SlidingMinimum> ranges(LongerRefCount * Phases, SlidingMinimum(size));

    for (int32_t i = size - 1; i >= 0; i--) {
        const PositionMatches &m = matches[size_t(i)];
        for (int r = 0; r < LongerRefCount; r++) {
            const PricedLengths &priced = LongerRefs[r];
            const int32_t reach = std::min(priced.longest, m.length[priced.window]);
            for (int phase = 0; phase < Phases; phase++) {
                SlidingMinimum &range = ranges[size_t(r * Phases + phase)];
                if (reach < priced.shortest) {
                    // The range ends before it starts here, and from every earlier position too.
                    range.Clear();
                    continue;
                }
                range.PushFront(i + priced.shortest, [&](int32_t position) {
                    return costToGo[size_t(position) * Phases + size_t(phase)];
                });
                range.DropBeyond(i + reach);
            }
        }

        for (int phase = 0; phase < Phases; phase++) {
            const int next = (phase + 1) % Phases;
            auto after = [&](int32_t position) {
                return costToGo[size_t(position) * Phases + size_t(next)];
            };
            int32_t best = 1 + after(i + 1);
            int32_t length = 1;
            int window = Window31;
            for (int32_t n = ShortRefMinLength; n <= ShortRefMaxLength; n++) {
                const int w = m.length[Window31] >= n    ? Window31
                              : m.length[Window255] >= n ? Window255
                                                         : -1;
                if (w < 0) continue;
                const int32_t cost = (w == Window31 ? 1 : 2) + after(i + n);
                if (cost < best) best = cost, length = n, window = w;
            }
            for (int r = 0; r < LongerRefCount; r++) {
                const SlidingMinimum &range = ranges[size_t(r * Phases + next)];
                if (range.Empty()) continue;
                const int32_t to = range.Best();
                const int32_t cost = LongerRefs[r].bytes + after(to);
                if (cost < best) best = cost, length = to - i, window = LongerRefs[r].window;
            }
            const size_t at = size_t(i) * Phases + size_t(phase);
            costToGo[at] = best + (phase == 0 ? 1 : 0);
            chosenLength[at] = length;
            chosenWindow[at] = uint8_t(window);
        }
    }

    Parse parse;
    parse.streamSize = costToGo[0];
    for (int32_t i = 0, phase = 0; i < size; phase = (phase + 1) % Phases) {
        const size_t at = size_t(i) * Phases + size_t(phase);
        const int32_t length = chosenLength[at];
        const int32_t distance = length == 1 ? 0 : matches[size_t(i)].distance[chosenWindow[at]];
        parse.tokens.push_back({length, distance});
        i += length;
    }
    return parse;
}
