// The 8-bit run-length encoding of device-independent bitmaps (BI_RLE8): runs
// of one colour index, literal stretches, ends of line, deltas and the end of
// the bitmap, for bottom-up bitmaps only.
#pragma once

#include <cstddef>
#include <cstdint>

// Decodes `size` bytes of BI_RLE8 data of a bitmap `width` x `height` into
// `out`, `height` rows of `stride` bytes with the bottom row first, as a
// bottom-up DIB keeps them; pixels that a delta or an early end of line skips
// are left as they are. With `out` null, only checks.
//
// False, with `out` partly written, when the data is damaged: a run, a
// literal stretch or a delta that leaves the bitmap, a stretch cut short, or
// no end-of-bitmap mark within `size` once the top row is reached.
bool DecodeRle8(const uint8_t* data, size_t size, uint32_t width, uint32_t height, uint8_t* out,
                size_t stride);
