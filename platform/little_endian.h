// Little-endian numbers from raw bytes, as the 3DS, MS3D and ZIP formats and the
// registry's binary values store them, whatever the machine's own byte order.
#pragma once
#include <cstdint>
#include <cstring>

inline uint16_t LittleEndian16(const unsigned char* bytes) {
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

inline uint32_t LittleEndian32(const unsigned char* bytes) {
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

// An IEEE 754 single-precision number.
inline float LittleEndianFloat(const unsigned char* bytes) {
    const uint32_t bits = LittleEndian32(bytes);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
