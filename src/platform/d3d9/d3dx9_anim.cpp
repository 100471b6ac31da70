#include "platform/d3d9/d3dx9_anim.h"

#include <algorithm>
#include <cmath>
#include <cstring>

D3DXFRAME* D3DXFrameFind(const D3DXFRAME* root, const char* name) {
    if (root == nullptr || name == nullptr) {
        return nullptr;
    }
    if (root->Name != nullptr && std::strcmp(root->Name, name) == 0) {
        return const_cast<D3DXFRAME*>(root);
    }
    if (D3DXFRAME* found = D3DXFrameFind(root->pFrameFirstChild, name)) {
        return found;
    }
    return D3DXFrameFind(root->pFrameSibling, name);
}

HRESULT D3DXFrameDestroy(D3DXFRAME* root, ID3DXAllocateHierarchy* allocator) {
    if (root == nullptr || allocator == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (root->pFrameSibling != nullptr) {
        D3DXFrameDestroy(root->pFrameSibling, allocator);
    }
    if (root->pFrameFirstChild != nullptr) {
        D3DXFrameDestroy(root->pFrameFirstChild, allocator);
    }
    D3DXMESHCONTAINER* container = root->pMeshContainer;
    while (container != nullptr) {
        D3DXMESHCONTAINER* next = container->pNextMeshContainer;
        allocator->DestroyMeshContainer(container);
        container = next;
    }
    return allocator->DestroyFrame(root);
}

namespace {

template <typename Key>
std::size_t KeyBefore(const std::vector<Key>& keys, float time) {
    const auto after =
        std::upper_bound(keys.begin(), keys.end(), time, [](float t, const Key& key) { return t < key.Time; });
    return after == keys.begin() ? 0 : static_cast<std::size_t>(after - keys.begin()) - 1;
}

D3DXVECTOR3 SampleVector(const std::vector<D3DXKEY_VECTOR3>& keys, float time, const D3DXVECTOR3& none) {
    if (keys.empty()) {
        return none;
    }
    const std::size_t i = KeyBefore(keys, time);
    if (i + 1 >= keys.size() || time <= keys[i].Time) {
        return keys[i].Value;
    }
    const float s = (time - keys[i].Time) / (keys[i + 1].Time - keys[i].Time);
    D3DXVECTOR3 out;
    return *D3DXVec3Lerp(&out, &keys[i].Value, &keys[i + 1].Value, s);
}

D3DXQUATERNION SampleRotation(const std::vector<D3DXKEY_QUATERNION>& keys, float time) {
    if (keys.empty()) {
        return D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f);
    }
    const std::size_t i = KeyBefore(keys, time);
    if (i + 1 >= keys.size() || time <= keys[i].Time) {
        return keys[i].Value;
    }
    const float s = (time - keys[i].Time) / (keys[i + 1].Time - keys[i].Time);
    D3DXQUATERNION out;
    return *D3DXQuaternionSlerp(&out, &keys[i].Value, &keys[i + 1].Value, s);
}

template <typename Key>
float LastTime(const std::vector<Key>& keys) {
    return keys.empty() ? 0.0f : keys.back().Time;
}

} // namespace

ID3DXAnimationSet::ID3DXAnimationSet(const char* name, double ticksPerSecond, D3DXPLAYBACK_TYPE playback,
                                     std::vector<SAnimation> animations)
    : m_name(name != nullptr ? name : ""),
      m_ticksPerSecond(ticksPerSecond > 0.0 ? ticksPerSecond : 1.0),
      m_playback(playback),
      m_animations(std::move(animations)) {
    float last = 0.0f;
    for (const SAnimation& animation : m_animations) {
        last = std::max(
            {last, LastTime(animation.scales), LastTime(animation.rotations), LastTime(animation.translations)});
    }
    m_period = last / m_ticksPerSecond;
}

double ID3DXAnimationSet::GetPeriodicPosition(double position) const {
    if (m_period <= 0.0) {
        return 0.0;
    }
    if (m_playback == D3DXPLAY_LOOP) {
        // A position on the end of a cycle shows that cycle's last keys, so a set stopped at its
        // period holds its final pose; mid-cycle positions wrap as usual.
        const double wrapped = std::fmod(position, m_period);
        if (wrapped == 0.0 && position > 0.0) {
            return m_period;
        }
        return wrapped < 0.0 ? wrapped + m_period : wrapped;
    }
    return std::clamp(position, 0.0, m_period);
}

HRESULT ID3DXAnimationSet::GetAnimationNameByIndex(UINT index, const char** name) const {
    if (index >= m_animations.size() || name == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *name = m_animations[index].name.c_str();
    return D3D_OK;
}

HRESULT ID3DXAnimationSet::GetAnimationIndexByName(const char* name, UINT* index) const {
    if (name == nullptr || index == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    for (std::size_t i = 0; i < m_animations.size(); ++i) {
        if (m_animations[i].name == name) {
            *index = static_cast<UINT>(i);
            return D3D_OK;
        }
    }
    return D3DERR_NOTFOUND;
}

HRESULT ID3DXAnimationSet::GetSRT(double periodicPosition, UINT animation, D3DXVECTOR3* scale, D3DXQUATERNION* rotation,
                                  D3DXVECTOR3* translation) const {
    if (animation >= m_animations.size() || scale == nullptr || rotation == nullptr || translation == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const SAnimation& channel = m_animations[animation];
    const auto ticks = static_cast<float>(periodicPosition * m_ticksPerSecond);
    *scale = SampleVector(channel.scales, ticks, D3DXVECTOR3(1.0f, 1.0f, 1.0f));
    *rotation = SampleRotation(channel.rotations, ticks);
    *translation = SampleVector(channel.translations, ticks, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    return D3D_OK;
}

ID3DXAnimationController::ID3DXAnimationController(UINT maxOutputs, UINT maxSets, UINT maxTracks, UINT maxEvents)
    : m_maxOutputs(maxOutputs),
      m_maxSets(maxSets),
      m_maxTracks(maxTracks),
      m_maxEvents(maxEvents),
      m_tracks(maxTracks) {}

ID3DXAnimationController::~ID3DXAnimationController() {
    for (STrack& track : m_tracks) {
        if (track.set != nullptr) {
            track.set->Release();
        }
    }
    for (ID3DXAnimationSet* set : m_sets) {
        set->Release();
    }
}

HRESULT ID3DXAnimationController::RegisterAnimationOutput(const char* name, D3DXMATRIX* matrix, D3DXVECTOR3* scale,
                                                          D3DXQUATERNION* rotation, D3DXVECTOR3* translation) {
    if (name == nullptr || m_outputs.size() >= m_maxOutputs) {
        return D3DERR_INVALIDCALL;
    }
    m_outputs.push_back({name, matrix, scale, rotation, translation});
    return D3D_OK;
}

HRESULT ID3DXAnimationController::RegisterAnimationSet(ID3DXAnimationSet* set) {
    if (set == nullptr || m_sets.size() >= m_maxSets || std::find(m_sets.begin(), m_sets.end(), set) != m_sets.end()) {
        return D3DERR_INVALIDCALL;
    }
    set->AddRef();
    m_sets.push_back(set);
    return D3D_OK;
}

HRESULT ID3DXAnimationController::GetAnimationSet(UINT index, ID3DXAnimationSet** set) const {
    if (index >= m_sets.size() || set == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    m_sets[index]->AddRef();
    *set = m_sets[index];
    return D3D_OK;
}

HRESULT ID3DXAnimationController::GetAnimationSetByName(const char* name, ID3DXAnimationSet** set) const {
    if (name == nullptr || set == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    for (ID3DXAnimationSet* candidate : m_sets) {
        if (std::strcmp(candidate->GetName(), name) == 0) {
            candidate->AddRef();
            *set = candidate;
            return D3D_OK;
        }
    }
    return D3DERR_NOTFOUND;
}

HRESULT ID3DXAnimationController::AdvanceTime(double elapsed, void*) {
    m_time += elapsed;
    for (STrack& track : m_tracks) {
        if (track.desc.Enable) {
            track.desc.Position += elapsed * track.desc.Speed;
        }
    }
    WriteOutputs();
    return D3D_OK;
}

void ID3DXAnimationController::WriteOutputs() {
    for (const SOutput& output : m_outputs) {
        D3DXVECTOR3 scale(0.0f, 0.0f, 0.0f);
        D3DXVECTOR3 translation(0.0f, 0.0f, 0.0f);
        D3DXQUATERNION rotation(0.0f, 0.0f, 0.0f, 0.0f);
        float weights = 0.0f;
        for (const STrack& track : m_tracks) {
            UINT index = 0;
            if (!track.desc.Enable || track.set == nullptr ||
                FAILED(track.set->GetAnimationIndexByName(output.name.c_str(), &index))) {
                continue;
            }
            D3DXVECTOR3 s;
            D3DXVECTOR3 t;
            D3DXQUATERNION r;
            track.set->GetSRT(track.set->GetPeriodicPosition(track.desc.Position), index, &s, &r, &t);
            const float w = track.desc.Weight;
            // Keep the blended rotations on one hemisphere.
            if (D3DXQuaternionDot(&rotation, &r) < 0.0f) {
                r = r * -1.0f;
            }
            scale += s * w;
            translation += t * w;
            rotation = rotation + r * w;
            weights += w;
        }
        if (weights <= 0.0f) {
            continue;
        }
        scale /= weights;
        translation /= weights;
        D3DXQuaternionNormalize(&rotation, &rotation);
        if (output.matrix != nullptr) {
            D3DXMATRIX s;
            D3DXMATRIX r;
            D3DXMATRIX t;
            D3DXMatrixScaling(&s, scale.x, scale.y, scale.z);
            D3DXMatrixRotationQuaternion(&r, &rotation);
            D3DXMatrixTranslation(&t, translation.x, translation.y, translation.z);
            *output.matrix = s * r * t;
        }
        if (output.scale != nullptr) {
            *output.scale = scale;
        }
        if (output.rotation != nullptr) {
            *output.rotation = rotation;
        }
        if (output.translation != nullptr) {
            *output.translation = translation;
        }
    }
}

HRESULT ID3DXAnimationController::ResetTime() {
    m_time = 0.0;
    for (STrack& track : m_tracks) {
        track.desc.Position = 0.0;
    }
    return D3D_OK;
}

HRESULT ID3DXAnimationController::SetTrackAnimationSet(UINT track, ID3DXAnimationSet* set) {
    if (track >= m_tracks.size()) {
        return D3DERR_INVALIDCALL;
    }
    if (set != nullptr) {
        set->AddRef();
    }
    if (m_tracks[track].set != nullptr) {
        m_tracks[track].set->Release();
    }
    m_tracks[track].set = set;
    return D3D_OK;
}

HRESULT ID3DXAnimationController::GetTrackAnimationSet(UINT track, ID3DXAnimationSet** set) const {
    if (track >= m_tracks.size() || set == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *set = m_tracks[track].set;
    if (*set != nullptr) {
        (*set)->AddRef();
    }
    return D3D_OK;
}

HRESULT ID3DXAnimationController::SetTrackSpeed(UINT track, float speed) {
    return SetTrackField(track, [&](D3DXTRACK_DESC& desc) { desc.Speed = speed; });
}

HRESULT ID3DXAnimationController::SetTrackWeight(UINT track, float weight) {
    return SetTrackField(track, [&](D3DXTRACK_DESC& desc) { desc.Weight = weight; });
}

HRESULT ID3DXAnimationController::SetTrackPosition(UINT track, double position) {
    return SetTrackField(track, [&](D3DXTRACK_DESC& desc) { desc.Position = position; });
}

HRESULT ID3DXAnimationController::SetTrackEnable(UINT track, BOOL enable) {
    if (track >= m_tracks.size()) {
        return D3DERR_INVALIDCALL;
    }
    m_tracks[track].desc.Enable = enable != FALSE ? TRUE : FALSE;
    return D3D_OK;
}

HRESULT ID3DXAnimationController::SetTrackDesc(UINT track, const D3DXTRACK_DESC* desc) {
    if (track >= m_tracks.size() || desc == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    m_tracks[track].desc = *desc;
    return D3D_OK;
}

HRESULT ID3DXAnimationController::GetTrackDesc(UINT track, D3DXTRACK_DESC* desc) const {
    if (track >= m_tracks.size() || desc == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *desc = m_tracks[track].desc;
    return D3D_OK;
}

HRESULT ID3DXAnimationController::CloneAnimationController(UINT maxOutputs, UINT maxSets, UINT maxTracks,
                                                           UINT maxEvents, ID3DXAnimationController** clone) const {
    if (clone == nullptr || maxOutputs < m_outputs.size() || maxSets < m_sets.size()) {
        return D3DERR_INVALIDCALL;
    }
    auto* created = new ID3DXAnimationController(maxOutputs, maxSets, maxTracks, maxEvents);
    created->m_outputs = m_outputs;
    for (ID3DXAnimationSet* set : m_sets) {
        created->RegisterAnimationSet(set);
    }
    for (UINT track = 0; track < maxTracks && track < m_tracks.size(); ++track) {
        created->SetTrackAnimationSet(track, m_tracks[track].set);
        created->m_tracks[track].desc = m_tracks[track].desc;
    }
    created->m_time = m_time;
    *clone = created;
    return D3D_OK;
}

HRESULT D3DXCreateAnimationController(UINT maxOutputs, UINT maxSets, UINT maxTracks, UINT maxEvents,
                                      ID3DXAnimationController** controller) {
    if (controller == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *controller = new ID3DXAnimationController(maxOutputs, maxSets, maxTracks, maxEvents);
    return D3D_OK;
}
