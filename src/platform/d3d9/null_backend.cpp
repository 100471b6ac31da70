#include "platform/d3d9/device_backend.h"

#include "platform/d3d9/d3d9.h"

namespace platform {
namespace d3d9 {
namespace {

// Every call succeeds; the device keeps the states and counts. Handles are distinct non-zero
// numbers so that callers can tell created objects apart.
class CNullBackend final : public IDeviceBackend {
public:
    bool Reset(const D3DPRESENT_PARAMETERS&, std::string*) override { return true; }
    void GetCaps(D3DCAPS9* caps) const override { *caps = StandInCaps(D3DDEVTYPE_NULLREF); }
    bool IsNull() const override { return true; }

    BackendHandle CreateTexture(ETextureKind, UINT, UINT, UINT, bool) override { return ++m_next; }
    void UploadTexture(BackendHandle, ETextureKind, UINT, UINT, UINT, const std::uint8_t*, bool) override {}
    void DestroyTexture(BackendHandle) override {}
    BackendHandle CreateBuffer(UINT, bool, bool) override { return ++m_next; }
    void UpdateBuffer(BackendHandle, UINT, UINT, const void*, bool) override {}
    void DestroyBuffer(BackendHandle) override {}
    BackendHandle CreateProgram(const std::string&, const std::string&, std::string*) override { return ++m_next; }
    void DestroyProgram(BackendHandle) override {}
    void Clear(const SDeviceState&, DWORD, D3DCOLOR, float, DWORD) override {}
    void DrawIndexed(const SDeviceState&, D3DPRIMITIVETYPE, INT, UINT, UINT, UINT, UINT) override {}
    void Draw(const SDeviceState&, D3DPRIMITIVETYPE, UINT, UINT) override {}
    bool ReadPixels(IDirect3DSurface9*, UINT width, UINT height, std::vector<std::uint8_t>* bgra) override {
        bgra->assign(static_cast<std::size_t>(width) * height * 4, 0);
        return true;
    }
    void Present() override {}

private:
    BackendHandle m_next = 0;
};

} // namespace

std::unique_ptr<IDeviceBackend> CreateNullBackend() { return std::make_unique<CNullBackend>(); }

} // namespace d3d9
} // namespace platform
