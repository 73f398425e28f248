#include "core/PngChunks.h"

#include <array>
#include <cstring>

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

uint32_t BigEndian(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
}

// The CRC-32 of PNG (and zlib): polynomial 0xEDB88320, reflected.
uint32_t Crc32(const uint8_t* p, size_t n) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320U ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFU;
    for (size_t i = 0; i < n; ++i) crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFU;
}

// The bit depths each colour type allows.
bool DepthFits(uint8_t colourType, uint8_t depth) {
    switch (colourType) {
        case 0:
            return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
        case 3:
            return depth == 1 || depth == 2 || depth == 4 || depth == 8;
        case 2:
        case 4:
        case 6:
            return depth == 8 || depth == 16;
        default:
            return false;
    }
}

}  // namespace

std::optional<TPngSize> ReadPngChunks(const uint8_t* data, size_t size) {
    if (!data || size < sizeof kSignature || std::memcmp(data, kSignature, sizeof kSignature) != 0)
        return std::nullopt;
    std::optional<TPngSize> picture;
    bool pixels = false;
    size_t at = sizeof kSignature;
    while (size - at >= 12) {
        const uint32_t length = BigEndian(data + at);
        if (length > size - at - 12) return std::nullopt;
        const uint8_t* type = data + at + 4;
        const uint8_t* body = type + 4;
        if (BigEndian(body + length) != Crc32(type, size_t{length} + 4)) return std::nullopt;
        at += size_t{length} + 12;
        if (!picture) {
            if (std::memcmp(type, "IHDR", 4) != 0 || length != 13) return std::nullopt;
            const TPngSize found{BigEndian(body), BigEndian(body + 4)};
            if (found.width == 0 || found.height == 0 || found.width > kMaxPngSide ||
                found.height > kMaxPngSide || !DepthFits(body[9], body[8]) || body[10] != 0 ||
                body[11] != 0 || body[12] > 1) {
                return std::nullopt;
            }
            picture = found;
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            pixels = true;
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            return pixels && length == 0 && at == size ? picture : std::nullopt;
        }
    }
    return std::nullopt;
}
