// What the game hands graphics each frame: the active camera (matrices, eye and target, and the
// two view frustums, rebuilt only when a projection value changed), and the units of the
// views drawn with the moving objects together with the live particle systems. Main thread only.
#pragma once

#include "engine/core/velm_game.h"

namespace velm {
class CVelmCamera;
namespace gfx {
class CVelmGfx;
}
} // namespace velm

namespace kelvo {

void HandCameraToGraphics(const velm::CVelmCamera& camera);

// The units of views of kind 4 or 5 that are not skipped, in id order, and the particle units,
// culled into graphics' dynamic and particle graphs.
void CullFrameUnits(velm::gfx::CVelmGfx& gfx, const velm::CVelmGame::ViewMap& views);

} // namespace kelvo
