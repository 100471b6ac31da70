// velm::gfx::SUnitRenderData: the record a render unit fills in Prepare and the renderer copies
// per unit and pass: names, matrices, counts, material, the water, terrain and lens-flare values
// of the unit kinds that have them, and the geometry to stream. The record points into its unit;
// it is valid until the unit changes or is unloaded. Main thread only.
#pragma once

#include <cstdint>
#include <string>

#include "platform/d3d9/d3dx9.h"

namespace velm {
namespace gfx {

class CTextureRef;
struct SMeshVertex;

// The arrays a unit draws: 60-byte vertices and 16-bit indices, in system memory.
struct SUnitGeometry {
    const SMeshVertex* vertices = nullptr;
    std::uint32_t vertexCount = 0;
    const std::uint16_t* indices = nullptr;
    std::uint32_t indexCount = 0;
    // Non-zero while the arrays stay as they are (a unit's own geometry until it is replaced):
    // the renderer then sends them to the device once instead of on every draw.
    std::uint64_t fixedSerial = 0;
    // Fixed geometry may say how many triangles make one of the runs it is culled by (0: the
    // renderer's own count), and give a coarser cover of the same surface over the same vertices,
    // in as many runs, run k covering what run k covers: drawn instead where a run lies wholly
    // past the fog's end, whose colour hides all but its outline.
    std::uint32_t trianglesPerRun = 0;
    const std::uint16_t* farIndices = nullptr;
    std::uint32_t farIndexCount = 0;
    std::uint32_t farTrianglesPerRun = 0;
};

// A serial no geometry has had before, for SUnitGeometry::fixedSerial.
std::uint64_t NextGeometrySerial();

// The 30 values of planar-wave and spline water, in the level file's order.
struct SWaveWaterParams {
    float amp1, freq1, phase1, dirX1, dirZ1;
    float amp2, freq2, phase2, dirX2, dirZ2;
    float bumpHeight, refUVDistortion, waterBlendWeight, hdrMultiplier;
    float texScaleX, texScaleZ, bumpSpeedX, bumpSpeedZ;
    float fresnelBias, fresnelPow;
    float shallowR, shallowG, shallowB, shallowA;
    float deepR, deepG, deepB, deepA;
    float waveAmp, waveFreq;
};

// The four values of planar water.
struct SPlanarWaterParams {
    float bumpScale, refUVDistortion, fresnelBias, fresnelPower;
};

struct SUnitRenderData {
    const std::string* effectFileName = nullptr;
    const std::string* techniqueName = nullptr;
    D3DXMATRIX world;
    D3DXMATRIX view;
    D3DXMATRIX projection;
    D3DXMATRIX worldViewProjection;
    std::uint32_t vertexCount = 0;
    std::uint32_t faceCount = 0;
    const CTextureRef* terrainBlend = nullptr;
    const D3DMATERIAL9* material = nullptr;
    const SWaveWaterParams* waveWater = nullptr;
    const SPlanarWaterParams* planarWater = nullptr;
    float tileFactor = 1.0f;
    float lensFlareOffset[2] = {0.0f, 0.0f};
    const SUnitGeometry* geometry = nullptr;
};

} // namespace gfx
} // namespace velm
