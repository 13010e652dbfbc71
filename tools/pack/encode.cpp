#include "tools/pack/encode.h"

#include <cstddef>

#include "payload/format.h"

std::vector<uint8_t> EncodeTokens(const uint8_t *data, const std::vector<Token> &tokens) {
    std::vector<uint8_t> stream;
    size_t flagAt = 0;
    int32_t position = 0;
    for (size_t t = 0; t < tokens.size(); t++) {
        const int inGroup = int(t % GroupTokens);
        if (inGroup == 0) {
            flagAt = stream.size();
            stream.push_back(0);
        }
        const Token &token = tokens[t];
        if (token.distance == 0) {
            stream[flagAt] |= uint8_t(1 << inGroup);
            stream.push_back(data[position]);
        } else {
            uint8_t bytes[8];
            const int32_t size = WriteRef(ShortestForm(token.length, token.distance), token.length,
                                          token.distance, bytes);
            stream.insert(stream.end(), bytes, bytes + size);
        }
        position += token.length;
    }
    return stream;
}
