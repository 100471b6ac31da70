// velm::CView, the base of a world object's drawing: it owns its scene object (the unit that
// draws the model) and points at the model, which it does not own. Main thread only.
#pragma once

#include <cstdint>

namespace velm {

class CModel;
class ISceneUnit;

class CView {
public:
    // The view takes ownership of `sceneObject`.
    CView(CModel* model, ISceneUnit* sceneObject) : m_sceneObject(sceneObject), m_model(model) {}
    CView(const CView&) = delete;
    CView& operator=(const CView&) = delete;

    virtual void Update(double time, float elapsed) = 0;
    virtual ~CView();
    virtual void SetKind(std::uint32_t kind) { m_kind = kind; }
    virtual std::uint32_t GetKind() const { return m_kind; }

    ISceneUnit* GetSceneObject() const { return m_sceneObject; }
    CModel* GetModel() const { return m_model; }

protected:
    ISceneUnit* m_sceneObject;
    CModel* m_model;
    // The game's render pass draws the views of kinds 4 and 5.
    std::uint32_t m_kind = 4;
};

} // namespace velm
