#include "engine/core/view.h"

#include "engine/gfx/scene_unit.h"

namespace velm {

CView::~CView() { delete m_sceneObject; }

} // namespace velm
