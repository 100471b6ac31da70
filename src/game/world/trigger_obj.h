// Trigger volumes of the race world (rock and log release, the finish): their model and view.
// They do nothing of their own; the collision rules read their type. Main thread only.
#pragma once

#include "engine/core/view.h"
#include "game/world/kelvo_model.h"

namespace kelvo {

class CTriggerObjModel : public CKelvoModel {
public:
    using CKelvoModel::CKelvoModel;
    void Update(double /*time*/, float /*elapsed*/) override {}
};

class CTriggerObjView : public velm::CView {
public:
    using velm::CView::CView;
    void Update(double time, float elapsed) override;
};

} // namespace kelvo
