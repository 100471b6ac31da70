// kelvo::CItemManager hands items to racers by race place: the odds bands per place from the item
// odds file, the item slot's spin before an item is held, firing the held item and removing
// destroyed items. It listens to four local events and posts the ones the network carries.
// Events naming a racer or item it does not know are skipped. Main thread only.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/events/event.h"
#include "libs/common/mersenne_twister.h"
#include "libs/common/timer.h"

namespace velm {
class IEventManager;
}

namespace kelvo {

class CItemModel;
class CRacerModel;

// "Drill" 7 ... "Mine" 14, exact case; 0 for any other name, the empty one included.
std::uint32_t ItemTypeFromName(const std::string& name);

// Sets the item's owner and adds the item to the owner's items; false when either is unknown.
bool LinkItemToOwner(std::uint32_t itemId, std::uint32_t ownerId);

class CItemManager : public velm::IEventListener {
public:
    struct SItemRange {
        std::uint32_t itemType = 0;
        std::uint32_t low = 0;
        // A band with high < low never matches.
        std::uint32_t high = 0;
    };

    struct SSpinEntry {
        bool spinning = false;
        common::CCountdownTimer timer{0.0f, false};
    };

    using RankTable = std::map<std::uint32_t, std::vector<SItemRange>>;

    CItemManager();

    bool HandleEvent(const velm::CEvent& event) override;
    std::string GetName() override { return "Item_Manager"; }

    // The file name is taken in the XML data folder. A missing file leaves the table empty.
    void LoadItemRankings(const std::string& fileName);
    // The same from a path as it stands.
    void LoadItemRankingsFrom(const std::string& path);
    // 0 for none; no number is drawn for a place the table lacks.
    std::uint32_t PickItemForRank(std::uint32_t place);
    void AddRacer(std::uint32_t racerId);
    // The race reset: no racer keeps an item slot or a spin.
    void ClearRacers() { m_spins.clear(); }
    void UpdateItemSpins();

    void OnCreateItem(std::uint32_t racerId, std::uint32_t itemType);
    void OnFireItem(std::uint32_t racerId);
    void OnStopItemSpin(std::uint32_t racerId);
    void OnDestroyItem(std::uint32_t itemId);

    const RankTable& GetRankTable() const { return m_ranks; }
    // Null for a racer without an entry.
    SSpinEntry* FindSpinEntry(std::uint32_t racerId);
    common::CMersenneTwister& GetGenerator() { return m_generator; }

private:
    RankTable m_ranks;
    std::map<std::uint32_t, SSpinEntry> m_spins;
    common::CMersenneTwister m_generator;
};

// Registers the manager for the four item events, in their order.
void RegisterItemManager(velm::IEventManager& events, const std::shared_ptr<CItemManager>& manager);

} // namespace kelvo
