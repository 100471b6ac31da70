// velm::gfx::PartBaseFunctor and its family: the per-particle initialisers (run on a particle
// as it is born) and updaters (run on every live particle in each drawn update) of colour, life,
// size, velocity and position, with their parameters read from a particle-system file. Rates
// are per update, not per second. A functor belongs to its template and is shared by every
// system made from it, random generator and stopwatch included. Main thread only.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "engine/gfx/particle.h"
#include "libs/common/matrix3.h"
#include "libs/common/mersenne_twister.h"
#include "libs/common/timer.h"
#include "libs/common/xml_reader.h"

namespace velm {
namespace gfx {

class PartBaseFunctor {
public:
    virtual ~PartBaseFunctor() = default;
    // The base does nothing: a role named "null" leaves that property as the slot holds it.
    virtual void Apply(SParticle&, float) {}
    virtual void Load(common::CXmlReader&) {}
    virtual void Save(std::ostream&) const {}

    const std::string& GetName() const { return m_name; }
    void SetName(const std::string& name) { m_name = name; }

private:
    std::string m_name;
};

// A functor that draws numbers: its generator is seeded from the clock at Load.
class CRandomPartFunctor : public PartBaseFunctor {
public:
    void Seed(std::uint32_t seed) { m_random.Seed(seed); }

protected:
    // low + RandomInt(trunc((high - low) x 1000) as unsigned) x 0.001: steps of 1/1000, high
    // never reached.
    float RangeDraw(float low, float high);
    common::CMersenneTwister m_random;
};

// A functor on the shared stopwatch that cycles through time steps.
class CTimedPartFunctor : public PartBaseFunctor {
public:
    CTimedPartFunctor() : m_stopwatch(true) {}

protected:
    // Seconds since construction, Load or the last restart; virtual so a test can set time.
    virtual double ElapsedSeconds() { return m_stopwatch.GetElapsedSeconds(); }
    virtual void RestartClock() { m_stopwatch.Restart(); }
    common::CStopwatchTimer m_stopwatch;
};

class NormalColorInit : public PartBaseFunctor {
public:
    void Apply(SParticle& p, float elapsed) override;
    void Load(common::CXmlReader& reader) override;
    void Save(std::ostream& out) const override;
    std::uint32_t m_colour = 0;
};

class RandColorInit : public CRandomPartFunctor {
public:
    void Apply(SParticle& p, float elapsed) override;
    void Load(common::CXmlReader& reader) override;
    void Save(std::ostream& out) const override;
    std::uint8_t m_low[4] = {0, 0, 0, 0}; // r, g, b, a
    std::uint8_t m_high[4] = {0, 0, 0, 0};
};

class FadeColorUpdate : public PartBaseFunctor {
public:
    void Apply(SParticle& p, float elapsed) override;
    void Load(common::CXmlReader& reader) override;
    void Save(std::ostream& out) const override;
    float m_fadeRate = 0.0f;
};

class ExponentialFadeColorUpdate : public PartBaseFunctor {
public:
    void Apply(SParticle& p, float elapsed) override;
    void Load(common::CXmlReader& reader) override;
    void Save(std::ostream& out) const override;
    float m_fadeRate = 0.0f;
    float m_exponent = 1.0f;
    float m_timeRate = 0.0f;
};

class NormalLifeInit : public PartBaseFunctor {
public:
    void Apply(SParticle& p, float elapsed) override;
    void Load(common::CXmlReader& reader) override;
    void Save(std::ostream& out) const override;
    float m_life = 0.0f;
};

class RandomLifeInit : public CRandomPartFunctor {
public:
    void Apply(SParticle& p, float elapsed) override;
    void Load(common::CXmlReader& reader) override;
    void Save(std::ostream& out) const override;
    float m_minLife = 0.0f;
    float m_maxLife = 0.0f;
};

class NormalLifeUpdate : public PartBaseFunctor {
public:
    void Apply(SParticle& p, float elapsed) override;
    void Load(common::CXmlReader& reader) override;
    void Save(std::ostream& out) const override;
    float m_deathRate = 0.0f;
};

class IncrementalLifeUpdate : public CTimedPartFunctor {
public:
    void Apply(SParticle& p, float elapsed) override;
    void Load(common::CXmlReader& reader) override;
    void Save(std::ostream& out) const override;
    float m_deathRates[5] = {0.1f, 0.1f, 0.1f, 0.1f, 0.1f};
    float m_timeSteps[5] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
};

class NormalSizeInit : public PartBaseFunctor {
public:
    void Apply(SParticle& p, float elapsed) override;
    void Load(common::CXmlReader& reader) override;
    void Save(std::ostream& out) const override;
    float m_size[3] = {1.0f, 1.0f, 1.0f};
};

class RandomSizeInit : public CRandomPartFunctor {
public:
    void Apply(SParticle& p, float elapsed) override;
    void Load(common::CXmlReader& reader) override;
    void Save(std::ostream& out) const override;
    float m_min[3] = {0.0f, 0.0f, 0.0f};
    float m_max[3] = {0.0f, 0.0f, 0.0f};
};

class NormalSizeUpdate : public PartBaseFunctor {
public:
    void Apply(SParticle& p, float elapsed) override;
    void Load(common::CXmlReader& reader) override;
    void Save(std::ostream& out) const override;
    float m_rate[3] = {0.0f, 0.0f, 0.0f};
    float m_limit[3] = {0.0f, 0.0f, 0.0f};
    std::uint8_t m_shrink[3] = {0, 0, 0};
};

class RandomSizeUpdate : public CRandomPartFunctor {
public:
    void Apply(SParticle& p, float elapsed) override;
    void Load(common::CXmlReader& reader) override;
    void Save(std::ostream& out) const override;
    float m_min[3] = {0.0f, 0.0f, 0.0f};
    float m_max[3] = {0.0f, 0.0f, 0.0f};
};

class ExponentialSizeUpdate : public PartBaseFunctor {
public:
    void Apply(SParticle& p, float elapsed) override;
    void Load(common::CXmlReader& reader) override;
    void Save(std::ostream& out) const override;
    float m_exponent[3] = {0.0f, 0.0f, 0.0f};
    float m_limit[3] = {0.0f, 0.0f, 0.0f};
    std::uint8_t m_shrink[3] = {0, 0, 0};
};

class NormalVelocityInit : public PartBaseFunctor {
public:
    void Apply(SParticle& p, float elapsed) override;
    void Load(common::CXmlReader& reader) override;
    void Save(std::ostream& out) const override;
    float m_velocity[3] = {0.0f, 0.0f, 0.0f};
};

class RandomVelocityInit : public CRandomPartFunctor {
public:
    void Apply(SParticle& p, float elapsed) override;
    void Load(common::CXmlReader& reader) override;
    void Save(std::ostream& out) const override;
    float m_min[3] = {0.0f, 0.0f, 0.0f};
    float m_max[3] = {0.0f, 0.0f, 0.0f};
};

class CosineVelocityUpdate : public PartBaseFunctor {
public:
    void Apply(SParticle& p, float elapsed) override;
    void Load(common::CXmlReader& reader) override;
    void Save(std::ostream& out) const override;
    float m_amplitude = 0.0f;
    float m_interpAngle = 0.0f;
    bool m_moveOnX = false;
    bool m_moveOnY = true;
    bool m_moveOnZ = false;
};

class SpiralVelocityUpdate : public PartBaseFunctor {
public:
    void Apply(SParticle& p, float elapsed) override;
    void Load(common::CXmlReader& reader) override;
    void Save(std::ostream& out) const override;
    float m_yaw = 0.0f; // radians
    float m_pitch = 0.0f;
    float m_roll = 0.0f;
    common::CMatrix3 m_rotation;
};

class GravityVelocityUpdate : public PartBaseFunctor {
public:
    void Apply(SParticle& p, float elapsed) override;
    void Load(common::CXmlReader& reader) override;
    void Save(std::ostream& out) const override;
    float m_gravity[3] = {0.0f, 0.0f, 0.0f};
};

class ExponentialVelocityUpdate : public PartBaseFunctor {
public:
    void Apply(SParticle& p, float elapsed) override;
    void Load(common::CXmlReader& reader) override;
    void Save(std::ostream& out) const override;
    float m_exponent[3] = {0.0f, 0.0f, 0.0f};
    float m_limit[3] = {0.0f, 0.0f, 0.0f};
    std::uint8_t m_shrink[3] = {0, 0, 0};
};

class IncrementalVelocityUpdate : public CTimedPartFunctor {
public:
    void Apply(SParticle& p, float elapsed) override;
    void Load(common::CXmlReader& reader) override;
    void Save(std::ostream& out) const override;
    D3DXVECTOR3 m_rates[3];
    float m_timeSteps[3] = {0.0f, 0.0f, 0.0f};
};

class NormalPositionInit : public PartBaseFunctor {
public:
    void Apply(SParticle& p, float elapsed) override;
    void Load(common::CXmlReader& reader) override;
    void Save(std::ostream& out) const override;
    D3DXVECTOR3 m_axis;
    D3DXVECTOR3 m_position;
    float m_angle = 0.0f;
    float m_radius = 0.0f;
};

class CirclePositionInit : public CRandomPartFunctor {
public:
    void Apply(SParticle& p, float elapsed) override;
    void Load(common::CXmlReader& reader) override;
    void Save(std::ostream& out) const override;
    // Read and kept; the circle is not moved by it.
    D3DXVECTOR3 m_origin;
    float m_yaw = 0.0f; // radians
    float m_pitch = 0.0f;
    float m_roll = 0.0f;
    float m_radius = 0.0f;
    common::CMatrix3 m_rotation;
};

class NormalPositionUpdate : public PartBaseFunctor {
public:
    void Apply(SParticle& p, float elapsed) override;
    void Load(common::CXmlReader& reader) override;
    void Save(std::ostream& out) const override;
};

} // namespace gfx
} // namespace velm
