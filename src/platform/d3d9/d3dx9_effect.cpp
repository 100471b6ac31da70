#include "platform/d3d9/d3dx9_effect.h"

#include <strings.h>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/d3d9/effect_glsl.h"
#include "platform/win32/file_path.h"
#include "platform/win32/file_read.h"
#include "platform/win32/utf8.h"

namespace platform {
namespace d3d9 {

struct SParamValue {
    std::vector<float> floats;
    std::vector<std::int32_t> ints;
    IDirect3DBaseTexture9* texture = nullptr; // holds one reference
    std::uint64_t version = 1;                // every write adds one

    SParamValue() = default;
    SParamValue(const SParamValue&) = delete;
    SParamValue& operator=(const SParamValue&) = delete;
    ~SParamValue() {
        if (texture != nullptr) {
            texture->Release();
        }
    }
};

struct SParamNode {
    enum class EKind { Leaf, Struct, Array };
    // The handle callers hold; read as a string it is a name no parameter has.
    char key[2] = {'\x7f', '\0'};
    std::string name;
    std::string semantic;
    EKind kind = EKind::Leaf;
    EUniformType type = EUniformType::Float;
    unsigned components = 1;
    unsigned count = 1;
    std::vector<SParamNode*> children;
    std::shared_ptr<SParamValue> value;
};

struct STechniqueNode {
    struct SPass {
        BackendHandle program = 0;
        std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>> states;
    };
    char key[2] = {'\x7f', '\0'};
    std::string name;
    std::vector<SPass> passes;
};

std::string NarrowPath(const WCHAR* path) { return platform::WideToUtf8(path); }

namespace {

void TypeOf(const std::string& type, EUniformType* uniform, unsigned* components) {
    *components = 1;
    if (type == "float2" || type == "float3" || type == "float4") {
        *uniform = EUniformType::Float;
        *components = static_cast<unsigned>(type[5] - '0');
    } else if (type == "float4x4") {
        *uniform = EUniformType::Matrix;
        *components = 16;
    } else if (type == "int") {
        *uniform = EUniformType::Int;
    } else if (type == "bool") {
        *uniform = EUniformType::Bool;
    } else if (type == "textureCUBE") {
        *uniform = EUniformType::SamplerCube;
    } else if (type == "texture" || type == "texture2D") {
        *uniform = EUniformType::Sampler2D;
    } else {
        *uniform = EUniformType::Float;
    }
}

// Integer parameters mirror every float write; a value no int can hold saturates (NaN gives
// 0) instead of converting with undefined behaviour.
std::int32_t ToInt(float value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value <= -2147483648.0f) {
        return INT32_MIN;
    }
    if (value >= 2147483648.0f) {
        return INT32_MAX;
    }
    return static_cast<std::int32_t>(value);
}

bool IsSampler(EUniformType type) { return type == EUniformType::Sampler2D || type == EUniformType::SamplerCube; }
bool IsInteger(EUniformType type) { return type == EUniformType::Int || type == EUniformType::Bool; }

// Effect writes and passes go into the device's trace, so that tests can see what was written
// in which order.
bool Tracing(IDirect3DDevice9* device) { return device != nullptr && device->IsTracing(); }
void TraceEffect(IDirect3DDevice9* device, const std::string& line) { device->AppendTrace("Effect " + line); }

} // namespace
} // namespace d3d9
} // namespace platform

using platform::d3d9::EUniformType;
using platform::d3d9::SParamNode;
using platform::d3d9::SParamValue;
using platform::d3d9::STechniqueNode;

std::shared_ptr<SParamValue> ID3DXEffectPool::Shared(const std::string& key, const std::string& type,
                                                     std::size_t floats, bool* matches) {
    auto found = m_values.find(key);
    if (found != m_values.end()) {
        *matches = found->second.type == type;
        return found->second.value;
    }
    *matches = true;
    auto value = std::make_shared<SParamValue>();
    value->floats.assign(floats, 0.0f);
    value->ints.assign(floats, 0);
    m_values[key] = {type, value};
    return value;
}

ID3DXEffect::ID3DXEffect(IDirect3DDevice9* device, ID3DXEffectPool* pool) : m_device(device), m_pool(pool) {
    m_device->AddRef();
    if (m_pool != nullptr) {
        m_pool->AddRef();
    }
}

ID3DXEffect::~ID3DXEffect() {
    if (m_activePass >= 0 || m_begun) {
        m_device->BindProgram({});
    }
    ReleaseBoundTextures();
    for (const auto& technique : m_techniques) {
        for (const auto& pass : technique->passes) {
            m_device->Backend().DestroyProgram(pass.program);
        }
    }
    m_nodes.clear();
    if (m_pool != nullptr) {
        m_pool->Release();
    }
    m_device->Release();
}

SParamNode* ID3DXEffect::AddNode(const platform::d3d9::SParamDecl& decl, const std::string& uniformName,
                                 const std::string& poolKey, bool shared, unsigned arrayLength) {
    m_nodes.push_back(std::make_unique<SParamNode>());
    SParamNode* node = m_nodes.back().get();
    node->name = decl.name;
    node->semantic = decl.semantic;
    m_handles.emplace(node->key, node);
    if (decl.type == "struct") {
        if (arrayLength > 0) {
            node->kind = SParamNode::EKind::Array;
            for (unsigned i = 0; i < arrayLength; ++i) {
                const std::string element = "[" + std::to_string(i) + "]";
                node->children.push_back(AddNode(decl, uniformName + element, poolKey + element, shared, 0));
            }
        } else {
            node->kind = SParamNode::EKind::Struct;
            for (const platform::d3d9::SParamDecl& member : decl.members) {
                node->children.push_back(AddNode(member, uniformName + "." + member.name, poolKey + "." + member.name,
                                                 shared, member.arrayLength));
            }
        }
        return node;
    }
    platform::d3d9::TypeOf(decl.type, &node->type, &node->components);
    node->count = std::max(1u, arrayLength);
    const std::size_t size = static_cast<std::size_t>(node->components) * node->count;
    bool matches = true;
    if (shared && m_pool != nullptr) {
        node->value = m_pool->Shared(poolKey, decl.type + "[" + std::to_string(node->count) + "]", size, &matches);
        if (!matches) {
            std::fprintf(stderr, "effect parameter '%s' is shared with another type; kept apart\n", poolKey.c_str());
        }
    }
    if (node->value == nullptr || !matches) {
        node->value = std::make_shared<SParamValue>();
        node->value->floats.assign(size, 0.0f);
        node->value->ints.assign(size, 0);
    }
    for (std::size_t i = 0; i < decl.initial.size() && i < size; ++i) {
        node->value->floats[i] = decl.initial[i];
        node->value->ints[i] = platform::d3d9::ToInt(decl.initial[i]);
    }
    if (!decl.initial.empty()) {
        ++node->value->version;
    }
    m_uniformNodes.push_back(node);
    platform::d3d9::SUniformBinding binding;
    binding.type = node->type;
    binding.components = node->components;
    binding.count = node->count;
    m_uniforms.push_back(binding);
    m_uniformNames.push_back(uniformName);
    return node;
}

bool ID3DXEffect::Build(const platform::d3d9::SEffectDecl& decl, const std::string& fileName, std::string* error) {
    for (const platform::d3d9::SParamDecl& param : decl.params) {
        m_topLevel.push_back(AddNode(param, param.name, param.name, param.shared, param.arrayLength));
    }
    for (std::size_t i = 0; i < m_uniforms.size(); ++i) {
        m_uniforms[i].name = &m_uniformNames[i];
        m_uniforms[i].floats = m_uniformNodes[i]->value->floats.data();
        m_uniforms[i].ints = m_uniformNodes[i]->value->ints.data();
        m_uniforms[i].version = &m_uniformNodes[i]->value->version;
    }
    for (const platform::d3d9::STechniqueDecl& techniqueDecl : decl.techniques) {
        auto technique = std::make_unique<STechniqueNode>();
        technique->name = techniqueDecl.name;
        m_handles.emplace(technique->key, nullptr);
        for (const platform::d3d9::SPassDecl& passDecl : techniqueDecl.passes) {
            std::string log;
            STechniqueNode::SPass pass;
            pass.states = passDecl.states;
            pass.program = m_device->Backend().CreateProgram(platform::d3d9::VertexSource(decl, passDecl),
                                                             platform::d3d9::FragmentSource(decl, passDecl), &log);
            if (pass.program == 0) {
                *error = fileName + ":" + std::to_string(passDecl.line) + ": GLSL of technique '" + techniqueDecl.name +
                         "' pass '" + passDecl.name + "' does not build\n" + platform::d3d9::LocateLog(log, fileName);
                m_techniques.push_back(std::move(technique));
                return false;
            }
            technique->passes.push_back(pass);
        }
        m_techniques.push_back(std::move(technique));
    }
    m_current = m_techniques.empty() ? nullptr : m_techniques.front().get();
    return true;
}

ID3DXEffect* ID3DXEffect::Create(IDirect3DDevice9* device, const std::string& text, const std::string& fileName,
                                 ID3DXEffectPool* pool, std::string* error) {
    platform::d3d9::SEffectDecl decl;
    if (device == nullptr) {
        *error = fileName + ": no device";
        return nullptr;
    }
    if (!platform::d3d9::ParseEffect(text, fileName, &decl, error)) {
        return nullptr;
    }
    auto* effect = new ID3DXEffect(device, pool);
    if (!effect->Build(decl, fileName, error)) {
        effect->Release();
        return nullptr;
    }
    return effect;
}

SParamNode* ID3DXEffect::Find(D3DXHANDLE handle) const {
    if (handle == nullptr) {
        return nullptr;
    }
    const auto known = m_handles.find(handle);
    if (known != m_handles.end()) {
        return known->second;
    }
    for (SParamNode* node : m_topLevel) {
        if (node->name == handle) {
            return node;
        }
    }
    return nullptr;
}

SParamNode* ID3DXEffect::Leaf(D3DXHANDLE handle) const {
    SParamNode* node = Find(handle);
    return node != nullptr && node->kind == SParamNode::EKind::Leaf ? node : nullptr;
}

D3DXHANDLE ID3DXEffect::GetParameterByName(D3DXHANDLE parent, const char* name) const {
    if (name == nullptr) {
        return nullptr;
    }
    if (parent == nullptr) {
        for (SParamNode* node : m_topLevel) {
            if (node->name == name) {
                return node->key;
            }
        }
        return nullptr;
    }
    SParamNode* node = Find(parent);
    if (node == nullptr || node->kind != SParamNode::EKind::Struct) {
        return nullptr;
    }
    for (SParamNode* child : node->children) {
        if (child->name == name) {
            return child->key;
        }
    }
    return nullptr;
}

D3DXHANDLE ID3DXEffect::GetParameterBySemantic(D3DXHANDLE parent, const char* semantic) const {
    if (semantic == nullptr) {
        return nullptr;
    }
    const std::vector<SParamNode*>* nodes = &m_topLevel;
    if (parent != nullptr) {
        SParamNode* node = Find(parent);
        if (node == nullptr || node->kind != SParamNode::EKind::Struct) {
            return nullptr;
        }
        nodes = &node->children;
    }
    for (SParamNode* node : *nodes) {
        if (!node->semantic.empty() && strcasecmp(node->semantic.c_str(), semantic) == 0) {
            return node->key;
        }
    }
    return nullptr;
}

D3DXHANDLE ID3DXEffect::GetParameterElement(D3DXHANDLE parent, UINT index) const {
    SParamNode* node = Find(parent);
    if (node == nullptr || node->kind != SParamNode::EKind::Array || index >= node->children.size()) {
        return nullptr;
    }
    return node->children[index]->key;
}

HRESULT ID3DXEffect::SetMatrix(D3DXHANDLE parameter, const D3DMATRIX* matrix) {
    if (SParamNode* traced = platform::d3d9::Tracing(m_device) ? Leaf(parameter) : nullptr) {
        platform::d3d9::TraceEffect(m_device, "SetMatrix " + traced->name);
    }
    SParamNode* node = Leaf(parameter);
    if (node == nullptr || matrix == nullptr || node->type != EUniformType::Matrix) {
        return D3DERR_INVALIDCALL;
    }
    std::memcpy(node->value->floats.data(), &matrix->m[0][0], sizeof(float) * 16);
    ++node->value->version;
    return D3D_OK;
}

HRESULT ID3DXEffect::GetMatrix(D3DXHANDLE parameter, D3DMATRIX* matrix) const {
    SParamNode* node = Leaf(parameter);
    if (node == nullptr || matrix == nullptr || node->type != EUniformType::Matrix) {
        return D3DERR_INVALIDCALL;
    }
    std::memcpy(&matrix->m[0][0], node->value->floats.data(), sizeof(float) * 16);
    return D3D_OK;
}

HRESULT ID3DXEffect::SetFloatArray(D3DXHANDLE parameter, const float* values, UINT count) {
    if (SParamNode* traced = platform::d3d9::Tracing(m_device) ? Leaf(parameter) : nullptr) {
        platform::d3d9::TraceEffect(m_device, "SetFloat " + traced->name + " " + std::to_string(count));
    }
    SParamNode* node = Leaf(parameter);
    if (node == nullptr || values == nullptr || platform::d3d9::IsSampler(node->type)) {
        return D3DERR_INVALIDCALL;
    }
    const std::size_t size = std::min<std::size_t>(count, node->value->floats.size());
    for (std::size_t i = 0; i < size; ++i) {
        node->value->floats[i] = values[i];
        node->value->ints[i] = platform::d3d9::ToInt(values[i]);
    }
    ++node->value->version;
    return D3D_OK;
}

HRESULT ID3DXEffect::GetFloatArray(D3DXHANDLE parameter, float* values, UINT count) const {
    SParamNode* node = Leaf(parameter);
    if (node == nullptr || values == nullptr || platform::d3d9::IsSampler(node->type)) {
        return D3DERR_INVALIDCALL;
    }
    const bool integer = platform::d3d9::IsInteger(node->type);
    for (std::size_t i = 0; i < count && i < node->value->floats.size(); ++i) {
        values[i] = integer ? static_cast<float>(node->value->ints[i]) : node->value->floats[i];
    }
    return D3D_OK;
}

HRESULT ID3DXEffect::SetFloat(D3DXHANDLE parameter, float value) { return SetFloatArray(parameter, &value, 1); }

HRESULT ID3DXEffect::GetFloat(D3DXHANDLE parameter, float* value) const { return GetFloatArray(parameter, value, 1); }

HRESULT ID3DXEffect::SetVector(D3DXHANDLE parameter, const D3DXVECTOR4* vector) {
    if (vector == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const float values[4] = {vector->x, vector->y, vector->z, vector->w};
    return SetFloatArray(parameter, values, 4);
}

HRESULT ID3DXEffect::SetInt(D3DXHANDLE parameter, INT value) {
    if (SParamNode* traced = platform::d3d9::Tracing(m_device) ? Leaf(parameter) : nullptr) {
        platform::d3d9::TraceEffect(m_device, "SetInt " + traced->name);
    }
    SParamNode* node = Leaf(parameter);
    if (node == nullptr || platform::d3d9::IsSampler(node->type)) {
        return D3DERR_INVALIDCALL;
    }
    node->value->ints[0] = value;
    node->value->floats[0] = static_cast<float>(value);
    ++node->value->version;
    return D3D_OK;
}

HRESULT ID3DXEffect::GetInt(D3DXHANDLE parameter, INT* value) const {
    SParamNode* node = Leaf(parameter);
    if (node == nullptr || value == nullptr || platform::d3d9::IsSampler(node->type)) {
        return D3DERR_INVALIDCALL;
    }
    *value =
        platform::d3d9::IsInteger(node->type) ? node->value->ints[0] : platform::d3d9::ToInt(node->value->floats[0]);
    return D3D_OK;
}

HRESULT ID3DXEffect::SetBool(D3DXHANDLE parameter, BOOL value) { return SetInt(parameter, value != FALSE ? 1 : 0); }

HRESULT ID3DXEffect::SetTexture(D3DXHANDLE parameter, IDirect3DBaseTexture9* texture) {
    if (SParamNode* traced = platform::d3d9::Tracing(m_device) ? Leaf(parameter) : nullptr) {
        platform::d3d9::TraceEffect(m_device, "SetTexture " + traced->name + (texture != nullptr ? " set" : " none"));
    }
    SParamNode* node = Leaf(parameter);
    if (node == nullptr || !platform::d3d9::IsSampler(node->type)) {
        return D3DERR_INVALIDCALL;
    }
    if (texture != nullptr) {
        texture->AddRef();
    }
    if (node->value->texture != nullptr) {
        node->value->texture->Release();
    }
    node->value->texture = texture;
    return D3D_OK;
}

HRESULT ID3DXEffect::GetTexture(D3DXHANDLE parameter, IDirect3DBaseTexture9** texture) const {
    SParamNode* node = Leaf(parameter);
    if (node == nullptr || texture == nullptr || !platform::d3d9::IsSampler(node->type)) {
        return D3DERR_INVALIDCALL;
    }
    *texture = node->value->texture;
    if (*texture != nullptr) {
        (*texture)->AddRef();
    }
    return D3D_OK;
}

D3DXHANDLE ID3DXEffect::GetTechniqueByName(const char* name) const {
    for (const auto& technique : m_techniques) {
        if (name != nullptr && technique->name == name) {
            return technique->key;
        }
    }
    return nullptr;
}

D3DXHANDLE ID3DXEffect::GetCurrentTechnique() const { return m_current != nullptr ? m_current->key : nullptr; }

HRESULT ID3DXEffect::SetTechnique(D3DXHANDLE technique) {
    if (technique == nullptr || m_begun) {
        return D3DERR_INVALIDCALL;
    }
    for (const auto& candidate : m_techniques) {
        if (candidate->key == technique || (m_handles.count(technique) == 0 && candidate->name == technique)) {
            m_current = candidate.get();
            if (platform::d3d9::Tracing(m_device)) {
                platform::d3d9::TraceEffect(m_device, "SetTechnique " + m_current->name);
            }
            return D3D_OK;
        }
    }
    return D3DERR_INVALIDCALL;
}

HRESULT ID3DXEffect::Begin(UINT* passes, DWORD flags) {
    if (platform::d3d9::Tracing(m_device)) {
        platform::d3d9::TraceEffect(m_device, "Begin");
    }
    if (m_current == nullptr || m_begun) {
        return D3DERR_INVALIDCALL;
    }
    if (passes != nullptr) {
        *passes = static_cast<UINT>(m_current->passes.size());
    }
    m_begun = true;
    m_saveState = (flags & D3DXFX_DONOTSAVESTATE) == 0;
    m_savedStates.clear();
    if (m_saveState) {
        for (const auto& pass : m_current->passes) {
            for (const auto& [state, value] : pass.states) {
                const bool seen = std::any_of(m_savedStates.begin(), m_savedStates.end(),
                                              [state = state](const auto& saved) { return saved.first == state; });
                if (!seen) {
                    DWORD old = 0;
                    m_device->GetRenderState(state, &old);
                    m_savedStates.emplace_back(state, old);
                }
            }
        }
    }
    return D3D_OK;
}

void ID3DXEffect::ReleaseBoundTextures() {
    for (IDirect3DBaseTexture9* texture : m_boundTextures) {
        texture->Release();
    }
    m_boundTextures.clear();
}

void ID3DXEffect::Refresh() {
    std::vector<IDirect3DBaseTexture9*> previous;
    previous.swap(m_boundTextures);
    for (std::size_t i = 0; i < m_uniforms.size(); ++i) {
        IDirect3DBaseTexture9* texture = m_uniformNodes[i]->value->texture;
        m_uniforms[i].texture = texture;
        if (texture != nullptr) {
            texture->AddRef();
            m_boundTextures.push_back(texture);
        }
    }
    for (IDirect3DBaseTexture9* texture : previous) {
        texture->Release();
    }
}

HRESULT ID3DXEffect::BeginPass(UINT pass) {
    if (platform::d3d9::Tracing(m_device)) {
        platform::d3d9::TraceEffect(m_device, "BeginPass " + std::to_string(pass));
    }
    if (!m_begun || m_activePass >= 0 || pass >= m_current->passes.size()) {
        return D3DERR_INVALIDCALL;
    }
    m_activePass = static_cast<int>(pass);
    for (const auto& [state, value] : m_current->passes[pass].states) {
        m_device->SetRenderState(state, value);
    }
    Refresh();
    m_device->BindProgram({m_current->passes[pass].program, &m_uniforms});
    return D3D_OK;
}

HRESULT ID3DXEffect::CommitChanges() {
    if (platform::d3d9::Tracing(m_device)) {
        platform::d3d9::TraceEffect(m_device, "CommitChanges");
    }
    if (m_activePass < 0) {
        return D3DERR_INVALIDCALL;
    }
    Refresh();
    m_device->BindProgram({m_current->passes[static_cast<std::size_t>(m_activePass)].program, &m_uniforms});
    return D3D_OK;
}

HRESULT ID3DXEffect::EndPass() {
    if (platform::d3d9::Tracing(m_device)) {
        platform::d3d9::TraceEffect(m_device, "EndPass");
    }
    if (m_activePass < 0) {
        return D3DERR_INVALIDCALL;
    }
    m_activePass = -1;
    m_device->BindProgram({});
    ReleaseBoundTextures();
    return D3D_OK;
}

HRESULT ID3DXEffect::End() {
    if (platform::d3d9::Tracing(m_device)) {
        platform::d3d9::TraceEffect(m_device, "End");
    }
    if (!m_begun) {
        return D3DERR_INVALIDCALL;
    }
    if (m_activePass >= 0) {
        EndPass();
    }
    for (const auto& [state, value] : m_savedStates) {
        m_device->SetRenderState(state, value);
    }
    m_savedStates.clear();
    m_begun = false;
    return D3D_OK;
}

HRESULT ID3DXEffect::OnLostDevice() {
    for (SParamNode* node : m_uniformNodes) {
        IDirect3DBaseTexture9*& texture = node->value->texture;
        if (texture != nullptr && texture->GetPool() == D3DPOOL_DEFAULT) {
            texture->Release();
            texture = nullptr;
        }
    }
    return D3D_OK;
}

HRESULT ID3DXEffect::GetDevice(IDirect3DDevice9** device) {
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    m_device->AddRef();
    *device = m_device;
    return D3D_OK;
}

HRESULT ID3DXEffect::GetPool(ID3DXEffectPool** pool) {
    if (pool == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pool = m_pool;
    if (m_pool != nullptr) {
        m_pool->AddRef();
    }
    return D3D_OK;
}

HRESULT D3DXCreateEffectPool(ID3DXEffectPool** pool) {
    if (pool == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pool = new ID3DXEffectPool();
    return D3D_OK;
}

namespace {

HRESULT CreateNamed(IDirect3DDevice9* device, const std::string& text, const std::string& name, ID3DXEffectPool* pool,
                    ID3DXEffect** effect, ID3DXBuffer** errors) {
    std::string error;
    ID3DXEffect* created = ID3DXEffect::Create(device, text, name, pool, &error);
    if (errors != nullptr) {
        *errors = created == nullptr ? new ID3DXBuffer(error) : nullptr;
    }
    *effect = created;
    if (created == nullptr) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return D3DXERR_INVALIDDATA;
    }
    return D3D_OK;
}

} // namespace

HRESULT D3DXCreateEffect(IDirect3DDevice9* device, const void* data, UINT length, const void*, void*, DWORD,
                         ID3DXEffectPool* pool, ID3DXEffect** effect, ID3DXBuffer** errors) {
    if (effect == nullptr || data == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    return CreateNamed(device, std::string(static_cast<const char*>(data), length), "<memory>", pool, effect, errors);
}

HRESULT D3DXCreateEffectFromFileA(IDirect3DDevice9* device, const char* file, const void*, void*, DWORD,
                                  ID3DXEffectPool* pool, ID3DXEffect** effect, ID3DXBuffer** errors) {
    if (effect == nullptr || file == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *effect = nullptr;
    std::string text;
    std::string why;
    if (!platform::ReadWholeFile(platform::ResolvePath(file), platform::kMostArtFileBytes, text, why)) {
        const std::string error = std::string(file) + ": effect file " + why + "; no effect made";
        std::fprintf(stderr, "%s\n", error.c_str());
        if (errors != nullptr) {
            *errors = new ID3DXBuffer(error);
        }
        return D3DERR_NOTFOUND;
    }
    return CreateNamed(device, text, file, pool, effect, errors);
}

HRESULT D3DXCreateEffectFromFileW(IDirect3DDevice9* device, const WCHAR* file, const void* defines, void* include,
                                  DWORD flags, ID3DXEffectPool* pool, ID3DXEffect** effect, ID3DXBuffer** errors) {
    if (file == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    return D3DXCreateEffectFromFileA(device, platform::d3d9::NarrowPath(file).c_str(), defines, include, flags, pool,
                                     effect, errors);
}
