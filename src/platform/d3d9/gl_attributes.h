// The fixed attribute slots that tie the device's vertex declarations to effect programs: each
// declaration usage has one location, and effect GLSL reads it under the tk_ name given here.
#pragma once

#include "platform/d3d9/d3d9_constants.h"

namespace platform {
namespace d3d9 {

struct SAttributeName {
    unsigned location;
    const char* name;
};

constexpr unsigned kAttributeCount = 7;
constexpr SAttributeName kAttributeNames[kAttributeCount] = {
    {0, "tk_Position"}, {1, "tk_Normal"}, {2, "tk_TexCoord"},  {3, "tk_Tangent"},
    {4, "tk_Binormal"}, {5, "tk_Color"},  {6, "tk_TexCoord1"},
};

// -1 for a usage no program reads.
inline int AttributeLocation(BYTE usage, BYTE usageIndex) {
    switch (usage) {
        case D3DDECLUSAGE_POSITION:
            return usageIndex == 0 ? 0 : -1;
        case D3DDECLUSAGE_NORMAL:
            return usageIndex == 0 ? 1 : -1;
        case D3DDECLUSAGE_TEXCOORD:
            return usageIndex == 0 ? 2 : usageIndex == 1 ? 6 : -1;
        case D3DDECLUSAGE_TANGENT:
            return usageIndex == 0 ? 3 : -1;
        case D3DDECLUSAGE_BINORMAL:
            return usageIndex == 0 ? 4 : -1;
        case D3DDECLUSAGE_COLOR:
            return usageIndex == 0 ? 5 : -1;
        default:
            return -1;
    }
}

} // namespace d3d9
} // namespace platform
