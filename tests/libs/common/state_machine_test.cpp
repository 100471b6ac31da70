#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "libs/common/state_machine.h"

using common::CStateMachine;
using common::IStateImp;

namespace {

// The journal every test state writes to, and the names Actions should choose next.
struct SWorld {
    std::vector<std::string> log;
    std::string nextOf[3];
    CStateMachine* machine = nullptr;
    std::string currentDuringExit;
    int destroyed = 0;
};

struct CLogInit : common::CBaseSMFunctor {
    CLogInit(SWorld* w, std::string n) : world(w), name(std::move(n)) {}
    void operator()() {
        world->log.push_back(name + ".Init");
        m_state->SetNextState(name);
    }
    SWorld* world;
    std::string name;
};

struct CLogAction : common::CBaseSMFunctor {
    CLogAction(SWorld* w, std::string n, int i) : world(w), name(std::move(n)), index(i) {}
    void operator()() {
        world->log.push_back(name + ".Action");
        if (!world->nextOf[index].empty()) {
            m_state->SetNextState(world->nextOf[index]);
        }
    }
    SWorld* world;
    std::string name;
    int index;
};

struct CLogExit : common::CBaseSMFunctor {
    CLogExit(SWorld* w, std::string n) : world(w), name(std::move(n)) {}
    void operator()() {
        world->log.push_back(name + ".Exit");
        world->currentDuringExit = world->machine->GetCurrentState();
    }
    SWorld* world;
    std::string name;
};

class CLogState : public IStateImp {
public:
    CLogState(SWorld* w, const std::string& name, int index)
        : IStateImp(CLogInit(w, name), CLogAction(w, name, index), CLogExit(w, name)), m_world(w) {}
    ~CLogState() override { ++m_world->destroyed; }

private:
    SWorld* m_world;
};

class StateMachineTest : public ::testing::Test {
protected:
    void SetUp() override {
        machine = std::make_unique<CStateMachine>();
        world.machine = machine.get();
        const char* names[] = {"A", "B", "c"};
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(machine->AddState(names[i], new CLogState(&world, names[i], i)));
        }
    }
    std::vector<std::string> TakeLog() {
        std::vector<std::string> log;
        log.swap(world.log);
        return log;
    }

    SWorld world;
    std::unique_ptr<CStateMachine> machine;
};

using Log = std::vector<std::string>;

} // namespace

TEST_F(StateMachineTest, SequenceOfChangesAndUpdates) {
    machine->Update();
    EXPECT_EQ(TakeLog(), Log{});

    machine->ChangeState("A");
    EXPECT_EQ(TakeLog(), Log{"A.Init"});
    machine->ChangeState("A");
    EXPECT_EQ(TakeLog(), Log{});

    machine->Update();
    EXPECT_EQ(TakeLog(), Log{"A.Action"});

    world.nextOf[0] = "B";
    machine->Update();
    EXPECT_EQ(TakeLog(), (Log{"A.Action", "A.Exit", "B.Init"}));
    EXPECT_EQ(world.currentDuringExit, "A");
    EXPECT_EQ(machine->GetCurrentState(), "B");

    machine->Update();
    EXPECT_EQ(TakeLog(), Log{"B.Action"});
}

TEST_F(StateMachineTest, UnknownNamesChangeNothing) {
    machine->ChangeState("A");
    TakeLog();
    machine->ChangeState("Nowhere");
    EXPECT_EQ(TakeLog(), Log{});
    EXPECT_EQ(machine->GetCurrentState(), "A");

    // An Action naming an unregistered state keeps the machine where it is.
    world.nextOf[0] = "Nowhere";
    machine->Update();
    machine->Update();
    EXPECT_EQ(TakeLog(), (Log{"A.Action", "A.Action"}));
    EXPECT_EQ(machine->GetCurrentState(), "A");
}

TEST_F(StateMachineTest, NamesAreCaseSensitive) {
    EXPECT_NE(machine->GetState("c"), nullptr);
    EXPECT_EQ(machine->GetState("C"), nullptr);
    machine->ChangeState("C");
    EXPECT_EQ(machine->GetCurrentState(), "");
}

TEST_F(StateMachineTest, DuplicateRegistrationKeepsFirstAndCallerOwnsSecond) {
    auto* first = machine->GetState("A");
    auto second = std::make_unique<CLogState>(&world, "A2", 0);
    EXPECT_FALSE(machine->AddState("A", second.get()));
    EXPECT_EQ(machine->GetState("A"), first);
    EXPECT_FALSE(machine->AddState("D", nullptr));

    machine.reset();
    EXPECT_EQ(world.destroyed, 3);
    second.reset();
    EXPECT_EQ(world.destroyed, 4);
}

namespace {

struct SModel {
    int calls = 0;
};

struct CModelAction : common::CBaseSMFunctor {
    void operator()(SModel* model) {
        ++model->calls;
        m_state->SetNextState("Bound");
    }
};

struct CNoop : common::CBaseSMFunctor {
    void operator()(SModel*) {}
};

class CBoundState : public IStateImp {
public:
    explicit CBoundState(SModel* model)
        : IStateImp(common::CBinder<CNoop, SModel*>(CNoop(), model),
                    common::CBinder<CModelAction, SModel*>(CModelAction(), model),
                    common::CBinder<CNoop, SModel*>(CNoop(), model)) {}
};

} // namespace

TEST(StateMachineBinder, BoundCallbacksGetTheirModelAndState) {
    SModel model;
    CStateMachine machine;
    machine.AddState("Bound", new CBoundState(&model));
    machine.ChangeState("Bound");
    machine.Update();
    machine.Update();
    EXPECT_EQ(model.calls, 2);
    EXPECT_EQ(machine.GetState("Bound")->GetNextState(), "Bound");
}
