#include "game/world/item_manager.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <sstream>

#include "engine/core/object_id.h"
#include "engine/events/event_manager.h"
#include "game/content/data_files.h"
#include "game/content/model_data_keys.h"
#include "game/events/creation_events.h"
#include "game/events/game_events.h"
#include "game/world/item_model.h"
#include "game/world/race_context.h"
#include "game/world/race_hud.h"
#include "game/world/racer_model.h"
#include "libs/common/checked_number.h"
#include "libs/common/xml_reader.h"

namespace kelvo {

namespace {

constexpr float kSpinTime = 5.0f;
constexpr float kShortSpinTime = 1.5f;

CRacerModel* FindRacer(std::uint32_t id) {
    IRaceContext* race = GetRaceContext();
    return race != nullptr ? dynamic_cast<CRacerModel*>(race->FindModel(id)) : nullptr;
}

IRaceHUD* PlayerHUD(const CRacerModel& racer) {
    IRaceContext* race = GetRaceContext();
    if (racer.GetControlKind() != CONTROL_LOCAL_PLAYER || race == nullptr) {
        return nullptr;
    }
    return race->GetHUD();
}

// Six racers at most: a rank names a place from 1 to 6.
constexpr std::uint32_t kMostPlaces = 6;
// A share of the rolls: what lies beyond 0 to 100 is said and counts as 0, so a band can never
// wrap round to match every roll.
constexpr common::SNumberBounds kPercentage = {0.0, 100.0, 0.0};

void Say(const std::string& path, const std::string& what) {
    std::ostringstream line;
    line << path << ": " << what << "\n";
    std::cerr << line.str() << std::flush;
}

} // namespace

std::uint32_t ItemTypeFromName(const std::string& name) {
    static const char* const kNames[] = {"Drill",       "ReflectiveCoat", "Bait",      "Shark",
                                         "FishingPole", "Whirlpool",      "Propeller", "Mine"};
    for (std::uint32_t i = 0; i < 8; ++i) {
        if (name == kNames[i]) {
            return 7 + i;
        }
    }
    return 0;
}

bool LinkItemToOwner(std::uint32_t itemId, std::uint32_t ownerId) {
    IRaceContext* race = GetRaceContext();
    if (race == nullptr) {
        return false;
    }
    auto* item = dynamic_cast<CItemModel*>(race->FindModel(itemId));
    CRacerModel* owner = FindRacer(ownerId);
    if (item == nullptr || owner == nullptr) {
        return false;
    }
    item->SetOwner(owner);
    owner->AddItem(itemId);
    return true;
}

CItemManager::CItemManager() { m_generator.SeedWithTime(); }

void RegisterItemManager(velm::IEventManager& events, const std::shared_ptr<CItemManager>& manager) {
    for (const char* name : {kCreateItemEventName, kFireItemEventName, kDestroyItemEventName, kStopItemSpinEventName}) {
        events.AddListener(manager, velm::CEventType(name));
    }
}

void CItemManager::LoadItemRankings(const std::string& fileName) {
    LoadItemRankingsFrom(std::string(kXmlDataFolder) + fileName);
}

void CItemManager::LoadItemRankingsFrom(const std::string& path) {
    m_ranks.clear();
    common::CXmlReader reader;
    reader.LoadContent(path, "the item jugs give no items");
    reader.Enter("ItemRankings");
    for (;;) {
        reader.Enter("Rank");
        const std::string rankText = reader.GetValue("RankValue");
        if (rankText.empty()) {
            break;
        }
        const double rankNumber = std::atof(rankText.c_str());
        if (!(rankNumber >= 1.0 && rankNumber <= kMostPlaces && rankNumber == std::trunc(rankNumber))) {
            Say(path, "RankValue \"" + rankText + "\" is not a place from 1 to " + std::to_string(kMostPlaces) +
                          "; the rank's items are left out");
            continue;
        }
        const auto place = static_cast<std::uint32_t>(rankNumber);
        const std::string rank = "rank " + std::to_string(place);
        if (m_ranks.count(place) != 0) {
            Say(path, rank + " is given again; the later one is left out");
            continue;
        }
        // The rank's own items bound the list, so a rank without its closing "End" item never
        // reads the items of the ranks after it.
        const std::size_t itemCount = reader.GetValues("Type").size();
        std::vector<SItemRange> bands;
        std::uint32_t total = 0;
        for (std::size_t i = 0; i < itemCount; ++i) {
            reader.Enter("Item");
            const std::string typeText = reader.GetValue("Type");
            if (typeText == "End" || typeText.empty()) {
                break;
            }
            const std::uint32_t type = ItemTypeFromName(typeText);
            if (type == 0) {
                Say(path, rank + ": Type \"" + typeText + "\" is no item; its share gives nothing");
            }
            const auto percentage = static_cast<std::uint32_t>(common::ReadWhole(
                reader.GetValue("Percentage"), kPercentage, path, rank + " " + typeText + " Percentage"));
            if (total >= 100) {
                Say(path, rank + ": the shares add up past 100; " + typeText + " and the items after it are left out");
                break;
            }
            if (total + percentage > 100) {
                Say(path,
                    rank + ": the shares add up past 100; " + typeText + "'s is cut to " + std::to_string(100 - total));
            }
            bands.push_back(SItemRange{type, total + 1, std::min(total + percentage, 100u)});
            total += percentage;
        }
        m_ranks.emplace(place, std::move(bands));
    }
}

std::uint32_t CItemManager::PickItemForRank(std::uint32_t place) {
    auto found = m_ranks.find(place);
    if (found == m_ranks.end()) {
        return 0;
    }
    const std::uint32_t roll = m_generator.RandomInt(100) + 1;
    for (const SItemRange& band : found->second) {
        if (band.low <= roll && roll <= band.high) {
            return band.itemType;
        }
    }
    return 0;
}

void CItemManager::AddRacer(std::uint32_t racerId) { m_spins.try_emplace(racerId); }

CItemManager::SSpinEntry* CItemManager::FindSpinEntry(std::uint32_t racerId) {
    auto found = m_spins.find(racerId);
    return found == m_spins.end() ? nullptr : &found->second;
}

bool CItemManager::HandleEvent(const velm::CEvent& event) {
    const std::string& name = event.GetEventType().GetName();
    if (event.GetData() == nullptr) {
        return false;
    }
    // An item destroyed by a peer's word is one the peer may name.
    if (IRaceContext* race = GetRaceContext(); race != nullptr && !race->AcceptPeerEvent(event)) {
        return false;
    }
    if (name == kCreateItemEventName) {
        const auto* data = dynamic_cast<const CCreateItemData*>(event.GetData());
        if (data != nullptr) {
            OnCreateItem(data->m_racerId, data->m_itemType);
        }
        return false;
    }
    const auto* id = dynamic_cast<const CIdEventData*>(event.GetData());
    if (id == nullptr) {
        return false;
    }
    if (name == kFireItemEventName) {
        OnFireItem(id->GetValue());
    } else if (name == kDestroyItemEventName) {
        OnDestroyItem(id->GetValue());
    } else if (name == kStopItemSpinEventName) {
        OnStopItemSpin(id->GetValue());
    }
    return false;
}

void CItemManager::OnCreateItem(std::uint32_t racerId, std::uint32_t itemType) {
    CRacerModel* racer = FindRacer(racerId);
    SSpinEntry* spin = FindSpinEntry(racerId);
    if (racer == nullptr || spin == nullptr || racer->GetHeldItemType() != 0) {
        return;
    }
    const std::uint32_t type = itemType != 0 ? itemType : PickItemForRank(racer->GetRaceRank());
    racer->SetHeldItemType(type);
    if (IRaceHUD* hud = PlayerHUD(*racer)) {
        hud->StartItemSpin(0.1f, 0.01f, type);
    }
    spin->spinning = true;
    spin->timer.StartCountdown(kSpinTime);
}

void CItemManager::OnFireItem(std::uint32_t racerId) {
    CRacerModel* racer = FindRacer(racerId);
    SSpinEntry* spin = FindSpinEntry(racerId);
    if (racer == nullptr || spin == nullptr) {
        return;
    }
    if (spin->spinning) {
        QueueWorldEvent(std::make_shared<CStopItemSpinEvt>(racerId));
        return;
    }
    CItemModel* attached = nullptr;
    const std::uint32_t type = racer->GetHeldItemType();
    if (type == 0 || racer->FindAttachedItem(attached)) {
        return;
    }
    racer->SetHeldItemType(0);
    if (IRaceHUD* hud = PlayerHUD(*racer)) {
        hud->ClearItemIcon();
    }
    const std::string key = ModelDataKeyFromType(type);
    IRaceContext* race = GetRaceContext();
    if (race->IsAuthoritative()) {
        QueueWorldEvent(
            std::make_shared<CCreateItemFromKeyEvt>(key, velm::NewObjectID(), 0, CONTROL_NETWORK, type, racerId, 1));
    } else {
        QueueWorldEvent(std::make_shared<CRequestItemEvent>(type, racerId));
    }
}

void CItemManager::OnStopItemSpin(std::uint32_t racerId) {
    CRacerModel* racer = FindRacer(racerId);
    SSpinEntry* spin = FindSpinEntry(racerId);
    if (spin == nullptr || spin->timer.IsExpired()) {
        return;
    }
    if (spin->timer.GetRemainingSeconds() > kShortSpinTime) {
        spin->timer.StartCountdown(kShortSpinTime);
    }
    if (racer != nullptr) {
        if (IRaceHUD* hud = PlayerHUD(*racer)) {
            hud->SlowItemSpin(0.2f, 0.01f);
        }
    }
}

void CItemManager::OnDestroyItem(std::uint32_t itemId) {
    IRaceContext* race = GetRaceContext();
    if (race == nullptr) {
        return;
    }
    auto* item = dynamic_cast<CItemModel*>(race->FindModel(itemId));
    if (item == nullptr) {
        return;
    }
    if (CRacerModel* owner = item->GetOwner()) {
        owner->RemoveItem(itemId);
    }
    race->RemoveObject(itemId);
}

void CItemManager::UpdateItemSpins() {
    for (auto& [racerId, spin] : m_spins) {
        if (!spin.spinning || !spin.timer.IsExpired()) {
            continue;
        }
        spin.spinning = false;
        CRacerModel* racer = FindRacer(racerId);
        if (racer != nullptr) {
            if (IRaceHUD* hud = PlayerHUD(*racer)) {
                hud->StopItemSpin();
            }
        }
    }
}

} // namespace kelvo
