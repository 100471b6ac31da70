#include "game/tools/level_editor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/core/object_id.h"
#include "game/content/content_fixtures.h"
#include "game/content/object_type.h"
#include "game/flow/level_loader.h"
#include "game/tools/console_sink.h"
#include "game/tools/tools_fixtures.h"
#include "support/damaged_file.h"
#include "support/file_size_limit.h"

namespace {

constexpr UINT kKeyDown = 0x100;

class LevelEditorTest : public ::testing::Test {
protected:
    LevelEditorTest() : m_world(std::make_shared<tktest::CEditorWorld>()) {
        m_env.m_events.AddListener(m_world, velm::WildcardEventType());
        for (const char* key :
             {"SpeedRampModelData", "RockModelData", "PineTreeModelData", "splash1_system", "ItemJugModelData"}) {
            m_env.AddModel(key, tktest::GraphicSection());
        }
        m_editor.SetWorld(m_world.get());
        kelvo::SetConsoleSink([this](const std::string& line) { m_console.push_back(line); });
        kelvo::CLevelEditor::SetSharedAngle(1.57f);
        velm::SetObjectIDCounter(10);
    }
    ~LevelEditorTest() override { kelvo::SetConsoleSink(nullptr); }

    void Key(WPARAM key) { EXPECT_FALSE(m_editor.HandleKey(kKeyDown, key, 0)); }
    common::CVector3 PositionOf(std::uint32_t id) { return m_world->FindModel(id)->GetPosition(); }
    std::string Written() {
        std::ostringstream out;
        m_editor.WritePlacement(out);
        return out.str();
    }

    tktest::CFlowEnvironment m_env;
    std::shared_ptr<tktest::CEditorWorld> m_world;
    kelvo::CLevelEditor m_editor;
    std::vector<std::string> m_console;
};

TEST_F(LevelEditorTest, KeysMoveOnlyTheChosenTarget) {
    ASSERT_TRUE(m_editor.AddObject("ramp"));
    ASSERT_TRUE(m_editor.AddObject("splash"));
    const std::uint32_t ramp = m_editor.GetModels()[0].m_modelId;
    Key(0x25);
    EXPECT_EQ(PositionOf(ramp), common::CVector3(1, 2, 3));

    m_editor.MoveModels("true");
    Key(0x25);
    Key(0x26);
    Key(0xBC);
    EXPECT_NEAR((PositionOf(ramp) - common::CVector3(1.05f, 2.05f, 2.95f)).Length(), 0.0f, 1e-5f);
    Key('1');
    Key('6');
    Key('8');
    EXPECT_NEAR(m_world->UnitOf(ramp)->GetScaleX(), 1.202f, 1e-5f);
    EXPECT_NEAR(m_world->UnitOf(ramp)->GetScaleZ(), 0.802f, 1e-5f);
    Key(0x21);
    EXPECT_EQ(m_editor.GetModels()[0].m_rotationAxis, common::CVector3(1, 0, 0));
    EXPECT_NEAR(m_editor.GetModels()[0].m_rotationAngle, 1.578f, 1e-5f);

    // Selecting particle systems clears the models flag.
    m_editor.MovePartSys("true");
    Key(0x25);
    Key('7');
    EXPECT_NEAR(PositionOf(ramp).x, 1.05f, 1e-5f);
    velm::gfx::IGfxUnit* system = m_world->FindParticleSystem(m_editor.GetParticleSystems()[0].m_systemId);
    EXPECT_NEAR(system->GetPosX(), 1.05f, 1e-5f);
    EXPECT_NEAR(system->GetScaleY(), 0.948f, 1e-5f);
    EXPECT_EQ(m_world->m_systemTemplates, std::vector<std::string>{"splash1_system"});

    m_editor.MovePartSys("no");
    Key(0x25);
    EXPECT_NEAR(system->GetPosX(), 1.05f, 1e-5f);
}

TEST_F(LevelEditorTest, TreeKeysMoveOnlyAFullLastBatchAndTheAngleWraps) {
    m_editor.SetBillboardCount(3);
    m_editor.SetBillboardRadius(4);
    ASSERT_TRUE(m_editor.AddObject("pine"));
    ASSERT_TRUE(m_editor.AddObject("pine"));
    ASSERT_EQ(m_editor.GetBillboards().size(), 6u);
    const auto& trees = m_editor.GetBillboards();
    const common::CVector3 first = PositionOf(trees[0].m_modelId);
    EXPECT_GE(first.x, 11.0f);
    EXPECT_LT(first.x, 15.0f);
    EXPECT_GE(first.z, 13.0f);
    m_editor.MoveBillboards("true");
    const common::CVector3 last = PositionOf(trees[5].m_modelId);
    Key(0x28);
    EXPECT_EQ(PositionOf(trees[0].m_modelId), first);
    EXPECT_NEAR(PositionOf(trees[5].m_modelId).y, last.y - 0.5f, 1e-5f);

    kelvo::CLevelEditor::SetSharedAngle(6.28f);
    Key(0x22);
    EXPECT_EQ(trees[3].m_rotationAxis, common::CVector3(0, 1, 0));
    EXPECT_NEAR(trees[3].m_rotationAngle, 0.008f, 1e-6f);
    EXPECT_NEAR(trees[5].m_rotationAngle, 0.024f, 1e-6f);
    EXPECT_EQ(m_world->UnitOf(trees[5].m_modelId)->GetRotationAxis().z, 1.0f);

    m_editor.SetBillboardCount(7);
    Key(0x28);
    EXPECT_NEAR(PositionOf(trees[5].m_modelId).y, last.y - 0.5f, 1e-5f);
}

TEST_F(LevelEditorTest, UnknownKeywordsPlaceJugsAndMissingObjectsAreRefusedOrSkipped) {
    // As in a level file, a keyword the table does not know is a jug: placed at the eye and
    // written so that it loads back as one.
    ASSERT_TRUE(m_editor.AddObject("Ramp"));
    ASSERT_TRUE(m_editor.AddObject(""));
    ASSERT_EQ(m_editor.GetModels().size(), 2u);
    for (const kelvo::SPlacementRecord& record : m_editor.GetModels()) {
        EXPECT_EQ(record.m_typeName, "jug");
        EXPECT_EQ(PositionOf(record.m_modelId), common::CVector3(1, 2, 3));
    }
    EXPECT_NE(Written().find("<Type>jug</Type>"), std::string::npos);
    const auto jugs = std::count_if(m_env.Seen().begin(), m_env.Seen().end(), [](const tktest::SSeenEvent& seen) {
        return seen.m_type == "Create_Environment_Obj_Event" &&
               static_cast<const kelvo::CCreateEnvObjData&>(*seen.m_data).m_modelData.m_objectType == kelvo::OBJECT_JUG;
    });
    EXPECT_EQ(jugs, 2);
    m_world->m_hasCamera = false;
    EXPECT_FALSE(m_editor.AddObject("ramp"));
    EXPECT_EQ(m_console, (std::vector<std::string>{"AddLevelObject: unknown object keyword \"Ramp\", placing a jug",
                                                   "AddLevelObject: unknown object keyword \"\", placing a jug",
                                                   "AddLevelObject: no camera to place \"ramp\" at"}));
    EXPECT_EQ(m_editor.GetModels().size(), 2u);

    m_world->m_hasCamera = true;
    ASSERT_TRUE(m_editor.AddObject("ramp"));
    for (const kelvo::SPlacementRecord& record : m_editor.GetModels()) {
        m_world->Remove(record.m_modelId);
    }
    m_editor.MoveModels("true");
    Key(0x25);
    Key(0x21);
    EXPECT_EQ(Written(), "");

    m_console.clear();
    EXPECT_FALSE(m_editor.WritePlacement(m_env.m_dir.Path() + "/no/such/folder/placement.xml"));
    ASSERT_EQ(m_console.size(), 1u);
    EXPECT_NE(m_console[0].find("cannot write"), std::string::npos);
}

TEST_F(LevelEditorTest, APlacementThatCannotBeWrittenWholeKeepsTheOldFile) {
    ASSERT_TRUE(m_editor.AddObject("ramp"));
    const std::string file = m_env.m_dir.Path() + "/placement.xml";
    ASSERT_TRUE(m_editor.WritePlacement(file));
    const std::string before = tktest::ReadAll(file);
    ASSERT_TRUE(m_editor.AddObject("rock"));
    m_console.clear();
    {
        tktest::CFileSizeLimit full(before.size());
        EXPECT_FALSE(m_editor.WritePlacement(file));
    }
    EXPECT_EQ(m_console, std::vector<std::string>{"WriteLevelPlacement: cannot write \"" + file + "\""});
    EXPECT_EQ(tktest::ReadAll(file), before);
}

TEST_F(LevelEditorTest, ThePlacementFragmentIsWrittenExactlyAndLoadsBack) {
    ASSERT_TRUE(m_editor.AddObject("ramp"));
    m_editor.MoveModels("true");
    Key(0x25);
    m_editor.SetBillboardCount(1);
    m_editor.SetBillboardRadius(1);
    ASSERT_TRUE(m_editor.AddObject("pine"));
    ASSERT_TRUE(m_editor.AddObject("splash"));
    // A view kind of neither opaque nor transparent is written as the opaque it was placed as:
    // an empty value would end the loader's list and drop the entries after it.
    ASSERT_TRUE(m_editor.AddObject("rock"));
    m_world->FindView(m_editor.GetModels()[1].m_modelId)->SetKind(4);

    const std::string expected =
        "\t\t<entry>\n\t\t\t<Opaque>TRUE</Opaque>\n\t\t\t<Type>ramp</Type>\n\t\t\t<Pos>\n"
        "\t\t\t\t<entry>pos_available</entry>\n\t\t\t\t<x>1.05</x>\n\t\t\t\t<y>2</y>\n\t\t\t\t<z>3</z>\n"
        "\t\t\t</Pos>\n\t\t\t<RotationInfo>\n\t\t\t\t<x>0</x>\n\t\t\t\t<y>1</y>\n\t\t\t\t<z>0</z>\n"
        "\t\t\t\t<Angle>1.57</Angle>\n\t\t\t</RotationInfo>\n\t\t\t<Scalars>\n\t\t\t\t<x>1</x>\n\t\t\t\t<y>1</y>\n"
        "\t\t\t\t<z>1</z>\n\t\t\t</Scalars>\n\t\t</entry>\n"
        "\t\t<entry>\n\t\t\t<Opaque>TRUE</Opaque>\n\t\t\t<Type>rock</Type>\n\t\t\t<Pos>\n"
        "\t\t\t\t<entry>pos_available</entry>\n\t\t\t\t<x>1</x>\n\t\t\t\t<y>2</y>\n\t\t\t\t<z>3</z>\n"
        "\t\t\t</Pos>\n\t\t\t<RotationInfo>\n\t\t\t\t<x>0</x>\n\t\t\t\t<y>1</y>\n\t\t\t\t<z>0</z>\n"
        "\t\t\t\t<Angle>1.57</Angle>\n\t\t\t</RotationInfo>\n\t\t\t<Scalars>\n\t\t\t\t<x>1</x>\n\t\t\t\t<y>1</y>\n"
        "\t\t\t\t<z>1</z>\n\t\t\t</Scalars>\n\t\t</entry>\n"
        "\t\t<entry>\n\t\t\t<Opaque>FALSE</Opaque>\n\t\t\t<Type>pine</Type>\n\t\t\t<Pos>\n"
        "\t\t\t\t<entry>pos_available</entry>\n\t\t\t\t<x>11</x>\n\t\t\t\t<y>2</y>\n\t\t\t\t<z>13</z>\n"
        "\t\t\t</Pos>\n\t\t\t<RotationInfo>\n\t\t\t\t<x>0</x>\n\t\t\t\t<y>1</y>\n\t\t\t\t<z>0</z>\n"
        "\t\t\t\t<Angle>1.57</Angle>\n\t\t\t</RotationInfo>\n\t\t\t<Scalars>\n\t\t\t\t<x>1</x>\n\t\t\t\t<y>1</y>\n"
        "\t\t\t\t<z>1</z>\n\t\t\t</Scalars>\n\t\t</entry>\n"
        "\t<ParticleSystems>\n\t\t<entry>\n\t\t\t<Type>splash</Type>\n\t\t\t<Pos>\n\t\t\t\t<x>1</x>\n"
        "\t\t\t\t<y>2</y>\n\t\t\t\t<z>3</z>\n\t\t\t</Pos>\n\t\t\t<RotationInfo>\n\t\t\t\t<x>0</x>\n"
        "\t\t\t\t<y>1</y>\n\t\t\t\t<z>0</z>\n\t\t\t\t<Angle>0</Angle>\n\t\t\t</RotationInfo>\n\t\t\t<Scalars>\n"
        "\t\t\t\t<x>1</x>\n\t\t\t\t<y>1</y>\n\t\t\t\t<z>1</z>\n\t\t\t</Scalars>\n\t\t</entry>\n"
        "\t\t<entry>\n\t\t</entry>\n\t</ParticleSystems>\n";
    const std::string file = m_env.m_dir.Path() + "/placement.xml";
    ASSERT_TRUE(m_editor.WritePlacement(file));
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    ASSERT_EQ(text.str(), expected);

    // Pasted into a level file, the fragment builds every object it names.
    const std::string fragment = text.str();
    const std::size_t split = fragment.find("\t<ParticleSystems>");
    m_env.m_dir.Write("empty.xml", "<Waters>\n<entry>\n</entry>\n</Waters>\n");
    m_env.m_dir.Write("level.xml",
                      "<Level>\n<WatersFile>empty.xml</WatersFile>\n<TerrainsFile>empty.xml"
                      "</TerrainsFile>\n<Skybox>\n<scalar>1</scalar>\n<EnvMap>\n<TextureName>e.dds</TextureName>\n"
                      "</EnvMap>\n</Skybox>\n<Lights>\n</Lights>\n<EnvObjs>\n" +
                          fragment.substr(0, split) + "\t\t<entry>\n\t\t</entry>\n</EnvObjs>\n" +
                          fragment.substr(split) + "<TriggerObjs>\n<entry>\n</entry>\n</TriggerObjs>\n</Level>\n");
    m_env.Seen().clear();
    kelvo::CLevelLoader loader(nullptr, m_env.m_dir.Path() + "/");
    loader.LoadLevel("level.xml");
    std::vector<std::string> types;
    for (const auto& seen : m_env.Seen()) {
        types.push_back(seen.m_type);
    }
    ASSERT_EQ(types, (std::vector<std::string>{"Create_Environment_Obj_Event", "Create_Environment_Obj_Event",
                                               "Create_Environment_Obj_Event", "Create_PartSys_Event"}));
    const auto& ramp = *static_cast<const kelvo::CCreateEnvObjData*>(m_env.Seen()[0].m_data.get());
    EXPECT_EQ(ramp.m_opaque, 1u);
    EXPECT_EQ(ramp.m_modelData.m_key, "SpeedRampModelData");
    EXPECT_NEAR(ramp.m_modelData.m_graphic->m_position.x, 1.05f, 1e-5f);
    EXPECT_NEAR(ramp.m_modelData.m_graphic->m_rotationAngle, 1.57f, 1e-5f);
    const auto& rock = *static_cast<const kelvo::CCreateEnvObjData*>(m_env.Seen()[1].m_data.get());
    EXPECT_EQ(rock.m_opaque, 1u);
    EXPECT_EQ(rock.m_modelData.m_key, "RockModelData");
    const auto& pine = *static_cast<const kelvo::CCreateEnvObjData*>(m_env.Seen()[2].m_data.get());
    EXPECT_EQ(pine.m_opaque, 0u);
    EXPECT_EQ(pine.m_modelData.m_graphic->m_position, common::CVector3(11, 2, 13));
    const auto& splash = *static_cast<const kelvo::CCreateParticleSysFromKeyData*>(m_env.Seen()[3].m_data.get());
    EXPECT_EQ(splash.m_modelData.m_graphic->m_position, common::CVector3(1, 2, 3));
}

} // namespace
