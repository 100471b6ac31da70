#!/usr/bin/env python3
"""Writes the test model test_column.x: a two-segment square column skinned to two bones
("Hip" and "Spine") with one animation set "Bend" whose first key equals the frame matrices.

Run from the repository root:  python3 tools/make_test_model.py
The output goes to data/arts/models/D3D_X_files/test_column.x (text .x, format 0303).

Layout (row vectors, as .x files store matrices):
  Scene_Root
    Body        holds the mesh "ColumnMesh"; segment 0 uses material Red, segment 1 Blue
    Hip         identity; moves vertices of rows y=0 (weight 1) and y=1 (weight 0.3)
      Spine     RotationZ(30 degrees) x Translation(0, 1, 0); rows y=1 (0.7) and y=2 (1)
    (unnamed)   two unnamed frames, to show the loader's naming of them
Animation "Bend", 4800 ticks per second, one second long:
  Spine rotation 30 -> -30 degrees about z, translation (0, 1, 0) throughout
  Hip translation (0, 0, 0) -> (1, 0, 0)
Bone offsets are the inverses of the unbent bind pose: Hip identity, Spine Translation(0, -1, 0).
"""
import math
import os
import sys

SPINE_DEGREES = 30.0
TICKS = 4800


def matrix_text(m):
    return ",".join("%.6f" % v for v in m) + ";;"


def identity():
    return [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1]


def rotation_z_translation(degrees, t):
    c = math.cos(math.radians(degrees))
    s = math.sin(math.radians(degrees))
    # Row-vector form: rotation rows first, translation in the last row.
    return [c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, t[0], t[1], t[2], 1]


def quaternion_z(degrees):
    # A rotation key as .x files store it, w, x, y, z: the conjugate of the quaternion whose
    # D3DX rotation matrix is RotationZ(degrees).
    half = math.radians(degrees) / 2.0
    return (math.cos(half), 0.0, 0.0, -math.sin(half))


def translation(t):
    return [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, t[0], t[1], t[2], 1]


def build_mesh():
    corners = [(-0.5, -0.5), (0.5, -0.5), (0.5, 0.5), (-0.5, 0.5)]
    vertices, normals, uvs = [], [], []
    for row in range(3):
        for k, (x, z) in enumerate(corners):
            vertices.append((x, float(row), z))
            length = math.hypot(x, z)
            normals.append((x / length, 0.0, z / length))
            uvs.append((k / 4.0, 1.0 - row / 2.0))
    faces, materials = [], []
    for segment in range(2):
        for k in range(4):
            a = segment * 4 + k
            b = segment * 4 + (k + 1) % 4
            c = b + 4
            d = a + 4
            faces += [(a, d, c), (a, c, b)]
            materials += [segment, segment]
    return vertices, normals, uvs, faces, materials


def vector_list(items, fmt):
    return ",\n".join("      " + fmt % item for item in items) + ";"


def face_list(faces):
    return ",\n".join("      3;%d,%d,%d;" % f for f in faces) + ";"


def skin_weights(name, pairs, offset):
    indices = ",".join(str(i) for i, _ in pairs)
    weights = ",".join("%.6f" % w for _, w in pairs)
    return ("    SkinWeights {\n      \"%s\";\n      %d;\n      %s;\n      %s;\n      %s\n    }\n"
            % (name, len(pairs), indices, weights, matrix_text(offset)))


def key_list(kind, keys):
    body = ",\n".join("        %d;%d;%s;;" % (tick, len(v), ",".join("%.6f" % c for c in v)) for tick, v in keys)
    return "      AnimationKey {\n        %d;\n        %d;\n%s;\n      }\n" % (kind, len(keys), body)


def write_model(path):
    vertices, normals, uvs, faces, materials = build_mesh()
    hip = [(i, 1.0) for i in range(0, 4)] + [(i, 0.3) for i in range(4, 8)]
    spine = [(i, 0.7) for i in range(4, 8)] + [(i, 1.0) for i in range(8, 12)]
    text = "xof 0303txt 0032\n\n"
    text += "AnimTicksPerSecond {\n  %d;\n}\n\n" % TICKS
    text += "Frame Scene_Root {\n  FrameTransformMatrix {\n    %s\n  }\n" % matrix_text(identity())
    text += "  Frame Body {\n    FrameTransformMatrix {\n      %s\n    }\n" % matrix_text(identity())
    text += "  Mesh ColumnMesh {\n    %d;\n%s\n    %d;\n%s\n" % (
        len(vertices), vector_list(vertices, "%.6f;%.6f;%.6f;"), len(faces), face_list(faces))
    text += "    MeshNormals {\n      %d;\n%s\n      %d;\n%s\n    }\n" % (
        len(normals), vector_list(normals, "%.6f;%.6f;%.6f;"), len(faces), face_list(faces))
    text += "    MeshTextureCoords {\n      %d;\n%s\n    }\n" % (len(uvs), vector_list(uvs, "%.6f;%.6f;"))
    text += "    MeshMaterialList {\n      2;\n      %d;\n      %s;\n" % (
        len(materials), ",".join(str(m) for m in materials))
    for name, colour in (("Red", (1.0, 0.0, 0.0)), ("Blue", (0.0, 0.0, 1.0))):
        text += ("      Material %s {\n        %.6f;%.6f;%.6f;1.000000;;\n        10.000000;\n"
                 "        1.000000;1.000000;1.000000;;\n        0.000000;0.000000;0.000000;;\n      }\n"
                 % ((name,) + colour))
    text += "    }\n"
    text += "    XSkinMeshHeader {\n      2;\n      2;\n      2;\n    }\n"
    text += skin_weights("Hip", hip, identity())
    text += skin_weights("Spine", spine, translation((0.0, -1.0, 0.0)))
    text += "  }\n  }\n"
    text += "  Frame Hip {\n    FrameTransformMatrix {\n      %s\n    }\n" % matrix_text(identity())
    text += "    Frame Spine {\n      FrameTransformMatrix {\n        %s\n      }\n    }\n  }\n" % matrix_text(
        rotation_z_translation(SPINE_DEGREES, (0.0, 1.0, 0.0)))
    for _ in range(2):
        text += "  Frame {\n    FrameTransformMatrix {\n      %s\n    }\n  }\n" % matrix_text(identity())
    text += "}\n\n"
    text += "AnimationSet Bend {\n"
    text += "  Animation {\n    {Spine}\n"
    text += key_list(0, [(0, quaternion_z(SPINE_DEGREES)), (TICKS, quaternion_z(-SPINE_DEGREES))])
    text += key_list(2, [(0, (0.0, 1.0, 0.0)), (TICKS, (0.0, 1.0, 0.0))])
    text += "  }\n"
    text += "  Animation {\n    {Hip}\n"
    text += key_list(2, [(0, (0.0, 0.0, 0.0)), (TICKS, (1.0, 0.0, 0.0))])
    text += "  }\n}\n"
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", newline="\n") as out:
        out.write(text)


if __name__ == "__main__":
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    from generated_files import output_root  # noqa: E402

    root = output_root(__doc__)
    write_model(os.path.join(root, "data", "arts", "models", "D3D_X_files", "test_column.x"))
