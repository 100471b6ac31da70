// kelvo::CGameScreens: the game object behind the screens' view of it (kelvo::IScreenGame). The
// game installs one while it lives; it reaches the game's networking, line-up, reset and world
// and raises the events the screens ask for. Main thread only.
#pragma once

#include "game/ui/screen_game.h"

namespace kelvo {

class CTumboKelvoGame;

class CGameScreens : public IScreenGame {
public:
    explicit CGameScreens(CTumboKelvoGame& game) : m_game(game) {}

    velm::gfx::CCursor* GetCursor() override;
    velm::CModel* FindModel(std::uint32_t id) override;
    std::uint32_t GetSelectedCharacter() override;
    bool IsNetworked() override;
    bool IsHost() override;
    void InitNetwork(bool on, std::uint8_t role) override;
    void AddToRaceLineUp(const SRaceLineUpEntry& entry) override;
    void ClearRaceLineUp() override;
    void SetRaceFogOn(bool on) override;
    void ResetRace() override;
    void PostQuit() override;
    float GetRaceClock() override;
    void SetHUDVisible(bool visible) override;
    common::CVector3 GetCameraTarget() override;
    void DestroyEnvObject(std::uint32_t id) override;
    void CreateTrophyObject(std::uint32_t id) override;
    CEndRaceGUI* GetEndRaceGUI() override;
    CInGameMenu* GetInGameMenu() override;
    CVictoryScreen* GetVictoryScreen() override;
    std::uint32_t GetLocalClientId() override;
    void SetAcceptingClients(bool accepting) override;
    void SendPeerListAndStart() override;
    void QueueRacerConnect(std::uint32_t character, std::uint32_t connectionId, std::uint32_t slot,
                           std::uint32_t recipient) override;
    void TriggerRacerFinished(std::uint32_t racerId) override;
    void NoteRacerFinished(std::uint32_t racerId) override;

private:
    CTumboKelvoGame& m_game;
};

} // namespace kelvo
