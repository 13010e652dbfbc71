#include "tools/pack/pack.h"

#include <cstring>

#include "payload/expand.h"
#include "payload/record.h"
#include "tools/pack/encode.h"
#include "tools/pack/match_finder.h"
#include "tools/pack/optimal_parse.h"

bool PackPayload(const std::vector<uint8_t> &input, int32_t timeStamp, std::vector<uint8_t> *record,
                 std::string *error) {
    if (input.size() > size_t(ExpandBufferSize)) {
        *error = "the input is " + std::to_string(input.size()) +
                 " bytes; a payload expands to at most " + std::to_string(ExpandBufferSize) +
                 " bytes";
        return false;
    }
    const int32_t size = int32_t(input.size());
    const Parse parse = ParseOptimal(FindMatches(input.data(), size));
    const std::vector<uint8_t> stream = EncodeTokens(input.data(), parse.tokens);
    if (int64_t(stream.size()) != parse.streamSize) {
        *error = "internal fault: the stream has " + std::to_string(stream.size()) +
                 " bytes, the parse counted " + std::to_string(parse.streamSize);
        return false;
    }

    ExpandFault fault;
    const int32_t expanded =
        ExpandPayload(ExpandBuffer, stream.data(), int32_t(stream.size()), &fault);
    if (fault != ExpandClean || expanded != size ||
        (size > 0 && std::memcmp(ExpandBuffer, input.data(), size_t(size)) != 0)) {
        *error = "internal fault: the stream does not expand to the input";
        return false;
    }

    record->assign(PayloadHeaderSize, 0);
    WriteLe32(record->data(), uint32_t(stream.size()));
    WriteLe32(record->data() + 4, uint32_t(timeStamp));
    record->insert(record->end(), stream.begin(), stream.end());
    return true;
}
