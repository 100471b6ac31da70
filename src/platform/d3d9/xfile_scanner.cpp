#include "platform/d3d9/xfile_scanner.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

// The reading rules follow the mesh library's text reader exactly where it is lenient (which
// separators it consumes, decimal commas, skipped unknown objects), so that what is checked here
// is what it will use; wherever the two readings could differ, the file is refused.

namespace platform {
namespace d3d9 {
namespace {

// The library keeps at most this many texture coordinate and colour sets per mesh.
constexpr unsigned kMaxSets = 8;
// Frames nest by recursion in the library and in the loader.
constexpr unsigned kMaxFrameDepth = 128;
// A count above this is refused whatever the file's size.
constexpr std::uint64_t kMaxCount = 0x7FFFFFFF;
// Digits the library can read into a 64-bit number without overflowing (it throws beyond).
constexpr std::size_t kMaxDigits = 18;

struct SRefusal {
    std::string why;
};

struct SMesh {
    std::string name;
    std::uint64_t vertices = 0;
    std::uint64_t faces = 0;
    unsigned textureSets = 0;
    unsigned colourSets = 0;
    bool materialList = false;
};

class CScanner {
public:
    CScanner(const char* data, std::size_t size) : m_p(data), m_end(data + size) {}

    void Scan() {
        Header();
        bool frames = false;
        bool meshes = false;
        for (std::string object = Token(); !object.empty(); object = Token()) {
            if (object == "template") {
                Template();
            } else if (object == "Frame") {
                Frame(1);
                frames = true;
            } else if (object == "Mesh") {
                Mesh();
                meshes = true;
            } else if (object == "AnimTicksPerSecond") {
                Head(nullptr);
                Int("ticks per second");
                ClosingBrace("AnimTicksPerSecond");
            } else if (object == "AnimationSet") {
                AnimationSet();
            } else if (object == "Material") {
                Material();
            } else if (object != "}") {
                Unknown();
            }
        }
        if (!frames && !meshes) {
            Refuse("no frame and no mesh");
        }
        // The library hangs meshes outside frames on the root frame, replacing (and leaking)
        // the meshes the root frame holds.
        if (frames && meshes) {
            Refuse("meshes outside frames are read only in files without frames");
        }
    }

    int Line() const { return m_line; }

private:
    [[noreturn]] void Refuse(const std::string& why) const { throw SRefusal{why}; }

    bool AtEnd() const { return m_p >= m_end; }

    void Header() {
        if (m_end - m_p < 16 || std::strncmp(m_p, "xof ", 4) != 0) {
            Refuse("no \"xof\" header");
        }
        for (int i = 4; i < 8; ++i) {
            if (m_p[i] < '0' || m_p[i] > '9') {
                Refuse("the header's version is not four digits");
            }
        }
        if (std::strncmp(m_p + 8, "bin ", 4) == 0 || std::strncmp(m_p + 8, "tzip", 4) == 0 ||
            std::strncmp(m_p + 8, "bzip", 4) == 0) {
            Refuse("binary and compressed .x files are not read, only text");
        }
        if (std::strncmp(m_p + 8, "txt ", 4) != 0) {
            Refuse("unknown .x format in the header");
        }
        if (std::strncmp(m_p + 12, "0032", 4) != 0 && std::strncmp(m_p + 12, "0064", 4) != 0) {
            Refuse("the header's float size is neither 32 nor 64");
        }
        for (const char* c = m_p; c < m_end; ++c) {
            const auto byte = static_cast<unsigned char>(*c);
            if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') {
                Refuse("control character in a text file");
            }
        }
        m_p += 16;
        // The library skips the rest of the header line; only blanks may stand there.
        while (!AtEnd() && *m_p != '\n') {
            if (*m_p != ' ' && *m_p != '\t' && *m_p != '\r') {
                Refuse("text after the header on its line");
            }
            ++m_p;
        }
    }

    bool StartsWith(const char* text) const {
        const std::size_t length = std::strlen(text);
        return static_cast<std::size_t>(m_end - m_p) >= length && std::strncmp(m_p, text, length) == 0;
    }

    static bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
    static bool IsDelimiter(char c) { return c == ';' || c == ',' || c == '{' || c == '}'; }
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

    // Blanks and comments ("//" or "#" where a token would start, to the end of the line).
    void SkipSpace() {
        for (;;) {
            while (!AtEnd() && IsSpace(*m_p)) {
                m_line += *m_p == '\n' ? 1 : 0;
                ++m_p;
            }
            if (AtEnd()) {
                return;
            }
            if (*m_p == '#' || (*m_p == '/' && m_end - m_p > 1 && m_p[1] == '/')) {
                while (!AtEnd() && *m_p != '\n' && *m_p != '\r') {
                    ++m_p;
                }
                if (!AtEnd()) {
                    m_line += *m_p == '\n' ? 1 : 0;
                    ++m_p;
                }
                continue;
            }
            return;
        }
    }

    // One delimiter, or a run of anything else up to a blank or a delimiter; empty at the end.
    std::string Token() {
        SkipSpace();
        const char* start = m_p;
        if (!AtEnd() && IsDelimiter(*m_p)) {
            ++m_p;
        } else {
            while (!AtEnd() && !IsSpace(*m_p) && !IsDelimiter(*m_p)) {
                ++m_p;
            }
        }
        return std::string(start, m_p);
    }

    void Separator(const char* what) {
        const std::string token = Token();
        if (token != ";" && token != ",") {
            Refuse(std::string("separator expected after ") + what);
        }
    }

    // The optional separator after a vector, a colour or a face.
    void OptionalSeparator() {
        SkipSpace();
        if (!AtEnd() && (*m_p == ';' || *m_p == ',')) {
            ++m_p;
        }
    }

    void Semicolon(const char* what) {
        if (Token() != ";") {
            Refuse(std::string("';' expected after ") + what);
        }
    }

    void ClosingBrace(const std::string& what) {
        const std::string token = Token();
        if (token != "}") {
            Refuse("'}' expected to close " + what + (token.empty() ? ", found the end of the file" : ""));
        }
    }

    std::uint64_t Digits(const char* what) {
        const char* start = m_p;
        std::uint64_t value = 0;
        while (!AtEnd() && IsDigit(*m_p)) {
            value = value * 10 + static_cast<std::uint64_t>(*m_p - '0');
            ++m_p;
            if (static_cast<std::size_t>(m_p - start) > kMaxDigits) {
                Refuse(std::string(what) + ": number too long");
            }
        }
        return value;
    }

    std::uint64_t Int(const char* what) {
        SkipSpace();
        if (!AtEnd() && *m_p == '-') {
            Refuse(std::string(what) + ": negative number");
        }
        if (AtEnd() || !IsDigit(*m_p)) {
            Refuse(std::string(what) + ": whole number expected" + (AtEnd() ? ", found the end of the file" : ""));
        }
        const std::uint64_t value = Digits(what);
        if (value > kMaxCount) {
            Refuse(std::string(what) + ": number too large");
        }
        Separator(what);
        return value;
    }

    // A count of entries of at least `bytesEach` bytes each: refused when the rest of the file
    // cannot hold them, before anything is allocated for them.
    std::uint64_t Count(const std::string& what, std::uint64_t bytesEach) {
        const std::uint64_t count = Int(what.c_str());
        if (count > static_cast<std::uint64_t>(m_end - m_p) / bytesEach) {
            Refuse(what + ": " + std::to_string(count) + " declared, more than the rest of the file holds");
        }
        return count;
    }

    std::uint64_t Index(const std::string& what, std::uint64_t limit) {
        const std::uint64_t index = Int(what.c_str());
        if (index >= limit) {
            Refuse(what + ": index " + std::to_string(index) + " is outside the " + std::to_string(limit) +
                   " there are");
        }
        return index;
    }

    void Float(const char* what) {
        SkipSpace();
        // The library takes "1.#IND00", "-1.#IND00" and "1.#QNAN0" for 0 and skips a fixed
        // number of bytes (one past the end of the first); read here, "#" starts a comment.
        if (StartsWith("1.#") || StartsWith("-1.#")) {
            Refuse(std::string(what) + ": a number written as 1.#IND or 1.#QNAN is read differently by the library");
        }
        if (!AtEnd() && (*m_p == '-' || *m_p == '+')) {
            ++m_p;
        }
        const bool fractionOnly = !AtEnd() && *m_p == '.' && m_end - m_p > 1 && IsDigit(m_p[1]);
        if (!fractionOnly && (AtEnd() || !IsDigit(*m_p))) {
            Refuse(std::string(what) + ": number expected" + (AtEnd() ? ", found the end of the file" : ""));
        }
        double value = static_cast<double>(Digits(what));
        // The library reads a comma before a digit as a decimal point here: "1,5" is 1.5 to it
        // and two numbers to most writers, so it is refused.
        if (!AtEnd() && *m_p == ',' && m_end - m_p > 1 && IsDigit(m_p[1])) {
            Refuse(std::string(what) + ": a whole number directly followed by a comma and a digit is ambiguous");
        }
        if (!AtEnd() && *m_p == '.') {
            ++m_p;
            while (!AtEnd() && IsDigit(*m_p)) {
                ++m_p;
            }
        }
        if (!AtEnd() && (*m_p == 'e' || *m_p == 'E')) {
            ++m_p;
            const bool negative = !AtEnd() && *m_p == '-';
            if (!AtEnd() && (*m_p == '-' || *m_p == '+')) {
                ++m_p;
            }
            if (AtEnd() || !IsDigit(*m_p)) {
                Refuse(std::string(what) + ": exponent without digits");
            }
            const double exponent = static_cast<double>(Digits(what));
            value *= std::pow(10.0, negative ? -exponent : exponent);
        }
        // NaN too: the library multiplies 0 by an overflowed power.
        if (!(std::fabs(value) <= static_cast<double>(std::numeric_limits<float>::max()))) {
            Refuse(std::string(what) + ": number too large");
        }
        Separator(what);
    }

    void Floats(int count, const char* what) {
        for (int i = 0; i < count; ++i) {
            Float(what);
        }
    }

    void Vector(int count, const char* what) {
        Floats(count, what);
        OptionalSeparator();
    }

    // "{" or a name and "{"; the name, when given, in `name`.
    void Head(std::string* name) {
        const std::string first = Token();
        if (first == "{") {
            return;
        }
        if (name != nullptr) {
            *name = first;
        }
        if (Token() != "{") {
            Refuse("'{' expected after \"" + first + "\"");
        }
    }

    // A quoted text directly followed by ';'.
    std::string String(const char* what) {
        SkipSpace();
        if (AtEnd() || *m_p != '"') {
            Refuse(std::string(what) + ": quoted text expected");
        }
        const char* start = ++m_p;
        while (!AtEnd() && *m_p != '"') {
            m_line += *m_p == '\n' ? 1 : 0;
            ++m_p;
        }
        if (m_end - m_p < 2 || m_p[1] != ';') {
            Refuse(std::string(what) + ": quoted text must end with '\";'");
        }
        std::string text(start, m_p);
        m_p += 2;
        return text;
    }

    void Template() {
        std::string name;
        Head(&name);
        Token(); // the template's GUID
        for (std::string token = Token(); token != "}"; token = Token()) {
            if (token.empty()) {
                Refuse("template \"" + name + "\" is not closed");
            }
        }
    }

    // Skipped up to its matching brace, as the library skips objects it does not know.
    void Unknown() {
        for (std::string token = Token(); token != "{"; token = Token()) {
            if (token.empty()) {
                Refuse("an unknown object ends before its '{'");
            }
        }
        for (unsigned depth = 1; depth > 0;) {
            const std::string token = Token();
            if (token.empty()) {
                Refuse("an unknown object is not closed");
            }
            depth += token == "{" ? 1 : 0;
            depth -= token == "}" ? 1 : 0;
        }
    }

    void Frame(unsigned depth) {
        if (depth > kMaxFrameDepth) {
            Refuse("frames nest deeper than " + std::to_string(kMaxFrameDepth));
        }
        std::string name;
        Head(&name);
        for (;;) {
            const std::string object = Token();
            if (object.empty()) {
                Refuse("frame \"" + name + "\" is not closed");
            }
            if (object == "}") {
                return;
            }
            if (object == "Frame") {
                Frame(depth + 1);
            } else if (object == "FrameTransformMatrix") {
                Head(nullptr);
                Floats(16, "frame transform matrix");
                Semicolon("the frame transform matrix");
                ClosingBrace("FrameTransformMatrix");
            } else if (object == "Mesh") {
                Mesh();
            } else {
                Unknown();
            }
        }
    }

    void Mesh() {
        SMesh mesh;
        Head(&mesh.name);
        const std::string what = "mesh \"" + mesh.name + "\"";
        mesh.vertices = Count(what + " vertices", 6);
        for (std::uint64_t v = 0; v < mesh.vertices; ++v) {
            Vector(3, "mesh vertex");
        }
        mesh.faces = Count(what + " faces", 2);
        for (std::uint64_t f = 0; f < mesh.faces; ++f) {
            const std::uint64_t corners = Count(what + " face corners", 2);
            if (corners == 0) {
                Refuse(what + ": a face without corners");
            }
            for (std::uint64_t c = 0; c < corners; ++c) {
                Index(what + " face corner", mesh.vertices);
            }
            OptionalSeparator();
        }
        for (;;) {
            const std::string object = Token();
            if (object.empty()) {
                Refuse(what + " is not closed");
            }
            if (object == "}") {
                return;
            }
            if (object == "MeshNormals") {
                Normals(mesh);
            } else if (object == "MeshTextureCoords") {
                TextureCoords(mesh);
            } else if (object == "MeshVertexColors") {
                VertexColours(mesh);
            } else if (object == "MeshMaterialList") {
                MaterialList(mesh);
            } else if (object == "XSkinMeshHeader") {
                Head(nullptr);
                Int("skin header");
                Int("skin header");
                Int("skin header");
                ClosingBrace("XSkinMeshHeader");
            } else if (object == "SkinWeights") {
                SkinWeights(mesh);
            } else {
                Unknown();
            }
        }
    }

    void Normals(const SMesh& mesh) {
        Head(nullptr);
        const std::string what = "mesh \"" + mesh.name + "\" normals";
        const std::uint64_t normals = Count(what, 6);
        for (std::uint64_t n = 0; n < normals; ++n) {
            Vector(3, "normal");
        }
        const std::uint64_t faces = Count(what + " faces", 2);
        if (faces != mesh.faces) {
            Refuse(what + ": " + std::to_string(faces) + " faces for the mesh's " + std::to_string(mesh.faces));
        }
        for (std::uint64_t f = 0; f < faces; ++f) {
            const std::uint64_t corners = Count(what + " face corners", 2);
            for (std::uint64_t c = 0; c < corners; ++c) {
                Index(what + " face corner", normals);
            }
            OptionalSeparator();
        }
        ClosingBrace("MeshNormals");
    }

    void TextureCoords(SMesh& mesh) {
        Head(nullptr);
        const std::string what = "mesh \"" + mesh.name + "\" texture coordinates";
        if (++mesh.textureSets > kMaxSets) {
            Refuse(what + ": more than " + std::to_string(kMaxSets) + " sets");
        }
        const std::uint64_t count = Count(what, 4);
        if (count != mesh.vertices) {
            Refuse(what + ": " + std::to_string(count) + " for the mesh's " + std::to_string(mesh.vertices) +
                   " vertices");
        }
        for (std::uint64_t i = 0; i < count; ++i) {
            Vector(2, "texture coordinate");
        }
        ClosingBrace("MeshTextureCoords");
    }

    void VertexColours(SMesh& mesh) {
        Head(nullptr);
        const std::string what = "mesh \"" + mesh.name + "\" vertex colours";
        if (++mesh.colourSets > kMaxSets) {
            Refuse(what + ": more than " + std::to_string(kMaxSets) + " sets");
        }
        const std::uint64_t count = Count(what, 10);
        if (count != mesh.vertices) {
            Refuse(what + ": " + std::to_string(count) + " for the mesh's " + std::to_string(mesh.vertices) +
                   " vertices");
        }
        for (std::uint64_t i = 0; i < count; ++i) {
            Index(what, mesh.vertices);
            Vector(4, "vertex colour");
            OptionalSeparator();
        }
        ClosingBrace("MeshVertexColors");
    }

    void MaterialList(SMesh& mesh) {
        Head(nullptr);
        const std::string what = "mesh \"" + mesh.name + "\" material list";
        // The library appends a second list's face materials to the first's and then reads a
        // face for each.
        if (mesh.materialList) {
            Refuse(what + ": a mesh has one material list");
        }
        mesh.materialList = true;
        const std::uint64_t declared = Int(what.c_str());
        const std::uint64_t indices = Count(what + " face indices", 2);
        if (indices != mesh.faces && !(indices == 1 && mesh.faces > 0)) {
            Refuse(what + ": " + std::to_string(indices) + " face materials for the mesh's " +
                   std::to_string(mesh.faces) + " faces");
        }
        std::uint64_t highest = 0;
        for (std::uint64_t i = 0; i < indices; ++i) {
            const std::uint64_t index = Int((what + " face index").c_str());
            highest = index > highest ? index : highest;
        }
        if (!AtEnd() && *m_p == ';') {
            ++m_p;
        }
        std::uint64_t given = 0;
        for (;;) {
            const std::string object = Token();
            if (object.empty()) {
                Refuse(what + " is not closed");
            }
            if (object == "}") {
                break;
            }
            if (object == "{") {
                Token();
                ClosingBrace("a material reference");
                ++given;
            } else if (object == "Material") {
                Material();
                ++given;
            } else if (object != ";") {
                Unknown();
            }
        }
        if (given != declared) {
            Refuse(what + ": " + std::to_string(declared) + " materials declared, " + std::to_string(given) + " given");
        }
        if (indices > 0 && highest >= given) {
            Refuse(what + ": a face uses material " + std::to_string(highest) + " of " + std::to_string(given));
        }
    }

    void SkinWeights(const SMesh& mesh) {
        Head(nullptr);
        const std::string bone = String("skin weights' bone name");
        const std::string what = "mesh \"" + mesh.name + "\" skin weights of \"" + bone + "\"";
        const std::uint64_t count = Count(what, 4);
        for (std::uint64_t i = 0; i < count; ++i) {
            Index(what + " vertex", mesh.vertices);
        }
        for (std::uint64_t i = 0; i < count; ++i) {
            Float("skin weight");
        }
        Floats(16, "bone offset matrix");
        Semicolon("the bone offset matrix");
        ClosingBrace("SkinWeights");
    }

    void Material() {
        std::string name;
        Head(&name);
        Vector(4, "material colour");
        Float("material power");
        Vector(3, "material colour");
        Vector(3, "material colour");
        for (;;) {
            const std::string object = Token();
            if (object.empty()) {
                Refuse("material \"" + name + "\" is not closed");
            }
            if (object == "}") {
                return;
            }
            if (object == "TextureFilename" || object == "TextureFileName" || object == "NormalmapFilename" ||
                object == "NormalmapFileName") {
                Head(nullptr);
                String("texture file name");
                ClosingBrace(object);
            } else {
                Unknown();
            }
        }
    }

    void AnimationSet() {
        std::string name;
        Head(&name);
        for (;;) {
            const std::string object = Token();
            if (object.empty()) {
                Refuse("animation set \"" + name + "\" is not closed");
            }
            if (object == "}") {
                return;
            }
            if (object == "Animation") {
                Animation(name);
            } else {
                Unknown();
            }
        }
    }

    void Animation(const std::string& set) {
        Head(nullptr);
        for (;;) {
            const std::string object = Token();
            if (object.empty()) {
                Refuse("an animation of set \"" + set + "\" is not closed");
            }
            if (object == "}") {
                return;
            }
            if (object == "AnimationKey") {
                AnimationKey(set);
            } else if (object == "{") {
                Token();
                ClosingBrace("an animation's frame reference");
            } else {
                Unknown();
            }
        }
    }

    void AnimationKey(const std::string& set) {
        Head(nullptr);
        const std::string what = "animation key of set \"" + set + "\"";
        const std::uint64_t type = Int(what.c_str());
        if (type > 4) {
            Refuse(what + ": unknown key type " + std::to_string(type));
        }
        const std::uint64_t wanted = type == 0 ? 4 : type <= 2 ? 3 : 16;
        const std::uint64_t keys = Count(what + " keys", 2 * (wanted + 2));
        for (std::uint64_t k = 0; k < keys; ++k) {
            Int("key time");
            const std::uint64_t values = Int("key value count");
            if (values != wanted) {
                Refuse(what + ": " + std::to_string(values) + " values in a key of type " + std::to_string(type));
            }
            if (type == 1 || type == 2) {
                Vector(3, "key value");
            } else {
                Floats(static_cast<int>(wanted), "key value");
                Semicolon("a key's values");
            }
            Separator("a key");
        }
        ClosingBrace("AnimationKey");
    }

    const char* m_p;
    const char* m_end;
    int m_line = 1;
};

} // namespace

bool ScanXFile(const char* data, std::size_t size, std::string* reason) {
    CScanner scanner(data, size);
    try {
        scanner.Scan();
        return true;
    } catch (const SRefusal& refusal) {
        if (reason != nullptr) {
            *reason = "line " + std::to_string(scanner.Line()) + ": " + refusal.why;
        }
        return false;
    }
}

} // namespace d3d9
} // namespace platform
