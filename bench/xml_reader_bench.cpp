// The tag reader's time against the length of a file, through the game's own loaders: a level
// file of N placed scenery entries (read as a network client reads it, so nothing is built) and an
// odds file of N items over its six places. The time per entry stays flat as N grows: reading is
// linear.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "engine/core/object_id.h"
#include "game/flow/level_loader.h"
#include "game/world/item_manager.h"
#include "support/temp_dir.h"

namespace {

class CClientHost : public kelvo::ILevelLoaderHost {
public:
    bool IsNetworkClient() const override { return true; }
};

std::string LevelFile(int entries) {
    std::string text =
        "<Level>\n<WatersFile>none.xml</WatersFile>\n<TerrainsFile>none.xml</TerrainsFile>\n"
        "<Skybox>\n<scalar>1</scalar>\n<EnvMap>\n<TextureName>sky.png</TextureName>\n</EnvMap>\n</Skybox>\n"
        "<Lights>\n</Lights>\n<EnvObjs>\n";
    for (int i = 0; i < entries; ++i) {
        const std::string z = std::to_string(-i);
        text +=
            "\t<entry>\n\t\t<Opaque>TRUE</Opaque>\n\t\t<Type>rock</Type>\n\t\t<Pos>\n\t\t\t<entry>at</entry>\n"
            "\t\t\t<x>1.5</x>\n\t\t\t<y>-2</y>\n\t\t\t<z>" +
            z +
            "</z>\n\t\t</Pos>\n\t\t<RotationInfo>\n\t\t\t<x>0</x>\n\t\t\t<y>1</y>\n\t\t\t<z>0</z>\n"
            "\t\t\t<Angle>0.5</Angle>\n\t\t</RotationInfo>\n\t\t<Scalars>\n\t\t\t<x>1</x>\n\t\t\t<y>1</y>\n"
            "\t\t\t<z>1</z>\n\t\t</Scalars>\n\t</entry>\n";
    }
    return text + "\t<entry>\n\t</entry>\n</EnvObjs>\n</Level>\n";
}

constexpr int kPlaces = 6;

// Six places, the items shared out among them; every share is 0 so that none is cut past 100.
std::string OddsFile(int items) {
    std::string text = "<ItemRankings>\n";
    for (int place = 1; place <= kPlaces; ++place) {
        text += "\t<Rank>\n\t\t<RankValue>" + std::to_string(place) + "</RankValue>\n";
        for (int i = 0; i < items / kPlaces; ++i) {
            text += std::string("\t\t<Item>\n\t\t\t<Type>") + (i % 2 == 0 ? "Drill" : "Mine") +
                    "</Type>\n\t\t\t<Percentage>0</Percentage>\n\t\t</Item>\n";
        }
        text += "\t\t<Item>\n\t\t\t<Type>End</Type>\n\t\t</Item>\n\t</Rank>\n";
    }
    return text + "</ItemRankings>\n";
}

void BM_LevelFile(benchmark::State& state) {
    const int entries = static_cast<int>(state.range(0));
    tktest::CTempDir dir;
    dir.Write("level.xml", LevelFile(entries));
    // Empty lists: the water and terrain files are not what is measured.
    dir.Write("none.xml", "<Waters>\n<entry>\n</entry>\n</Waters>\n");
    CClientHost host;
    for (auto _ : state) {
        const std::uint32_t first = velm::PeekObjectIDCounter();
        kelvo::CLevelLoader loader(&host, dir.Path() + "/");
        loader.LoadLevel("level.xml");
        // Each entry takes an id even on a client: fewer means the walk stopped early.
        if (velm::PeekObjectIDCounter() - first != static_cast<std::uint32_t>(entries)) {
            state.SkipWithError("the level's entries were not all read");
            break;
        }
    }
    state.SetComplexityN(entries);
    state.counters["per_entry"] = benchmark::Counter(
        static_cast<double>(entries), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_LevelFile)->RangeMultiplier(4)->Range(800, 51200)->Unit(benchmark::kMillisecond)->Complexity();

void BM_OddsFile(benchmark::State& state) {
    const int items = static_cast<int>(state.range(0));
    tktest::CTempDir dir;
    const std::string path = dir.Write("items.xml", OddsFile(items));
    kelvo::CItemManager manager;
    for (auto _ : state) {
        manager.LoadItemRankingsFrom(path);
        std::size_t read = 0;
        for (const auto& [place, bands] : manager.GetRankTable()) {
            read += bands.size();
        }
        if (read != static_cast<std::size_t>(items / kPlaces * kPlaces)) {
            state.SkipWithError("the odds file's items were not all read");
            break;
        }
    }
    state.SetComplexityN(items);
    state.counters["per_item"] = benchmark::Counter(
        static_cast<double>(items), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_OddsFile)->RangeMultiplier(4)->Range(800, 51200)->Unit(benchmark::kMillisecond)->Complexity();

} // namespace
