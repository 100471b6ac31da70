// The readers of a model's XML files: each takes the tag reader positioned inside the root element
// (ModelData or InstanceData) and fills one sub-record of kelvo::SModelData, creating it unless the
// section's entry reads "none". Nothing is thrown; bad counts and missing grid files are logged
// and leave no half-built record, and a number that is not finite or beyond its bounds is said,
// naming the file and field, and replaced (mostly by 0). One reader per thread.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/content/model_data.h"
#include "libs/common/xml_reader.h"

namespace kelvo {

// Makes the 3D sound of one file name at the origin; may return null (no sound system).
using SoundMaker = std::function<velm::CSound*(const std::string& fileName)>;

void ReadModelGraphicData(common::CXmlReader& reader, std::unique_ptr<SModelData::SGraphicData>& graphic);
void ReadGraphicData(common::CXmlReader& reader, std::unique_ptr<SModelData::SGraphicData>& graphic);
void ReadLightData(common::CXmlReader& reader, std::unique_ptr<SModelData::SLightData>& light);
// A water of kind 2 loads its grid file; counts that cannot make a grid, or a file whose length
// does not match them, drop the water record (logged) so that no water is built from a partial grid.
void ReadWaterData(common::CXmlReader& reader, std::unique_ptr<SModelData::SWaterData>& water);
void ReadTerrainData(common::CXmlReader& reader, std::unique_ptr<SModelData::STerrainData>& terrain);
// Appends one sound per FileName, in file order, up to NumFiles.
void ReadSoundData(common::CXmlReader& reader, std::vector<velm::CSound*>& sounds, const SoundMaker& makeSound);
void ReadPhysicsData(common::CXmlReader& reader, std::unique_ptr<SModelData::SPhysicsData>& physics);
void ReadHull(common::CXmlReader& reader, SModelData::SPhysicsData& physics);

} // namespace kelvo
