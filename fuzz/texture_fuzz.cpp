// libFuzzer target for texture files: any file made into a texture and into a cube texture on
// the null device, and the top level of each read back.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_file.h"
#include "null_device.h"
#include "platform/d3d9/d3dx9_tex.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = tk_fuzz::WriteInput(data, size, ".tga");
    IDirect3DTexture9* texture = nullptr;
    if (SUCCEEDED(D3DXCreateTextureFromFileA(tk_fuzz::NullDevice(), path.c_str(), &texture))) {
        D3DLOCKED_RECT locked;
        if (SUCCEEDED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) {
            texture->UnlockRect(0);
        }
        texture->Release();
    }
    IDirect3DCubeTexture9* cube = nullptr;
    if (SUCCEEDED(D3DXCreateCubeTextureFromFileA(tk_fuzz::NullDevice(), path.c_str(), &cube))) {
        cube->Release();
    }
    return 0;
}
