// libFuzzer target for a level file: read by the level loader from the shipped XML folder, so
// that the water, terrain, light and item files it names are the shipped ones, with the shipped
// model data loaded; every placement's creation event is raised and delivered.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/events/event_manager.h"
#include "fuzz_file.h"
#include "game/content/model_data_keys.h"
#include "game/content/model_data_mgr.h"
#include "game/flow/level_loader.h"
#include "game_folder.h"

namespace {

class CDrainingListener : public velm::IEventListener {
public:
    bool HandleEvent(const velm::CEvent& event) override { return event.GetData() == nullptr; }
    std::string GetName() override { return "FuzzListener"; }
};

class CFuzzHost : public kelvo::ILevelLoaderHost {
public:
    bool IsNetworkClient() const override { return m_client; }
    bool m_client = false;
};

velm::CEventManager* s_events = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    tk_fuzz::EnterGameFolder();
    auto* models = new kelvo::CModelDataMgr(tk_fuzz::ShippedXmlFolder());
    for (const kelvo::SModelDataFiles& files : kelvo::StartupModelDataFiles()) {
        models->Load(files.m_key, files.m_modelFile, files.m_instanceFile);
    }
    kelvo::SetModelDataMgr(models);
    s_events = new velm::CEventManager();
    velm::SetEventManager(s_events);
    s_events->AddListener(std::make_shared<CDrainingListener>(), velm::WildcardEventType());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = tk_fuzz::WriteInput(data, size, ".xml");
    const std::string folder = tk_fuzz::ShippedXmlFolder();
    CFuzzHost host;
    // A network client's road (it builds only waters and terrains) on every other input.
    host.m_client = size % 2 == 1;
    kelvo::CLevelLoader loader(&host, folder);
    loader.LoadLevel(std::filesystem::relative(path, folder).string());
    s_events->Tick(-1);
    return 0;
}
