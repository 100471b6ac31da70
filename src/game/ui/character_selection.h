// kelvo::CCharacterSelection, the screen on which the player picks one of the six characters
// (1 monkey, 2 bear, 3 alien, 4 fish, 5 hillbilly, 6 movie star): Left and Right turn the line-up
// turntable by one place in one second, a profile card shows the character in front, OK and Back
// set the flags the character-selection state polls. Laid out by "CharacterSelection.xml"; the
// screen owns its cards and click sound, the line-up models are the game's. Main thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/gfx/base_gui.h"
#include "libs/common/vector3.h"

namespace velm {
class CSound;
class CModel;
} // namespace velm

namespace kelvo {

class CCharacterSelection : public velm::gfx::CBaseGUI {
public:
    enum EChild : int { kBack = 0, kOk = 1, kLeft = 2, kRight = 3, kSelectPlayerFrame = 4 };
    static constexpr std::uint32_t kCharacterCount = 6;
    static constexpr float kTurnAngle = 1.0471976f;
    static constexpr float kTurnSeconds = 1.0f;

    struct SProfile {
        std::uint32_t m_character;
        velm::gfx::CSprite* m_card;
    };

    CCharacterSelection(const std::string& fileName, std::uint8_t networkRoad, std::uint8_t host);
    ~CCharacterSelection() override;

    void OnLostDevice() override;
    void OnResetDevice() override;
    void Update(unsigned elapsedMs) override;
    void Render(double time, float elapsed) override;

    void SetActive(bool on);
    void ShowProfile(std::uint32_t character);

    std::uint32_t GetCurrentCharacter() const { return m_currentCharacter; }
    bool IsTurning() const { return m_turning != 0; }
    bool IsOkPressed() const { return m_okPressed != 0; }
    bool IsBackPressed() const { return m_backPressed != 0; }
    bool IsNetworkRoad() const { return m_networkRoad != 0; }
    bool IsHost() const { return m_host != 0; }
    bool IsActive() const { return m_active != 0; }
    const std::vector<SProfile>& GetProfiles() const { return m_profiles; }
    const common::CVector3& GetTurntableCentre() const { return m_centre; }
    float GetTurntableRadius() const { return m_radius; }

private:
    friend struct CButtonPressedBack;
    friend struct CButtonPressedOk;
    friend struct CButtonPressedLeft;
    friend struct CButtonPressedRight;

    void Click() const;
    // False while a turn runs; else starts one of `angle` with `character` in front.
    void StartTurn(std::uint32_t character, float angle);
    void PlaceTurntable();
    void TurnBy(float angle);

    std::uint32_t m_currentCharacter = 1;
    std::uint8_t m_turning = 0;
    float m_turnAngle = 0.0f;
    float m_turnTime = kTurnSeconds;
    float m_turnElapsed = 0.0f;
    float m_radius = 1.9f;
    common::CVector3 m_centre{12.8f, 0.05f, 506.5f};
    std::vector<SProfile> m_profiles;
    std::uint8_t m_okPressed = 0;
    std::uint8_t m_backPressed = 0;
    std::uint8_t m_networkRoad = 0;
    std::uint8_t m_host = 0;
    // The constructor's SetActive(false) changes nothing: the buttons and the title show, also
    // while the camera moves in, and the state's SetActive(true) finds them so.
    std::uint8_t m_active = 0;
    velm::CSound* m_clickSound = nullptr;
};

struct CButtonPressedBack {
    CCharacterSelection* m_screen;
    void operator()() const;
};
struct CButtonPressedOk {
    CCharacterSelection* m_screen;
    void operator()() const;
};
struct CButtonPressedLeft {
    CCharacterSelection* m_screen;
    void operator()() const;
};
struct CButtonPressedRight {
    CCharacterSelection* m_screen;
    void operator()() const;
};

} // namespace kelvo
