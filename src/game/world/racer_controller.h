// The racer controllers: kelvo::CRacerController turns a driver's wishes into the requested
// state, the thrust (with the rubber band by place) and the desired direction the racer states
// read; kelvo::CHumanRacerContr drives from the keys (and may record driving samples);
// kelvo::CAIRacerContr from the computer racer's AI. Each owns its race camera. Main thread.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/ai/ai_enemy.h"
#include "engine/core/controller.h"
#include "libs/common/vector3.h"

namespace kelvo {

class CRacerModel;
class CTumboKelvoCamera;
class IDrivingRecorder;

// The thrust factor by race rank: favours racers behind, holds back the local player in front.
float RubberBand(std::uint32_t rank, std::uint32_t controlKind);

class CRacerController : public velm::CController {
public:
    // The model must outlive the controller (both go with the racer's removal).
    explicit CRacerController(CRacerModel* model);
    ~CRacerController() override;

    void Update(double time, float elapsed) override;

    CRacerModel* GetRacer() const { return m_model; }
    float GetThrust() const { return m_thrust; }
    const common::CVector3& GetDesiredDirection() const { return m_desired; }
    void SetDesiredDirection(const common::CVector3& direction) { m_desired = direction; }
    bool IsPaddling() const { return m_paddling != 0; }
    const common::CVector3& GetForward() const { return m_forward; }
    const common::CVector3& GetSideVector() const { return m_side; }
    const common::CVector3& GetOppositeSide() const { return m_oppositeSide; }
    CTumboKelvoCamera* GetCamera() const { return m_camera.get(); }
    // The computer racer's AI or the player's recorder; null otherwise.
    virtual void* GetAI() const { return nullptr; }

protected:
    void RebuildDirections();
    // Letting go of fire drops the item the racer carries.
    void ReleaseAttachedItem();

    CRacerModel* m_model;
    float m_thrust = 0.0f;
    common::CVector3 m_desired;
    std::unique_ptr<CTumboKelvoCamera> m_camera;
    common::CVector3 m_forward;
    common::CVector3 m_side;
    common::CVector3 m_oppositeSide;
    common::CVector3 m_forwardSide;
    common::CVector3 m_forwardOpposite;
    std::uint8_t m_paddling = 0;
};

class CHumanRacerContr : public CRacerController {
public:
    // Records driving samples to "TD.txt" only when the script global RECORD_INPUT is true.
    explicit CHumanRacerContr(CRacerModel* model);
    ~CHumanRacerContr() override;

    bool HandleInput(const velm::input::SInputEvent& event) override;
    void Update(double time, float elapsed) override;
    void* GetAI() const override { return m_recorder.get(); }

    bool IsRecording() const { return static_cast<bool>(m_recorder); }

private:
    void FireStep();
    void SteeringStep();

    std::unique_ptr<IDrivingRecorder> m_recorder;
    std::uint8_t m_forwardFlag = 0;
    std::uint8_t m_leftFlag = 0;
    std::uint8_t m_rightFlag = 0;
    velm::input::SInputEvent m_up{200, 1, 0, 0};
    velm::input::SInputEvent m_left{203, 1, 0, 0};
    velm::input::SInputEvent m_right{205, 1, 0, 0};
    velm::input::SInputEvent m_space{57, 1, 0, 0};
    velm::input::SInputEvent m_down{208, 1, 0, 0};
};

class CAIRacerContr : public CRacerController {
public:
    // Has the race build the AI for the racer's character unless one is handed in (taken over);
    // without a race the racer has no AI and drifts.
    explicit CAIRacerContr(CRacerModel* model, velm::ai::AIEnemy* ai = nullptr);
    ~CAIRacerContr() override;

    bool HandleInput(const velm::input::SInputEvent& /*event*/) override { return false; }
    void Update(double time, float elapsed) override;
    void* GetAI() const override { return m_ai.get(); }

private:
    std::unique_ptr<velm::ai::AIEnemy> m_ai;
    std::uint8_t m_previousFire = 0;
};

} // namespace kelvo
