// The first two bytes are the bitmap's width and height, the rest its 8-bit
// run lengths. Decoding must stay inside the rows it is given (the sanitizers
// see any write past them) and agree with the check that writes nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/Rle8.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint32_t width = data[0], height = data[1];
    const size_t stride = width + 1;  // a spare byte per row, never written
    std::vector<uint8_t> pixels(stride * height, 0xA5);
    const bool decoded = DecodeRle8(data + 2, size - 2, width, height, pixels.data(), stride);
    if (decoded != DecodeRle8(data + 2, size - 2, width, height, nullptr, 0)) std::abort();
    for (uint32_t row = 0; row < height; ++row) {
        if (pixels[row * stride + width] != 0xA5) std::abort();
    }
    return 0;
}
