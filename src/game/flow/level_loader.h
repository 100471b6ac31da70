// kelvo::CLevelLoader: builds a race track from its level file and the two list files it names,
// by triggering one creation event per placed object (their listeners build the objects within
// the load), and reads the item template file. A network client only takes the object ids and
// builds its waters and terrains: the host's creations reach it over the network. Keywords whose
// model data is not loaded are logged and not built. Main thread only; keeps only the last
// stored level file name.
#pragma once

#include <cstdint>
#include <string>

#include "game/content/data_files.h"
#include "game/content/model_data_keys.h"
#include "libs/common/xml_reader.h"

namespace kelvo {

// What a level load asks of the game and of graphics.
class ILevelLoaderHost {
public:
    virtual ~ILevelLoaderHost() = default;
    // A network client creates no scenery, particle systems, triggers or light of its own.
    virtual bool IsNetworkClient() const { return false; }
    // Called for every log placement, also on a network client.
    virtual void AddLevelLog(std::uint32_t /*objectId*/) {}
    // Faces in the order right, left, up, down, front, back.
    virtual void CreateSkyBox(float /*scalar*/, const std::string (&/*faces*/)[6]) {}
    virtual void SetWaterEnvironmentMap(const std::string& /*textureName*/) {}
};

class CLevelLoader {
public:
    // LoadLevel with this name loads the stored file name.
    static const char* const kUseStoredFileName;

    // `host` may be null (a single-player game without graphics hooks); it is not owned.
    explicit CLevelLoader(ILevelLoaderHost* host = nullptr, std::string folder = kXmlDataFolder);
    virtual ~CLevelLoader() = default;

    // Not owned; may be null.
    void SetHost(ILevelLoaderHost* host) { m_host = host; }
    void SetFileName(const std::string& fileName) { m_fileName = fileName; }
    const std::string& GetFileName() const { return m_fileName; }

    // Does not store the name.
    void LoadLevel(const std::string& name);
    void ReadItemTemplates(const std::string& fileName);

    void ReadWaters(const std::string& fileName);
    void ReadTerrains(const std::string& fileName);
    void ReadSkybox(common::CXmlReader& reader);
    void ReadLights(common::CXmlReader& reader);
    void ReadEnvObjs(common::CXmlReader& reader);
    void ReadParticleSystems(common::CXmlReader& reader);
    void ReadTriggerObjs(common::CXmlReader& reader);

private:
    bool CreatesObjects() const { return m_host == nullptr || !m_host->IsNetworkClient(); }
    void ReadList(const std::string& fileName, const char* root, bool water);

    ILevelLoaderHost* m_host;
    std::string m_folder;
    std::string m_fileName;
};

} // namespace kelvo
