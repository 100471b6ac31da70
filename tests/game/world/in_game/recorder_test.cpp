#include "game/ai/ray_sensor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "libs/common/script_manager.h"
#include "support/temp_dir.h"
#include "world_fixtures.h"

namespace {

using common::CVector3;

std::vector<std::string> Lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

class RecorderTest : public ::testing::Test, public tktest::CRaceFixture {
protected:
    void SetUp() override {
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(m_dir.Path());
    }
    void TearDown() override {
        common::CScriptManager::GetInstance()->RunString("RECORD_INPUT = nil");
        std::filesystem::current_path(m_previous);
    }

    tktest::CTempDir m_dir;
    std::filesystem::path m_previous;
};

TEST_F(RecorderTest, WritesFiveLinesOfBankRatiosAndInputsPerWindow) {
    kelvo::CRacerModel* racer = AddRacer(1, 1, kelvo::CONTROL_LOCAL_OTHER, 0.0f, false);
    racer->SetPosition(CVector3(1.0f, 0.0f, 0.0f));
    kelvo::ai::CRaySensor sensor(false);
    sensor.OpenLog("TD.txt", 5);
    const std::vector<velm::ai::CWaypointData> path{{CVector3(4.0f, 0.0f, -4.0f)}};
    // No terrain under the racer: nothing to measure, nothing kept.
    sensor.Record(racer, {1.0, 0.0, 1.0}, path);
    EXPECT_EQ(sensor.GetPendingCount(), 0u);
    for (int i = 0; i < 4; ++i) {
        sensor.RecordSample({2.0, 0.5}, {1.0, 0.0, 1.0});
    }
    EXPECT_TRUE(Lines("TD.txt").empty()) << "nothing is written before the window is full";
    sensor.RecordSample({1.0, 1.0}, {0.0, 1.0, 0.0});
    const std::vector<std::string> lines = Lines("TD.txt");
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "2,0.5 : 1,0,1");
    EXPECT_EQ(lines[4], "1,1 : 0,1,0");
    sensor.Record(nullptr, {1.0, 1.0, 1.0}, {}); // no racer to sample: not kept
    EXPECT_EQ(Lines("TD.txt").size(), 5u);
}

TEST_F(RecorderTest, TheHumanControllerRecordsOnlyWhenTheScriptAsks) {
    struct Case {
        const char* script;
        bool recording;
    };
    const Case cases[] = {
        {"RECORD_INPUT = nil", false}, {"RECORD_INPUT = false", false}, {"RECORD_INPUT = true", true}};
    std::uint32_t id = 1;
    for (const Case& c : cases) {
        std::filesystem::remove("TD.txt");
        ASSERT_TRUE(common::CScriptManager::GetInstance()->RunString(c.script));
        kelvo::CRacerModel* racer = AddRacer(id, 1, kelvo::CONTROL_LOCAL_PLAYER, 2.0f * id);
        auto* human = static_cast<kelvo::CHumanRacerContr*>(racer->GetController());
        EXPECT_EQ(human->IsRecording(), c.recording) << c.script;
        EXPECT_EQ(std::filesystem::exists("TD.txt"), c.recording) << c.script;
        for (int frame = 0; frame < 10; ++frame) {
            Frame(); // with no "stage1hard" path there is nothing to sample; the race goes on
        }
        ++id;
    }
}

} // namespace
