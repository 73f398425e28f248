// The chunk walk must stay inside the data it is given (the sanitizers see
// any read past it), and a picture it accepts has sides within the limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/PngChunks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (const auto picture = ReadPngChunks(data, size)) {
        if (picture->width == 0 || picture->height == 0 || picture->width > kMaxPngSide ||
            picture->height > kMaxPngSide) {
            std::abort();
        }
    }
    return 0;
}
