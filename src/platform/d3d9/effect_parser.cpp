#include "platform/d3d9/effect_parser.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <map>
#include <set>

namespace platform {
namespace d3d9 {
namespace {

struct SToken {
    std::string text;
    int line = 0;
    bool end = false;
};

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

const std::map<std::string, DWORD>& StateValues() {
    static const std::map<std::string, DWORD> values = {
        {"true", TRUE},
        {"false", FALSE},
        {"none", D3DCULL_NONE},
        {"cw", D3DCULL_CW},
        {"ccw", D3DCULL_CCW},
        {"point", D3DFILL_POINT},
        {"wireframe", D3DFILL_WIREFRAME},
        {"solid", D3DFILL_SOLID},
        {"zero", D3DBLEND_ZERO},
        {"one", D3DBLEND_ONE},
        {"srccolor", D3DBLEND_SRCCOLOR},
        {"invsrccolor", D3DBLEND_INVSRCCOLOR},
        {"srcalpha", D3DBLEND_SRCALPHA},
        {"invsrcalpha", D3DBLEND_INVSRCALPHA},
        {"destalpha", D3DBLEND_DESTALPHA},
        {"invdestalpha", D3DBLEND_INVDESTALPHA},
        {"destcolor", D3DBLEND_DESTCOLOR},
        {"invdestcolor", D3DBLEND_INVDESTCOLOR},
        {"add", D3DBLENDOP_ADD},
        {"subtract", D3DBLENDOP_SUBTRACT},
        {"revsubtract", D3DBLENDOP_REVSUBTRACT},
        {"min", D3DBLENDOP_MIN},
        {"max", D3DBLENDOP_MAX},
        {"never", D3DCMP_NEVER},
        {"less", D3DCMP_LESS},
        {"equal", D3DCMP_EQUAL},
        {"lessequal", D3DCMP_LESSEQUAL},
        {"greater", D3DCMP_GREATER},
        {"notequal", D3DCMP_NOTEQUAL},
        {"greaterequal", D3DCMP_GREATEREQUAL},
        {"always", D3DCMP_ALWAYS},
    };
    return values;
}

const std::map<std::string, D3DRENDERSTATETYPE>& StateNames() {
    static const std::map<std::string, D3DRENDERSTATETYPE> names = {
        {"zenable", D3DRS_ZENABLE},
        {"fillmode", D3DRS_FILLMODE},
        {"zwriteenable", D3DRS_ZWRITEENABLE},
        {"alphatestenable", D3DRS_ALPHATESTENABLE},
        {"srcblend", D3DRS_SRCBLEND},
        {"destblend", D3DRS_DESTBLEND},
        {"cullmode", D3DRS_CULLMODE},
        {"zfunc", D3DRS_ZFUNC},
        {"alpharef", D3DRS_ALPHAREF},
        {"alphafunc", D3DRS_ALPHAFUNC},
        {"alphablendenable", D3DRS_ALPHABLENDENABLE},
        {"fogenable", D3DRS_FOGENABLE},
        {"lighting", D3DRS_LIGHTING},
        {"colorwriteenable", D3DRS_COLORWRITEENABLE},
        {"blendop", D3DRS_BLENDOP},
    };
    return names;
}

// An effect keeps a float and an int for every value of every parameter, and a handle for every
// parameter, element and member: a short file of struct arrays of arrays would otherwise ask for
// gigabytes. Far beyond what the uniforms of one shader can take.
constexpr std::uint64_t kMostValues = 65536;
constexpr std::uint64_t kMostHandles = 65536;

unsigned Components(const std::string& type) {
    if (type == "float4x4") {
        return 16;
    }
    if (type == "float2" || type == "float3" || type == "float4") {
        return static_cast<unsigned>(type[5] - '0');
    }
    return 1;
}

// The values and handles one declaration adds to its effect.
void Measure(const SParamDecl& param, std::uint64_t* values, std::uint64_t* handles) {
    const std::uint64_t count = std::max(1u, param.arrayLength);
    if (param.type != "struct") {
        *values += count * Components(param.type);
        *handles += 1;
        return;
    }
    std::uint64_t memberValues = 0;
    std::uint64_t memberHandles = 0;
    for (const SParamDecl& member : param.members) {
        Measure(member, &memberValues, &memberHandles);
    }
    *values += count * memberValues;
    *handles += 1 + (param.arrayLength > 0 ? count * (1 + memberHandles) : memberHandles);
}

class CParser {
public:
    CParser(const std::string& text, const std::string& fileName) : m_text(text), m_file(fileName) {}

    bool Parse(SEffectDecl* effect) {
        std::set<std::string> names;
        while (true) {
            SToken token = Next();
            if (token.end) {
                break;
            }
            if (token.text == "shared" || token.text == "param") {
                bool shared = token.text == "shared";
                if (shared && !Expect("param")) {
                    return false;
                }
                SParamDecl param;
                param.shared = shared;
                param.line = token.line;
                if (!ParseParam(&param, true)) {
                    return false;
                }
                if (!names.insert(param.name).second) {
                    return Fail(param.line, "parameter '" + param.name + "' declared twice");
                }
                Measure(param, &m_values, &m_handles);
                if (m_values > kMostValues || m_handles > kMostHandles) {
                    return Fail(param.line, "parameter '" + param.name + "' takes the effect past " +
                                                std::to_string(kMostValues) + " values or " +
                                                std::to_string(kMostHandles) + " parameters, elements and members");
                }
                effect->params.push_back(std::move(param));
            } else if (token.text == "technique") {
                STechniqueDecl technique;
                technique.line = token.line;
                if (!ParseTechnique(&technique)) {
                    return false;
                }
                effect->techniques.push_back(std::move(technique));
            } else if (token.text == "glsl") {
                SGlslBlock block;
                if (!ParseBlock(&block)) {
                    return false;
                }
                effect->blocks.push_back(std::move(block));
            } else {
                return Fail(token.line,
                            "expected 'param', 'shared', 'technique' or 'glsl', found '" + token.text + "'");
            }
        }
        return Check(*effect);
    }

    std::string Error() const { return m_error; }

private:
    bool Fail(int line, const std::string& message) {
        m_error = m_file + ":" + std::to_string(line) + ": " + message;
        return false;
    }

    void SkipSpace() {
        while (m_at < m_text.size()) {
            const char c = m_text[m_at];
            if (c == '\n') {
                ++m_line;
                ++m_at;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                ++m_at;
            } else if (c == '/' && m_at + 1 < m_text.size() && m_text[m_at + 1] == '/') {
                while (m_at < m_text.size() && m_text[m_at] != '\n') {
                    ++m_at;
                }
            } else {
                break;
            }
        }
    }

    SToken Next() {
        SkipSpace();
        SToken token;
        token.line = m_line;
        if (m_at >= m_text.size()) {
            token.end = true;
            return token;
        }
        const char c = m_text[m_at];
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == '-' || c == '+') {
            const std::size_t start = m_at;
            while (m_at < m_text.size() &&
                   (std::isalnum(static_cast<unsigned char>(m_text[m_at])) || m_text[m_at] == '_' ||
                    m_text[m_at] == '.' || m_text[m_at] == '-' || m_text[m_at] == '+')) {
                ++m_at;
            }
            token.text = m_text.substr(start, m_at - start);
        } else if (c == '{' && m_at + 1 < m_text.size() && m_text[m_at + 1] == '{') {
            token.text = "{{";
            m_at += 2;
        } else {
            token.text = std::string(1, c);
            ++m_at;
        }
        return token;
    }

    SToken Peek() {
        const std::size_t at = m_at;
        const int line = m_line;
        SToken token = Next();
        m_at = at;
        m_line = line;
        return token;
    }

    bool Expect(const std::string& text) {
        SToken token = Next();
        if (token.text != text) {
            return Fail(token.line,
                        "expected '" + text + "', found '" + (token.end ? "end of file" : token.text) + "'");
        }
        return true;
    }

    bool Identifier(std::string* name) {
        SToken token = Next();
        if (token.end || !(std::isalpha(static_cast<unsigned char>(token.text[0])) || token.text[0] == '_')) {
            return Fail(token.line, "expected a name, found '" + (token.end ? "end of file" : token.text) + "'");
        }
        *name = token.text;
        return true;
    }

    bool Number(const SToken& token, double* value) {
        char* end = nullptr;
        *value = std::strtod(token.text.c_str(), &end);
        if (token.end || end == token.text.c_str() || *end != '\0') {
            return Fail(token.line, "expected a number, found '" + (token.end ? "end of file" : token.text) + "'");
        }
        return true;
    }

    bool ParseParam(SParamDecl* param, bool topLevel) {
        if (!Identifier(&param->type)) {
            return false;
        }
        if (param->type == "struct") {
            if (!topLevel) {
                return Fail(param->line, "struct members cannot be structs");
            }
        } else if (GlslType(param->type).empty()) {
            return Fail(param->line, "unknown parameter type '" + param->type + "'");
        }
        if (!Identifier(&param->name)) {
            return false;
        }
        if (Peek().text == "[") {
            Next();
            double length = 0;
            SToken token = Next();
            if (!Number(token, &length)) {
                return false;
            }
            if (!(length >= 1 && length <= 256) || length != static_cast<unsigned>(length)) {
                return Fail(token.line, "array length must be 1 to 256");
            }
            param->arrayLength = static_cast<unsigned>(length);
            if (!Expect("]")) {
                return false;
            }
        }
        if (Peek().text == ":") {
            Next();
            if (!Identifier(&param->semantic)) {
                return false;
            }
        }
        if (param->type == "struct") {
            if (!Expect("{")) {
                return false;
            }
            while (Peek().text != "}") {
                if (Peek().end) {
                    return Fail(param->line, "struct '" + param->name + "' is not closed");
                }
                SParamDecl member;
                member.line = Peek().line;
                if (!ParseParam(&member, false)) {
                    return false;
                }
                param->members.push_back(std::move(member));
            }
            Next();
        } else if (Peek().text == "=") {
            Next();
            while (true) {
                double value = 0;
                const SToken token = Next();
                if (!Number(token, &value)) {
                    return false;
                }
                if (!(std::fabs(value) <= std::numeric_limits<float>::max())) {
                    return Fail(token.line, "value '" + token.text + "' is not a finite float");
                }
                param->initial.push_back(static_cast<float>(value));
                if (Peek().text != ",") {
                    break;
                }
                Next();
            }
        }
        return Expect(";");
    }

    bool ParseBlockList(std::vector<std::string>* blocks) {
        while (true) {
            std::string name;
            if (!Identifier(&name)) {
                return false;
            }
            blocks->push_back(name);
            if (Peek().text != ",") {
                return true;
            }
            Next();
        }
    }

    bool ParsePass(SPassDecl* pass) {
        if (!Identifier(&pass->name) || !Expect("{")) {
            return false;
        }
        while (Peek().text != "}") {
            SToken key = Next();
            if (key.end) {
                return Fail(pass->line, "pass '" + pass->name + "' is not closed");
            }
            if (!Expect("=")) {
                return false;
            }
            const std::string lowered = Lower(key.text);
            if (lowered == "vertex") {
                if (!ParseBlockList(&pass->vertexBlocks)) {
                    return false;
                }
            } else if (lowered == "fragment") {
                if (!ParseBlockList(&pass->fragmentBlocks)) {
                    return false;
                }
            } else {
                auto state = StateNames().find(lowered);
                if (state == StateNames().end()) {
                    return Fail(key.line, "unknown render state '" + key.text + "'");
                }
                SToken value = Next();
                auto named = StateValues().find(Lower(value.text));
                double number = 0;
                if (named != StateValues().end()) {
                    pass->states.emplace_back(state->second, named->second);
                } else if (Number(value, &number)) {
                    if (!(number >= 0.0 && number <= 4294967295.0) || number != std::floor(number)) {
                        return Fail(value.line, "value '" + value.text + "' for " + key.text +
                                                    " is not a whole number from 0 to 4294967295");
                    }
                    pass->states.emplace_back(state->second, static_cast<DWORD>(number));
                } else {
                    return Fail(value.line, "unknown value '" + value.text + "' for " + key.text);
                }
            }
            if (!Expect(";")) {
                return false;
            }
        }
        Next();
        if (pass->vertexBlocks.empty() || pass->fragmentBlocks.empty()) {
            return Fail(pass->line, "pass '" + pass->name + "' needs a vertex and a fragment block");
        }
        return true;
    }

    bool ParseTechnique(STechniqueDecl* technique) {
        if (!Identifier(&technique->name) || !Expect("{")) {
            return false;
        }
        while (Peek().text != "}") {
            SToken token = Next();
            if (token.text != "pass") {
                return Fail(token.line, "expected 'pass' in technique '" + technique->name + "'");
            }
            SPassDecl pass;
            pass.line = token.line;
            if (!ParsePass(&pass)) {
                return false;
            }
            technique->passes.push_back(std::move(pass));
        }
        Next();
        if (technique->passes.empty()) {
            return Fail(technique->line, "technique '" + technique->name + "' has no pass");
        }
        return true;
    }

    bool ParseBlock(SGlslBlock* block) {
        if (!Identifier(&block->name) || !Expect("{{")) {
            return false;
        }
        const int openLine = m_line;
        while (m_at < m_text.size() && m_text[m_at] != '\n') {
            ++m_at;
        }
        if (m_at < m_text.size()) {
            ++m_at;
            ++m_line;
        }
        block->firstLine = m_line;
        while (m_at < m_text.size()) {
            std::size_t end = m_text.find('\n', m_at);
            if (end == std::string::npos) {
                end = m_text.size();
            }
            const std::string line = m_text.substr(m_at, end - m_at);
            const std::size_t first = line.find_first_not_of(" \t\r");
            m_at = end < m_text.size() ? end + 1 : end;
            ++m_line;
            if (first != std::string::npos && line.compare(first, 2, "}}") == 0) {
                return true;
            }
            block->source += line;
            block->source += '\n';
        }
        return Fail(openLine, "glsl block '" + block->name + "' is not closed with '}}'");
    }

    bool Check(const SEffectDecl& effect) {
        std::set<std::string> blocks;
        for (const SGlslBlock& block : effect.blocks) {
            if (!blocks.insert(block.name).second) {
                return Fail(block.firstLine - 1, "glsl block '" + block.name + "' defined twice");
            }
        }
        for (const STechniqueDecl& technique : effect.techniques) {
            for (const SPassDecl& pass : technique.passes) {
                for (const auto* list : {&pass.vertexBlocks, &pass.fragmentBlocks}) {
                    for (const std::string& name : *list) {
                        if (blocks.count(name) == 0) {
                            return Fail(pass.line, "pass '" + pass.name + "' names no glsl block '" + name + "'");
                        }
                    }
                }
            }
        }
        return true;
    }

    const std::string& m_text;
    std::string m_file;
    std::size_t m_at = 0;
    int m_line = 1;
    std::string m_error;
    std::uint64_t m_values = 0;
    std::uint64_t m_handles = 0;
};

} // namespace

std::string GlslType(const std::string& type) {
    static const std::map<std::string, std::string> types = {
        {"float", "float"},         {"float2", "vec2"},
        {"float3", "vec3"},         {"float4", "vec4"},
        {"float4x4", "mat4"},       {"int", "int"},
        {"bool", "bool"},           {"texture", "sampler2D"},
        {"texture2D", "sampler2D"}, {"textureCUBE", "samplerCube"},
    };
    auto found = types.find(type);
    return found != types.end() ? found->second : std::string();
}

bool ParseEffect(const std::string& text, const std::string& fileName, SEffectDecl* effect, std::string* error) {
    CParser parser(text, fileName);
    *effect = SEffectDecl{};
    if (!parser.Parse(effect)) {
        *error = parser.Error();
        *effect = SEffectDecl{};
        return false;
    }
    return true;
}

} // namespace d3d9
} // namespace platform
