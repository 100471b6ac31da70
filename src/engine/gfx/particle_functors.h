// velm::gfx::PartBaseFunctor and its family: the per-particle initialisers (run on a particle
// as it is born) and updaters (run on every live particle in each drawn update) of colour, life,
// size, velocity and position, with their parameters read from a particle-system file. Rates
// are per update, not per second. Each functor lists its file element and parameters once, in
// file order (Describe); Load reads that list and Save writes it, so the two cannot disagree.
// A functor belongs to its template and is shared by every system made from it, random
// generator and stopwatch included. Main thread only.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

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

    // What Load does once the parameters are read: nothing unless a functor says otherwise.
    void OnLoaded() {}

private:
    std::string m_name;
};

// Reads the parameters of a functor's element: a missing one reads as 0; flags are integers
// not 0; angles are read in degrees and kept in radians. A number that is not finite or lies
// beyond any data number (common::kAnyDataNumber), a colour channel beyond 0 to 255, or a range
// whose low end lies above its high end is said on standard error, naming the file, the element
// and the parameter: the number reads as 0, the channel as 255, the range's ends are swapped.
class CPartParamReader {
public:
    explicit CPartParamReader(common::CXmlReader& reader) : m_reader(reader) {}
    void Element(const char* name);
    void Value(const std::string& name, float& value) const;
    void Value(const std::string& name, std::uint32_t& value) const;
    void Value(const std::string& name, std::uint8_t& value) const;
    void Value(const std::string& name, bool& value) const;
    void Degrees(const std::string& name, float& radians) const;
    // Two parameters that bound a random draw.
    template <class T>
    void Range(const std::string& lowName, T& low, const std::string& highName, T& high) const {
        Value(lowName, low);
        Value(highName, high);
        Order(lowName, low, highName, high);
    }
    // The three axes of both ends ("xMin", "yMin", "zMin", then "xMax", ...), each axis a range.
    void AxesRange(const char* lowSuffix, float (&low)[3], const char* highSuffix, float (&high)[3]) const;

private:
    template <class T>
    void Order(const std::string& lowName, T& low, const std::string& highName, T& high) const {
        if (high < low) {
            SayInverted(lowName, static_cast<double>(low), highName, static_cast<double>(high));
            std::swap(low, high);
        }
    }
    void SayInverted(const std::string& lowName, double low, const std::string& highName, double high) const;
    std::string Field(const std::string& name) const { return m_element + " " + name; }

    common::CXmlReader& m_reader;
    std::string m_element;
};

// Writes a functor's element as text lines: the element's tag on two tabs, each parameter on
// three, every line flushed. Floats in the stream's default format, integers and flags as
// numbers, angles in radians as held.
class CPartParamWriter {
public:
    explicit CPartParamWriter(std::ostream& out) : m_out(out) {}
    void Element(const char* name);
    // The element's closing tag.
    void End();
    void Value(const std::string& name, float value);
    void Value(const std::string& name, std::uint32_t value) { Line(name, std::to_string(value)); }
    void Value(const std::string& name, std::uint8_t value) { Line(name, std::to_string(value)); }
    void Value(const std::string& name, bool value) { Line(name, value ? "1" : "0"); }
    void Degrees(const std::string& name, float radians) { Value(name, radians); }
    template <class T>
    void Range(const std::string& lowName, T low, const std::string& highName, T high) {
        Value(lowName, low);
        Value(highName, high);
    }
    void AxesRange(const char* lowSuffix, const float (&low)[3], const char* highSuffix, const float (&high)[3]);

private:
    void Line(const std::string& name, const std::string& value);
    std::ostream& m_out;
    std::string m_element;
};

// The x, y and z values of a vector of three, named with the axis first ("xMin", "yMin", "zMin").
template <class TParams, class T>
void DescribeAxes(TParams& params, const char* suffix, T (&values)[3]) {
    static constexpr const char* kAxes[3] = {"x", "y", "z"};
    for (int i = 0; i < 3; ++i) {
        params.Value(std::string(kAxes[i]) + suffix, values[i]);
    }
}

// Load and Save of a functor from its one Describe list (a static template over the functor,
// const when saving, and the reader or the writer), then its OnLoaded.
template <class TFunctor, class TBase = PartBaseFunctor>
class CPartFunctor : public TBase {
public:
    void Load(common::CXmlReader& reader) override {
        CPartParamReader params(reader);
        TFunctor::Describe(static_cast<TFunctor&>(*this), params);
        static_cast<TFunctor&>(*this).OnLoaded();
    }
    void Save(std::ostream& out) const override {
        CPartParamWriter params(out);
        TFunctor::Describe(static_cast<const TFunctor&>(*this), params);
        params.End();
    }
};

// A functor that draws numbers: its generator is seeded from the clock at Load.
class CRandomPartFunctor : public PartBaseFunctor {
public:
    void Seed(std::uint32_t seed) { m_random.Seed(seed); }
    void OnLoaded() { m_random.SeedWithTime(); }

protected:
    // low + RandomInt(trunc((high - low) x 1000) as unsigned) x 0.001: steps of 1/1000, high
    // never reached.
    float RangeDraw(float low, float high);
    common::CMersenneTwister m_random;
};

// A functor on the shared stopwatch that cycles through time steps; Load restarts it.
class CTimedPartFunctor : public PartBaseFunctor {
public:
    CTimedPartFunctor() : m_stopwatch(true) {}
    void OnLoaded() { RestartClock(); }

protected:
    // Seconds since construction, Load or the last restart; virtual so a test can set time.
    virtual double ElapsedSeconds() { return m_stopwatch.GetElapsedSeconds(); }
    virtual void RestartClock() { m_stopwatch.Restart(); }
    common::CStopwatchTimer m_stopwatch;
};

class NormalColorInit : public CPartFunctor<NormalColorInit> {
public:
    void Apply(SParticle& p, float elapsed) override;
    template <class TSelf, class TParams>
    static void Describe(TSelf& self, TParams& params) {
        params.Element("normal_color_init");
        params.Value("color_norm_init", self.m_colour);
    }
    std::uint32_t m_colour = 0;
};

class RandColorInit : public CPartFunctor<RandColorInit, CRandomPartFunctor> {
public:
    void Apply(SParticle& p, float elapsed) override;
    template <class TSelf, class TParams>
    static void Describe(TSelf& self, TParams& params) {
        static constexpr const char* kChannels[4] = {"red", "green", "blue", "alpha"};
        params.Element("random_color_init");
        for (int c = 0; c < 4; ++c) {
            params.Range(std::string(kChannels[c]) + "_low_range", self.m_low[c],
                         std::string(kChannels[c]) + "_high_range", self.m_high[c]);
        }
    }
    std::uint8_t m_low[4] = {0, 0, 0, 0}; // r, g, b, a
    std::uint8_t m_high[4] = {0, 0, 0, 0};
};

class FadeColorUpdate : public CPartFunctor<FadeColorUpdate> {
public:
    void Apply(SParticle& p, float elapsed) override;
    template <class TSelf, class TParams>
    static void Describe(TSelf& self, TParams& params) {
        params.Element("fade_color_update");
        params.Value("fade_rate", self.m_fadeRate);
    }
    float m_fadeRate = 0.0f;
};

class ExponentialFadeColorUpdate : public CPartFunctor<ExponentialFadeColorUpdate> {
public:
    void Apply(SParticle& p, float elapsed) override;
    template <class TSelf, class TParams>
    static void Describe(TSelf& self, TParams& params) {
        params.Element("exponential_color_update");
        params.Value("fade_rate", self.m_fadeRate);
        params.Value("exponent", self.m_exponent);
        params.Value("time_rate", self.m_timeRate);
    }
    float m_fadeRate = 0.0f;
    float m_exponent = 1.0f;
    float m_timeRate = 0.0f;
};

class NormalLifeInit : public CPartFunctor<NormalLifeInit> {
public:
    void Apply(SParticle& p, float elapsed) override;
    template <class TSelf, class TParams>
    static void Describe(TSelf& self, TParams& params) {
        params.Element("normal_life_init");
        params.Value("life", self.m_life);
    }
    float m_life = 0.0f;
};

class RandomLifeInit : public CPartFunctor<RandomLifeInit, CRandomPartFunctor> {
public:
    void Apply(SParticle& p, float elapsed) override;
    template <class TSelf, class TParams>
    static void Describe(TSelf& self, TParams& params) {
        params.Element("random_life_init");
        params.Range("min_life", self.m_minLife, "max_life", self.m_maxLife);
    }
    float m_minLife = 0.0f;
    float m_maxLife = 0.0f;
};

class NormalLifeUpdate : public CPartFunctor<NormalLifeUpdate> {
public:
    void Apply(SParticle& p, float elapsed) override;
    template <class TSelf, class TParams>
    static void Describe(TSelf& self, TParams& params) {
        params.Element("normal_life_update");
        params.Value("death_rate", self.m_deathRate);
    }
    float m_deathRate = 0.0f;
};

class IncrementalLifeUpdate : public CPartFunctor<IncrementalLifeUpdate, CTimedPartFunctor> {
public:
    void Apply(SParticle& p, float elapsed) override;
    template <class TSelf, class TParams>
    static void Describe(TSelf& self, TParams& params) {
        params.Element("incremental_life_update");
        for (int i = 0; i < 5; ++i) {
            params.Value("death_rate_" + std::to_string(i + 1), self.m_deathRates[i]);
        }
        for (int i = 0; i < 5; ++i) {
            params.Value("time_step_" + std::to_string(i + 1), self.m_timeSteps[i]);
        }
    }
    float m_deathRates[5] = {0.1f, 0.1f, 0.1f, 0.1f, 0.1f};
    float m_timeSteps[5] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
};

class NormalSizeInit : public CPartFunctor<NormalSizeInit> {
public:
    void Apply(SParticle& p, float elapsed) override;
    template <class TSelf, class TParams>
    static void Describe(TSelf& self, TParams& params) {
        params.Element("normal_size_init");
        DescribeAxes(params, "", self.m_size);
    }
    float m_size[3] = {1.0f, 1.0f, 1.0f};
};

class RandomSizeInit : public CPartFunctor<RandomSizeInit, CRandomPartFunctor> {
public:
    void Apply(SParticle& p, float elapsed) override;
    template <class TSelf, class TParams>
    static void Describe(TSelf& self, TParams& params) {
        params.Element("random_size_init");
        params.AxesRange("Min", self.m_min, "Max", self.m_max);
    }
    float m_min[3] = {0.0f, 0.0f, 0.0f};
    float m_max[3] = {0.0f, 0.0f, 0.0f};
};

class NormalSizeUpdate : public CPartFunctor<NormalSizeUpdate> {
public:
    void Apply(SParticle& p, float elapsed) override;
    template <class TSelf, class TParams>
    static void Describe(TSelf& self, TParams& params) {
        params.Element("normal_size_update");
        DescribeAxes(params, "Rate", self.m_rate);
        DescribeAxes(params, "Limit", self.m_limit);
    }
    // An axis with a falling rate shrinks.
    void OnLoaded();
    float m_rate[3] = {0.0f, 0.0f, 0.0f};
    float m_limit[3] = {0.0f, 0.0f, 0.0f};
    std::uint8_t m_shrink[3] = {0, 0, 0};
};

class RandomSizeUpdate : public CPartFunctor<RandomSizeUpdate, CRandomPartFunctor> {
public:
    void Apply(SParticle& p, float elapsed) override;
    template <class TSelf, class TParams>
    static void Describe(TSelf& self, TParams& params) {
        params.Element("random_size_update");
        params.AxesRange("Min", self.m_min, "Max", self.m_max);
    }
    float m_min[3] = {0.0f, 0.0f, 0.0f};
    float m_max[3] = {0.0f, 0.0f, 0.0f};
};

class ExponentialSizeUpdate : public CPartFunctor<ExponentialSizeUpdate> {
public:
    void Apply(SParticle& p, float elapsed) override;
    template <class TSelf, class TParams>
    static void Describe(TSelf& self, TParams& params) {
        params.Element("exponential_size_update");
        DescribeAxes(params, "Exponent", self.m_exponent);
        DescribeAxes(params, "Limit", self.m_limit);
    }
    // An axis with an exponent below 1 shrinks.
    void OnLoaded();
    float m_exponent[3] = {0.0f, 0.0f, 0.0f};
    float m_limit[3] = {0.0f, 0.0f, 0.0f};
    std::uint8_t m_shrink[3] = {0, 0, 0};
};

class NormalVelocityInit : public CPartFunctor<NormalVelocityInit> {
public:
    void Apply(SParticle& p, float elapsed) override;
    template <class TSelf, class TParams>
    static void Describe(TSelf& self, TParams& params) {
        params.Element("normal_velocity_init");
        DescribeAxes(params, "", self.m_velocity);
    }
    float m_velocity[3] = {0.0f, 0.0f, 0.0f};
};

class RandomVelocityInit : public CPartFunctor<RandomVelocityInit, CRandomPartFunctor> {
public:
    void Apply(SParticle& p, float elapsed) override;
    template <class TSelf, class TParams>
    static void Describe(TSelf& self, TParams& params) {
        params.Element("random_velocity_init");
        params.AxesRange("Min", self.m_min, "Max", self.m_max);
    }
    float m_min[3] = {0.0f, 0.0f, 0.0f};
    float m_max[3] = {0.0f, 0.0f, 0.0f};
};

class CosineVelocityUpdate : public CPartFunctor<CosineVelocityUpdate> {
public:
    void Apply(SParticle& p, float elapsed) override;
    template <class TSelf, class TParams>
    static void Describe(TSelf& self, TParams& params) {
        params.Element("cosine_velocity_update");
        params.Value("interp_angle", self.m_interpAngle);
        params.Value("amplitude", self.m_amplitude);
        params.Value("move_on_X", self.m_moveOnX);
        params.Value("move_on_Y", self.m_moveOnY);
        params.Value("move_on_Z", self.m_moveOnZ);
    }
    float m_amplitude = 0.0f;
    float m_interpAngle = 0.0f;
    bool m_moveOnX = false;
    bool m_moveOnY = true;
    bool m_moveOnZ = false;
};

class SpiralVelocityUpdate : public CPartFunctor<SpiralVelocityUpdate> {
public:
    void Apply(SParticle& p, float elapsed) override;
    template <class TSelf, class TParams>
    static void Describe(TSelf& self, TParams& params) {
        params.Element("spiral_velocity_update");
        params.Degrees("yaw", self.m_yaw);
        params.Degrees("pitch", self.m_pitch);
        params.Degrees("roll", self.m_roll);
    }
    // The rotation of the three angles.
    void OnLoaded();
    float m_yaw = 0.0f; // radians
    float m_pitch = 0.0f;
    float m_roll = 0.0f;
    common::CMatrix3 m_rotation;
};

class GravityVelocityUpdate : public CPartFunctor<GravityVelocityUpdate> {
public:
    void Apply(SParticle& p, float elapsed) override;
    template <class TSelf, class TParams>
    static void Describe(TSelf& self, TParams& params) {
        params.Element("gravity_velocity_update");
        DescribeAxes(params, "", self.m_gravity);
    }
    float m_gravity[3] = {0.0f, 0.0f, 0.0f};
};

class ExponentialVelocityUpdate : public CPartFunctor<ExponentialVelocityUpdate> {
public:
    void Apply(SParticle& p, float elapsed) override;
    template <class TSelf, class TParams>
    static void Describe(TSelf& self, TParams& params) {
        params.Element("exponential_velocity_update");
        DescribeAxes(params, "Exponent", self.m_exponent);
        DescribeAxes(params, "Limit", self.m_limit);
    }
    // An axis with an exponent below 1 shrinks.
    void OnLoaded();
    float m_exponent[3] = {0.0f, 0.0f, 0.0f};
    float m_limit[3] = {0.0f, 0.0f, 0.0f};
    std::uint8_t m_shrink[3] = {0, 0, 0};
};

class IncrementalVelocityUpdate : public CPartFunctor<IncrementalVelocityUpdate, CTimedPartFunctor> {
public:
    void Apply(SParticle& p, float elapsed) override;
    template <class TSelf, class TParams>
    static void Describe(TSelf& self, TParams& params) {
        params.Element("incremental_velocity_update");
        for (int r = 0; r < 3; ++r) {
            const std::string stem = "vel_rate_" + std::to_string(r + 1) + "_";
            params.Value(stem + "x", self.m_rates[r].x);
            params.Value(stem + "y", self.m_rates[r].y);
            params.Value(stem + "z", self.m_rates[r].z);
        }
        for (int s = 0; s < 3; ++s) {
            params.Value("time_step_" + std::to_string(s + 1), self.m_timeSteps[s]);
        }
    }
    D3DXVECTOR3 m_rates[3];
    float m_timeSteps[3] = {0.0f, 0.0f, 0.0f};
};

class NormalPositionInit : public CPartFunctor<NormalPositionInit> {
public:
    void Apply(SParticle& p, float elapsed) override;
    template <class TSelf, class TParams>
    static void Describe(TSelf& self, TParams& params) {
        params.Element("normal_position_init");
        params.Value("xPos", self.m_position.x);
        params.Value("yPos", self.m_position.y);
        params.Value("zPos", self.m_position.z);
        params.Value("radius", self.m_radius);
        params.Value("angle", self.m_angle);
        params.Value("xAxis", self.m_axis.x);
        params.Value("yAxis", self.m_axis.y);
        params.Value("zAxis", self.m_axis.z);
    }
    D3DXVECTOR3 m_axis;
    D3DXVECTOR3 m_position;
    float m_angle = 0.0f;
    float m_radius = 0.0f;
};

class CirclePositionInit : public CPartFunctor<CirclePositionInit, CRandomPartFunctor> {
public:
    void Apply(SParticle& p, float elapsed) override;
    template <class TSelf, class TParams>
    static void Describe(TSelf& self, TParams& params) {
        params.Element("circle_pos_init");
        params.Value("xOrigin", self.m_origin.x);
        params.Value("yOrigin", self.m_origin.y);
        params.Value("zOrigin", self.m_origin.z);
        params.Value("radius", self.m_radius);
        params.Degrees("yaw", self.m_yaw);
        params.Degrees("pitch", self.m_pitch);
        params.Degrees("roll", self.m_roll);
    }
    // Read and kept; the circle is not moved by it.
    D3DXVECTOR3 m_origin;
    float m_yaw = 0.0f; // radians
    float m_pitch = 0.0f;
    float m_roll = 0.0f;
    float m_radius = 0.0f;
    common::CMatrix3 m_rotation;
};

class NormalPositionUpdate : public CPartFunctor<NormalPositionUpdate> {
public:
    void Apply(SParticle& p, float elapsed) override;
    template <class TSelf, class TParams>
    static void Describe(TSelf&, TParams& params) {
        params.Element("normal_position_update");
    }
};

} // namespace gfx
} // namespace velm
