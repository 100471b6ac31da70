#include "game/world/trigger_obj.h"

#include "game/world/racer_view.h"

namespace kelvo {

void CTriggerObjView::Update(double time, float elapsed) { UpdateUnitFromModel(m_model, m_sceneObject, time, elapsed); }

} // namespace kelvo
