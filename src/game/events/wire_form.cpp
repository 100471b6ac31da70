#include "game/events/wire_form.h"

#include <cstring>

#include "libs/common/byte_order.h"

namespace kelvo {

bool CWireWriter::Reserve(std::size_t bytes) {
    if (!m_ok || m_buffer == nullptr || bytes > m_capacity - m_length) {
        m_ok = false;
        return false;
    }
    return true;
}

void CWireWriter::U8(std::uint8_t value) {
    if (Reserve(1)) {
        m_buffer[m_length++] = value;
    }
}

void CWireWriter::U32(std::uint32_t value) {
    if (Reserve(4)) {
        common::WriteU32LE(m_buffer + m_length, value);
        m_length += 4;
    }
}

void CWireWriter::F32(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    U32(bits);
}

void CWireWriter::Vector(const common::CVector3& value) {
    F32(value.x);
    F32(value.y);
    F32(value.z);
}

void CWireWriter::Quaternion(const common::CQuaternion& value) {
    F32(value.x);
    F32(value.y);
    F32(value.z);
    F32(value.w);
}

void CWireWriter::String(const std::string& text) {
    if (text.size() > kMaxWireStringBytes) {
        m_ok = false;
        return;
    }
    U8(static_cast<std::uint8_t>(text.size()));
    if (Reserve(text.size())) {
        std::memcpy(m_buffer + m_length, text.data(), text.size());
        m_length += text.size();
    }
}

bool CWireReader::Take(std::size_t bytes) {
    if (!m_ok || m_bytes == nullptr || bytes > m_length - m_offset) {
        m_ok = false;
        return false;
    }
    return true;
}

std::uint8_t CWireReader::U8() { return Take(1) ? m_bytes[m_offset++] : 0; }

std::uint32_t CWireReader::U32() {
    if (!Take(4)) {
        return 0;
    }
    const std::uint32_t value = common::ReadU32LE(m_bytes + m_offset);
    m_offset += 4;
    return value;
}

float CWireReader::F32() {
    const std::uint32_t bits = U32();
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

common::CVector3 CWireReader::Vector() {
    const float x = F32();
    const float y = F32();
    const float z = F32();
    return common::CVector3(x, y, z);
}

common::CQuaternion CWireReader::Quaternion() {
    const float x = F32();
    const float y = F32();
    const float z = F32();
    const float w = F32();
    return common::CQuaternion(x, y, z, w);
}

std::string CWireReader::Text(std::size_t length) {
    if (!Take(length)) {
        return {};
    }
    std::string text(reinterpret_cast<const char*>(m_bytes + m_offset), length);
    m_offset += length;
    return text;
}

std::string CWireReader::String() {
    const auto length = static_cast<std::int8_t>(U8());
    if (length < 0) {
        m_ok = false;
        return {};
    }
    return Text(static_cast<std::size_t>(length));
}

std::string CWireReader::UnsignedLengthString() { return Text(U8()); }

void CWireReader::Skip(std::size_t bytes) {
    if (Take(bytes)) {
        m_offset += bytes;
    }
}

} // namespace kelvo
