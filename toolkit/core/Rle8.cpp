#include "core/Rle8.h"

#include <cstring>

bool DecodeRle8(const uint8_t* data, size_t size, uint32_t width, uint32_t height, uint8_t* out,
                size_t stride) {
    if (!data || (out && stride < width)) return false;
    size_t at = 0;
    uint32_t x = 0, y = 0;
    const auto put = [&](const uint8_t* from, uint8_t colour, uint32_t count) {
        if (y >= height || count > width - x) return false;
        if (out) {
            uint8_t* row = out + y * stride + x;
            if (from) {
                std::memcpy(row, from, count);
            } else {
                std::memset(row, colour, count);
            }
        }
        x += count;
        return true;
    };
    while (size - at >= 2) {
        const uint8_t first = data[at], second = data[at + 1];
        at += 2;
        if (first != 0) {
            if (!put(nullptr, second, first)) return false;
        } else if (second == 0) {  // end of line
            x = 0;
            ++y;
        } else if (second == 1) {  // end of bitmap, on the top row (or just past it)
            return height > 0 && y >= height - 1;
        } else if (second == 2) {  // delta: right and up
            if (size - at < 2) return false;
            const uint32_t right = data[at], up = data[at + 1];
            at += 2;
            if (right > width - x || up > height - y) return false;
            x += right;
            y += up;
        } else {  // a literal stretch, padded to a whole 16-bit word
            const size_t padded = second + (second & 1u);
            if (size - at < padded || !put(data + at, 0, second)) return false;
            at += padded;
        }
    }
    return false;
}
