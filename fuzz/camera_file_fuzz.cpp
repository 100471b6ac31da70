// libFuzzer target for a camera file: the game camera is made from it, read as the race camera's
// file with the shipped camera behind it, and then driven as the game drives its two cameras:
// chasing a model that moves, turned and flown by keypad and mouse, and moved through a
// transition, a few frames each.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "engine/core/model.h"
#include "engine/input/input_event.h"
#include "engine/phy/rigid_body.h"
#include "game/world/tumbo_kelvo_camera.h"
#include "platform/dinput/dik_codes.h"

namespace {

class CChasedModel : public velm::CModel {
public:
    CChasedModel() : velm::CModel(std::make_shared<velm::phy::CRigidBody>(), 77) {}
    void Update(double, float) override {}
};

velm::input::SInputEvent Input(std::uint32_t code, std::uint32_t value) {
    velm::input::SInputEvent event;
    event.m_code = code;
    event.m_value = value;
    return event;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The race camera's own name, in a folder of this process's own.
    static const std::string folder = "/tmp/tk_fuzz_camera_" + std::to_string(getpid()) + "/";
    static const bool made = mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
    if (!made) {
        return 0;
    }
    std::FILE* file = std::fopen((folder + "RaceCameraInit.xml").c_str(), "wb");
    if (file == nullptr) {
        return 0;
    }
    if (size > 0) {
        std::fwrite(data, 1, size, file);
    }
    std::fclose(file);
    kelvo::CTumboKelvoCamera camera("RaceCameraInit.xml", folder);
    CChasedModel model;
    camera.SetTarget(&model);
    for (int frame = 0; frame < 5; ++frame) {
        model.SetPosition(common::CVector3(0.0f, 0.1f * frame, -1.0f * frame));
        camera.Update(0.016f);
    }
    camera.ToggleMove();
    for (std::uint32_t code :
         {DIK_NUMPAD4, DIK_NUMPAD8, velm::input::MOUSE_BUTTON_0, velm::input::MOUSE_BUTTON_0 + 1}) {
        camera.HandleInput(Input(code, 0));
        camera.Update(0.1f);
        camera.HandleInput(Input(code, 1));
    }
    camera.StartTransition(common::CVector3(1.0f, 2.0f, 3.0f), 0.5f, 10.0f, 1.0f, 0.2f);
    for (int frame = 0; frame < 40 && camera.IsTransitionRunning(); ++frame) {
        camera.Update(0.016f);
    }
    return 0;
}
