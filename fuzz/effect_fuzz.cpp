// libFuzzer target for effect files: the parser alone, then the whole effect built on the null
// device (parameters laid out, defaults set, techniques and passes looked up).
#include <cstddef>
#include <cstdint>
#include <string>

#include "null_device.h"
#include "platform/d3d9/d3dx9_effect.h"
#include "platform/d3d9/effect_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    platform::d3d9::SEffectDecl decl;
    std::string error;
    platform::d3d9::ParseEffect(text, "fuzz.fx", &decl, &error);

    ID3DXEffect* effect = nullptr;
    ID3DXBuffer* errors = nullptr;
    if (SUCCEEDED(D3DXCreateEffect(tk_fuzz::NullDevice(), data, static_cast<UINT>(size), nullptr, nullptr, 0, nullptr,
                                   &effect, &errors))) {
        for (const platform::d3d9::SParamDecl& param : decl.params) {
            D3DXHANDLE handle = effect->GetParameterByName(nullptr, param.name.c_str());
            if (param.arrayLength > 0) {
                handle = effect->GetParameterElement(handle, param.arrayLength - 1);
            }
            float value = 0.0f;
            effect->SetFloat(handle, 1.0f);
            effect->GetFloat(handle, &value);
        }
        D3DXHANDLE technique = effect->GetCurrentTechnique();
        if (technique != nullptr) {
            effect->SetTechnique(technique);
            UINT passes = 0;
            if (SUCCEEDED(effect->Begin(&passes, 0))) {
                for (UINT pass = 0; pass < passes && pass < 8; ++pass) {
                    effect->BeginPass(pass);
                    effect->CommitChanges();
                    effect->EndPass();
                }
                effect->End();
            }
        }
        effect->Release();
    }
    if (errors != nullptr) {
        errors->Release();
    }
    return 0;
}
