#include "platform/d3d9/gl_buffer.h"

#include <algorithm>
#include <cstring>

namespace platform {
namespace d3d9 {
namespace {

// The ring is two halves and a renewal lies in one: leaving a half fences the draws that read it,
// and coming back waits on that fence, which has passed once a half holds more than the draws
// made while the other fills. Storage is kept rather than orphaned, since fresh storage is zeroed
// and faulted in page by page on a software renderer. It starts small, as most buffers stream
// little (a menu's sprites), and doubles whenever coming back would wait, up to the most that a
// few frames of a race stream.
constexpr GLsizeiptr kLeast = 1 << 20;
constexpr GLsizeiptr kMost = 64 << 20;

GLsizeiptr FirstCapacity(GLsizeiptr size) { return std::max<GLsizeiptr>(4 * size, kLeast); }

GLsizeiptr LargestCapacity(GLsizeiptr size) { return size + std::clamp<GLsizeiptr>(size * 31, kLeast, kMost); }

bool HasPassed(GLsync fence) {
    if (fence == nullptr) {
        return true;
    }
    const GLenum status = glClientWaitSync(fence, 0, 0);
    return status == GL_ALREADY_SIGNALED || status == GL_CONDITION_SATISFIED;
}

// Waits until the draws before the fence have read what they read, then lets the fence go.
void WaitAndDelete(GLsync* fence) {
    if (*fence == nullptr) {
        return;
    }
    constexpr GLuint64 kSecond = 1000000000u;
    GLbitfield flags = GL_SYNC_FLUSH_COMMANDS_BIT;
    for (int tries = 0; tries < 10; ++tries) {
        const GLenum status = glClientWaitSync(*fence, flags, kSecond);
        if (status != GL_TIMEOUT_EXPIRED) {
            break;
        }
        flags = 0;
    }
    glDeleteSync(*fence);
    *fence = nullptr;
}

} // namespace

CGlBuffer::CGlBuffer(GLsizeiptr bytes, bool index, bool dynamic)
    : m_size(bytes), m_dynamic(dynamic), m_alignment(index ? 4 : 64) {
    glGenBuffers(1, &m_name);
    if (!m_dynamic) {
        glBindBuffer(GL_COPY_WRITE_BUFFER, m_name);
        glBufferData(GL_COPY_WRITE_BUFFER, m_size, nullptr, GL_STATIC_DRAW);
        m_capacity = m_size;
    }
}

CGlBuffer::~CGlBuffer() {
    for (GLsync& fence : m_fences) {
        if (fence != nullptr) {
            glDeleteSync(fence);
        }
    }
    glDeleteBuffers(1, &m_name);
}

// Fresh storage of that size; draws already made keep the old one.
void CGlBuffer::Allocate(GLsizeiptr capacity) {
    for (GLsync& fence : m_fences) {
        if (fence != nullptr) {
            glDeleteSync(fence);
            fence = nullptr;
        }
    }
    m_capacity = capacity;
    glBufferData(GL_COPY_WRITE_BUFFER, m_capacity, nullptr, GL_STREAM_DRAW);
    m_base = 0;
    m_written = 0;
}

// Where a renewal goes in the ring, fencing as it crosses halves; -1 when the ring must be given
// fresh storage (first use, no room, or a half the draws have not yet let go of).
GLsizeiptr CGlBuffer::PlaceRenewal() {
    if (m_capacity == 0) {
        return -1;
    }
    GLsizeiptr at = (m_written + m_alignment - 1) / m_alignment * m_alignment;
    const GLsizeiptr half = m_capacity / 2;
    if (m_size > half) {
        return at + m_size > m_capacity ? -1 : at;
    }
    if (at < half && at + m_size > half) {
        at = half;
    }
    if (at + m_size > m_capacity) {
        at = 0;
    }
    const int from = m_base >= half ? 1 : 0;
    const int to = at >= half ? 1 : 0;
    if (from != to) {
        if (m_fences[from] != nullptr) {
            glDeleteSync(m_fences[from]);
        }
        m_fences[from] = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
        if (!HasPassed(m_fences[to]) && m_capacity < LargestCapacity(m_size)) {
            return -1;
        }
        WaitAndDelete(&m_fences[to]);
    }
    return at;
}

void CGlBuffer::Update(GLsizeiptr offset, GLsizeiptr bytes, const void* data, bool renew) {
    glBindBuffer(GL_COPY_WRITE_BUFFER, m_name);
    if (!m_dynamic) {
        glBufferSubData(GL_COPY_WRITE_BUFFER, offset, bytes, data);
        return;
    }
    if (renew || m_capacity == 0) {
        GLsizeiptr at = PlaceRenewal();
        if (at < 0) {
            const GLsizeiptr largest = LargestCapacity(m_size);
            Allocate(m_capacity == 0 ? std::min(FirstCapacity(m_size), largest) : std::min(2 * m_capacity, largest));
            at = 0;
        }
        m_base = at;
        m_written = at;
    }
    const GLintptr at = m_base + offset;
    void* mapped = glMapBufferRange(GL_COPY_WRITE_BUFFER, at, bytes,
                                    GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT | GL_MAP_INVALIDATE_RANGE_BIT);
    if (mapped != nullptr) {
        std::memcpy(mapped, data, static_cast<std::size_t>(bytes));
        glUnmapBuffer(GL_COPY_WRITE_BUFFER);
    } else {
        glBufferSubData(GL_COPY_WRITE_BUFFER, at, bytes, data);
    }
    m_written = std::max<GLsizeiptr>(m_written, at + bytes);
}

} // namespace d3d9
} // namespace platform
