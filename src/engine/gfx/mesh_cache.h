// velm::gfx::CMeshCache: every .x mesh file is loaded once into a mesh hierarchy with its
// animation controller and shared by use count; each request gets the hierarchy and its own
// clone of the controller, so every unit animates on its own. Entries are keyed by the exact
// file name; a file that fails to load is entered with an unloaded hierarchy and counted like
// any other. The cache owns hierarchies and stored controllers; requesters own their clones.
// Main thread only.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "engine/gfx/animation_controller.h"
#include "engine/gfx/mesh_hierarchy.h"
#include "libs/common/singleton.h"

namespace velm {
namespace gfx {

// What a render unit asks for and what it gets back.
struct SMeshRequest {
    std::string fileName;
    DWORD options = D3DXMESH_MANAGED;
    CAnimationController* controller = nullptr;  // the requester's, receives a clone
    CMeshHierarchy* hierarchy = nullptr;         // filled by Get, owned by the cache
};

class CMeshCache {
public:
    CMeshCache() = default;
    CMeshCache(const CMeshCache&) = delete;
    CMeshCache& operator=(const CMeshCache&) = delete;

    // Loads mesh directory + file name on the first request.
    void Get(SMeshRequest* request);
    void Release(const SMeshRequest& request);

    std::uint32_t GetUseCount(const std::string& fileName) const;
    std::size_t GetEntryCount() const { return m_entries.size(); }

private:
    struct SEntry {
        std::unique_ptr<CMeshHierarchy> hierarchy;
        std::unique_ptr<CAnimationController> controller;
        std::uint32_t uses = 0;
    };
    std::map<std::string, SEntry> m_entries;
};

using MeshCache = common::CSingleton<CMeshCache>;

} // namespace gfx
} // namespace velm
