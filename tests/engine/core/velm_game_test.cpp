#include "engine/core/velm_game.h"

#include <gtest/gtest.h>

#include "core_fakes.h"

#include <string>
#include <vector>

#include "engine/core/controller.h"
#include "engine/core/model.h"
#include "engine/core/object_id.h"
#include "engine/core/view.h"
#include "engine/net/remote_event_socket.h"

namespace {

std::vector<std::string> g_log;

class CLoggedModel : public velm::CModel {
public:
    explicit CLoggedModel(std::uint32_t id) : velm::CModel(nullptr, id) { SetSceneNode(&s_unit); }
    static inline tktest::CFakeUnit s_unit;
    void Update(double, float) override { g_log.push_back("model " + std::to_string(GetID())); }
};

class CLoggedView : public velm::CView {
public:
    explicit CLoggedView(velm::CModel* model) : velm::CView(model, nullptr), m_id(model->GetID()) {}
    void Update(double, float) override { g_log.push_back("view " + std::to_string(m_id)); }
    std::uint32_t m_id;
};

class CLoggedController : public velm::CController {
public:
    explicit CLoggedController(std::uint32_t id) : velm::CController(id) {}
    bool HandleInput(const velm::input::SInputEvent&) override { return false; }
    void Update(double, float) override { g_log.push_back("controller " + std::to_string(GetModelID())); }
};

class CTestGame : public tktest::CStubGame {
public:
    void OnLoadingFinished() override { ++m_finished; }
    void SetNetworked(bool networked, std::uint8_t mode) {
        m_networked = networked;
        m_mode = mode;
    }
    int m_finished = 0;
};

class VelmGameTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_log.clear();
        velm::SetObjectIDCounter(0);
    }
    CTestGame m_game;
};

TEST_F(VelmGameTest, IdsStartAtOneAndRaiseOnlyUpwards) {
    EXPECT_EQ(velm::NewObjectID(), 1u);
    velm::SetObjectIDCounter(7);
    velm::RaiseNextObjectID(5);
    EXPECT_EQ(velm::NewObjectID(), 8u);
    velm::SetObjectIDCounter(2);
    velm::RaiseNextObjectID(5);
    EXPECT_EQ(velm::NewObjectID(), 6u);
}

TEST_F(VelmGameTest, NetworkedClientKeepsItsCounterAboveTheHostsIds) {
    m_game.SetNetworked(true, 0);
    velm::SetObjectIDCounter(3);
    m_game.AddObject(new CLoggedModel(10), nullptr, nullptr);
    EXPECT_EQ(velm::NewObjectID(), 12u);
    velm::SetObjectIDCounter(3);
    m_game.AddObject(new CLoggedModel(3), nullptr, nullptr);
    EXPECT_EQ(velm::PeekObjectIDCounter(), 3u);
}

TEST_F(VelmGameTest, HostAndSinglePlayerNeverMoveTheCounter) {
    velm::SetObjectIDCounter(3);
    m_game.AddObject(new CLoggedModel(10), nullptr, nullptr);
    m_game.SetNetworked(true, 1);
    m_game.AddObject(new CLoggedModel(20), nullptr, nullptr);
    EXPECT_EQ(velm::PeekObjectIDCounter(), 3u);
}

TEST_F(VelmGameTest, SecondModelUnderAUsedIdIsNotStored) {
    auto first = new CLoggedModel(4);
    auto second = new CLoggedModel(4);
    m_game.AddObject(first, nullptr, nullptr);
    m_game.AddObject(second, nullptr, nullptr);
    EXPECT_EQ(m_game.FindModel(4), first);
    delete second;
}

TEST_F(VelmGameTest, WalksVisitIdsInOrderAndAttachedModelsAfterViews) {
    auto parent = new CLoggedModel(2);
    auto child = new CLoggedModel(1);
    m_game.AddObject(child, new CLoggedView(child), new CLoggedController(1));
    m_game.AddObject(parent, new CLoggedView(parent), new CLoggedController(2));
    parent->AttachModel(child, 0, "");
    m_game.UpdateControllers(0.0, 0.0f);
    m_game.UpdateModels(0.0, 0.0f);
    m_game.UpdateViews(0.0, 0.0f);
    EXPECT_EQ(g_log,
              (std::vector<std::string>{"controller 1", "controller 2", "model 2", "view 1", "view 2", "model 1"}));
}

TEST_F(VelmGameTest, RemovedAttachedModelIsNotUpdatedLater) {
    auto parent = new CLoggedModel(2);
    auto child = new CLoggedModel(1);
    m_game.AddObject(parent, nullptr, nullptr);
    m_game.AddObject(child, new CLoggedView(child), new CLoggedController(1));
    parent->AttachModel(child, 0, "");
    m_game.UpdateModels(0.0, 0.0f);
    m_game.RemoveObject(1);
    m_game.UpdateViews(0.0, 0.0f);
    EXPECT_EQ(g_log, (std::vector<std::string>{"model 2"}));
    EXPECT_EQ(m_game.FindModel(1), nullptr);
    m_game.RemoveObject(99);
}

TEST_F(VelmGameTest, UnstartedLoadingThreadIsDisposedByThePoll) {
    EXPECT_TRUE(m_game.IsLoadFlagSet());
    m_game.PollLoadingThread();
    EXPECT_EQ(m_game.m_finished, 0);
}

TEST_F(VelmGameTest, SwitchingNetworkingOffWhenNotNetworkedDoesNothing) {
    m_game.SetNetworkMode(false, 0, nullptr);
    EXPECT_FALSE(m_game.IsNetworked());
}

// Counts its own destruction, so that a socket nobody took shows up as a leak.
class CCountedSocket : public velm::net::CRemoteEventSocket {
public:
    explicit CCountedSocket(int& deleted) : m_deleted(deleted) {}
    ~CCountedSocket() override { ++m_deleted; }
    bool OnPacket(const unsigned char*, std::uint8_t, std::uint32_t) override { return false; }

private:
    int& m_deleted;
};

// The game takes the event socket in every case; when no network start takes it over, it is freed.
TEST_F(VelmGameTest, AnEventSocketNoNetworkStartTakesIsFreed) {
    const struct {
        const char* what;
        bool networked;
        bool on;
    } cases[] = {
        {"already networked", true, true},
        {"already off", false, false},
        {"switching on without an application", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_game.SetNetworked(c.networked, 1);
        int deleted = 0;
        m_game.SetNetworkMode(c.on, 1, new CCountedSocket(deleted));
        EXPECT_EQ(deleted, 1);
        EXPECT_EQ(m_game.IsNetworked(), c.on);
    }
}

} // namespace
