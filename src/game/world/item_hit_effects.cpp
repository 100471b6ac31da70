#include "game/world/item_hit_effects.h"

#include "engine/phy/rigid_body.h"

namespace kelvo {

void HitByMineFunc::OnAccepted() {
    m_racer->SetThrustInput(0.0f);
    m_racer->SetSpeedScale(0.0f);
    m_racer->SetLinearVelocity(common::CVector3());
}

bool HitByMineFunc::operator()(double /*time*/, float /*elapsed*/) {
    velm::phy::CRigidBody& body = *m_racer->GetBody();
    body.AddForce(m_force);
    body.AddForce(common::CVector3(0.0f, -200.0f * body.GetLinearVelocity().y, 0.0f));
    if (!m_timer.IsExpired()) {
        return true;
    }
    m_racer->SetSpeedScale(1.0f);
    return false;
}

bool HitByDrillFunc::operator()(double /*time*/, float /*elapsed*/) {
    m_racer->GetBody()->ApplyAngularImpulse(common::CVector3(0.0f, m_spin, 0.0f));
    return !m_timer.IsExpired();
}

bool HitBySharkFunc::operator()(double /*time*/, float /*elapsed*/) {
    m_racer->GetBody()->AddForce(m_force);
    return !m_timer.IsExpired();
}

void HitByPoleFunc::OnAccepted() { m_racer->SetLinearVelocity(common::CVector3()); }

bool HitByPoleFunc::operator()(double /*time*/, float /*elapsed*/) {
    m_racer->GetBody()->AddForce(m_pull);
    return !m_timer.IsExpired();
}

} // namespace kelvo
