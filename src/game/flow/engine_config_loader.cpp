#include "game/flow/engine_config_loader.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <sstream>

#include "libs/common/checked_number.h"
#include "libs/common/xml_reader.h"

namespace kelvo {
namespace {

using Info = velm::gfx::CVelmGfx::SVelmGfxInitInfo;

// The device refuses textures, and so back buffers, beyond this side.
constexpr std::int32_t kLargestScreenSide = 16384;
// Beyond any view distance the game draws; also keeps the value well inside a float.
constexpr float kFarthestFog = 100000.0f;

// Reads one value at a time from the reader's current scope; a value that cannot be used is
// replaced by the given default and, unless muted, said on the error stream.
class CFieldReader {
public:
    CFieldReader(const common::CXmlReader& reader, const std::string& fileName, std::ostream* errors)
        : m_reader(reader), m_fileName(fileName), m_errors(errors) {}

    void Flag(const char* name, bool& value, bool fallback) const {
        long number = 0;
        const std::string text = m_reader.GetValue(name);
        if (Whole(text, number)) {
            value = number != 0;
            return;
        }
        value = fallback;
        Refuse(name, text, "a whole number", fallback ? "1" : "0");
    }

    void Size(const char* name, std::int32_t& value, std::int32_t fallback) const {
        long number = 0;
        const std::string text = m_reader.GetValue(name);
        if (Whole(text, number) && number >= 1 && number <= kLargestScreenSide) {
            value = static_cast<std::int32_t>(number);
            return;
        }
        value = fallback;
        Refuse(name, text, "a whole number from 1 to " + std::to_string(kLargestScreenSide), std::to_string(fallback));
    }

    void Float(const char* name, float& value, float fallback, float lowest, float highest) const {
        double number = 0.0;
        const std::string text = m_reader.GetValue(name);
        if (Finite(text, number) && number >= lowest && number <= highest) {
            value = static_cast<float>(number);
            return;
        }
        value = fallback;
        std::ostringstream range;
        range << "a number from " << lowest << " to " << highest;
        std::ostringstream shown;
        shown << fallback;
        Refuse(name, text, range.str(), shown.str());
    }

private:
    static bool Whole(const std::string& text, long& number) {
        if (text.empty()) {
            return false;
        }
        errno = 0;
        char* end = nullptr;
        number = std::strtol(text.c_str(), &end, 10);
        return errno == 0 && *end == '\0';
    }

    static bool Finite(const std::string& text, double& number) {
        if (text.empty()) {
            return false;
        }
        char* end = nullptr;
        number = std::strtod(text.c_str(), &end);
        return *end == '\0' && std::isfinite(number);
    }

    void Refuse(const char* name, const std::string& text, const std::string& wanted,
                const std::string& fallback) const {
        if (m_errors != nullptr) {
            common::ReportRefusedValue(*m_errors, m_fileName, name, text, wanted, fallback);
        }
    }

    const common::CXmlReader& m_reader;
    const std::string& m_fileName;
    std::ostream* m_errors;
};

} // namespace

void CEngineConfigLoader::Load(const std::string& fileName) { Load(fileName, std::cerr); }

void CEngineConfigLoader::Load(const std::string& fileName, std::ostream& errors) {
    common::CXmlReader reader;
    reader.Load(fileName);
    reader.Enter("VelmConfig");
    reader.Enter("VelmGraphic");

    // The file scope, the root and the graphics section: anything less means the file is gone,
    // empty, cut short or another file, and every field takes its default without a line each.
    constexpr std::uint32_t kGraphicsScope = 3;
    const bool complete = reader.GetScopeCount() == kGraphicsScope;
    if (!complete) {
        errors << fileName << ": "
               << (reader.WasRead() ? "not a complete engine configuration (VelmConfig holding VelmGraphic)"
                                    : "cannot be read (" + reader.GetError() + ")")
               << "; using the default settings (windowed 800 x 600)\n";
    }
    const CFieldReader field(reader, fileName, complete ? &errors : nullptr);

    field.Flag("UseDefault", m_info.m_useDefault, false);

    reader.Enter("Atmosphere");
    field.Float("r", m_info.m_r, 0.62f, 0.0f, 1.0f);
    field.Float("g", m_info.m_g, 0.74f, 0.0f, 1.0f);
    field.Float("b", m_info.m_b, 0.86f, 0.0f, 1.0f);
    field.Float("a", m_info.m_a, 1.0f, 0.0f, 1.0f);
    field.Float("FogStart", m_info.m_fogStart, 60.0f, 0.0f, kFarthestFog);
    field.Float("FogEnd", m_info.m_fogEnd, 400.0f, 0.0f, kFarthestFog);
    field.Float("FogDensity", m_info.m_fogDensity, 0.004f, 0.0f, 1.0f);

    reader.Enter("Settings");
    field.Flag("EnableFullSceneAA", m_info.m_enableFullSceneAA, true);
    field.Flag("EnableWireFrame", m_info.m_enableWireFrame, false);
    field.Flag("FullScreen", m_info.m_fullScreen, false);
    field.Size("ScreenWidth", m_info.m_screenWidth, 800);
    field.Size("ScreenHeight", m_info.m_screenHeight, 600);

    reader.Enter("FX");
    for (std::string name = reader.GetValue("FileName"); !name.empty(); name = reader.GetValue("FileName")) {
        m_info.m_fxFiles.push_back(name);
        reader.Enter("FX");
    }
}

} // namespace kelvo
