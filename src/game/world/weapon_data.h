// The tuning of every item kind: one process-wide kelvo::data::WeaponData object per weapon,
// built before the program's entry, read by the item states and the AI and written by the
// console's setters. Main thread only; the objects live for the whole process.
#pragma once

#include <cstdint>
#include <string>

#include "libs/common/vector3.h"

namespace kelvo::data {

// What the AI passes about a racer: its position, its forward direction and a second direction.
struct SAimRecord {
    common::CVector3 m_position;
    common::CVector3 m_forward;
    common::CVector3 m_side;
};

class WeaponData {
public:
    explicit WeaponData(std::uint32_t itemType) : m_itemType(itemType) {}
    virtual ~WeaponData() = default;
    virtual bool InFiringCone(const SAimRecord& shooter, const common::CVector3& point) const = 0;
    // The AI passes the shooter's record as a and its target's as b.
    virtual common::CVector3 GetAimPoint(const SAimRecord& a, const SAimRecord& b) const = 0;
    virtual bool AllowsFire(const SAimRecord& a, const SAimRecord& b) const = 0;

    float m_range = 0.0f;
    float m_angle = 0.0f;
    float m_third = 0.0f;
    float m_hate = 100.0f;
    float m_animSpeed = 0.0f;
    float m_effectTimer = 0.0f;
    float m_life = 0.0f;
    // 0 for the reflective coat, which keeps the console's force setters off it.
    std::uint32_t m_itemType;
    std::string m_bone = "UnSet!";

protected:
    bool InConeAhead(const SAimRecord& shooter, const common::CVector3& point) const;
    bool InConeBehind(const SAimRecord& shooter, const common::CVector3& point) const;
};

class DrillWeaponData : public WeaponData {
public:
    DrillWeaponData() : WeaponData(7) {}
    bool InFiringCone(const SAimRecord&, const common::CVector3&) const override { return true; }
    common::CVector3 GetAimPoint(const SAimRecord& a, const SAimRecord&) const override { return a.m_position; }
    bool AllowsFire(const SAimRecord&, const SAimRecord&) const override { return false; }
    float m_hForce = 0.0f;
};

class ReflectWeaponData : public WeaponData {
public:
    ReflectWeaponData() : WeaponData(0) {}
    bool InFiringCone(const SAimRecord&, const common::CVector3&) const override { return true; }
    common::CVector3 GetAimPoint(const SAimRecord& a, const SAimRecord&) const override { return a.m_position; }
    bool AllowsFire(const SAimRecord&, const SAimRecord&) const override { return true; }
};

class BaitWeaponData : public WeaponData {
public:
    BaitWeaponData() : WeaponData(9) {}
    bool InFiringCone(const SAimRecord&, const common::CVector3&) const override { return false; }
    common::CVector3 GetAimPoint(const SAimRecord& a, const SAimRecord&) const override { return a.m_position; }
    bool AllowsFire(const SAimRecord&, const SAimRecord&) const override { return true; }
};

class SharkWeaponData : public WeaponData {
public:
    SharkWeaponData() : WeaponData(10) {}
    bool InFiringCone(const SAimRecord&, const common::CVector3&) const override { return true; }
    common::CVector3 GetAimPoint(const SAimRecord& a, const SAimRecord&) const override { return a.m_position; }
    bool AllowsFire(const SAimRecord&, const SAimRecord&) const override { return false; }
    float m_hForce = 0.0f;
};

class FishingpoleWeaponData : public WeaponData {
public:
    FishingpoleWeaponData() : WeaponData(11) {}
    bool InFiringCone(const SAimRecord& shooter, const common::CVector3& point) const override {
        return InConeAhead(shooter, point);
    }
    common::CVector3 GetAimPoint(const SAimRecord& a, const SAimRecord& b) const override;
    bool AllowsFire(const SAimRecord&, const SAimRecord&) const override { return true; }
    float m_hForce = 0.0f;
    float m_vForce = 0.0f;
};

class WhirlpoolWeaponData : public WeaponData {
public:
    WhirlpoolWeaponData() : WeaponData(12) {}
    bool InFiringCone(const SAimRecord& shooter, const common::CVector3& point) const override {
        return InConeBehind(shooter, point);
    }
    common::CVector3 GetAimPoint(const SAimRecord& a, const SAimRecord& b) const override;
    bool AllowsFire(const SAimRecord&, const SAimRecord&) const override { return true; }
};

class PropellerWeaponData : public WeaponData {
public:
    PropellerWeaponData() : WeaponData(13) {}
    bool InFiringCone(const SAimRecord&, const common::CVector3&) const override { return true; }
    common::CVector3 GetAimPoint(const SAimRecord& a, const SAimRecord&) const override { return a.m_position; }
    bool AllowsFire(const SAimRecord&, const SAimRecord&) const override { return true; }
    float m_hForce = 0.0f;
};

class MineWeaponData : public WeaponData {
public:
    MineWeaponData() : WeaponData(14) {}
    bool InFiringCone(const SAimRecord& shooter, const common::CVector3& point) const override {
        return InConeBehind(shooter, point);
    }
    common::CVector3 GetAimPoint(const SAimRecord& a, const SAimRecord& b) const override;
    bool AllowsFire(const SAimRecord&, const SAimRecord&) const override { return true; }
};

// Null for any type but 7 to 14.
WeaponData* GetWeaponDataByType(std::uint32_t itemType);
// "drill", "pole", "propeller", "shark", "mine", "bait", "whirlpool", "reflect"; exact case.
WeaponData* GetWeaponDataByName(const std::string& name);

DrillWeaponData& Drill();
ReflectWeaponData& Reflect();
SharkWeaponData& Shark();
FishingpoleWeaponData& Pole();
PropellerWeaponData& Propeller();
MineWeaponData& Mine();

// Horizontal force of the drill, shark, pole or propeller (by item type 7, 10, 11, 13); false and
// nothing written for the others.
bool SetWeaponHForce(WeaponData& weapon, float value);
// The fishing pole's vertical force only.
bool SetWeaponVForce(WeaponData& weapon, float value);

} // namespace kelvo::data
