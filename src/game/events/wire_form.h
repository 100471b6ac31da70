// The byte codec of the game events' wire form: little-endian 32-bit words and floats, bytes, and
// strings as a length byte plus text. The writer never writes past its capacity (a message
// carries at most 253 payload bytes) and the reader never reads past the bytes it was given; each
// remembers a failure, so a caller checks once at the end. Plain values, no thread rules.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "libs/common/quaternion.h"
#include "libs/common/vector3.h"

namespace kelvo {

// Payload bytes of one network message, and so the longest wire form of an event.
inline constexpr std::size_t kMaxEventWireBytes = 253;
// Longest string a wire form holds: the length byte is read back as a signed value.
inline constexpr std::size_t kMaxWireStringBytes = 127;

class CWireWriter {
public:
    CWireWriter(unsigned char* buffer, std::size_t capacity = kMaxEventWireBytes)
        : m_buffer(buffer), m_capacity(capacity) {}

    void U8(std::uint8_t value);
    void Bool(bool value) { U8(value ? 1 : 0); }
    void U32(std::uint32_t value);
    void F32(float value);
    void Vector(const common::CVector3& value);
    // x, y, z, w: the order on the wire, although the quaternion stores w first.
    void Quaternion(const common::CQuaternion& value);
    // A string longer than kMaxWireStringBytes fails the writer.
    void String(const std::string& text);

    bool Ok() const { return m_ok; }
    std::size_t Length() const { return m_length; }

private:
    bool Reserve(std::size_t bytes);

    unsigned char* m_buffer;
    std::size_t m_capacity;
    std::size_t m_length = 0;
    bool m_ok = true;
};

class CWireReader {
public:
    CWireReader(const unsigned char* bytes, std::size_t length) : m_bytes(bytes), m_length(length) {}

    std::uint8_t U8();
    // True only for the byte 1.
    bool Bool() { return U8() == 1; }
    std::uint32_t U32();
    float F32();
    common::CVector3 Vector();
    common::CQuaternion Quaternion();
    // The length byte taken as signed: a negative length fails the reader.
    std::string String();
    // The length byte taken as unsigned.
    std::string UnsignedLengthString();

    void Skip(std::size_t bytes);
    // True when nothing failed and every byte was read: a wire form must fill its message exactly.
    bool Complete() const { return m_ok && m_offset == m_length; }
    bool Ok() const { return m_ok; }

private:
    bool Take(std::size_t bytes);
    std::string Text(std::size_t length);

    const unsigned char* m_bytes;
    std::size_t m_length;
    std::size_t m_offset = 0;
    bool m_ok = true;
};

} // namespace kelvo
