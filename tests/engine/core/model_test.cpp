#include "engine/core/model.h"

#include <gtest/gtest.h>

#include "core_fakes.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/core/controller.h"
#include "engine/core/velm_app.h"
#include "engine/core/velm_game.h"
#include "engine/core/view.h"
#include "engine/gfx/scene_unit.h"
#include "libs/common/state_machine.h"
#include "platform/dxut/dxut.h"

namespace {

using tktest::CFakeUnit;

class CTestModel : public velm::CModel {
public:
    explicit CTestModel(std::uint32_t id, velm::ISceneUnit* unit = nullptr) : velm::CModel(nullptr, id) {
        SetSceneNode(unit);
    }
    void Update(double, float) override {}
    void GiveStateMachine(common::CStateMachine* machine) { m_stateMachine = machine; }
};

class CCountedController : public velm::CController {
public:
    CCountedController(std::uint32_t id, int* deletions) : velm::CController(id), m_deletions(deletions) {}
    ~CCountedController() override { ++*m_deletions; }
    bool HandleInput(const velm::input::SInputEvent&) override { return false; }
    void Update(double, float) override { ++m_updates; }
    int* m_deletions;
    int m_updates = 0;
};

class CPlainState : public common::IState {
public:
    void Init() override {}
    void Action() override {}
    void Exit() override {}
    std::string GetNextState() const override { return std::string(); }
};

TEST(ModelTest, AnimationCallsWithoutAUnitDoNothing) {
    CTestModel model(1);
    EXPECT_TRUE(model.SetAnimation(3, true));
    model.SetAnimationFlag(true);
    model.SetAnimationSpeed(2.0f);
    EXPECT_FALSE(model.IsAttached());
}

TEST(ModelTest, SetAnimationAsksTheUnitOnlyForANewAnimation) {
    CFakeUnit unit;
    CTestModel model(1, &unit);
    unit.m_current = 2;
    EXPECT_TRUE(model.SetAnimation(2, false));
    EXPECT_TRUE(unit.m_calls.empty());
    EXPECT_FALSE(model.SetAnimation(5, false));
    EXPECT_EQ(unit.m_calls, std::vector<std::string>{"set 5"});
}

TEST(ModelTest, ChangeStateLeavesTheNameInTheController) {
    CTestModel model(1);
    auto* machine = new common::CStateMachine();
    machine->AddState("Idle_State", new CPlainState());
    model.GiveStateMachine(machine);
    int deletions = 0;
    CCountedController controller(1, &deletions);
    model.SetController(&controller);
    model.ChangeState("Idle_State");
    controller.SetStateName("");
    model.ChangeState("Idle_State");
    EXPECT_EQ(controller.GetStateName(), "Idle_State");
    EXPECT_EQ(machine->GetCurrentState(), "Idle_State");
}

TEST(ModelTest, AttachingElsewhereDetachesFirst) {
    CFakeUnit firstUnit, secondUnit, childUnit;
    CTestModel first(1, &firstUnit), second(2, &secondUnit), child(3, &childUnit);
    first.AttachModel(&child, 0, "Bone");
    second.AttachModel(&child, 0, "Bone");
    EXPECT_TRUE(child.IsAttached());
    EXPECT_EQ(child.GetParent(), &second);
    EXPECT_TRUE(firstUnit.m_carried.empty());
    EXPECT_EQ(secondUnit.m_carried, std::vector<velm::ISceneUnit*>{&childUnit});
    EXPECT_EQ(secondUnit.m_calls, std::vector<std::string>{"update"});
}

TEST(ModelTest, DetachingAModelThatIsNotAttachedDoesNothing) {
    CFakeUnit parentUnit, childUnit;
    CTestModel parent(1, &parentUnit), child(2, &childUnit);
    parent.DetachModel(&child);
    EXPECT_FALSE(child.IsAttached());
    EXPECT_TRUE(parentUnit.m_calls.empty());
}

TEST(ModelTest, DeletingAParentDetachesItsChildren) {
    CFakeUnit parentUnit, childUnit;
    auto* parent = new CTestModel(1, &parentUnit);
    CTestModel child(2, &childUnit);
    parent->AttachModel(&child, 1, "Hand");
    delete parent;
    EXPECT_FALSE(child.IsAttached());
    EXPECT_EQ(child.GetParent(), nullptr);
    EXPECT_TRUE(parentUnit.m_carried.empty());
}

TEST(ModelTest, DeletingAChildLeavesNoTraceInItsParent) {
    CFakeUnit parentUnit, childUnit;
    CTestModel parent(1, &parentUnit);
    auto* child = new CTestModel(2, &childUnit);
    parent.AttachModel(child, 1, "Hand");
    delete child;
    EXPECT_TRUE(parentUnit.m_carried.empty());
    // A second child attaches and detaches normally afterwards.
    CTestModel other(3, &childUnit);
    parent.AttachModel(&other, 1, "Hand");
    parent.DetachModel(&other);
    EXPECT_FALSE(other.IsAttached());
}

class CRegistryGame : public tktest::CStubGame {};

class CRegistryApp : public velm::CVelmApp {
public:
    velm::CVelmGame* CreateGame() override { return new CRegistryGame(); }
};

class ModelRegistryTest : public tktest::CAppSuite<CRegistryApp> {};

TEST_F(ModelRegistryTest, ReplacingARegisteredControllerDeletesTheOldOne) {
    int deletions = 0;
    auto* model = new CTestModel(7);
    auto* old = new CCountedController(7, &deletions);
    model->SetController(old);
    m_game->AddObject(model, nullptr, old);
    auto* replacement = new CCountedController(7, &deletions);
    model->SetController(replacement);
    m_game->AddController(replacement, 7);
    EXPECT_EQ(deletions, 1);
    EXPECT_EQ(model->GetController(), replacement);
    EXPECT_EQ(m_game->GetControllers().at(7), replacement);
    m_game->UpdateControllers(0.0, 0.1f);
    EXPECT_EQ(replacement->m_updates, 1);
}

TEST_F(ModelRegistryTest, HandingAModelItsOwnControllerAgainKeepsIt) {
    int deletions = 0;
    auto* model = new CTestModel(9);
    auto* controller = new CCountedController(9, &deletions);
    model->SetController(controller);
    m_game->AddObject(model, nullptr, controller);
    model->SetController(controller);
    EXPECT_EQ(deletions, 0);
    EXPECT_EQ(model->GetController(), controller);
    EXPECT_EQ(m_game->GetControllers().at(9), controller);
    m_game->UpdateControllers(0.0, 0.1f);
    EXPECT_EQ(controller->m_updates, 1);
}

TEST_F(ModelRegistryTest, RemoveControllerDeletesTheRegisteredOne) {
    int deletions = 0;
    auto* model = new CTestModel(8);
    auto* controller = new CCountedController(8, &deletions);
    model->SetController(controller);
    m_game->AddObject(model, nullptr, controller);
    model->RemoveController();
    EXPECT_EQ(deletions, 1);
    EXPECT_EQ(model->GetController(), nullptr);
    EXPECT_EQ(m_game->GetControllers().count(8), 0u);
}

} // namespace
