#include "engine/gfx/particle_functors.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <utility>
#include <vector>

#include "libs/common/math_util.h"
#include "libs/common/string_util.h"

namespace velm {
namespace gfx {
namespace {

using Params = std::vector<std::pair<std::string, std::string>>;

float ReadFloat(const common::CXmlReader& reader, const char* name) {
    return static_cast<float>(common::StringToFloat(reader.GetValue(name)));
}

int ReadInt(const common::CXmlReader& reader, const char* name) { return common::StringToInt(reader.GetValue(name)); }

std::string Text(float value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

std::string Text(long long value) { return std::to_string(value); }

void WriteElement(std::ostream& out, const std::string& element, const Params& params) {
    out << "\t\t<" << element << ">" << std::endl;
    for (const auto& [name, value] : params) {
        out << "\t\t\t<" << name << ">" << value << "</" << name << ">" << std::endl;
    }
    out << "\t\t</" << element << ">" << std::endl;
}

// A float as a signed 32-bit number, truncated toward zero; values beyond the range saturate.
std::int32_t TruncToInt32(float value) {
    if (!(value == value)) {
        return 0;
    }
    const double clamped = std::clamp(static_cast<double>(value), -2147483648.0, 2147483647.0);
    return static_cast<std::int32_t>(clamped);
}

std::uint8_t ReadByte(const common::CXmlReader& reader, const char* name) {
    return static_cast<std::uint8_t>(ReadInt(reader, name));
}

float& Axis(D3DXVECTOR3& v, int i) { return i == 0 ? v.x : (i == 1 ? v.y : v.z); }

constexpr const char* kAxisNames[3] = {"x", "y", "z"};

} // namespace

float CRandomPartFunctor::RangeDraw(float low, float high) {
    const std::uint32_t span = static_cast<std::uint32_t>(TruncToInt32((high - low) * 1000.0f));
    return low + static_cast<float>(m_random.RandomInt(span)) * 0.001f;
}

// Colour.

void NormalColorInit::Apply(SParticle& p, float) { p.colour = m_colour; }

void NormalColorInit::Load(common::CXmlReader& reader) {
    reader.Enter("normal_color_init");
    m_colour = static_cast<std::uint32_t>(ReadInt(reader, "color_norm_init"));
}

void NormalColorInit::Save(std::ostream& out) const {
    WriteElement(out, "normal_color_init", {{"color_norm_init", Text(static_cast<long long>(m_colour))}});
}

void RandColorInit::Apply(SParticle& p, float) {
    std::uint32_t channels[4];
    for (int c = 0; c < 4; ++c) {
        const std::uint32_t span = static_cast<std::uint32_t>(static_cast<int>(m_high[c]) - static_cast<int>(m_low[c]));
        channels[c] = (m_low[c] + m_random.RandomInt(span)) & 0xFFu;
    }
    p.colour = channels[3] << 24 | channels[0] << 16 | channels[1] << 8 | channels[2];
}

void RandColorInit::Load(common::CXmlReader& reader) {
    reader.Enter("random_color_init");
    static constexpr const char* kLow[4] = {"red_low_range", "green_low_range", "blue_low_range", "alpha_low_range"};
    static constexpr const char* kHigh[4] = {"red_high_range", "green_high_range", "blue_high_range",
                                             "alpha_high_range"};
    for (int c = 0; c < 4; ++c) {
        m_low[c] = ReadByte(reader, kLow[c]);
        m_high[c] = ReadByte(reader, kHigh[c]);
    }
    m_random.SeedWithTime();
}

void RandColorInit::Save(std::ostream& out) const {
    WriteElement(out, "random_color_init",
                 {{"red_low_range", Text(static_cast<long long>(m_low[0]))},
                  {"red_high_range", Text(static_cast<long long>(m_high[0]))},
                  {"green_low_range", Text(static_cast<long long>(m_low[1]))},
                  {"green_high_range", Text(static_cast<long long>(m_high[1]))},
                  {"blue_low_range", Text(static_cast<long long>(m_low[2]))},
                  {"blue_high_range", Text(static_cast<long long>(m_high[2]))},
                  {"alpha_low_range", Text(static_cast<long long>(m_low[3]))},
                  {"alpha_high_range", Text(static_cast<long long>(m_high[3]))}});
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

void FadeColorUpdate::Load(common::CXmlReader& reader) {
    reader.Enter("fade_color_update");
    m_fadeRate = ReadFloat(reader, "fade_rate");
}

void FadeColorUpdate::Save(std::ostream& out) const {
    WriteElement(out, "fade_color_update", {{"fade_rate", Text(m_fadeRate)}});
}

void ExponentialFadeColorUpdate::Apply(SParticle& p, float) {
    FadeAlpha(p, p.life < m_timeRate ? std::pow(m_fadeRate, m_exponent) : m_fadeRate);
}

void ExponentialFadeColorUpdate::Load(common::CXmlReader& reader) {
    reader.Enter("exponential_color_update");
    m_fadeRate = ReadFloat(reader, "fade_rate");
    m_exponent = ReadFloat(reader, "exponent");
    m_timeRate = ReadFloat(reader, "time_rate");
}

void ExponentialFadeColorUpdate::Save(std::ostream& out) const {
    WriteElement(out, "exponential_color_update",
                 {{"fade_rate", Text(m_fadeRate)}, {"exponent", Text(m_exponent)}, {"time_rate", Text(m_timeRate)}});
}

// Life.

void NormalLifeInit::Apply(SParticle& p, float) { p.life = m_life; }

void NormalLifeInit::Load(common::CXmlReader& reader) {
    reader.Enter("normal_life_init");
    m_life = ReadFloat(reader, "life");
}

void NormalLifeInit::Save(std::ostream& out) const { WriteElement(out, "normal_life_init", {{"life", Text(m_life)}}); }

void RandomLifeInit::Apply(SParticle& p, float) { p.life = RangeDraw(m_minLife, m_maxLife); }

void RandomLifeInit::Load(common::CXmlReader& reader) {
    reader.Enter("random_life_init");
    m_minLife = ReadFloat(reader, "min_life");
    m_maxLife = ReadFloat(reader, "max_life");
    m_random.SeedWithTime();
}

void RandomLifeInit::Save(std::ostream& out) const {
    WriteElement(out, "random_life_init", {{"min_life", Text(m_minLife)}, {"max_life", Text(m_maxLife)}});
}

void NormalLifeUpdate::Apply(SParticle& p, float) { p.life -= m_deathRate; }

void NormalLifeUpdate::Load(common::CXmlReader& reader) {
    reader.Enter("normal_life_update");
    m_deathRate = ReadFloat(reader, "death_rate");
}

void NormalLifeUpdate::Save(std::ostream& out) const {
    WriteElement(out, "normal_life_update", {{"death_rate", Text(m_deathRate)}});
}

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

void IncrementalLifeUpdate::Load(common::CXmlReader& reader) {
    reader.Enter("incremental_life_update");
    static constexpr const char* kRates[5] = {"death_rate_1", "death_rate_2", "death_rate_3", "death_rate_4",
                                              "death_rate_5"};
    static constexpr const char* kSteps[5] = {"time_step_1", "time_step_2", "time_step_3", "time_step_4",
                                              "time_step_5"};
    for (int i = 0; i < 5; ++i) {
        m_deathRates[i] = ReadFloat(reader, kRates[i]);
    }
    for (int i = 0; i < 5; ++i) {
        m_timeSteps[i] = ReadFloat(reader, kSteps[i]);
    }
    RestartClock();
}

void IncrementalLifeUpdate::Save(std::ostream& out) const {
    Params params;
    static constexpr const char* kRates[5] = {"death_rate_1", "death_rate_2", "death_rate_3", "death_rate_4",
                                              "death_rate_5"};
    static constexpr const char* kSteps[5] = {"time_step_1", "time_step_2", "time_step_3", "time_step_4",
                                              "time_step_5"};
    for (int i = 0; i < 5; ++i) {
        params.emplace_back(kRates[i], Text(m_deathRates[i]));
    }
    for (int i = 0; i < 5; ++i) {
        params.emplace_back(kSteps[i], Text(m_timeSteps[i]));
    }
    WriteElement(out, "incremental_life_update", params);
}

// Size.

namespace {

// Six per-axis values named xMin, yMin, zMin, xMax, yMax, zMax (or the given suffixes).
void ReadAxes(const common::CXmlReader& reader, const char* first, const char* second, float* a, float* b) {
    for (int i = 0; i < 3; ++i) {
        a[i] = ReadFloat(reader, (std::string(kAxisNames[i]) + first).c_str());
    }
    for (int i = 0; i < 3; ++i) {
        b[i] = ReadFloat(reader, (std::string(kAxisNames[i]) + second).c_str());
    }
}

void SaveAxes(std::ostream& out, const char* element, const char* first, const char* second, const float* a,
              const float* b) {
    Params params;
    for (int i = 0; i < 3; ++i) {
        params.emplace_back(std::string(kAxisNames[i]) + first, Text(a[i]));
    }
    for (int i = 0; i < 3; ++i) {
        params.emplace_back(std::string(kAxisNames[i]) + second, Text(b[i]));
    }
    WriteElement(out, element, params);
}

} // namespace

void NormalSizeInit::Apply(SParticle& p, float) { p.scale = D3DXVECTOR3(m_size[0], m_size[1], m_size[2]); }

void NormalSizeInit::Load(common::CXmlReader& reader) {
    reader.Enter("normal_size_init");
    for (int i = 0; i < 3; ++i) {
        m_size[i] = ReadFloat(reader, kAxisNames[i]);
    }
}

void NormalSizeInit::Save(std::ostream& out) const {
    WriteElement(out, "normal_size_init", {{"x", Text(m_size[0])}, {"y", Text(m_size[1])}, {"z", Text(m_size[2])}});
}

void RandomSizeInit::Apply(SParticle& p, float) {
    for (int i = 0; i < 3; ++i) {
        Axis(p.scale, i) = RangeDraw(m_min[i], m_max[i]);
    }
}

void RandomSizeInit::Load(common::CXmlReader& reader) {
    reader.Enter("random_size_init");
    ReadAxes(reader, "Min", "Max", m_min, m_max);
    m_random.SeedWithTime();
}

void RandomSizeInit::Save(std::ostream& out) const { SaveAxes(out, "random_size_init", "Min", "Max", m_min, m_max); }

void NormalSizeUpdate::Apply(SParticle& p, float) {
    for (int i = 0; i < 3; ++i) {
        float& s = Axis(p.scale, i);
        if (m_shrink[i] != 0 ? s > m_limit[i] : s < m_limit[i]) {
            s += m_rate[i];
        }
    }
}

void NormalSizeUpdate::Load(common::CXmlReader& reader) {
    reader.Enter("normal_size_update");
    ReadAxes(reader, "Rate", "Limit", m_rate, m_limit);
    for (int i = 0; i < 3; ++i) {
        m_shrink[i] = m_rate[i] < 0.0f ? 1 : 0;
    }
}

void NormalSizeUpdate::Save(std::ostream& out) const {
    SaveAxes(out, "normal_size_update", "Rate", "Limit", m_rate, m_limit);
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

void RandomSizeUpdate::Load(common::CXmlReader& reader) {
    reader.Enter("random_size_update");
    ReadAxes(reader, "Min", "Max", m_min, m_max);
    m_random.SeedWithTime();
}

void RandomSizeUpdate::Save(std::ostream& out) const {
    SaveAxes(out, "random_size_update", "Min", "Max", m_min, m_max);
}

void ExponentialSizeUpdate::Apply(SParticle& p, float) {
    for (int i = 0; i < 3; ++i) {
        float& s = Axis(p.scale, i);
        if (m_shrink[i] != 0 ? s > m_limit[i] : s < m_limit[i]) {
            s = std::pow(s, m_exponent[i]);
        }
    }
}

void ExponentialSizeUpdate::Load(common::CXmlReader& reader) {
    reader.Enter("exponential_size_update");
    ReadAxes(reader, "Exponent", "Limit", m_exponent, m_limit);
    for (int i = 0; i < 3; ++i) {
        m_shrink[i] = m_exponent[i] < 1.0f ? 1 : 0;
    }
}

void ExponentialSizeUpdate::Save(std::ostream& out) const {
    SaveAxes(out, "exponential_size_update", "Exponent", "Limit", m_exponent, m_limit);
}

// Velocity.

void NormalVelocityInit::Apply(SParticle& p, float) {
    p.velocity = D3DXVECTOR3(m_velocity[0], m_velocity[1], m_velocity[2]);
}

void NormalVelocityInit::Load(common::CXmlReader& reader) {
    reader.Enter("normal_velocity_init");
    for (int i = 0; i < 3; ++i) {
        m_velocity[i] = ReadFloat(reader, kAxisNames[i]);
    }
}

void NormalVelocityInit::Save(std::ostream& out) const {
    WriteElement(out, "normal_velocity_init",
                 {{"x", Text(m_velocity[0])}, {"y", Text(m_velocity[1])}, {"z", Text(m_velocity[2])}});
}

void RandomVelocityInit::Apply(SParticle& p, float) {
    for (int i = 0; i < 3; ++i) {
        Axis(p.velocity, i) = RangeDraw(m_min[i], m_max[i]);
    }
}

void RandomVelocityInit::Load(common::CXmlReader& reader) {
    reader.Enter("random_velocity_init");
    ReadAxes(reader, "Min", "Max", m_min, m_max);
    m_random.SeedWithTime();
}

void RandomVelocityInit::Save(std::ostream& out) const {
    SaveAxes(out, "random_velocity_init", "Min", "Max", m_min, m_max);
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

void CosineVelocityUpdate::Load(common::CXmlReader& reader) {
    reader.Enter("cosine_velocity_update");
    m_interpAngle = ReadFloat(reader, "interp_angle");
    m_amplitude = ReadFloat(reader, "amplitude");
    m_moveOnX = ReadInt(reader, "move_on_X") != 0;
    m_moveOnY = ReadInt(reader, "move_on_Y") != 0;
    m_moveOnZ = ReadInt(reader, "move_on_Z") != 0;
}

void CosineVelocityUpdate::Save(std::ostream& out) const {
    WriteElement(out, "cosine_velocity_update",
                 {{"interp_angle", Text(m_interpAngle)},
                  {"amplitude", Text(m_amplitude)},
                  {"move_on_X", Text(static_cast<long long>(m_moveOnX ? 1 : 0))},
                  {"move_on_Y", Text(static_cast<long long>(m_moveOnY ? 1 : 0))},
                  {"move_on_Z", Text(static_cast<long long>(m_moveOnZ ? 1 : 0))}});
}

void SpiralVelocityUpdate::Apply(SParticle& p, float) {
    const common::CVector3 v = m_rotation * common::CVector3(p.velocity.x, p.velocity.y, p.velocity.z);
    p.velocity = D3DXVECTOR3(v.x, v.y, v.z);
}

void SpiralVelocityUpdate::Load(common::CXmlReader& reader) {
    reader.Enter("spiral_velocity_update");
    m_yaw = common::DegToRad(ReadFloat(reader, "yaw"));
    m_pitch = common::DegToRad(ReadFloat(reader, "pitch"));
    m_roll = common::DegToRad(ReadFloat(reader, "roll"));
    m_rotation = common::MatrixFromEuler(m_yaw, m_pitch, m_roll);
}

void SpiralVelocityUpdate::Save(std::ostream& out) const {
    WriteElement(out, "spiral_velocity_update",
                 {{"yaw", Text(m_yaw)}, {"pitch", Text(m_pitch)}, {"roll", Text(m_roll)}});
}

void GravityVelocityUpdate::Apply(SParticle& p, float) {
    p.velocity.x += m_gravity[0];
    p.velocity.y += m_gravity[1];
    p.velocity.z += m_gravity[2];
}

void GravityVelocityUpdate::Load(common::CXmlReader& reader) {
    reader.Enter("gravity_velocity_update");
    for (int i = 0; i < 3; ++i) {
        m_gravity[i] = ReadFloat(reader, kAxisNames[i]);
    }
}

void GravityVelocityUpdate::Save(std::ostream& out) const {
    WriteElement(out, "gravity_velocity_update",
                 {{"x", Text(m_gravity[0])}, {"y", Text(m_gravity[1])}, {"z", Text(m_gravity[2])}});
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

void ExponentialVelocityUpdate::Load(common::CXmlReader& reader) {
    reader.Enter("exponential_velocity_update");
    ReadAxes(reader, "Exponent", "Limit", m_exponent, m_limit);
    for (int i = 0; i < 3; ++i) {
        m_shrink[i] = m_exponent[i] < 1.0f ? 1 : 0;
    }
}

void ExponentialVelocityUpdate::Save(std::ostream& out) const {
    SaveAxes(out, "exponential_velocity_update", "Exponent", "Limit", m_exponent, m_limit);
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

void IncrementalVelocityUpdate::Load(common::CXmlReader& reader) {
    reader.Enter("incremental_velocity_update");
    for (int r = 0; r < 3; ++r) {
        const std::string stem = "vel_rate_" + std::to_string(r + 1) + "_";
        for (int i = 0; i < 3; ++i) {
            Axis(m_rates[r], i) = ReadFloat(reader, (stem + kAxisNames[i]).c_str());
        }
    }
    for (int s = 0; s < 3; ++s) {
        m_timeSteps[s] = ReadFloat(reader, ("time_step_" + std::to_string(s + 1)).c_str());
    }
    RestartClock();
}

void IncrementalVelocityUpdate::Save(std::ostream& out) const {
    Params params;
    for (int r = 0; r < 3; ++r) {
        const float parts[3] = {m_rates[r].x, m_rates[r].y, m_rates[r].z};
        for (int i = 0; i < 3; ++i) {
            params.emplace_back("vel_rate_" + std::to_string(r + 1) + "_" + kAxisNames[i], Text(parts[i]));
        }
    }
    for (int s = 0; s < 3; ++s) {
        params.emplace_back("time_step_" + std::to_string(s + 1), Text(m_timeSteps[s]));
    }
    WriteElement(out, "incremental_velocity_update", params);
}

// Position.

void NormalPositionInit::Apply(SParticle& p, float) {
    p.position = m_position;
    p.axis = m_axis;
    p.angle = m_angle;
    p.radius = m_radius;
}

void NormalPositionInit::Load(common::CXmlReader& reader) {
    reader.Enter("normal_position_init");
    m_position = D3DXVECTOR3(ReadFloat(reader, "xPos"), ReadFloat(reader, "yPos"), ReadFloat(reader, "zPos"));
    m_radius = ReadFloat(reader, "radius");
    m_angle = ReadFloat(reader, "angle");
    m_axis = D3DXVECTOR3(ReadFloat(reader, "xAxis"), ReadFloat(reader, "yAxis"), ReadFloat(reader, "zAxis"));
}

void NormalPositionInit::Save(std::ostream& out) const {
    WriteElement(out, "normal_position_init",
                 {{"xPos", Text(m_position.x)},
                  {"yPos", Text(m_position.y)},
                  {"zPos", Text(m_position.z)},
                  {"radius", Text(m_radius)},
                  {"angle", Text(m_angle)},
                  {"xAxis", Text(m_axis.x)},
                  {"yAxis", Text(m_axis.y)},
                  {"zAxis", Text(m_axis.z)}});
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

void CirclePositionInit::Load(common::CXmlReader& reader) {
    reader.Enter("circle_pos_init");
    m_origin = D3DXVECTOR3(ReadFloat(reader, "xOrigin"), ReadFloat(reader, "yOrigin"), ReadFloat(reader, "zOrigin"));
    m_radius = ReadFloat(reader, "radius");
    m_yaw = common::DegToRad(ReadFloat(reader, "yaw"));
    m_pitch = common::DegToRad(ReadFloat(reader, "pitch"));
    m_roll = common::DegToRad(ReadFloat(reader, "roll"));
    m_random.SeedWithTime();
}

void CirclePositionInit::Save(std::ostream& out) const {
    WriteElement(out, "circle_pos_init",
                 {{"xOrigin", Text(m_origin.x)},
                  {"yOrigin", Text(m_origin.y)},
                  {"zOrigin", Text(m_origin.z)},
                  {"radius", Text(m_radius)},
                  {"yaw", Text(m_yaw)},
                  {"pitch", Text(m_pitch)},
                  {"roll", Text(m_roll)}});
}

void NormalPositionUpdate::Apply(SParticle& p, float) {
    p.position.x += p.velocity.x;
    p.position.y += p.velocity.y;
    p.position.z += p.velocity.z;
}

void NormalPositionUpdate::Load(common::CXmlReader& reader) { reader.Enter("normal_position_update"); }

void NormalPositionUpdate::Save(std::ostream& out) const { WriteElement(out, "normal_position_update", {}); }

} // namespace gfx
} // namespace velm
