#include "game/ui/start_race_gui.h"

#include <algorithm>

#include "engine/gfx/button.h"
#include "engine/gfx/layout_values.h"
#include "game/ui/point_in_button.h"
#include "game/ui/screen_host.h"
#include "game/ui/shipped_layouts.h"
#include "libs/common/checked_number.h"
#include "libs/common/string_util.h"
#include "libs/common/xml_reader.h"

namespace kelvo {
namespace {

constexpr float kGoScale = 1.5f;

struct SPicture {
    std::string m_file;
    int m_x = 0;
    int m_y = 0;
    int m_width = 0;
    int m_height = 0;
};

// A countdown step of more than a minute holds the start as surely as one that never ends.
constexpr common::SNumberBounds kStepSeconds = {0.0, 60.0, 1.0};
// The flag's waving frames, one under another in its texture, and their time.
constexpr common::SNumberBounds kFlagFrames = {0.0, 1024.0, 1.0};
constexpr common::SNumberBounds kFlagFrameMilliseconds = {0.0, 60000.0, 100.0};

// `scale` is the one the picture is drawn with, so that its anchor is a point of what is drawn.
SPicture ReadPicture(common::CXmlReader& reader, const char* element, const SBackBufferSize& screen, float scale) {
    reader.Enter(element);
    SPicture picture;
    picture.m_file = reader.GetValue("FileName");
    picture.m_width = velm::gfx::ReadLayoutSide(reader, "Width");
    picture.m_height = velm::gfx::ReadLayoutSide(reader, "Height");
    const POINT corner =
        velm::gfx::ReadLayoutCorner(reader, screen.width, screen.height, static_cast<float>(picture.m_width) * scale,
                                    static_cast<float>(picture.m_height) * scale);
    picture.m_x = corner.x;
    picture.m_y = corner.y;
    return picture;
}

velm::gfx::CButton* MakePicture(const SPicture& picture, const velm::gfx::SSpriteAnimation& look, float scale) {
    auto* button = new velm::gfx::CButton(
        picture.m_file, picture.m_x, picture.m_y, picture.m_width, picture.m_height,
        CPointInButton(static_cast<std::uint32_t>(picture.m_width), static_cast<std::uint32_t>(picture.m_height)), look,
        look, nullptr);
    button->SetScale(scale, scale, 1.0f);
    button->SetVisible(false);
    return button;
}

velm::gfx::SSpriteAnimation OneFrame(const SPicture& picture) {
    velm::gfx::SSpriteAnimation look;
    look.frameWidth = picture.m_width;
    look.frameHeight = picture.m_height;
    look.frameCount = 1;
    return look;
}

} // namespace

CStartRaceGUI::CStartRaceGUI(const std::string& fileName) {
    common::CXmlReader reader;
    LoadScreenLayout(reader, fileName, kShippedCountdown);
    m_timeDelay = common::ReadFloat(reader, "TimeDelay", kStepSeconds);
    m_initScale = velm::gfx::ReadLayoutScale(reader, "InitScale");
    m_endScale = velm::gfx::ReadLayoutScale(reader, "EndScale");
    m_flagScale = velm::gfx::ReadLayoutScale(reader, "FlagScale");
    const SBackBufferSize screen = BackBufferSize();

    const SPicture flag = ReadPicture(reader, "flag", screen, m_flagScale);
    velm::gfx::SSpriteAnimation wave = OneFrame(flag);
    wave.frameCount = common::ReadWhole(reader, "Frames", kFlagFrames);
    wave.frameTime = common::ReadWhole(reader, "FrameRate", kFlagFrameMilliseconds);
    wave.stopped = 0;
    wave.loop = 1;
    const SPicture ready = ReadPicture(reader, "Ready", screen, 1.0f);
    const SPicture go = ReadPicture(reader, "Go", screen, kGoScale);
    const SPicture three = ReadPicture(reader, "Three", screen, m_initScale);
    const SPicture two = ReadPicture(reader, "Two", screen, m_initScale);
    const SPicture one = ReadPicture(reader, "One", screen, m_initScale);

    AddChild(kFlag, MakePicture(flag, wave, m_flagScale));
    AddChild(kReady, MakePicture(ready, OneFrame(ready), 1.0f));
    AddChild(kGo, MakePicture(go, OneFrame(go), kGoScale));
    AddChild(kThree, MakePicture(three, OneFrame(three), m_initScale));
    AddChild(kTwo, MakePicture(two, OneFrame(two), m_initScale));
    AddChild(kOne, MakePicture(one, OneFrame(one), m_initScale));
    m_stage = kReady;
    m_done = 0;
    m_active = 0;
}

void CStartRaceGUI::StartCountdown() {
    m_active = 1;
    m_done = 0;
    m_stageTime = 0.0f;
    m_stage = kArmed;
}

bool CStartRaceGUI::HandleInput(const velm::input::SInputEvent& /*event*/) { return false; }

void CStartRaceGUI::ShowOnly(int id) {
    for (const auto& [childId, child] : GetChildren()) {
        child->SetVisible(childId == id);
    }
}

void CStartRaceGUI::Update(unsigned elapsedMs) {
    if (m_active == 0) {
        return;
    }
    CBaseGUI::Update(elapsedMs);
    // The flag waves at twice the rate its frame time gives.
    if (velm::gfx::IScreenUnit* flag = GetChild(kFlag)) {
        flag->Update(elapsedMs);
    }
    m_stageTime += static_cast<float>(elapsedMs) * 0.001f;
    IScreenHost* host = GetScreenHost();
    if (m_stage == kReady && host != nullptr) {
        host->ResetRaceClock();
    }
    if (m_stage == kArmed || m_stageTime >= m_timeDelay) {
        // A long frame moves one stage only; the surplus is dropped.
        ++m_stage;
        m_stageTime = 0.0f;
        if (host != nullptr) {
            host->PlayCountdownSound(m_stage);
        }
        EnterStage();
    }
}

void CStartRaceGUI::EnterStage() {
    if (m_stage == kGo) {
        m_done = 1;
        ShowOnly(kGo);
        if (IScreenHost* host = GetScreenHost()) {
            host->StartRaceClock();
        }
    } else if (m_stage >= kFinished) {
        ShowOnly(0);
        m_active = 0;
        if (velm::gfx::IScreenUnit* flag = GetChild(kFlag)) {
            flag->SetVisible(false);
        }
    } else {
        ShowOnly(m_stage);
        if (velm::gfx::IScreenUnit* flag = GetChild(kFlag)) {
            flag->SetVisible(true);
        }
    }
}

} // namespace kelvo
