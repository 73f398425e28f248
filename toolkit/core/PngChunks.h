// The chunk structure of a PNG file: the signature, chunks whose lengths stay
// inside the data and whose check values match, IHDR first, IDAT, IEND last.
// Only the structure is read; the pixels are the decoder's business.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

struct TPngSize {
    uint32_t width = 0;
    uint32_t height = 0;
};

// The largest side a picture of this program may have; a header asking for
// more is taken as damaged rather than handed to the decoder.
inline constexpr uint32_t kMaxPngSide = 16384;

// The picture's size when `data` is a whole, well-formed PNG: the signature;
// IHDR first, 13 bytes, with sides of 1 to kMaxPngSide, a bit depth the
// colour type allows, compression and filter method 0 and interlace 0 or 1;
// at least one IDAT; IEND last, at the end of the data; every chunk inside
// the data with a matching CRC. Nothing otherwise.
std::optional<TPngSize> ReadPngChunks(const uint8_t* data, size_t size);
