#include "engine/core/picker.h"

#include <gtest/gtest.h>

#include "core_fakes.h"

#include <cstdlib>
#include <memory>
#include <string>

#include "engine/core/input_event.h"
#include "engine/core/model.h"
#include "engine/core/model_manip.h"
#include "engine/core/velm_app.h"
#include "engine/gfx/gfx_unit.h"
#include "engine/phy/rigid_body.h"
#include "libs/common/singleton.h"
#include "platform/dxut/dxut.h"
#include "support/pick_fakes.h"

namespace {

using tktest::CPickModel;
using tktest::CSphereUnit;

class CPickApp : public velm::CVelmApp {
public:
    velm::CVelmGame* CreateGame() override { return new tktest::CStubGame(); }
};

class CKeylessManip : public velm::ACModelManip {
public:
    bool HandleInput(const velm::input::SInputEvent&) override { return false; }
};

class PickerTest : public tktest::CAppSuite<CPickApp> {
protected:
    void SetUp() override {
        CAppSuite::SetUp();
        m_picker.SetEnabled(true);
    }
    void TearDown() override {
        common::CSingleton<velm::CPicker>::Destroy();
        for (const auto& entry : std::map<std::uint32_t, velm::CModel*>(m_game->GetModels())) {
            m_game->RemoveObject(entry.first);
        }
    }
    CSphereUnit* Add(std::uint32_t id, const common::CVector3& centre, float radius) {
        auto* unit = new CSphereUnit(common::CSphere(centre, radius));
        m_game->AddObject(new CPickModel(id, unit), nullptr, nullptr);
        return unit;
    }
    void PickDownX() { m_picker.PickAlongRay(common::CVector3(0, 0, 0), common::CVector3(1, 0, 0)); }

    velm::CPicker& m_picker = common::CSingleton<velm::CPicker>::Instance();
};

TEST(RaySphereTest, HitsFromOutsideAndInsideAndMisses) {
    struct Case {
        common::CVector3 origin, direction, centre;
        float radius;
        bool hit;
        float distance;
    };
    const Case cases[] = {
        {{0, 0, 0}, {1, 0, 0}, {10, 0, 0}, 2, true, 8},
        // Starting inside, even facing away from the centre, the ray leaves at the far side.
        {{0, 0, 0}, {1, 0, 0}, {1, 0, 0}, 3, true, 4},
        {{0, 0, 0}, {-1, 0, 0}, {1, 0, 0}, 3, true, 2},
        {{0, 0, 0}, {-1, 0, 0}, {10, 0, 0}, 2, false, 0},
        {{0, 0, 0}, {1, 0, 0}, {10, 5, 0}, 2, false, 0},
        {{0, 0, 0}, {0, 0, 0}, {10, 0, 0}, 2, false, 0},
    };
    for (const Case& c : cases) {
        float t = -1.0f;
        EXPECT_EQ(velm::CPicker::RaySphere(c.origin, c.direction, common::CSphere(c.centre, c.radius), t), c.hit)
            << c.centre.x << " r " << c.radius;
        if (c.hit) {
            EXPECT_NEAR(t, c.distance, 1e-4f);
        }
    }
}

TEST_F(PickerTest, PicksTheNearerModelAndMarksOnlyIt) {
    CSphereUnit* far = Add(1, {20, 0, 0}, 1);
    CSphereUnit* nearer = Add(2, {10, 0, 0}, 1);
    PickDownX();
    ASSERT_NE(m_picker.GetSelected(), nullptr);
    EXPECT_EQ(m_picker.GetSelected()->GetID(), 2u);
    EXPECT_EQ(nearer->GetOptionFlag(), 1);
    EXPECT_EQ(far->GetOptionFlag(), 0);
}

TEST_F(PickerTest, OnATieTheLowerIdKeepsThePick) {
    CSphereUnit* low = Add(3, {10, 0, 1}, 2);
    CSphereUnit* high = Add(4, {10, 0, -1}, 2);
    PickDownX();
    ASSERT_NE(m_picker.GetSelected(), nullptr);
    EXPECT_EQ(m_picker.GetSelected()->GetID(), 3u);
    EXPECT_EQ(low->GetOptionFlag(), 1);
    EXPECT_EQ(high->GetOptionFlag(), 0);
}

TEST_F(PickerTest, AMissKeepsTheSelectionAndADisabledPickerChangesNothing) {
    CSphereUnit* unit = Add(5, {10, 0, 0}, 1);
    PickDownX();
    m_picker.PickAlongRay(common::CVector3(0, 0, 0), common::CVector3(0, 1, 0));
    ASSERT_NE(m_picker.GetSelected(), nullptr);
    EXPECT_EQ(unit->GetOptionFlag(), 1);

    Add(6, {5, 0, 0}, 1);
    m_picker.SetEnabled(false);
    PickDownX();
    EXPECT_EQ(m_picker.GetSelected()->GetID(), 5u);
    velm::input::SInputEvent click;
    click.m_code = velm::input::MOUSE_BUTTON_0;
    EXPECT_FALSE(m_picker.HandleInput(click));
}

TEST_F(PickerTest, RemovingTheSelectedModelLeavesNothingSelected) {
    Add(7, {10, 0, 0}, 1);
    PickDownX();
    m_game->RemoveObject(7);
    EXPECT_EQ(m_picker.GetSelected(), nullptr);
    CKeylessManip manip;
    manip.MoveX(0.4f);
    manip.SetScale(2, 2, 2);
    EXPECT_FALSE(manip.HasSelection());
    EXPECT_EQ(manip.GetPosition().x, 0.0f);
}

TEST_F(PickerTest, ManipulatorActsOnTheSelectionOnlyAndAnswersZerosWithoutOne) {
    CKeylessManip manip;
    manip.MoveX(0.4f);
    EXPECT_EQ(manip.GetScale().x, 0.0f);
    EXPECT_EQ(manip.GetRotationAngle(), 0.0f);

    CSphereUnit* unit = Add(8, {10, 0, 0}, 1);
    velm::CModel* model = m_game->FindModel(8);
    model->SetPosition(common::CVector3(1.0f, 0, 0));
    m_picker.Select(8);
    manip.MoveX(0.4f);
    manip.MoveY(-1.0f);
    manip.MoveZ(2.0f);
    EXPECT_NEAR(model->GetPosition().x, 1.4f, 1e-5f);
    EXPECT_NEAR(model->GetPosition().y, -1.0f, 1e-5f);
    EXPECT_NEAR(model->GetPosition().z, 2.0f, 1e-5f);
    manip.SetScale(2, 3, 4);
    EXPECT_EQ(unit->GetScaleY(), 3.0f);
    EXPECT_EQ(manip.GetScale().z, 4.0f);

    m_picker.SetEnabled(false);
    manip.SetPosition(9, 9, 9);
    EXPECT_NEAR(model->GetPosition().x, 1.4f, 1e-5f);
}

} // namespace
