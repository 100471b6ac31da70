#include "game/world/model_manip.h"

#include <gtest/gtest.h>

#include <memory>

#include "engine/ai/ai_manager.h"
#include "engine/core/core_fakes.h"
#include "engine/core/input_event.h"
#include "engine/core/model.h"
#include "engine/core/picker.h"
#include "engine/phy/rigid_body.h"
#include "game/ai/waypoint_editor.h"
#include "libs/common/singleton.h"

namespace {

using common::CVector3;

class CMarkerModel : public velm::CModel {
public:
    explicit CMarkerModel(std::uint32_t id) : velm::CModel(std::make_shared<velm::phy::CRigidBody>(), id) {}
    void Update(double, float) override {}
};

// Markers that are models of the game, so that moving the picked model moves the marker.
class CModelMarkers : public kelvo::IWaypointMarkers {
public:
    explicit CModelMarkers(velm::CVelmGame& game) : m_game(game) {}
    int CreateMarker(const CVector3& position, bool) override {
        auto* model = new CMarkerModel(++m_next);
        model->SetPosition(position);
        m_game.AddObject(model, nullptr, nullptr);
        return static_cast<int>(m_next);
    }
    void RemoveMarker(int id) override { m_game.RemoveObject(static_cast<std::uint32_t>(id)); }
    bool GetMarkerPosition(int id, CVector3& position) override {
        velm::CModel* model = m_game.FindModel(static_cast<std::uint32_t>(id));
        if (model == nullptr) {
            return false;
        }
        position = model->GetPosition();
        return true;
    }
    velm::CVelmGame& m_game;
    std::uint32_t m_next = 500;
};

velm::input::SInputEvent Record(std::uint32_t code, std::uint32_t value) {
    velm::input::SInputEvent event;
    event.m_code = code;
    event.m_value = value;
    return event;
}

class ModelManipTest : public ::testing::Test {
protected:
    ModelManipTest() : m_markers(m_game), m_editor(m_manager, m_markers, [](const std::string&) {}) {
        m_picker.SetGame(&m_game);
        m_picker.SetEnabled(true);
        m_manip.SetMarkerSync([this] { m_editor.SyncWithMarkers(); });
    }
    ~ModelManipTest() override {
        common::CSingleton<velm::CPicker>::Destroy();
        common::CSingleton<kelvo::CModelManip>::Destroy();
    }

    tktest::CStubGame m_game;
    velm::ai::CAIManager m_manager;
    CModelMarkers m_markers;
    kelvo::CWaypointEditor m_editor;
    velm::CPicker& m_picker = common::CSingleton<velm::CPicker>::Instance();
    kelvo::CModelManip& m_manip = common::CSingleton<kelvo::CModelManip>::Instance();
};

TEST_F(ModelManipTest, EachKeyPressMovesTheSelectionOneStep) {
    m_editor.AppendWaypoint(CVector3(0, 0, 0));
    const int marker = m_editor.GetMarkerIds()[0];
    m_picker.Select(static_cast<std::uint32_t>(marker));
    struct Case {
        std::uint32_t code;
        CVector3 step;
    };
    const Case cases[] = {{22, {-0.4f, 0, 0}}, {23, {0.4f, 0, 0}},  {24, {0, -0.4f, 0}},
                          {25, {0, 0.4f, 0}},  {37, {0, 0, -0.4f}}, {38, {0, 0, 0.4f}}};
    velm::CModel* model = m_game.FindModel(static_cast<std::uint32_t>(marker));
    for (const Case& c : cases) {
        model->SetPosition(CVector3(1, 1, 1));
        EXPECT_TRUE(m_manip.HandleInput(Record(c.code, 0))) << c.code;
        EXPECT_FALSE(m_manip.HandleInput(Record(c.code, 1))) << c.code;
        const CVector3 expected(1 + c.step.x, 1 + c.step.y, 1 + c.step.z);
        EXPECT_NEAR((model->GetPosition() - expected).Length(), 0.0f, 1e-5f) << c.code;
        // The waypoint follows its moved marker.
        EXPECT_NEAR((m_editor.GetWaypoints()[0].m_position - expected).Length(), 0.0f, 1e-5f) << c.code;
    }
    EXPECT_FALSE(m_manip.HandleInput(Record(30, 0)));
}

TEST_F(ModelManipTest, WithPickingOffOrNothingSelectedTheKeysMoveNothing) {
    m_editor.AppendWaypoint(CVector3(2, 0, 0));
    m_editor.AppendWaypoint(CVector3(4, 0, 0));
    const std::uint32_t second = static_cast<std::uint32_t>(m_editor.GetMarkerIds()[1]);
    EXPECT_TRUE(m_manip.HandleInput(Record(23, 0)));
    EXPECT_EQ(m_editor.GetWaypoints()[1].m_position, CVector3(4, 0, 0));

    m_picker.Select(second);
    m_picker.SetEnabled(false);
    EXPECT_FALSE(m_manip.HandleInput(Record(23, 0)));
    EXPECT_EQ(m_game.FindModel(second)->GetPosition(), CVector3(4, 0, 0));

    // Removing the picked marker leaves the keys harmless.
    m_picker.SetEnabled(true);
    m_game.RemoveObject(second);
    EXPECT_TRUE(m_manip.HandleInput(Record(23, 0)));
    EXPECT_EQ(m_editor.GetWaypoints()[1].m_position, CVector3(4, 0, 0));
}

} // namespace
