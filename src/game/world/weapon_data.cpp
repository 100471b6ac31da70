#include "game/world/weapon_data.h"

#include "libs/common/geometry.h"

namespace kelvo::data {

namespace {

using common::CVector3;

// Built in this order before the program's entry.
WhirlpoolWeaponData g_whirlpool;
DrillWeaponData g_drill;
BaitWeaponData g_bait;
SharkWeaponData g_shark;
FishingpoleWeaponData g_pole;
PropellerWeaponData g_propeller;
MineWeaponData g_mine;
ReflectWeaponData g_reflect;

// Not flag when b lies ahead of a and on the side of a's second direction, else flag.
bool SideTest(const SAimRecord& a, const SAimRecord& b, bool flag) {
    const CVector3 d = (b.m_position - a.m_position).GetNormalized();
    if (d.Dot(a.m_side.GetNormalized()) > 0.0f && d.Dot(a.m_forward.GetNormalized()) > 0.0f) {
        return !flag;
    }
    return flag;
}

} // namespace

bool WeaponData::InConeAhead(const SAimRecord& shooter, const CVector3& point) const {
    return common::IsPointInCone(shooter.m_position, shooter.m_forward, m_range, m_angle, point);
}

bool WeaponData::InConeBehind(const SAimRecord& shooter, const CVector3& point) const {
    return common::IsPointInCone(shooter.m_position, -shooter.m_forward, m_range, m_angle, point);
}

CVector3 WhirlpoolWeaponData::GetAimPoint(const SAimRecord& a, const SAimRecord& b) const {
    if (!SideTest(a, b, true)) {
        return a.m_position;
    }
    const float along = (b.m_position - a.m_position).Dot(b.m_side) + 5.0f;
    return b.m_position + b.m_side.GetNormalized() * along;
}

CVector3 FishingpoleWeaponData::GetAimPoint(const SAimRecord& a, const SAimRecord& b) const {
    if ((b.m_position - a.m_position).Length() <= 2.0f * m_range && SideTest(a, b, false)) {
        return b.m_position;
    }
    return a.m_position;
}

CVector3 MineWeaponData::GetAimPoint(const SAimRecord& a, const SAimRecord& b) const {
    if ((b.m_position - a.m_position).Length() <= 2.0f * m_range && SideTest(a, b, true)) {
        return a.m_position - (b.m_position - a.m_position).GetNormalized() * 5.0f;
    }
    return a.m_position;
}

WeaponData* GetWeaponDataByType(std::uint32_t itemType) {
    switch (itemType) {
        case 7:
            return &g_drill;
        case 8:
            return &g_reflect;
        case 9:
            return &g_bait;
        case 10:
            return &g_shark;
        case 11:
            return &g_pole;
        case 12:
            return &g_whirlpool;
        case 13:
            return &g_propeller;
        case 14:
            return &g_mine;
        default:
            return nullptr;
    }
}

WeaponData* GetWeaponDataByName(const std::string& name) {
    if (name == "drill") {
        return &g_drill;
    }
    if (name == "pole") {
        return &g_pole;
    }
    if (name == "propeller") {
        return &g_propeller;
    }
    if (name == "shark") {
        return &g_shark;
    }
    if (name == "mine") {
        return &g_mine;
    }
    if (name == "bait") {
        return &g_bait;
    }
    if (name == "whirlpool") {
        return &g_whirlpool;
    }
    if (name == "reflect") {
        return &g_reflect;
    }
    return nullptr;
}

DrillWeaponData& Drill() { return g_drill; }
ReflectWeaponData& Reflect() { return g_reflect; }
SharkWeaponData& Shark() { return g_shark; }
FishingpoleWeaponData& Pole() { return g_pole; }
PropellerWeaponData& Propeller() { return g_propeller; }
MineWeaponData& Mine() { return g_mine; }

bool SetWeaponHForce(WeaponData& weapon, float value) {
    switch (weapon.m_itemType) {
        case 7:
            static_cast<DrillWeaponData&>(weapon).m_hForce = value;
            return true;
        case 10:
            static_cast<SharkWeaponData&>(weapon).m_hForce = value;
            return true;
        case 11:
            static_cast<FishingpoleWeaponData&>(weapon).m_hForce = value;
            return true;
        case 13:
            static_cast<PropellerWeaponData&>(weapon).m_hForce = value;
            return true;
        default:
            return false;
    }
}

bool SetWeaponVForce(WeaponData& weapon, float value) {
    if (&weapon != &g_pole) {
        return false;
    }
    g_pole.m_vForce = value;
    return true;
}

} // namespace kelvo::data
