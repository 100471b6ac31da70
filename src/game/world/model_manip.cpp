#include "game/world/model_manip.h"

#include "engine/core/input_event.h"
#include "engine/core/picker.h"
#include "game/world/race_context.h"
#include "libs/common/singleton.h"

namespace kelvo {

namespace {

constexpr std::uint32_t KEY_U = 22;
constexpr std::uint32_t KEY_I = 23;
constexpr std::uint32_t KEY_O = 24;
constexpr std::uint32_t KEY_P = 25;
constexpr std::uint32_t KEY_K = 37;
constexpr std::uint32_t KEY_L = 38;

} // namespace

CModelManip::CModelManip()
    : m_markerSync([] {
          if (IRaceContext* race = GetRaceContext()) {
              race->SyncWaypointMarkers();
          }
      }) {}

bool CModelManip::HandleInput(const velm::input::SInputEvent& event) {
    if (!common::CSingleton<velm::CPicker>::Instance().IsEnabled() || !velm::input::IsPressed(event)) {
        return false;
    }
    switch (event.m_code) {
        case KEY_U:
            MoveX(-kStep);
            return true;
        case KEY_I:
            MoveX(kStep);
            return true;
        case KEY_O:
            MoveY(-kStep);
            return true;
        case KEY_P:
            MoveY(kStep);
            return true;
        case KEY_K:
            MoveZ(-kStep);
            return true;
        case KEY_L:
            MoveZ(kStep);
            return true;
        default:
            return false;
    }
}

void CModelManip::MoveX(float delta) {
    velm::ACModelManip::MoveX(delta);
    SyncMarkers();
}

void CModelManip::MoveY(float delta) {
    velm::ACModelManip::MoveY(delta);
    SyncMarkers();
}

void CModelManip::MoveZ(float delta) {
    velm::ACModelManip::MoveZ(delta);
    SyncMarkers();
}

void CModelManip::SetPosition(float x, float y, float z) {
    velm::ACModelManip::SetPosition(x, y, z);
    SyncMarkers();
}

void CModelManip::SyncMarkers() {
    if (m_markerSync) {
        m_markerSync();
    }
}

} // namespace kelvo
