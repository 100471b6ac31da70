#include "engine/gfx/particle_functors.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iostream>
#include <sstream>
#include <string>

#include "libs/common/checked_number.h"
#include "libs/common/math_util.h"
#include "libs/common/string_util.h"

namespace velm {
namespace gfx {
namespace {

int ReadInt(const common::CXmlReader& reader, const char* name) { return common::StringToInt(reader.GetValue(name)); }

// A float as a signed 32-bit number, truncated toward zero; values beyond the range saturate.
std::int32_t TruncToInt32(float value) {
    if (!(value == value)) {
        return 0;
    }
    const double clamped = std::clamp(static_cast<double>(value), -2147483648.0, 2147483647.0);
    return static_cast<std::int32_t>(clamped);
}

float& Axis(D3DXVECTOR3& v, int i) { return i == 0 ? v.x : (i == 1 ? v.y : v.z); }

} // namespace

void CPartParamReader::Element(const char* name) {
    m_element = name;
    m_reader.Enter(name);
}

void CPartParamReader::Value(const std::string& name, float& value) const {
    value = common::ReadFloat(m_reader.GetValue(name), common::kAnyDataNumber, m_reader.GetFileName(), Field(name));
}

void CPartParamReader::Value(const std::string& name, std::uint32_t& value) const {
    value = static_cast<std::uint32_t>(ReadInt(m_reader, name.c_str()));
}

void CPartParamReader::Value(const std::string& name, std::uint8_t& value) const {
    value = static_cast<std::uint8_t>(
        common::ReadWhole(m_reader.GetValue(name), {0.0, 255.0, 255.0}, m_reader.GetFileName(), Field(name)));
}

void CPartParamReader::Value(const std::string& name, bool& value) const {
    value = ReadInt(m_reader, name.c_str()) != 0;
}

void CPartParamReader::Degrees(const std::string& name, float& radians) const {
    float degrees = 0.0f;
    Value(name, degrees);
    radians = common::DegToRad(degrees);
}

void CPartParamReader::AxesRange(const char* lowSuffix, float (&low)[3], const char* highSuffix,
                                 float (&high)[3]) const {
    DescribeAxes(*this, lowSuffix, low);
    DescribeAxes(*this, highSuffix, high);
    static constexpr const char* kAxes[3] = {"x", "y", "z"};
    for (int i = 0; i < 3; ++i) {
        Order(std::string(kAxes[i]) + lowSuffix, low[i], std::string(kAxes[i]) + highSuffix, high[i]);
    }
}

void CPartParamReader::SayInverted(const std::string& lowName, double low, const std::string& highName,
                                   double high) const {
    std::ostringstream line;
    line << m_reader.GetFileName() << ": " << Field(lowName) << " " << low << " lies above " << highName << " " << high
         << "; the two are swapped\n";
    std::cerr << line.str() << std::flush;
}

void CPartParamWriter::AxesRange(const char* lowSuffix, const float (&low)[3], const char* highSuffix,
                                 const float (&high)[3]) {
    DescribeAxes(*this, lowSuffix, low);
    DescribeAxes(*this, highSuffix, high);
}

void CPartParamWriter::Element(const char* name) {
    m_element = name;
    m_out << "\t\t<" << m_element << ">" << std::endl;
}

void CPartParamWriter::End() { m_out << "\t\t</" << m_element << ">" << std::endl; }

void CPartParamWriter::Value(const std::string& name, float value) {
    std::ostringstream text;
    text << value;
    Line(name, text.str());
}

void CPartParamWriter::Line(const std::string& name, const std::string& value) {
    m_out << "\t\t\t<" << name << ">" << value << "</" << name << ">" << std::endl;
}

float CRandomPartFunctor::RangeDraw(float low, float high) {
    const std::uint32_t span = static_cast<std::uint32_t>(TruncToInt32((high - low) * 1000.0f));
    return low + static_cast<float>(m_random.RandomInt(span)) * 0.001f;
}

// Colour.

void NormalColorInit::Apply(SParticle& p, float) { p.colour = m_colour; }

void RandColorInit::Apply(SParticle& p, float) {
    std::uint32_t channels[4];
    for (int c = 0; c < 4; ++c) {
        const std::uint32_t span = static_cast<std::uint32_t>(static_cast<int>(m_high[c]) - static_cast<int>(m_low[c]));
        channels[c] = (m_low[c] + m_random.RandomInt(span)) & 0xFFu;
    }
    p.colour = channels[3] << 24 | channels[0] << 16 | channels[1] << 8 | channels[2];
}

namespace {
void FadeAlpha(SParticle& p, float step) {
    long long alpha = static_cast<long long>(p.colour >> 24) - TruncToInt32(step);
    if (alpha < 1) {
        alpha = 0;
    } else if (alpha >= 255) {
        alpha = 255;
    }
    p.colour = static_cast<std::uint32_t>(alpha) << 24 | (p.colour & 0x00FFFFFFu);
}
} // namespace

void FadeColorUpdate::Apply(SParticle& p, float) { FadeAlpha(p, m_fadeRate); }

void ExponentialFadeColorUpdate::Apply(SParticle& p, float) {
    FadeAlpha(p, p.life < m_timeRate ? std::pow(m_fadeRate, m_exponent) : m_fadeRate);
}

// Life.

void NormalLifeInit::Apply(SParticle& p, float) { p.life = m_life; }

void RandomLifeInit::Apply(SParticle& p, float) { p.life = RangeDraw(m_minLife, m_maxLife); }

void NormalLifeUpdate::Apply(SParticle& p, float) { p.life -= m_deathRate; }

void IncrementalLifeUpdate::Apply(SParticle& p, float) {
    const double t = ElapsedSeconds();
    int rate = 0;
    if (t >= m_timeSteps[4]) {
        RestartClock();
    } else {
        for (int step = 3; step >= 0; --step) {
            if (t >= m_timeSteps[step]) {
                rate = step + 1;
                break;
            }
        }
    }
    p.life -= m_deathRates[rate];
}

// Size.

void NormalSizeInit::Apply(SParticle& p, float) { p.scale = D3DXVECTOR3(m_size[0], m_size[1], m_size[2]); }

void RandomSizeInit::Apply(SParticle& p, float) {
    for (int i = 0; i < 3; ++i) {
        Axis(p.scale, i) = RangeDraw(m_min[i], m_max[i]);
    }
}

void NormalSizeUpdate::Apply(SParticle& p, float) {
    for (int i = 0; i < 3; ++i) {
        float& s = Axis(p.scale, i);
        if (m_shrink[i] != 0 ? s > m_limit[i] : s < m_limit[i]) {
            s += m_rate[i];
        }
    }
}

void NormalSizeUpdate::OnLoaded() {
    for (int i = 0; i < 3; ++i) {
        m_shrink[i] = m_rate[i] < 0.0f ? 1 : 0;
    }
}

void RandomSizeUpdate::Apply(SParticle& p, float) {
    const float sign = m_random.RandomInt(100) % 2 == 0 ? 1.0f : -1.0f;
    const float d = sign * static_cast<float>(m_random.RandomInt(2));
    // Each axis is held within its own bounds; a minimum above the maximum gives the maximum.
    for (int i = 0; i < 2; ++i) {
        float& s = Axis(p.scale, i);
        s = std::min(std::max(s + d, m_min[i]), m_max[i]);
    }
}

void ExponentialSizeUpdate::Apply(SParticle& p, float) {
    for (int i = 0; i < 3; ++i) {
        float& s = Axis(p.scale, i);
        if (m_shrink[i] != 0 ? s > m_limit[i] : s < m_limit[i]) {
            s = std::pow(s, m_exponent[i]);
        }
    }
}

void ExponentialSizeUpdate::OnLoaded() {
    for (int i = 0; i < 3; ++i) {
        m_shrink[i] = m_exponent[i] < 1.0f ? 1 : 0;
    }
}

// Velocity.

void NormalVelocityInit::Apply(SParticle& p, float) {
    p.velocity = D3DXVECTOR3(m_velocity[0], m_velocity[1], m_velocity[2]);
}

void RandomVelocityInit::Apply(SParticle& p, float) {
    for (int i = 0; i < 3; ++i) {
        Axis(p.velocity, i) = RangeDraw(m_min[i], m_max[i]);
    }
}

void CosineVelocityUpdate::Apply(SParticle& p, float) {
    p.angle += m_interpAngle;
    const float v = std::cos(p.angle) * m_amplitude;
    if (m_moveOnX) {
        p.velocity.x = v;
    } else if (!m_moveOnY) {
        p.velocity.z = v;
    } else {
        p.velocity.y = v;
    }
}

void SpiralVelocityUpdate::Apply(SParticle& p, float) {
    const common::CVector3 v = m_rotation * common::CVector3(p.velocity.x, p.velocity.y, p.velocity.z);
    p.velocity = D3DXVECTOR3(v.x, v.y, v.z);
}

void SpiralVelocityUpdate::OnLoaded() { m_rotation = common::MatrixFromEuler(m_yaw, m_pitch, m_roll); }

void GravityVelocityUpdate::Apply(SParticle& p, float) {
    p.velocity.x += m_gravity[0];
    p.velocity.y += m_gravity[1];
    p.velocity.z += m_gravity[2];
}

void ExponentialVelocityUpdate::Apply(SParticle& p, float) {
    for (int i = 0; i < 3; ++i) {
        float& v = Axis(p.velocity, i);
        const bool step =
            m_shrink[i] != 0 ? std::fabs(v) > std::fabs(m_limit[i]) : std::fabs(v) < std::fabs(m_limit[i]);
        if (step) {
            v = std::pow(v, m_exponent[i]);
        }
    }
}

void ExponentialVelocityUpdate::OnLoaded() {
    for (int i = 0; i < 3; ++i) {
        m_shrink[i] = m_exponent[i] < 1.0f ? 1 : 0;
    }
}

void IncrementalVelocityUpdate::Apply(SParticle& p, float) {
    const double t = ElapsedSeconds();
    int increment = 0;
    if (t >= m_timeSteps[2]) {
        RestartClock();
    } else if (t >= m_timeSteps[1]) {
        increment = 2;
    } else if (t >= m_timeSteps[0]) {
        increment = 1;
    }
    p.velocity.x += m_rates[increment].x;
    p.velocity.y += m_rates[increment].y;
    p.velocity.z += m_rates[increment].z;
}

// Position.

void NormalPositionInit::Apply(SParticle& p, float) {
    p.position = m_position;
    p.axis = m_axis;
    p.angle = m_angle;
    p.radius = m_radius;
}

void CirclePositionInit::Apply(SParticle& p, float) {
    const float a = static_cast<float>(m_random.RandomInt(62831)) * 0.0001f;
    const float r = m_radius;
    p.radius = r;
    const common::CVector3 circle(r - r * std::cos(a) + r * std::sin(a), 0.0f, r + r * std::sin(a) + r * std::cos(a));
    m_rotation = common::MatrixFromEuler(m_yaw, m_pitch, m_roll);
    const common::CVector3 turned = m_rotation * circle;
    p.position = D3DXVECTOR3(turned.x, 0.0f, turned.z);
}

void NormalPositionUpdate::Apply(SParticle& p, float) {
    p.position.x += p.velocity.x;
    p.position.y += p.velocity.y;
    p.position.z += p.velocity.z;
}

} // namespace gfx
} // namespace velm
