// velm::gfx::CMeshCache: one mesh hierarchy per exact file name, shared by use count (a file
// that fails to load is entered all the same); each request gets its own controller clone.
// The cache owns hierarchies and stored controllers, requesters their clones. Main thread only.
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
    CAnimationController* controller = nullptr; // the requester's, receives a clone
    CMeshHierarchy* hierarchy = nullptr;        // filled by Get, owned by the cache
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
