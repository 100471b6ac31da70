#include "platform/d3d9/xfile_scanner.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

const std::string kHeader = "xof 0303txt 0032\n";
const std::string kQuad =
    "4; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 1.0;1.0;0.0;, 0.0;1.0;0.0;;\n"
    "2; 3;0,1,2;, 3;0,2,3;;\n";
const std::string kRed = "Material Red { 1.0;0.0;0.0;1.0;; 1.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }\n";

// A frame holding the quad mesh with `inside` after its faces.
std::string Quad(const std::string& inside) { return kHeader + "Frame F {\n Mesh Q {\n" + kQuad + inside + "}\n}\n"; }

std::string Scan(const std::string& text) {
    std::string reason;
    return platform::d3d9::ScanXFile(text.data(), text.size(), &reason) ? "accepted" : reason;
}

TEST(XFileScannerTest, AcceptsWellFormedFiles) {
    const char* root = std::getenv("TK_SOURCE_DIR");
    std::ifstream in(std::string(root != nullptr ? root : "../../../..") +
                     "/data/arts/models/D3D_X_files/test_column.x");
    const std::string column((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(column.empty());
    const std::string cases[] = {
        column,
        Quad(""),
        Quad("MeshMaterialList { 1; 1; 0;; " + kRed + "}\n"),
        Quad("MeshVertexColors { 4; 0;1.0;0.0;0.0;1.0;;, 1;0.0;1.0;0.0;1.0;;, 2;0.0;0.0;1.0;1.0;;,"
             " 3;1.0;1.0;1.0;0.5;;; }\n"),
        Quad("// a comment { with braces\n# another\nVertexDuplicationIndices { 4; 4; 0, 1, 2, 3; }\n"),
        kHeader + "template Mesh { <3D82AB44-62DA-11cf-AB39-0020AF71E433> DWORD nVertices; [...] }\n" + "Mesh Q {\n" +
            kQuad + "}\n",
    };
    for (const std::string& text : cases) {
        EXPECT_EQ("accepted", Scan(text)) << text;
    }
}

TEST(XFileScannerTest, RefusesCountsTheLibraryWouldTrustAndSaysWhy) {
    const struct {
        std::string text;
        const char* reason;
    } cases[] = {
        {"", "no \"xof\" header"},
        {"xof 0303bin 0032\n", "binary and compressed"},
        {"xof 0303tzip0032\n", "binary and compressed"},
        {kHeader + "Mesh{-9,", "negative number"},
        {kHeader + "Mesh { 4000000000;", "number too large"},
        {kHeader + "Mesh { 100000; 0.0;0.0;0.0;; }", "100000 declared, more than the rest of the file holds"},
        {kHeader + "Mesh { 4; 0.0;0.0;0.0;, 1.0;0.0;0.0;; 0; }", "mesh vertex: number expected"},
        // Two materials declared, none given, faces using both.
        {Quad("MeshMaterialList { 2; 2; 0,1;; }\n"), "2 materials declared, 0 given"},
        {Quad("MeshMaterialList { 1; 2; 0,1;; " + kRed + "}\n"), "a face uses material 1 of 1"},
        {Quad("MeshMaterialList { 1; 3; 0,0,0;; " + kRed + "}\n"), "3 face materials for the mesh's 2 faces"},
        {Quad("MeshMaterialList { 1; 1; 0;; " + kRed + "}\nMeshMaterialList { 1; 1; 0;; " + kRed + "}\n"),
         "a mesh has one material list"},
        {kHeader + "Frame F { Mesh Q { 4; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 1.0;1.0;0.0;, 0.0;1.0;0.0;; 2; 3;0,1,2;, "
                   "3;0,2,4;; } }",
         "face corner: index 4 is outside the 4 there are"},
        {Quad("SkinWeights { \"Bone\"; 2; 0, 7; 1.0, 1.0; 1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,"
              "1.0;; }\n"),
         "skin weights of \"Bone\" vertex: index 7 is outside the 4 there are"},
        {Quad("MeshTextureCoords { 3; 0.0;0.0;, 1.0;0.0;, 1.0;1.0;; }\n"), "3 for the mesh's 4 vertices"},
        {Quad("MeshNormals { 1; 0.0;0.0;1.0;; 1; 3;0,0,0;; }\n"), "1 faces for the mesh's 2"},
        {Quad("MeshNormals { 1; 0.0;0.0;1.0;; 2; 3;0,0,0;, 3;0,0,1;; }\n"), "index 1 is outside the 1"},
        {Quad("MeshVertexColors { 4; 0;1.0;0.0;0.0;1.0;;, 9;0.0;1.0;0.0;1.0;;, 2;0.0;0.0;1.0;1.0;;,"
              " 3;1.0;1.0;1.0;0.5;;; }\n"),
         "index 9 is outside the 4"},
        // A broken animation set: the library reads "0,0" as one number and gives up, leaking.
        {kHeader + "AnimationSet Walk {\n  Animation { {Bone1}\n    AnimationKey { 2; 2; 0;3;0,0,0;;, "
                   "4800;3;0,5,0;;; }\n",
         "ambiguous"},
        {kHeader + "AnimationSet Walk { Animation { AnimationKey { 2; 1; 0;3;0.0;0.0;0.0;;; } }", "is not closed"},
        {kHeader + "AnimationSet Walk { Animation { AnimationKey { 7; 1; 0;3;0.0;0.0;0.0;;; } } }",
         "unknown key type 7"},
        {kHeader + "Frame F { FrameTransformMatrix { 1.0;; } }", "frame transform matrix: number expected"},
        {Quad("MeshTextureCoords { 4; 0.0;1e99;, 1.0;0.0;, 1.0;1.0;, 0.0;1.0;; }\n"), "number too large"},
        {kHeader + "Material Red { 1.0;0.0;0.0;1.0;; 1.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }\n", "no frame and no mesh"},
        {kHeader + std::string(200, ' ').replace(0, 0, "Frame F {") + "Mesh Q {" + kQuad + "}", "is not closed"},
        {"xof 0303txt 0032 Frame F { }\n", "text after the header"},
        {Quad("") + "Mesh G {" + kQuad + "}\n", "meshes outside frames are read only in files without frames"},
        {kHeader + "Frame F {\x01}", "control character"},
        // The library reads these three spellings its own way (and the one after the number is
        // then read as the separator); a "#" after any other number starts a comment for both.
        {Quad("MeshNormals { 1; 1.#QNAN00.0;1.0;;; 2; 3;0,0,0;, 3;0,0,0;; }\n"), "1.#IND or 1.#QNAN"},
        {kHeader + "Frame F { FrameTransformMatrix { 1.#IND00;1.0;; } }", "1.#IND or 1.#QNAN"},
        {kHeader + "Frame F { FrameTransformMatrix { -1.#IND00;1.0;; } }", "1.#IND or 1.#QNAN"},
    };
    for (const auto& c : cases) {
        const std::string reason = Scan(c.text);
        EXPECT_NE(std::string::npos, reason.find(c.reason)) << c.text << "\n-> " << reason;
        EXPECT_EQ(0u, reason.find("line ")) << reason;
    }
}

TEST(XFileScannerTest, RefusesFramesNestedTooDeep) {
    std::string text = kHeader;
    for (int i = 0; i < 200; ++i) {
        text += "Frame F {";
    }
    text += std::string(200, '}');
    EXPECT_NE(std::string::npos, Scan(text).find("frames nest deeper than"));
}

} // namespace
