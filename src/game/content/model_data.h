// kelvo::SModelData: one model's data as read from its model and instance files (graphic,
// physics, light, water and terrain sub-records, each absent when the files say "none"), its
// sounds, and the per-instance words a creation record fills in. Copies deep-copy every present
// sub-record and share the sounds, which the sound system owns. A plain record: no thread rules.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/phy/water_field.h"
#include "libs/common/triangle.h"
#include "libs/common/vector3.h"

namespace velm {
class CSound;
}

namespace kelvo {

struct SModelData {
    struct SGraphicData {
        std::string m_effectFileName;
        std::string m_technique;
        std::string m_meshFileName;
        common::CVector3 m_position;
        common::CVector3 m_rotationAxis;
        float m_rotationAngle = 0.0f;
        common::CVector3 m_scale;
        // (texture file name, texture slot), only for textures that are not "none".
        std::vector<std::pair<std::string, std::int32_t>> m_textures;
        common::CVector3 m_facingDir;
        float m_tileFactor = 1.0f;
    };

    enum EHullType : std::uint32_t { HULL_BOX = 0, HULL_CYLINDER = 1, HULL_MESH = 2, HULL_NONE = 3 };

    struct SPhysicsData {
        float m_mass = 0.0f;
        float m_kineticFriction = 0.0f;
        float m_staticFriction = 0.0f;
        float m_restitution = 0.0f;
        std::uint8_t m_immovable = 0;
        std::uint32_t m_hullType = HULL_BOX;
        // Box: the x, y and z lengths. Cylinder: height and radius, with its layer and slice
        // counts in the two integers below.
        float m_hullDims[3] = {0.0f, 0.0f, 0.0f};
        std::int32_t m_hullLayers = 0;
        std::int32_t m_hullSlices = 0;
        std::uint8_t m_independentHull = 0;
        // The first is a racer's buoyancy offset.
        std::vector<common::CVector3> m_positionOffsets;
        std::vector<common::CTriangle> m_meshHull;
    };

    struct SLightData {
        common::CVector3 m_ambient;
        common::CVector3 m_diffuse;
        common::CVector3 m_specular;
        common::CVector3 m_direction;
        std::int32_t m_type = 2;
        float m_range = 0.0f;
        float m_attenuation0 = 0.0f;
        float m_attenuation1 = 0.0f;
        float m_attenuation2 = 0.0f;
    };

    struct SWaveData {
        float m_freq = 0.0f;
        float m_amp = 0.0f;
        float m_phase = 0.0f;
        float m_dirX = 0.0f;
        float m_dirZ = 0.0f;
    };

    struct SWaterData {
        virtual ~SWaterData() = default;

        SWaveData m_wave1;
        SWaveData m_wave2;
        float m_bumpHeight = 0.0f;
        float m_refUVDistortion = 0.0f;
        float m_waterBlendWeight = 0.0f;
        float m_hdrMultiplier = 0.0f;
        float m_texScaleX = 0.0f;
        float m_texScaleZ = 0.0f;
        float m_bumpSpeedX = 0.0f;
        float m_bumpSpeedZ = 0.0f;
        float m_fresnelBias = 0.0f;
        float m_fresnelPow = 0.0f;
        float m_shallowColor[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        float m_deepColor[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        float m_waveAmp = 0.0f;
        float m_waveFreq = 0.0f;
        // Copies of bump height, UV distortion, Fresnel bias and power for a planar water.
        float m_planar[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        std::int32_t m_vertPerRow = 0;
        std::int32_t m_vertPerCol = 0;
        float m_cellSpacing = 0.0f;
        common::CVector3 m_position;
        common::CVector3 m_scale;
        std::string m_specularMap;
        std::string m_normalMap;
        std::int32_t m_kind = 0;
        std::string m_gridFileName;
        // The grid of a water of kind 2: 60-byte vertices, 16-bit indices and the flow cells.
        std::vector<unsigned char> m_vertices;
        std::uint32_t m_vertexCount = 0;
        std::vector<std::uint16_t> m_indices;
        std::uint32_t m_indexCount = 0;
        std::vector<velm::phy::CGridCell> m_cells;
    };

    struct STerrainData {
        std::int32_t m_vertPerRow = 0;
        std::int32_t m_vertPerCol = 0;
        float m_cellSpacing = 0.0f;
        common::CVector3 m_rotationAxis;
        float m_amplitude = 0.0f;
        // Base1, Base2, Base3, BlendMap, SpecularMap, HeightMap.
        std::string m_textures[6];
        float m_position[3] = {0.0f, 0.0f, 0.0f};
        float m_scale[3] = {0.0f, 0.0f, 0.0f};
        common::CVector3 m_unused;
        float m_rotationAngle = 0.0f;
    };

    SModelData() = default;
    SModelData(const SModelData& other);
    SModelData& operator=(const SModelData& other);
    SModelData(SModelData&&) = default;
    SModelData& operator=(SModelData&&) = default;
    virtual ~SModelData() = default;

    // The sound at `index`, or null past the end of the list: callers that expect a fixed number
    // of sounds (a racer's three) get null for the ones a model file did not give.
    velm::CSound* GetSound(std::size_t index) const;

    std::vector<velm::CSound*> m_sounds;
    std::unique_ptr<SGraphicData> m_graphic;
    std::unique_ptr<SPhysicsData> m_physics;
    std::unique_ptr<SLightData> m_light;
    std::unique_ptr<SWaterData> m_water;
    std::unique_ptr<STerrainData> m_terrain;
    std::uint32_t m_controlKind = 0;
    std::uint32_t m_objectType = 0;
    std::uint32_t m_objectId = 0;
    std::uint32_t m_ownerId = 0;
    std::string m_key;
    std::string m_extra1;
    std::string m_extra2;
};

} // namespace kelvo
