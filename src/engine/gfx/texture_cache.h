// velm::gfx::CTextureCache and CTextureRef: one texture per exact file name, counted per holding
// object (a file that fails to load is entered with a null texture), one texture reference per
// user; and the texture, mesh and effect directory prefixes. Main thread only.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "libs/common/singleton.h"
#include "platform/d3d9/d3dx9.h"

namespace velm {
namespace gfx {

// Set once from the engine configuration by the graphics system.
struct SGfxDirectories {
    static inline std::string s_texture;
    static inline std::string s_mesh;
    static inline std::string s_effect;
};

class CTextureRef {
public:
    CTextureRef() = default;
    // Drops the held texture through the cache.
    ~CTextureRef();
    CTextureRef(const CTextureRef&) = delete;
    CTextureRef& operator=(const CTextureRef&) = delete;

    // A name other than the held one drops the held texture and takes the new one.
    void SetFile(const std::string& name);
    IDirect3DTexture9* GetTexture() const { return m_texture; }
    // Sets the texture without the cache (the cache gives a new file its texture through it);
    // the reference taken stays the cache's.
    void SetTexture(IDirect3DTexture9* texture) { m_texture = texture; }
    const std::string& GetFileName() const { return m_fileName; }
    // Of the top level; 0 without a texture.
    UINT GetWidth() const;
    UINT GetHeight() const;
    void Release();

private:
    std::string m_fileName;
    IDirect3DTexture9* m_texture = nullptr;
};

class CTextureCache {
public:
    CTextureCache() = default;
    ~CTextureCache();
    CTextureCache(const CTextureCache&) = delete;
    CTextureCache& operator=(const CTextureCache&) = delete;

    // Loads texture directory + name on the first acquisition through the graphics core. The
    // cache points at `texture` (not owned) until it is dropped; a reference drops itself when
    // it dies.
    void Acquire(const std::string& name, CTextureRef* texture);
    void Drop(CTextureRef* texture);
    // Reads and decodes the files of these names, not yet loaded, on worker threads, for the
    // acquisitions to come; what those give and say is as without. DropPrefetched forgets the
    // ones never acquired (a build that named more than it used).
    void Prefetch(const std::vector<std::string>& names);
    void DropPrefetched();

    // For tests and statistics: 0 for a name without entry.
    std::uint32_t GetUseCount(const std::string& name) const;
    std::size_t GetEntryCount() const { return m_entries.size(); }

private:
    struct SEntry {
        IDirect3DTexture9* texture = nullptr;
        std::uint32_t uses = 0;
    };
    std::map<std::string, SEntry> m_entries;
};

using TextureCache = common::CSingleton<CTextureCache>;

} // namespace gfx
} // namespace velm
