// A device buffer's OpenGL side. A static buffer updates in place. A dynamic buffer streams
// through a ring: each renewal is placed after everything written before it, so draws already
// made keep their bytes and a write never waits for the draws before it. The ring's storage is
// made at the first renewal, not at creation, and grows only while the draws cannot keep up with
// it. Needs the device's context current; main thread only.
#pragma once

#include <epoxy/gl.h>

namespace platform {
namespace d3d9 {

class CGlBuffer {
public:
    CGlBuffer(GLsizeiptr bytes, bool index, bool dynamic);
    ~CGlBuffer();
    CGlBuffer(const CGlBuffer&) = delete;
    CGlBuffer& operator=(const CGlBuffer&) = delete;

    // Writes bytes at offset from the start of the buffer's current contents; renew first gives it
    // fresh contents (a Direct3D discard).
    void Update(GLsizeiptr offset, GLsizeiptr bytes, const void* data, bool renew);

    GLuint GetName() const { return m_name; }
    bool IsDynamic() const { return m_dynamic; }
    // Where the current contents begin in the GL buffer.
    GLsizeiptr GetBase() const { return m_base; }
    GLsizeiptr GetCapacity() const { return m_capacity; }
    // Renewals are placed on multiples of this, so that a vertex stream keeps its attributes.
    void SetAlignment(GLsizeiptr alignment) { m_alignment = alignment; }

private:
    GLsizeiptr PlaceRenewal();
    void Allocate(GLsizeiptr capacity);

    GLuint m_name = 0;
    GLsizeiptr m_size;
    GLsizeiptr m_capacity = 0;
    bool m_dynamic;
    GLsizeiptr m_base = 0;
    GLsizeiptr m_written = 0;
    GLsizeiptr m_alignment;
    GLsync m_fences[2] = {nullptr, nullptr};
};

} // namespace d3d9
} // namespace platform
