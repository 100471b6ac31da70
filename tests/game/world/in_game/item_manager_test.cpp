// The item manager: odds bands read from odds files (the faulty ones too), picks for seeded
// rolls, the spin and its shortening, firing and removal, and events for unknown ids.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "game/events/creation_events.h"
#include "game/events/game_events.h"
#include "game/world/item_manager.h"
#include "game/world/item_model.h"
#include "game/world/weapon_data.h"
#include "support/damaged_file.h"
#include "support/temp_dir.h"
#include "world_fixtures.h"

namespace {

using Band = kelvo::CItemManager::SItemRange;

std::string Rank(int place, const std::vector<std::pair<std::string, std::string>>& items, bool end = true) {
    std::string text = "<Rank>\n<RankValue>" + std::to_string(place) + "</RankValue>\n";
    for (const auto& [type, percentage] : items) {
        text += "<Item>\n<Type>" + type + "</Type>\n<Percentage>" + percentage + "</Percentage>\n</Item>\n";
    }
    if (end) {
        text += "<Item>\n<Type>End</Type>\n</Item>\n";
    }
    return text + "</Rank>\n";
}

std::vector<std::vector<std::uint32_t>> Flat(const std::vector<Band>& bands) {
    std::vector<std::vector<std::uint32_t>> flat;
    for (const Band& band : bands) {
        flat.push_back({band.itemType, band.low, band.high});
    }
    return flat;
}

class ItemManagerTest : public ::testing::Test, public tktest::CRaceFixture {
protected:
    void SetUp() override { InitGame(); }
    kelvo::CItemManager& Manager() { return *m_game.GetItemManager(); }
    void Load(const std::string& ranks) {
        Manager().LoadItemRankingsFrom(m_dir.Write("items.xml", "<ItemRankings>\n" + ranks + "</ItemRankings>\n"));
    }
    kelvo::CRacerModel* Racer(std::uint32_t id, std::uint32_t kind, std::uint32_t place) {
        kelvo::CRacerModel* racer = AddRacer(id, 1, kind);
        racer->SetRaceRank(place);
        Manager().AddRacer(id);
        return racer;
    }
    kelvo::TumboKelvoGameHUD& Hud() { return *m_game.GetHUD(); }

    tktest::CTempDir m_dir;
};

TEST_F(ItemManagerTest, OddsFilesGiveTheirBandsFaultyOnesIncluded) {
    struct SCase {
        const char* what;
        std::string ranks;
        std::uint32_t place;
        std::vector<std::vector<std::uint32_t>> bands;
    };
    const std::vector<SCase> cases = {
        {"cumulative",
         Rank(1, {{"Drill", "50"}, {"Shark", "30"}, {"Mine", "20"}}),
         1,
         {{7, 1, 50}, {10, 51, 80}, {14, 81, 100}}},
        {"past 100 is cut and the rest ignored",
         Rank(2, {{"Bait", "60"}, {"Propeller", "60"}, {"Mine", "10"}}),
         2,
         {{9, 1, 60}, {13, 61, 100}}},
        {"short of 100", Rank(3, {{"Drill", "40"}, {"Shark", "40"}}), 3, {{7, 1, 40}, {10, 41, 80}}},
        {"zero never matches", Rank(1, {{"Drill", "0"}, {"Shark", "100"}}), 1, {{7, 1, 0}, {10, 1, 100}}},
        {"unknown name keeps its band as 0",
         Rank(1, {{"Banana", "30"}, {"Mine", "70"}}),
         1,
         {{0, 1, 30}, {14, 31, 100}}},
        {"negative counts as 0", Rank(1, {{"Drill", "-5"}, {"Mine", "100"}}), 1, {{7, 1, 0}, {14, 1, 100}}},
        {"no End item stops at the rank's last item",
         Rank(1, {{"Drill", "30"}, {"Shark", "20"}}, false) + Rank(2, {{"Mine", "100"}}),
         1,
         {{7, 1, 30}, {10, 31, 50}}},
        {"the rank after one without End keeps its items",
         Rank(1, {{"Drill", "30"}}, false) + Rank(2, {{"Mine", "100"}}),
         2,
         {{14, 1, 100}}},
        {"an empty type ends the list", Rank(4, {{"Drill", "30"}, {"", "30"}, {"Shark", "40"}}), 4, {{7, 1, 30}}},
        {"the first rank of a place wins", Rank(5, {{"Drill", "100"}}) + Rank(5, {{"Mine", "100"}}), 5, {{7, 1, 100}}},
    };
    for (const SCase& c : cases) {
        Load(c.ranks);
        const auto& table = Manager().GetRankTable();
        ASSERT_EQ(table.count(c.place), 1u) << c.what;
        EXPECT_EQ(Flat(table.at(c.place)), c.bands) << c.what;
    }
}

// Each fault of an odds file is said with the file: the rank or the share it concerns and what the
// game does instead.
TEST_F(ItemManagerTest, FaultsOfAnOddsFileAreSaidWithTheFile) {
    const struct {
        const char* what;
        std::string ranks;
        std::size_t ranksKept;
        const char* said;
    } cases[] = {
        {"a rank beyond the places",
         Rank(1, {{"Drill", "100"}}) + "<Rank>\n<RankValue>99999999999</RankValue>\n</Rank>\n", 1,
         ": RankValue \"99999999999\" is not a place from 1 to 6; the rank's items are left out"},
        {"rank 0", "<Rank>\n<RankValue>0</RankValue>\n</Rank>\n" + Rank(2, {{"Mine", "100"}}), 1,
         ": RankValue \"0\" is not a place"},
        {"rank -1", "<Rank>\n<RankValue>-1</RankValue>\n</Rank>\n" + Rank(2, {{"Mine", "100"}}), 1,
         ": RankValue \"-1\" is not a place"},
        {"a percentage of -1", Rank(1, {{"Drill", "-1"}, {"Mine", "100"}}), 1,
         ": rank 1 Drill Percentage \"-1\" is not a whole number from 0 to 100; using 0"},
        {"a percentage of 4294967295", Rank(1, {{"Drill", "4294967295"}}), 1,
         ": rank 1 Drill Percentage \"4294967295\" is not a whole number from 0 to 100; using 0"},
        {"no such item", Rank(3, {{"Banana", "30"}}), 1,
         ": rank 3: Type \"Banana\" is no item; its share gives nothing"},
        {"shares past 100", Rank(1, {{"Drill", "70"}, {"Mine", "70"}}), 1,
         ": rank 1: the shares add up past 100; Mine's is cut to 30"},
        {"a rank twice", Rank(5, {{"Drill", "100"}}) + Rank(5, {{"Mine", "100"}}), 1,
         ": rank 5 is given again; the later one is left out"},
    };
    const std::string path = m_dir.Path() + "/items.xml";
    for (const auto& c : cases) {
        ::testing::internal::CaptureStderr();
        Load(c.ranks);
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find(path + c.said), std::string::npos) << c.what << "\n" << said;
        EXPECT_EQ(Manager().GetRankTable().size(), c.ranksKept) << c.what;
    }
}

TEST_F(ItemManagerTest, AnUnusableOddsFileIsNamedAndGivesNoItems) {
    for (const tktest::SDamage& damage : tktest::kDamages) {
        Load(Rank(1, {{"Drill", "100"}}));
        const std::string path = m_dir.Path() + "/items.xml";
        tktest::Damage(path, damage);
        ::testing::internal::CaptureStderr();
        Manager().LoadItemRankingsFrom(path);
        const std::string log = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(log, path + ": " + damage.said + "; the item jugs give no items\n");
        EXPECT_TRUE(Manager().GetRankTable().empty()) << damage.what;
        std::filesystem::remove_all(path);
    }
}

TEST_F(ItemManagerTest, AMissingFileOrPlaceGivesNothingAndDrawsNoNumber) {
    Manager().LoadItemRankingsFrom(m_dir.Path() + "/none.xml");
    EXPECT_TRUE(Manager().GetRankTable().empty());
    Load(Rank(1, {{"Drill", "100"}}));
    common::CMersenneTwister reference;
    reference.Seed(77);
    Manager().GetGenerator().Seed(77);
    EXPECT_EQ(Manager().PickItemForRank(2), 0u);
    // The generator did not move: the next pick draws the reference's first number.
    Load(Rank(1, {{"Drill", "50"}, {"Mine", "50"}}));
    const std::uint32_t expected = reference.RandomInt(100) + 1 <= 50 ? 7u : 14u;
    EXPECT_EQ(Manager().PickItemForRank(1), expected);
}

TEST_F(ItemManagerTest, SeededRollsPickTheBandThatHoldsThem) {
    Load(Rank(1, {{"Drill", "40"}, {"Shark", "40"}}));
    for (std::uint32_t seed : {1u, 2u, 5u, 4357u, 99991u}) {
        common::CMersenneTwister reference;
        reference.Seed(seed);
        Manager().GetGenerator().Seed(seed);
        for (int i = 0; i < 50; ++i) {
            const std::uint32_t r = reference.RandomInt(100) + 1;
            const std::uint32_t expected = r <= 40 ? 7u : (r <= 80 ? 10u : 0u);
            ASSERT_EQ(Manager().PickItemForRank(1), expected) << "seed " << seed << " roll " << r;
        }
    }
}

TEST_F(ItemManagerTest, TheShippedOddsCoverPlacesOneToSixWithBetterItemsBehind) {
    const char* source = std::getenv("TK_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    Manager().LoadItemRankingsFrom(std::string(source) + "/data/files/xmlfiles/items.xml");
    const auto& table = Manager().GetRankTable();
    ASSERT_EQ(table.size(), 6u);
    std::vector<int> strongShare;
    for (std::uint32_t place = 1; place <= 6; ++place) {
        ASSERT_EQ(table.count(place), 1u);
        const std::vector<Band>& bands = table.at(place);
        ASSERT_FALSE(bands.empty());
        EXPECT_EQ(bands.front().low, 1u);
        EXPECT_EQ(bands.back().high, 100u) << "place " << place;
        int strong = 0;
        for (const Band& band : bands) {
            EXPECT_TRUE(band.itemType >= 7 && band.itemType <= 14);
            if (band.itemType == 10 || band.itemType == 13 || band.itemType == 7) {
                strong += static_cast<int>(band.high - band.low + 1);
            }
        }
        strongShare.push_back(strong);
    }
    for (std::size_t i = 1; i < strongShare.size(); ++i) {
        EXPECT_GT(strongShare[i], strongShare[i - 1]) << "place " << i + 1;
    }
}

TEST_F(ItemManagerTest, TheSpinRunsFiveSecondsAndFiringEarlyCutsItToOneAndAHalf) {
    Load(Rank(1, {{"Drill", "100"}}));
    kelvo::CRacerModel* racer = Racer(1, kelvo::CONTROL_LOCAL_PLAYER, 1);
    Manager().OnCreateItem(1, 0);
    EXPECT_EQ(racer->GetHeldItemType(), 7u);
    kelvo::CItemManager::SSpinEntry* spin = Manager().FindSpinEntry(1);
    ASSERT_NE(spin, nullptr);
    EXPECT_TRUE(spin->spinning);
    EXPECT_NEAR(spin->timer.GetRemainingSeconds(), 5.0, 0.05);
    EXPECT_TRUE(Hud().IsItemSpinning());
    EXPECT_FLOAT_EQ(Hud().GetItemSpinInterval(), 0.1f);

    // A second item, even a named one, is refused while one is held.
    Manager().OnCreateItem(1, 10);
    EXPECT_EQ(racer->GetHeldItemType(), 7u);

    // Firing while spinning only asks for the stop at the next tick.
    Manager().OnFireItem(1);
    EXPECT_EQ(racer->GetHeldItemType(), 7u);
    EXPECT_EQ(m_log->Count(kelvo::kStopItemSpinEventName), 0);
    m_events.Tick(-1);
    EXPECT_EQ(m_log->Count(kelvo::kStopItemSpinEventName), 1);
    EXPECT_NEAR(spin->timer.GetRemainingSeconds(), 1.5, 0.05);
    EXPECT_FLOAT_EQ(Hud().GetItemSpinInterval(), 0.2f);
    EXPECT_TRUE(spin->spinning);

    // A shorter remainder is kept.
    spin->timer.StartCountdown(1.0f);
    Manager().OnStopItemSpin(1);
    EXPECT_LE(spin->timer.GetRemainingSeconds(), 1.0);

    Manager().UpdateItemSpins();
    EXPECT_TRUE(spin->spinning);
    spin->timer.StartCountdown(0.0f);
    Manager().UpdateItemSpins();
    EXPECT_FALSE(spin->spinning);
    EXPECT_FALSE(Hud().IsItemSpinning());
    EXPECT_EQ(Hud().GetShownItem(), 7u);
}

TEST_F(ItemManagerTest, ARollThatDrawsNoItemStillSpinsThePlayersSlotFiveSeconds) {
    // 40 + 40: rolls 81 to 100 hold no band. Place 2 has no bands at all.
    Load(Rank(1, {{"Drill", "40"}, {"Shark", "40"}}) + Rank(2, {}));
    kelvo::CRacerModel* racer = Racer(1, kelvo::CONTROL_LOCAL_PLAYER, 2);
    Manager().OnCreateItem(1, 0);
    EXPECT_EQ(racer->GetHeldItemType(), 0u);
    kelvo::CItemManager::SSpinEntry* spin = Manager().FindSpinEntry(1);
    ASSERT_NE(spin, nullptr);
    EXPECT_TRUE(spin->spinning);
    EXPECT_NEAR(spin->timer.GetRemainingSeconds(), 5.0, 0.05);
    ASSERT_TRUE(Hud().IsItemSpinning());
    EXPECT_NE(Hud().GetShownItem(), 0u) << "the slot shows the icons going round";
    spin->timer.StartCountdown(0.0f);
    Manager().UpdateItemSpins();
    EXPECT_FALSE(Hud().IsItemSpinning());
    EXPECT_EQ(Hud().GetShownItem(), 0u) << "and stops empty";
}

TEST_F(ItemManagerTest, FiringCreatesTheItemOnTheAuthorityAndAsksForItOnAClient) {
    Racer(1, kelvo::CONTROL_LOCAL_PLAYER, 1)->SetHeldItemType(14);
    Manager().OnFireItem(1);
    EXPECT_EQ(m_game.FindModel(1) != nullptr, true);
    EXPECT_EQ(static_cast<kelvo::CRacerModel*>(m_game.FindModel(1))->GetHeldItemType(), 0u);
    m_events.Tick(-1);
    EXPECT_EQ(m_log->Count(kelvo::kCreateItemFromKeyEventName), 1);
    EXPECT_EQ(m_log->Count(kelvo::kRequestItemEventName), 0);

    m_game.SetNetworkMode(true, 0, nullptr);
    Racer(2, kelvo::CONTROL_LOCAL_PLAYER, 2)->SetHeldItemType(7);
    Manager().OnFireItem(2);
    m_events.Tick(-1);
    EXPECT_EQ(m_log->Count(kelvo::kRequestItemEventName), 1);
    EXPECT_EQ(m_log->Count(kelvo::kCreateItemFromKeyEventName), 1);
}

TEST_F(ItemManagerTest, AnAttachedItemBlocksFiringAndKeepsTheHeldItem) {
    kelvo::CRacerModel* racer = Racer(1, kelvo::CONTROL_LOCAL_PLAYER, 1);
    racer->SetHeldItemType(13);
    auto* mine = new kelvo::CItemModel(std::make_shared<velm::phy::CRigidBody>(), 50);
    m_game.AddObject(mine, nullptr, nullptr);
    ASSERT_TRUE(kelvo::LinkItemToOwner(50, 1));
    racer->AttachItem(mine, 1, "root");
    Manager().OnFireItem(1);
    EXPECT_EQ(racer->GetHeldItemType(), 13u);
    m_events.Tick(-1);
    EXPECT_EQ(m_log->Count(kelvo::kCreateItemFromKeyEventName), 0);
}

TEST_F(ItemManagerTest, EventsForUnknownRacersOrItemsAndASecondDestroyAreIgnored) {
    kelvo::CRacerModel* racer = Racer(1, kelvo::CONTROL_LOCAL_PLAYER, 1);
    AddRacer(2, 2, kelvo::CONTROL_LOCAL_OTHER); // a racer without a spin entry
    auto* item = new kelvo::CItemModel(std::make_shared<velm::phy::CRigidBody>(), 60);
    m_game.AddObject(item, nullptr, nullptr);
    ASSERT_TRUE(kelvo::LinkItemToOwner(60, 1));
    EXPECT_FALSE(kelvo::LinkItemToOwner(61, 1));
    EXPECT_FALSE(kelvo::LinkItemToOwner(60, 99));

    for (std::uint32_t id : {99u, 2u}) {
        m_events.Trigger(kelvo::CCreateItemEvt(id, 7));
        m_events.Trigger(kelvo::CFireItemEvt(id));
        m_events.Trigger(kelvo::CStopItemSpinEvt(id));
    }
    EXPECT_EQ(static_cast<kelvo::CRacerModel*>(m_game.FindModel(2))->GetHeldItemType(), 0u);
    m_events.Trigger(kelvo::CDestroyItemEvt(99));
    m_events.Trigger(kelvo::CDestroyItemEvt(60));
    EXPECT_EQ(m_game.FindModel(60), nullptr);
    EXPECT_TRUE(racer->GetItems().empty());
    m_events.Trigger(kelvo::CDestroyItemEvt(60));
    EXPECT_NE(m_game.FindModel(1), nullptr);
}

TEST(WeaponDataTest, LookupsByNameAndTypeAndTheForceSetters) {
    EXPECT_EQ(kelvo::data::GetWeaponDataByName("drill"), &kelvo::data::Drill());
    EXPECT_EQ(kelvo::data::GetWeaponDataByName("Drill"), nullptr);
    EXPECT_EQ(kelvo::data::GetWeaponDataByType(8), &kelvo::data::Reflect());
    EXPECT_EQ(kelvo::data::GetWeaponDataByType(15), nullptr);
    kelvo::data::WeaponData* bait = kelvo::data::GetWeaponDataByName("bait");
    ASSERT_NE(bait, nullptr);
    EXPECT_EQ(bait->m_range, 0.0f);
    EXPECT_EQ(bait->m_life, 0.0f);
    EXPECT_EQ(bait->m_hate, 100.0f);
    EXPECT_EQ(bait->m_bone, "UnSet!");
    EXPECT_FALSE(kelvo::data::SetWeaponHForce(*kelvo::data::GetWeaponDataByName("reflect"), 3.0f));
    EXPECT_TRUE(kelvo::data::SetWeaponHForce(*kelvo::data::GetWeaponDataByName("drill"), 3.0f));
    EXPECT_FALSE(kelvo::data::SetWeaponVForce(*kelvo::data::GetWeaponDataByName("shark"), 3.0f));
    EXPECT_TRUE(kelvo::data::SetWeaponVForce(*kelvo::data::GetWeaponDataByName("pole"), 3.0f));
}

TEST(WeaponDataTest, ConesAndAimPointsFollowTheSideTest) {
    using common::CVector3;
    kelvo::data::MineWeaponData mine;
    mine.m_range = 10.0f;
    mine.m_angle = 0.5f;
    const kelvo::data::SAimRecord shooter{CVector3(0, 0, 0), CVector3(0, 0, -1), CVector3(1, 0, 0)};
    EXPECT_TRUE(mine.InFiringCone(shooter, CVector3(0, 0, 5)));
    EXPECT_FALSE(mine.InFiringCone(shooter, CVector3(0, 0, -5)));
    kelvo::data::FishingpoleWeaponData pole;
    pole.m_range = 10.0f;
    pole.m_angle = 0.5f;
    EXPECT_TRUE(pole.InFiringCone(shooter, CVector3(0, 0, -5)));

    // b ahead of a and to the side of a's second direction: the pole aims at b, the mine at a.
    const kelvo::data::SAimRecord a{CVector3(0, 0, 0), CVector3(0, 0, -1), CVector3(1, 0, 0)};
    const kelvo::data::SAimRecord near{CVector3(3, 0, -3), CVector3(0, 0, -1), CVector3(1, 0, 0)};
    const kelvo::data::SAimRecord behind{CVector3(0, 0, 4), CVector3(0, 0, -1), CVector3(1, 0, 0)};
    const kelvo::data::SAimRecord far{CVector3(30, 0, -30), CVector3(0, 0, -1), CVector3(1, 0, 0)};
    EXPECT_EQ(pole.GetAimPoint(a, near).x, 3.0f);
    EXPECT_EQ(pole.GetAimPoint(a, far).x, 0.0f);
    EXPECT_EQ(mine.GetAimPoint(a, near).x, 0.0f);
    const CVector3 dropped = mine.GetAimPoint(a, behind);
    EXPECT_NEAR(dropped.z, -5.0f, 1e-5f);
    kelvo::data::WhirlpoolWeaponData whirlpool;
    EXPECT_EQ(whirlpool.GetAimPoint(a, near).x, 0.0f);
    const CVector3 lead = whirlpool.GetAimPoint(a, behind);
    EXPECT_NEAR(lead.x, 5.0f, 1e-5f);
}

} // namespace
