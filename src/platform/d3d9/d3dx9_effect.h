// D3DX effects on the device stand-in: effect pools whose shared parameters every effect of the
// pool sees, effects loaded from the stand-in's effect container (see effect_parser.h), their
// parameters by name, semantic and element, values, techniques and passes. A handle is the
// address of a parameter or technique record, or a name string where D3DX accepts one. Bad
// files are logged to stderr with file and line and give no effect. Main thread only.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/d3dx9_math.h"
#include "platform/d3d9/effect_parser.h"

using D3DXHANDLE = const char*;

constexpr DWORD D3DXSHADER_DEBUG = 0x1;
constexpr DWORD D3DXFX_DONOTSAVESTATE = 0x1;

namespace platform {
namespace d3d9 {

struct SParamValue;
struct SParamNode;
struct STechniqueNode;

} // namespace d3d9
} // namespace platform

class ID3DXBuffer : public platform::d3d9::CRefCounted {
public:
    explicit ID3DXBuffer(const std::string& text) : m_bytes(text.begin(), text.end()) { m_bytes.push_back('\0'); }
    void* GetBufferPointer() { return m_bytes.data(); }
    DWORD GetBufferSize() const { return static_cast<DWORD>(m_bytes.size()); }

private:
    std::vector<char> m_bytes;
};

class ID3DXEffectPool : public platform::d3d9::CRefCounted {
public:
    // The value of a shared parameter, made by the first effect that declares it.
    std::shared_ptr<platform::d3d9::SParamValue> Shared(const std::string& key, const std::string& type,
                                                        std::size_t floats, bool* matches);

private:
    struct SEntry {
        std::string type;
        std::shared_ptr<platform::d3d9::SParamValue> value;
    };
    std::unordered_map<std::string, SEntry> m_values;
};

class ID3DXEffect : public platform::d3d9::CRefCounted {
public:
    D3DXHANDLE GetParameterByName(D3DXHANDLE parent, const char* name) const;
    D3DXHANDLE GetParameterBySemantic(D3DXHANDLE parent, const char* semantic) const;
    D3DXHANDLE GetParameterElement(D3DXHANDLE parent, UINT index) const;

    HRESULT SetMatrix(D3DXHANDLE parameter, const D3DMATRIX* matrix);
    HRESULT GetMatrix(D3DXHANDLE parameter, D3DMATRIX* matrix) const;
    HRESULT SetFloat(D3DXHANDLE parameter, float value);
    HRESULT GetFloat(D3DXHANDLE parameter, float* value) const;
    HRESULT SetFloatArray(D3DXHANDLE parameter, const float* values, UINT count);
    HRESULT GetFloatArray(D3DXHANDLE parameter, float* values, UINT count) const;
    HRESULT SetVector(D3DXHANDLE parameter, const D3DXVECTOR4* vector);
    HRESULT SetInt(D3DXHANDLE parameter, INT value);
    HRESULT GetInt(D3DXHANDLE parameter, INT* value) const;
    HRESULT SetBool(D3DXHANDLE parameter, BOOL value);
    HRESULT SetTexture(D3DXHANDLE parameter, IDirect3DBaseTexture9* texture);
    HRESULT GetTexture(D3DXHANDLE parameter, IDirect3DBaseTexture9** texture) const;

    D3DXHANDLE GetTechniqueByName(const char* name) const;
    D3DXHANDLE GetCurrentTechnique() const;
    HRESULT SetTechnique(D3DXHANDLE technique);

    HRESULT Begin(UINT* passes, DWORD flags);
    HRESULT BeginPass(UINT pass);
    HRESULT CommitChanges();
    HRESULT EndPass();
    HRESULT End();

    // Drops the parameters' references to default-pool textures (render targets), which would
    // otherwise keep the device from being reset; programs survive a reset.
    HRESULT OnLostDevice();
    HRESULT OnResetDevice() { return D3D_OK; }
    HRESULT GetDevice(IDirect3DDevice9** device);
    HRESULT GetPool(ID3DXEffectPool** pool);

    // Builds the effect; null with the message ("file:line: ...") when the text or its GLSL is bad.
    static ID3DXEffect* Create(IDirect3DDevice9* device, const std::string& text, const std::string& fileName,
                               ID3DXEffectPool* pool, std::string* error);

private:
    ID3DXEffect(IDirect3DDevice9* device, ID3DXEffectPool* pool);
    ~ID3DXEffect() override;
    bool Build(const platform::d3d9::SEffectDecl& decl, const std::string& fileName, std::string* error);
    platform::d3d9::SParamNode* AddNode(const platform::d3d9::SParamDecl& decl, const std::string& uniformName,
                                        const std::string& poolKey, bool shared, unsigned arrayLength);
    platform::d3d9::SParamNode* Find(D3DXHANDLE handle) const;
    platform::d3d9::SParamNode* Leaf(D3DXHANDLE handle) const;
    // Points the pass's texture bindings at the current values, holding a reference to each
    // bound texture so that a value replaced mid-pass (here or through the pool) cannot leave
    // the device a freed texture.
    void Refresh();
    void ReleaseBoundTextures();

    IDirect3DDevice9* m_device;                                       // holds one reference
    ID3DXEffectPool* m_pool;                                          // holds one reference, may be null
    std::vector<std::unique_ptr<platform::d3d9::SParamNode>> m_nodes; // every node, owned
    std::vector<platform::d3d9::SParamNode*> m_topLevel;
    std::unordered_map<const void*, platform::d3d9::SParamNode*> m_handles; // techniques: null
    std::vector<std::unique_ptr<platform::d3d9::STechniqueNode>> m_techniques;
    std::vector<platform::d3d9::SUniformBinding> m_uniforms;
    std::vector<platform::d3d9::SParamNode*> m_uniformNodes;
    std::vector<std::string> m_uniformNames;
    std::vector<IDirect3DBaseTexture9*> m_boundTextures; // one reference each
    platform::d3d9::STechniqueNode* m_current = nullptr;
    bool m_begun = false;
    bool m_saveState = true;
    int m_activePass = -1;
    std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>> m_savedStates;
};

HRESULT D3DXCreateEffectPool(ID3DXEffectPool** pool);
HRESULT D3DXCreateEffect(IDirect3DDevice9* device, const void* data, UINT length, const void* defines, void* include,
                         DWORD flags, ID3DXEffectPool* pool, ID3DXEffect** effect, ID3DXBuffer** errors);
HRESULT D3DXCreateEffectFromFileW(IDirect3DDevice9* device, const WCHAR* file, const void* defines, void* include,
                                  DWORD flags, ID3DXEffectPool* pool, ID3DXEffect** effect, ID3DXBuffer** errors);
HRESULT D3DXCreateEffectFromFileA(IDirect3DDevice9* device, const char* file, const void* defines, void* include,
                                  DWORD flags, ID3DXEffectPool* pool, ID3DXEffect** effect, ID3DXBuffer** errors);

namespace platform {
namespace d3d9 {

// The UTF-8 form of a wide file name.
std::string NarrowPath(const WCHAR* path);

} // namespace d3d9
} // namespace platform
