#include "engine/gfx/water.h"

#include "engine/gfx/scene_unit.h"
#include "engine/phy/water_field.h"

namespace velm {

namespace {

gfx::ACGfxWater* MakeUnit(std::uint32_t kind, const char** technique) {
    switch (kind) {
        case gfx::kPlanarWaveWater:
            *technique = "RenderPlanarWaveWater";
            return new gfx::CGfxPlanarWaveWater();
        case gfx::kPlanarWater:
            *technique = "RenderPlanarWater";
            return new gfx::CGfxPlanarWater();
        case gfx::kSplineWater:
            *technique = "RenderSplineWater";
            return new gfx::CGfxSplineWater();
        default:
            return nullptr;
    }
}

// A flat cell of half extents hx and hz about centre, corners (-x, -z), (-x, +z), (+x, +z),
// (+x, -z), still water.
phy::CGridCell BoxCell(const common::CVector3& centre, float hx, float hz) {
    const float y = centre.y;
    return phy::CGridCell(common::CVector3(centre.x - hx, y, centre.z - hz),
                          common::CVector3(centre.x - hx, y, centre.z + hz),
                          common::CVector3(centre.x + hx, y, centre.z + hz),
                          common::CVector3(centre.x + hx, y, centre.z - hz), common::CVector3(0.0f, 0.0f, 0.0f));
}

} // namespace

CWater::CWater(const common::CVector3& position, const common::CVector3& scale, const std::string& specularMap,
               const std::string& normalMap, std::uint32_t kind, std::uint32_t id, const gfx::SWaterGrid* grid,
               const gfx::SWaterMesh* mesh, const std::vector<phy::CGridCell>* cells)
    : m_id(id) {
    const char* technique = "";
    m_waterUnit = MakeUnit(kind, &technique);
    m_unit = m_waterUnit;
    std::vector<phy::CGridCell> field;
    if (m_waterUnit != nullptr) {
        m_waterUnit->CreateGeometry({"Water2.fx", "", technique}, grid, mesh);
        m_waterUnit->LoadTexture(specularMap, 6);
        m_waterUnit->LoadTexture(normalMap, 0);
        m_waterUnit->SetRotationAxis(D3DXVECTOR3(1.0f, 0.0f, 0.0f), false);
        m_waterUnit->SetRotationAngle(0.0f, false);
        m_waterUnit->SetScale(scale.x, scale.y, scale.z, false);
        m_waterUnit->SetPosition(position.x, position.y, position.z, true);
    }
    if (kind == gfx::kPlanarWaveWater || kind == gfx::kPlanarWater) {
        D3DXPLANE plane = kind == gfx::kPlanarWater ? D3DXPLANE(0.0f, 1.0f, 0.0f, -0.01f)
                                                    : D3DXPLANE(0.0f, 1.0f, 0.0f, -0.3f * scale.x);
        D3DXPlaneNormalize(&plane, &plane);
        // The plane follows the unit's turn and place, not its scale.
        D3DXMATRIX rotation;
        D3DXMATRIX translation;
        D3DXMATRIX world;
        const D3DXVECTOR3 axis = m_waterUnit->GetRotationAxis();
        D3DXMatrixRotationAxis(&rotation, &axis, m_waterUnit->GetRotationAngle());
        D3DXMatrixTranslation(&translation, position.x, position.y, position.z);
        D3DXMatrixMultiply(&world, &rotation, &translation);
        D3DXMATRIX inverse;
        D3DXMatrixInverse(&inverse, nullptr, &world);
        D3DXMATRIX inverseTranspose;
        D3DXMatrixTranspose(&inverseTranspose, &inverse);
        D3DXPLANE worldPlane;
        D3DXPlaneTransform(&worldPlane, &plane, &inverseTranspose);
        m_waterUnit->SetWaterPlane(worldPlane);
    }
    if (kind == gfx::kPlanarWaveWater && grid != nullptr) {
        const float hx =
            static_cast<float>(grid->vertPerRow > 0 ? grid->vertPerRow - 1 : 0) * grid->cellSpacing * scale.x / 2.0f;
        const float hz =
            static_cast<float>(grid->vertPerCol > 0 ? grid->vertPerCol - 1 : 0) * grid->cellSpacing * scale.x / 2.0f;
        field.push_back(BoxCell(position, hx, hz));
    } else if (kind == gfx::kPlanarWater) {
        field.push_back(BoxCell(position, scale.x / 2.0f, scale.z / 2.0f));
    } else if (kind == gfx::kSplineWater && cells != nullptr) {
        field = *cells;
    }
    m_field = std::make_shared<phy::CWaterField>(field);
}

CWater::CWater(std::uint32_t id, ISceneUnit* unit, std::shared_ptr<phy::CWaterField> field)
    : m_unit(unit), m_field(std::move(field)), m_id(id) {}

CWater::~CWater() { delete m_unit; }

} // namespace velm
