// kelvo::CModelDataMgr: the model-data records of every model, read once from their model and
// instance files and kept under their keys; creation records copy them out with Get. Filled at
// start-up before networking starts and only read afterwards, so readers on the network thread
// need no lock. The game installs its manager as the one creation events read (never null: an
// empty manager stands in until then).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "game/content/data_files.h"
#include "game/content/instance_readers.h"
#include "game/content/model_data.h"

namespace kelvo {

class CModelDataMgr {
public:
    // `folder` is prepended to every file name; `makeSound` makes the sounds of SoundData (none
    // are made without it).
    explicit CModelDataMgr(std::string folder = kXmlDataFolder, SoundMaker makeSound = SoundMaker());
    virtual ~CModelDataMgr() = default;

    // Reads the two files and stores the record; nothing when the key is already stored. A model
    // file of "none" is skipped; sections missing from the instance file stay absent.
    void Load(const std::string& key, const std::string& modelFile, const std::string& instanceFile);
    // Copies the stored record into `out` and returns true; `out` is untouched for an unknown key.
    bool Get(const std::string& key, SModelData& out) const;
    bool Has(const std::string& key) const { return m_records.count(key) != 0; }
    std::size_t Size() const { return m_records.size(); }
    // Every texture name the stored records give their graphics, terrains and waters, once each.
    std::vector<std::string> TextureNames() const;

private:
    std::string m_folder;
    SoundMaker m_makeSound;
    std::map<std::string, SModelData> m_records;
};

// The manager that creation events read. SetModelDataMgr(nullptr) restores the empty one; the
// caller keeps ownership and must outlive its use.
CModelDataMgr& GetModelDataMgr();
void SetModelDataMgr(CModelDataMgr* manager);

} // namespace kelvo
