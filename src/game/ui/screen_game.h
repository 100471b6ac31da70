// kelvo::IScreenGame: the game object as the screens see it. The screens sit below the game flow,
// so they reach the game's networking, race line-up, reset, cursor and world through this one
// interface, which the game installs while it lives (and tests replace with their own).
// Main thread only; the installed game is not owned.
#pragma once

#include <cstdint>

#include "libs/common/vector3.h"

namespace velm {
class CModel;
namespace gfx {
class CCursor;
}
} // namespace velm

namespace kelvo {

class CEndRaceGUI;
class CInGameMenu;
class CVictoryScreen;

// One racer of the race line-up: the machine that drives it (0 for a computer) and its character.
struct SRaceLineUpEntry {
    std::uint32_t m_connectionId = 0;
    std::uint32_t m_character = 0;
};

class IScreenGame {
public:
    virtual ~IScreenGame() = default;

    // Null while the game has no cursor.
    virtual velm::gfx::CCursor* GetCursor() = 0;
    virtual velm::CModel* FindModel(std::uint32_t id) = 0;
    virtual std::uint32_t GetSelectedCharacter() = 0;
    virtual bool IsNetworked() = 0;
    virtual bool IsHost() = 0;
    // role 1 host, 0 client; switching on hands the network a new event socket of the game.
    virtual void InitNetwork(bool on, std::uint8_t role) = 0;
    virtual void AddToRaceLineUp(const SRaceLineUpEntry& entry) = 0;
    virtual void ClearRaceLineUp() = 0;
    virtual void SetRaceFogOn(bool on) = 0;
    virtual void ResetRace() = 0;
    virtual void PostQuit() = 0;
    // Seconds on the race clock of the track being raced.
    virtual float GetRaceClock() = 0;
    virtual void SetHUDVisible(bool visible) = 0;
    virtual common::CVector3 GetCameraTarget() = 0;
    virtual void DestroyEnvObject(std::uint32_t id) = 0;
    // Triggers the creation of the gold trophy under that id (an environment object, local only).
    virtual void CreateTrophyObject(std::uint32_t id) = 0;
    virtual CEndRaceGUI* GetEndRaceGUI() = 0;
    virtual CInGameMenu* GetInGameMenu() = 0;
    virtual CVictoryScreen* GetVictoryScreen() = 0;

    // The network seam of the lobby.
    virtual std::uint32_t GetLocalClientId() = 0;
    virtual void SetAcceptingClients(bool accepting) = 0;
    virtual void SendPeerListAndStart() = 0;
    // Queues a "RacerConnectEvt"; recipient 0 sends it to every peer.
    virtual void QueueRacerConnect(std::uint32_t character, std::uint32_t connectionId, std::uint32_t slot,
                                   std::uint32_t recipient) = 0;
    // Triggers "Player_Finished_Race" for the racer, so that the clients add the same row.
    virtual void TriggerRacerFinished(std::uint32_t racerId) = 0;
    // A finish that a game off the network decided: it tells nobody, but its own record of
    // finishes (the run trace) takes it.
    virtual void NoteRacerFinished(std::uint32_t racerId) = 0;
};

// The installed game, or null: screens then do nothing that needs the game.
IScreenGame* GetScreenGame();
void SetScreenGame(IScreenGame* game);

} // namespace kelvo
