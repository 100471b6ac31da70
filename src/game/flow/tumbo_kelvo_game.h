// The game object: the per-frame update and render of Tumbo Kelvo over the engine's game base.
// Main thread only.
#pragma once

#include <string>

#include "engine/core/velm_game.h"

namespace kelvo {

class CTumboKelvoGame : public velm::CVelmGame {
public:
    CTumboKelvoGame();
    ~CTumboKelvoGame() override;

    std::wstring GetTitle() override { return L"Tumbo Kelvo"; }
    void OnResetDevice() override;
    void OnLostDevice() override;
    void Update(double time, float elapsed) override;
    void Render(double time, float elapsed) override;
    void Init() override;
    LRESULT MsgProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    velm::CVelmCamera* GetCamera() override { return nullptr; }
    void* GetCursor() override { return nullptr; }
    void OnLoadingFinished() override;
};

} // namespace kelvo
