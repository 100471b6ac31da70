// D3DX frame hierarchies (built through the caller's ID3DXAllocateHierarchy, loaded from .x
// files), keyframed animation sets and the animation controller that writes frame matrices.
// Row-vector matrices; reference-counted objects; main thread only.
#pragma once

#include <string>
#include <vector>

#include "platform/d3d9/d3dx9_mesh.h"

struct D3DXFRAME {
    char* Name;
    D3DXMATRIX TransformationMatrix;
    struct D3DXMESHCONTAINER* pMeshContainer;
    D3DXFRAME* pFrameSibling;
    D3DXFRAME* pFrameFirstChild;
};

using D3DXMESHDATATYPE = DWORD;
constexpr D3DXMESHDATATYPE D3DXMESHTYPE_MESH = 1;

struct D3DXMESHDATA {
    D3DXMESHDATATYPE Type;
    ID3DXMesh* pMesh;
};

struct D3DXMATERIAL {
    D3DMATERIAL9 MatD3D;
    char* pTextureFilename;
};

struct D3DXEFFECTINSTANCE {
    char* pEffectFilename;
    DWORD NumDefaults;
    void* pDefaults;
};

struct D3DXMESHCONTAINER {
    char* Name;
    D3DXMESHDATA MeshData;
    D3DXMATERIAL* pMaterials;
    D3DXEFFECTINSTANCE* pEffects;
    DWORD NumMaterials;
    DWORD* pAdjacency;
    ID3DXSkinInfo* pSkinInfo;
    D3DXMESHCONTAINER* pNextMeshContainer;
};

// Built by the caller, called by the loader: every frame and container of a hierarchy is made
// and destroyed through it, so the caller may extend the records.
class ID3DXAllocateHierarchy {
public:
    virtual ~ID3DXAllocateHierarchy() = default;
    // name is null for a frame the file leaves unnamed.
    virtual HRESULT CreateFrame(const char* name, D3DXFRAME** newFrame) = 0;
    virtual HRESULT CreateMeshContainer(const char* name, const D3DXMESHDATA* meshData, const D3DXMATERIAL* materials,
                                        const D3DXEFFECTINSTANCE* effectInstances, DWORD numMaterials,
                                        const DWORD* adjacency, ID3DXSkinInfo* skinInfo,
                                        D3DXMESHCONTAINER** newMeshContainer) = 0;
    virtual HRESULT DestroyFrame(D3DXFRAME* frame) = 0;
    virtual HRESULT DestroyMeshContainer(D3DXMESHCONTAINER* meshContainer) = 0;
};

// User data of custom .x templates; the stand-in's loader has none and ignores it.
class ID3DXLoadUserData;

// Depth-first from the given frame, siblings included; null when no frame has the name.
D3DXFRAME* D3DXFrameFind(const D3DXFRAME* root, const char* name);
// Every container, child and sibling, through the allocator.
HRESULT D3DXFrameDestroy(D3DXFRAME* root, ID3DXAllocateHierarchy* allocator);

struct D3DXKEY_VECTOR3 {
    float Time; // ticks
    D3DXVECTOR3 Value;
};

struct D3DXKEY_QUATERNION {
    float Time;
    D3DXQUATERNION Value;
};

using D3DXPLAYBACK_TYPE = DWORD;
constexpr D3DXPLAYBACK_TYPE D3DXPLAY_LOOP = 0;
constexpr D3DXPLAYBACK_TYPE D3DXPLAY_ONCE = 1;

// A keyframed animation set: per animated frame name, scale, rotation and translation keys.
class ID3DXAnimationSet : public platform::d3d9::CRefCounted {
public:
    struct SAnimation {
        std::string name;
        std::vector<D3DXKEY_VECTOR3> scales;
        std::vector<D3DXKEY_QUATERNION> rotations;
        std::vector<D3DXKEY_VECTOR3> translations;
    };

    // period in seconds = the last key time in ticks / ticksPerSecond.
    ID3DXAnimationSet(const char* name, double ticksPerSecond, D3DXPLAYBACK_TYPE playback,
                      std::vector<SAnimation> animations);

    const char* GetName() const { return m_name.c_str(); }
    double GetPeriod() const { return m_period; }
    double GetSourceTicksPerSecond() const { return m_ticksPerSecond; }
    // Looping sets wrap the position into [0, period), a positive whole number of periods
    // giving the period itself; others clamp to [0, period].
    double GetPeriodicPosition(double position) const;
    UINT GetNumAnimations() const { return static_cast<UINT>(m_animations.size()); }
    HRESULT GetAnimationNameByIndex(UINT index, const char** name) const;
    HRESULT GetAnimationIndexByName(const char* name, UINT* index) const;
    // A channel without keys of a kind gives the identity of that kind.
    HRESULT GetSRT(double periodicPosition, UINT animation, D3DXVECTOR3* scale, D3DXQUATERNION* rotation,
                   D3DXVECTOR3* translation) const;

private:
    std::string m_name;
    double m_ticksPerSecond;
    D3DXPLAYBACK_TYPE m_playback;
    std::vector<SAnimation> m_animations;
    double m_period = 0.0;
};

using ID3DXKeyframedAnimationSet = ID3DXAnimationSet;

struct D3DXTRACK_DESC {
    DWORD Priority;
    float Weight;
    float Speed;
    double Position;
    BOOL Enable;
};

// Tracks play animation sets at their own speed and position; AdvanceTime moves every enabled
// track and writes, for each registered output that an enabled track animates,
// Scaling x RotationQuaternion x Translation of the weighted keys. Outputs no set animates keep
// their matrix. Event keys are not kept; the callback handler is ignored.
class ID3DXAnimationController : public platform::d3d9::CRefCounted {
public:
    ID3DXAnimationController(UINT maxOutputs, UINT maxSets, UINT maxTracks, UINT maxEvents);

    UINT GetMaxNumAnimationOutputs() const { return m_maxOutputs; }
    UINT GetMaxNumAnimationSets() const { return m_maxSets; }
    UINT GetMaxNumTracks() const { return m_maxTracks; }
    UINT GetMaxNumEvents() const { return m_maxEvents; }

    HRESULT RegisterAnimationOutput(const char* name, D3DXMATRIX* matrix, D3DXVECTOR3* scale, D3DXQUATERNION* rotation,
                                    D3DXVECTOR3* translation);
    HRESULT RegisterAnimationSet(ID3DXAnimationSet* set);
    UINT GetNumAnimationSets() const { return static_cast<UINT>(m_sets.size()); }
    // The set gains a reference for the caller.
    HRESULT GetAnimationSet(UINT index, ID3DXAnimationSet** set) const;
    HRESULT GetAnimationSetByName(const char* name, ID3DXAnimationSet** set) const;

    HRESULT AdvanceTime(double elapsed, void* callbackHandler);
    // Global time and every track position back to 0.
    HRESULT ResetTime();
    double GetTime() const { return m_time; }

    HRESULT SetTrackAnimationSet(UINT track, ID3DXAnimationSet* set);
    HRESULT GetTrackAnimationSet(UINT track, ID3DXAnimationSet** set) const;
    HRESULT SetTrackSpeed(UINT track, float speed);
    HRESULT SetTrackWeight(UINT track, float weight);
    HRESULT SetTrackPosition(UINT track, double position);
    HRESULT SetTrackEnable(UINT track, BOOL enable);
    HRESULT SetTrackDesc(UINT track, const D3DXTRACK_DESC* desc);
    HRESULT GetTrackDesc(UINT track, D3DXTRACK_DESC* desc) const;

    // Same outputs and sets, a copy of the tracks that fit and of the time.
    HRESULT CloneAnimationController(UINT maxOutputs, UINT maxSets, UINT maxTracks, UINT maxEvents,
                                     ID3DXAnimationController** clone) const;

private:
    ~ID3DXAnimationController() override;
    void WriteOutputs();

    struct SOutput {
        std::string name;
        D3DXMATRIX* matrix;
        D3DXVECTOR3* scale;
        D3DXQUATERNION* rotation;
        D3DXVECTOR3* translation;
    };
    struct STrack {
        ID3DXAnimationSet* set = nullptr; // one reference
        D3DXTRACK_DESC desc = {0, 1.0f, 1.0f, 0.0, FALSE};
    };
    // Applies `change` to the track's description; refused for a track that does not exist.
    template <typename Change>
    HRESULT SetTrackField(UINT track, Change change) {
        if (track >= m_tracks.size()) {
            return D3DERR_INVALIDCALL;
        }
        change(m_tracks[track].desc);
        return D3D_OK;
    }
    UINT m_maxOutputs;
    UINT m_maxSets;
    UINT m_maxTracks;
    UINT m_maxEvents;
    std::vector<SOutput> m_outputs;
    std::vector<ID3DXAnimationSet*> m_sets; // one reference each
    std::vector<STrack> m_tracks;
    double m_time = 0.0;
};

HRESULT D3DXCreateAnimationController(UINT maxOutputs, UINT maxSets, UINT maxTracks, UINT maxEvents,
                                      ID3DXAnimationController** controller);

// Loads a text .x file through Assimp: one CreateFrame per frame (unnamed frames get a null
// name), one CreateMeshContainer per mesh of the file with its materials, adjacency and skin
// (bones merged across the file's per-material pieces), meshes in position, normal and
// texture-coordinate form, with a D3DCOLOR after them when the file gives vertex colours. The
// file is checked before Assimp reads it (binary or compressed files, counts that are negative,
// too large or not followed by their entries, indices outside their lists are refused). The
// controller (null when the file has no animation) has one output per named frame, the file's
// sets in file order and track 0 playing set 0. Failures are logged on stderr with the file name;
// nothing is returned then.
HRESULT D3DXLoadMeshHierarchyFromXW(const WCHAR* file, DWORD options, IDirect3DDevice9* device,
                                    ID3DXAllocateHierarchy* allocator, ID3DXLoadUserData* userData,
                                    D3DXFRAME** frameHierarchy, ID3DXAnimationController** animController);
HRESULT D3DXLoadMeshHierarchyFromXA(const char* file, DWORD options, IDirect3DDevice9* device,
                                    ID3DXAllocateHierarchy* allocator, ID3DXLoadUserData* userData,
                                    D3DXFRAME** frameHierarchy, ID3DXAnimationController** animController);
// The same from the bytes of a file held in memory.
HRESULT D3DXLoadMeshHierarchyFromXInMemory(const void* memory, DWORD size, DWORD options, IDirect3DDevice9* device,
                                           ID3DXAllocateHierarchy* allocator, ID3DXLoadUserData* userData,
                                           D3DXFRAME** frameHierarchy, ID3DXAnimationController** animController);
