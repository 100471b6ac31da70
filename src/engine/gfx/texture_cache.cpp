#include "engine/gfx/texture_cache.h"

#include <cstdio>

#include "engine/gfx/gfx_core.h"
#include "platform/d3d9/texture_prefetch.h"

namespace velm {
namespace gfx {

CTextureRef::~CTextureRef() { Release(); }

void CTextureRef::SetFile(const std::string& name) {
    if (name == m_fileName) {
        return;
    }
    if (!m_fileName.empty()) {
        TextureCache::Instance().Drop(this);
    }
    m_texture = nullptr;
    m_fileName = name;
    if (!name.empty()) {
        TextureCache::Instance().Acquire(name, this);
    }
}

UINT CTextureRef::GetWidth() const {
    D3DSURFACE_DESC desc;
    return m_texture != nullptr && SUCCEEDED(m_texture->GetLevelDesc(0, &desc)) ? desc.Width : 0;
}

UINT CTextureRef::GetHeight() const {
    D3DSURFACE_DESC desc;
    return m_texture != nullptr && SUCCEEDED(m_texture->GetLevelDesc(0, &desc)) ? desc.Height : 0;
}

void CTextureRef::Release() {
    if (!m_fileName.empty() && TextureCache::Exists()) {
        TextureCache::Instance().Drop(this);
    }
    m_texture = nullptr;
    m_fileName.clear();
}

CTextureCache::~CTextureCache() {
    for (auto& [name, entry] : m_entries) {
        while (entry.texture != nullptr && entry.uses > 0) {
            entry.texture->Release();
            --entry.uses;
        }
    }
}

void CTextureCache::Acquire(const std::string& name, CTextureRef* texture) {
    auto found = m_entries.find(name);
    if (found == m_entries.end()) {
        IDirect3DTexture9* loaded = nullptr;
        if (GFXCore::Exists() && GFXCore::Instance().GetDevice() != nullptr) {
            GFXCore::Instance().CreateTextureFromFile(SGfxDirectories::s_texture + name, &loaded);
        } else {
            std::fprintf(stderr, "Texture cache: %s: no graphics device to load on\n", name.c_str());
        }
        texture->SetTexture(loaded);
        m_entries.emplace(name, SEntry{loaded, 1});
        return;
    }
    ++found->second.uses;
    texture->SetTexture(found->second.texture);
    if (found->second.texture != nullptr) {
        found->second.texture->AddRef();
    }
}

void CTextureCache::Prefetch(const std::vector<std::string>& names) {
    IDirect3DDevice9* device = GFXCore::Exists() ? GFXCore::Instance().GetDevice() : nullptr;
    if (device == nullptr) {
        return;
    }
    std::vector<std::string> files;
    for (const std::string& name : names) {
        if (m_entries.count(name) == 0) {
            files.push_back(SGfxDirectories::s_texture + name);
        }
    }
    D3DCAPS9 caps;
    device->GetDeviceCaps(&caps);
    device->Prefetcher().Start(caps, files);
}

void CTextureCache::DropPrefetched() {
    if (GFXCore::Exists() && GFXCore::Instance().GetDevice() != nullptr) {
        GFXCore::Instance().GetDevice()->Prefetcher().Drop();
    }
}

void CTextureCache::Drop(CTextureRef* texture) {
    const auto found = m_entries.find(texture->GetFileName());
    if (found == m_entries.end()) {
        return;
    }
    if (found->second.texture != nullptr) {
        found->second.texture->Release();
    }
    if (--found->second.uses == 0) {
        m_entries.erase(found);
    }
}

std::uint32_t CTextureCache::GetUseCount(const std::string& name) const {
    const auto found = m_entries.find(name);
    return found != m_entries.end() ? found->second.uses : 0;
}

} // namespace gfx
} // namespace velm
