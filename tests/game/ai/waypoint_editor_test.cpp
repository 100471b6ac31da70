#include "game/ai/waypoint_editor.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "engine/ai/ai_manager.h"
#include "game/ai/waypoint_file.h"
#include "support/damaged_file.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"

namespace {

using common::CVector3;

class CFakeMarkers : public kelvo::IWaypointMarkers {
public:
    int CreateMarker(const CVector3& position, bool) override {
        m_positions[++m_next] = position;
        return m_next;
    }
    void RemoveMarker(int id) override { m_positions.erase(id); }
    bool GetMarkerPosition(int id, CVector3& position) override {
        auto found = m_positions.find(id);
        if (found == m_positions.end()) {
            return false;
        }
        position = found->second;
        return true;
    }
    std::map<int, CVector3> m_positions;
    int m_next = 100;
};

class WaypointEditorTest : public ::testing::Test {
protected:
    WaypointEditorTest()
        : m_editor(m_manager, m_markers, [this](const std::string& text) { m_printed.push_back(text); }) {}

    std::string ReadFile(const std::string& path) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    velm::ai::CAIManager m_manager;
    CFakeMarkers m_markers;
    std::vector<std::string> m_printed;
    kelvo::CWaypointEditor m_editor;
    tktest::CTempDir m_dir;
};

TEST_F(WaypointEditorTest, InsertDeleteAndSyncKeepWaypointsAndMarkersTogether) {
    m_editor.AppendWaypoint(CVector3(0, 0, -1));
    m_editor.AppendWaypoint(CVector3(0, 0, -3));
    const int first = m_editor.GetMarkerIds()[0];
    const int last = m_editor.GetMarkerIds()[1];
    m_editor.InsertWaypoint(CVector3(0, 0, 0), first, true);
    m_editor.InsertWaypoint(CVector3(0, 0, -4), last, false);
    m_editor.InsertWaypoint(CVector3(0, 0, -2), last, true);
    ASSERT_EQ(m_editor.GetWaypoints().size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(m_editor.GetWaypoints()[i].m_position, CVector3(0, 0, -static_cast<float>(i)));
        EXPECT_EQ(m_markers.m_positions[m_editor.GetMarkerIds()[i]], m_editor.GetWaypoints()[i].m_position);
    }
    m_editor.InsertWaypoint(CVector3(9, 9, 9), 5, true);
    EXPECT_FALSE(m_editor.DeleteWaypoint(5));
    EXPECT_EQ(m_printed, std::vector<std::string>(2, "ERROR: Selected object not in waypoint list"));
    EXPECT_EQ(m_editor.GetWaypoints().size(), 5u);

    EXPECT_TRUE(m_editor.DeleteWaypoint(first));
    EXPECT_EQ(m_markers.m_positions.count(first), 0u);
    EXPECT_EQ(m_editor.GetWaypoints().size(), 4u);

    m_markers.m_positions[last] = CVector3(2, 0, -3);
    m_editor.SyncWithMarkers();
    EXPECT_EQ(m_editor.GetWaypoints()[2].m_position, CVector3(2, 0, -3));

    m_editor.Clear();
    EXPECT_TRUE(m_markers.m_positions.empty());
    EXPECT_TRUE(m_editor.GetWaypoints().empty());
}

TEST_F(WaypointEditorTest, ActivateAndDeactivateHandPathsToTheManager) {
    EXPECT_FALSE(m_editor.Deactivate());
    EXPECT_EQ(m_printed.back(), "ERROR: Please set a label first");
    EXPECT_FALSE(m_editor.ActivateByName("line"));
    m_editor.PrintList();
    EXPECT_EQ(m_printed.back(), "No waypoints loaded yet");

    m_editor.SetLabel("line");
    EXPECT_TRUE(m_editor.Deactivate());
    EXPECT_EQ(m_manager.GetPathCount(), 0u);
    m_editor.AppendWaypoint(CVector3(1, 0, 0));
    m_editor.AppendWaypoint(CVector3(2, 0, 0));
    EXPECT_TRUE(m_editor.Deactivate());
    EXPECT_EQ(m_manager.GetPathCount(), 1u);
    EXPECT_TRUE(m_editor.GetLabel().empty());
    EXPECT_TRUE(m_markers.m_positions.empty());

    EXPECT_FALSE(m_editor.ActivateByIndex(1));
    EXPECT_FALSE(m_editor.ActivateByIndex(-1));
    EXPECT_TRUE(m_editor.ActivateByIndex(0));
    EXPECT_EQ(m_editor.GetLabel(), "line");
    EXPECT_EQ(m_markers.m_positions.size(), 2u);
    m_editor.AppendWaypoint(CVector3(3, 0, 0));
    m_editor.PrintList();
    EXPECT_EQ(m_printed.back(), "[0]  line  Size: 2 ACTIVE\n");
    // Activating another name hands the edit back first.
    EXPECT_FALSE(m_editor.ActivateByName("other"));
    EXPECT_EQ(m_manager.FindPath("line")->m_waypoints.size(), 3u);
    EXPECT_TRUE(m_editor.GetLabel().empty());
    EXPECT_TRUE(m_editor.ActivateByName("line"));
    EXPECT_EQ(m_editor.GetWaypoints().size(), 3u);
}

TEST_F(WaypointEditorTest, WaypointFileWrittenAndReadBack) {
    const std::string path = m_dir.Path() + "/line.txt";
    EXPECT_EQ(m_editor.Write(path), 0);
    EXPECT_EQ(m_printed.back(), "ERROR: Please set a label first");
    m_editor.SetLabel("racing_line");
    EXPECT_EQ(m_editor.Write(path), 0);
    EXPECT_EQ(ReadFile(path), "racing_line\n");
    m_editor.AppendWaypoint(CVector3(12.5f, 38.9f, 195.2f));
    m_editor.AppendWaypoint(CVector3(0, 0, 0));
    m_editor.AppendWaypoint(CVector3(-1, 2, -3.25f));
    EXPECT_EQ(m_editor.Write(path), 3);
    EXPECT_EQ(ReadFile(path), "racing_line\n12.5 38.9 195.2 \n0 0 0 \n-1 2 -3.25 \n");
    EXPECT_EQ(m_editor.Write(m_dir.Path() + "/missing/dir/file.txt"), 0);
    EXPECT_EQ(m_printed.back(),
              "ERROR: Could not write the waypoint file \"" + m_dir.Path() + "/missing/dir/file.txt\"");

    // The origin is written but not read back.
    EXPECT_EQ(kelvo::LoadWaypointFile(path, m_manager), 2);
    const velm::ai::CWaypointPath* loaded = m_manager.FindPath("racing_line");
    ASSERT_NE(loaded, nullptr);
    ASSERT_EQ(loaded->m_waypoints.size(), 2u);
    EXPECT_EQ(loaded->m_waypoints[1].m_position, CVector3(-1, 2, -3.25f));
}

// A full disk or a folder that cannot be written: nothing is counted as written, the console
// says so, and a waypoint file written before is kept whole.
TEST_F(WaypointEditorTest, AWaypointFileThatCannotBeWrittenWholeKeepsTheOldOne) {
    const std::string path = m_dir.Path() + "/line.txt";
    m_editor.SetLabel("racing_line");
    m_editor.AppendWaypoint(CVector3(1, 2, 3));
    ASSERT_EQ(m_editor.Write(path), 1);
    const std::string before = ReadFile(path);
    for (int i = 0; i < 500; ++i) {
        m_editor.AppendWaypoint(CVector3(100.125f, 200.25f, static_cast<float>(i)));
    }
    {
        tktest::CFileSizeLimit full(4096);
        EXPECT_EQ(m_editor.Write(path), 0);
    }
    EXPECT_EQ(m_editor.Write(path + "/below.txt"), 0);
    EXPECT_EQ(m_printed.back(), "ERROR: Could not write the waypoint file \"" + path + "/below.txt\"");
    EXPECT_EQ(ReadFile(path), before);
    // A folder or a device in a waypoint file's place reads as no file.
    for (const std::string& unusable : {m_dir.Path(), std::string("/dev/zero")}) {
        EXPECT_EQ(kelvo::LoadWaypointFile(unusable, m_manager), -1) << unusable;
    }
}

TEST_F(WaypointEditorTest, DamagedWaypointFilesStopAtTheFirstBadNumber) {
    struct SCase {
        const char* what;
        const char* content;
        int read;
        const char* label;
    };
    const SCase cases[] = {
        {"windows line ends", "crlf\r\n1 2 3 \r\n4 5 6 \r\n", 2, "crlf"},
        {"a word in place of a number", "broken\n1 2 3 \n4 x 6 \n7 8 9 \n", 1, "broken"},
        {"a label with a blank", "two words\n1 2 3 \n", 0, "two"},
        {"a file cut inside a triple", "cut\n1 2 3 \n4 5", 1, "cut"},
    };
    for (const SCase& c : cases) {
        velm::ai::CAIManager manager;
        EXPECT_EQ(kelvo::LoadWaypointFile(m_dir.Write("f.txt", c.content), manager), c.read) << c.what;
        ASSERT_EQ(manager.GetPathCount(), 1u) << c.what;
        EXPECT_EQ(manager.GetPath(0).m_name, c.label) << c.what;
    }
    velm::ai::CAIManager manager;
    EXPECT_EQ(kelvo::LoadWaypointFile(m_dir.Write("empty.txt", ""), manager), -1);
    EXPECT_EQ(kelvo::LoadWaypointFile(m_dir.Write("blank.txt", " \n\n"), manager), -1);
    EXPECT_EQ(kelvo::LoadWaypointFile(m_dir.Path() + "/none.txt", manager), -1);
    EXPECT_EQ(manager.GetPathCount(), 0u);
}

// What a damaged waypoint file gives, and the line that names it: a path only from readable
// waypoints within the world, none without a label, and a path too short to follow said.
TEST_F(WaypointEditorTest, DamagedWaypointFilesAreSaidWithTheFileAndWhatIsKept) {
    std::string many = "long\n";
    for (int i = 1; i <= 70000; ++i) {
        many += std::to_string(i) + " 1 2 \n";
    }
    struct SCase {
        const char* what;
        std::string content;
        int read;
        const char* said;
    };
    const SCase cases[] = {
        {"empty", "", -1, ": is empty (no path label); no waypoint path read"},
        {"random bytes", tktest::ReadAll(tktest::SourceFile("tests/support/data/random_bytes.bin")), -1,
         ": does not start with a path label"},
        {"a NaN point", "p\n1 2 3 \nnan 0 0 \n4 5 6 \n", 2,
         ": waypoint 2: x \"nan\" is not a number from -1e+06 to 1e+06; the waypoint is left out"},
        {"a point beyond the world", "p\n1 2 3 \n4 1e30 6 \n7 8 9 \n", 2, ": waypoint 2: y \"1e30\" is not a number"},
        {"one point", "p\n1 2 3 \n", 1, ": the path \"p\" has 1 waypoint: no direction to follow"},
        {"a word", "p\n1 2 3 \n4 x 6 \n", 1, ": waypoint 2: y \"x\" is not a number; the path \"p\" keeps the 1"},
        {"too many points", many, 65536, ": holds more than 65536 waypoints; the path \"long\" keeps the first 65536"},
    };
    for (const SCase& c : cases) {
        velm::ai::CAIManager manager;
        const std::string path = m_dir.Write("damaged.txt", c.content);
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(kelvo::LoadWaypointFile(path, manager), c.read) << c.what;
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find(path + c.said), std::string::npos) << c.what << "\n" << said;
        EXPECT_EQ(manager.GetPathCount(), c.read < 0 ? 0u : 1u) << c.what;
    }
}

} // namespace
