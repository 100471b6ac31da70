// libFuzzer target for the game's event socket: every received type-0 payload is rebuilt into its
// event by message id, queued and delivered. A few models are loaded so that creation records
// reach their model-data copies. Nothing may crash, leak or read past the payload.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/events/event_manager.h"
#include "game/content/model_data_mgr.h"
#include "game/flow/event_socket.h"

namespace {

class CDrainingListener : public velm::IEventListener {
public:
    bool HandleEvent(const velm::CEvent& event) override {
        unsigned char buffer[255] = {};
        unsigned char* cursor = buffer;
        return event.Serialise(cursor) <= 253;
    }
    std::string GetName() override { return "FuzzListener"; }
};

velm::CEventManager* s_events = nullptr;
kelvo::CModelDataMgr* s_models = nullptr;

void Write(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/tk_event_fuzz_XXXXXX";
    const char* folder = mkdtemp(pattern);
    const std::string dir = folder != nullptr ? std::string(folder) + "/" : std::string("./");
    Write(dir + "model.xml", "<ModelData>\n<GraphicData>\n<XFileName>m.x</XFileName>\n</GraphicData>\n</ModelData>\n");
    Write(dir + "instance.xml",
          "<InstanceData>\n<GraphicData>\n<entry>yes</entry>\n<Pos>\n<x>1</x>\n<y>2</y>\n<z>3</z>\n</Pos>\n"
          "</GraphicData>\n<LightData>\n<entry>yes</entry>\n</LightData>\n</InstanceData>\n");
    s_models = new kelvo::CModelDataMgr(dir);
    for (const char* key : {"MonkeyModelData", "LightModelData", "BaitModelData", "splash1_system"}) {
        s_models->Load(key, "model.xml", "instance.xml");
    }
    kelvo::SetModelDataMgr(s_models);
    s_events = new velm::CEventManager();
    velm::SetEventManager(s_events);
    s_events->AddListener(std::make_shared<CDrainingListener>(), velm::WildcardEventType());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A message carries at most 253 payload bytes; the copy makes a read past them visible.
    const std::size_t length = size < 253 ? size : 253;
    std::vector<unsigned char> payload(data, data + length);
    kelvo::CTumboKelvoEventSocket socket;
    socket.OnPacket(payload.empty() ? nullptr : payload.data(), static_cast<std::uint8_t>(length), 3);
    s_events->Tick(-1);
    return 0;
}
