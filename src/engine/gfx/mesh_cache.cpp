#include "engine/gfx/mesh_cache.h"

#include "engine/gfx/texture_cache.h"

namespace velm {
namespace gfx {

void CMeshCache::Get(SMeshRequest* request) {
    auto found = m_entries.find(request->fileName);
    if (found == m_entries.end()) {
        SEntry entry;
        entry.hierarchy = std::make_unique<CMeshHierarchy>();
        entry.controller = std::make_unique<CAnimationController>();
        entry.hierarchy->Load(SGfxDirectories::s_mesh + request->fileName, request->options, entry.controller.get());
        found = m_entries.emplace(request->fileName, std::move(entry)).first;
    }
    SEntry& entry = found->second;
    ++entry.uses;
    request->hierarchy = entry.hierarchy.get();
    ID3DXAnimationController* source = entry.controller->GetController();
    if (source != nullptr && request->controller != nullptr) {
        ID3DXAnimationController* clone = nullptr;
        source->CloneAnimationController(source->GetMaxNumAnimationOutputs(), source->GetMaxNumAnimationSets(),
                                         source->GetMaxNumTracks(), source->GetMaxNumEvents(), &clone);
        request->controller->SetController(clone);
    }
}

void CMeshCache::Release(const SMeshRequest& request) {
    const auto found = m_entries.find(request.fileName);
    if (found == m_entries.end()) {
        return;
    }
    if (found->second.uses <= 1) {
        found->second.hierarchy->Release();
        m_entries.erase(found);
    } else {
        --found->second.uses;
    }
}

std::uint32_t CMeshCache::GetUseCount(const std::string& fileName) const {
    const auto found = m_entries.find(fileName);
    return found != m_entries.end() ? found->second.uses : 0;
}

} // namespace gfx
} // namespace velm
