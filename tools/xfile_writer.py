"""Building blocks of the generated meshes and the text .x writer they share (standard library only).

A `Mesh` collects triangles of simple solids (box, ellipsoid, cylinder, cone, torus), each with a
material, a bone and a rectangle of the texture atlas its texture coordinates fall into. `write_x`
stores it as a text .x file (format 0303): one frame holding the mesh, the bone frames beside it,
one skin weight list per bone that moves vertices (weight 1: every solid follows one bone), and
the animation sets in the order given, so set n of the file is animation n of the game.
Numbers are printed with six decimals, so the output depends on nothing but the inputs.
"""
import math
import os


def _norm(v):
    length = math.sqrt(sum(c * c for c in v)) or 1.0
    return tuple(c / length for c in v)


def rotation(axis, degrees):
    """3x3 rotation (columns act on column vectors) about `axis`."""
    x, y, z = _norm(axis)
    a = math.radians(degrees)
    c, s, t = math.cos(a), math.sin(a), 1 - math.cos(a)
    return ((t * x * x + c, t * x * y - s * z, t * x * z + s * y),
            (t * x * y + s * z, t * y * y + c, t * y * z - s * x),
            (t * x * z - s * y, t * y * z + s * x, t * z * z + c))


IDENTITY3 = ((1, 0, 0), (0, 1, 0), (0, 0, 1))


def _apply(m, v):
    return tuple(sum(m[r][k] * v[k] for k in range(3)) for r in range(3))


class Mesh:
    def __init__(self):
        self.positions, self.normals, self.uvs, self.bones = [], [], [], []
        self.faces, self.face_materials = [], []

    def _add_grid(self, grid, material, bone, cell):
        """grid: rows of (position, normal, (u, v)) in the solid's own 0..1 parameters."""
        u0, v0, u1, v1 = cell
        base = len(self.positions)
        cols = len(grid[0])
        for row in grid:
            for p, n, (u, v) in row:
                self.positions.append(p)
                self.normals.append(_norm(n))
                self.uvs.append((u0 + (u1 - u0) * u, v0 + (v1 - v0) * v))
                self.bones.append(bone)
        for r in range(len(grid) - 1):
            for c in range(cols - 1):
                a = base + r * cols + c
                b, d, e = a + 1, a + cols, a + cols + 1
                for t in ((a, d, e), (a, e, b)):
                    self._face(t, material)

    def _face(self, t, material):
        # Front faces wind clockwise as seen from outside (the cross product of the first two
        # edges points along the vertex normals); zero-area triangles are dropped.
        p = [self.positions[i] for i in t]
        if len(set(p)) < 3:
            return
        u = [p[1][k] - p[0][k] for k in range(3)]
        v = [p[2][k] - p[0][k] for k in range(3)]
        cross = (u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0])
        if sum(cross[k] * sum(self.normals[i][k] for i in t) for k in range(3)) < 0:
            t = (t[0], t[2], t[1])
        self.faces.append(t)
        self.face_materials.append(material)

    def triangle(self, corners, normal, material, bone, cell):
        u0, v0, u1, v1 = cell
        base = len(self.positions)
        for p, (u, v) in zip(corners, ((0, 0), (1, 0), (0, 1))):
            self.positions.append(tuple(p))
            self.normals.append(_norm(normal))
            self.uvs.append((u0 + (u1 - u0) * u, v0 + (v1 - v0) * v))
            self.bones.append(bone)
        self._face((base, base + 1, base + 2), material)

    def _place(self, grid, centre, rot):
        return [[(tuple(a + b for a, b in zip(_apply(rot, p), centre)), _apply(rot, n), uv) for p, n, uv in row]
                for row in grid]

    def ellipsoid(self, centre, radii, material, bone, cell, rot=IDENTITY3, slices=10, stacks=7):
        grid = []
        for i in range(stacks + 1):
            phi = math.pi * i / stacks
            row = []
            for j in range(slices + 1):
                theta = 2 * math.pi * j / slices
                d = (math.sin(phi) * math.cos(theta), math.cos(phi), math.sin(phi) * math.sin(theta))
                p = tuple(r * c for r, c in zip(radii, d))
                n = tuple(c / r for r, c in zip(radii, d))
                row.append((p, n, (j / slices, i / stacks)))
            grid.append(row)
        self._add_grid(self._place(grid, centre, rot), material, bone, cell)

    def tube(self, centre, r_bottom, r_top, height, material, bone, cell, rot=IDENTITY3, slices=10, caps=True,
             squash=1.0):
        """A cylinder or cone along local y, centred on `centre`; `squash` scales local z."""
        slope = (r_bottom - r_top) / height
        side = []
        for i, (y, r) in enumerate(((-height / 2, r_bottom), (height / 2, r_top))):
            row = []
            for j in range(slices + 1):
                theta = 2 * math.pi * j / slices
                p = (r * math.cos(theta), y, r * math.sin(theta) * squash)
                n = (math.cos(theta), slope, math.sin(theta) / squash)
                row.append((p, n, (j / slices, 1.0 - i)))
            side.append(row)
        self._add_grid(self._place(side, centre, rot), material, bone, cell)
        if caps:
            for y, r, up in ((-height / 2, r_bottom, -1.0), (height / 2, r_top, 1.0)):
                if r <= 0:
                    continue
                rim = []
                hub = []
                for j in range(slices + 1):
                    theta = 2 * math.pi * j / slices
                    c, s = math.cos(theta), math.sin(theta)
                    rim.append(((r * c, y, r * s * squash), (0, up, 0), (0.5 + 0.5 * c, 0.5 + 0.5 * s)))
                    hub.append(((0.0, y, 0.0), (0, up, 0), (0.5, 0.5)))
                grid = [hub, rim] if up > 0 else [rim, hub]
                self._add_grid(self._place(grid, centre, rot), material, bone, cell)

    def torus(self, centre, ring, thickness, material, bone, cell, rot=IDENTITY3, stretch=1.0, slices=14, sides=7):
        """A ring in the local xz plane; `stretch` lengthens it along local z."""
        grid = []
        for i in range(slices + 1):
            theta = 2 * math.pi * i / slices
            c, s = math.cos(theta), math.sin(theta)
            row = []
            for j in range(sides + 1):
                phi = 2 * math.pi * j / sides
                n = (math.cos(phi) * c, math.sin(phi), math.cos(phi) * s)
                p = ((ring + thickness * math.cos(phi)) * c, thickness * math.sin(phi),
                     (ring * stretch + thickness * math.cos(phi)) * s)
                row.append((p, n, (i / slices, j / sides)))
            grid.append(row)
        self._add_grid(self._place(grid, centre, rot), material, bone, cell)

    def box(self, centre, size, material, bone, cell, rot=IDENTITY3):
        hx, hy, hz = (s / 2 for s in size)
        faces = [((1, 0, 0), (0, 0, -1), (0, 1, 0)), ((-1, 0, 0), (0, 0, 1), (0, 1, 0)),
                 ((0, 1, 0), (1, 0, 0), (0, 0, -1)), ((0, -1, 0), (1, 0, 0), (0, 0, 1)),
                 ((0, 0, 1), (1, 0, 0), (0, 1, 0)), ((0, 0, -1), (-1, 0, 0), (0, 1, 0))]
        for n, u, v in faces:
            grid = []
            for i in (1, -1):
                row = []
                for j in (-1, 1):
                    p = tuple((n[k] + u[k] * j + v[k] * i) * (hx, hy, hz)[k] for k in range(3))
                    row.append((p, n, ((j + 1) / 2, (1 - i) / 2)))
                grid.append(row)
            self._add_grid(self._place(grid, centre, rot), material, bone, cell)

    def quad(self, corners, normal, material, bone, cell, two_sided=False):
        """corners: top-left, top-right, bottom-left, bottom-right."""
        tl, tr, bl, br = corners
        grid = [[(tl, normal, (0, 0)), (tr, normal, (1, 0))], [(bl, normal, (0, 1)), (br, normal, (1, 1))]]
        self._add_grid(grid, material, bone, cell)
        if two_sided:
            back = tuple(-c for c in normal)
            grid = [[(tr, back, (1, 0)), (tl, back, (0, 0))], [(br, back, (1, 1)), (bl, back, (0, 1))]]
            self._add_grid(grid, material, bone, cell)


def _f(v):
    s = '%.6f' % v
    return '0.000000' if s == '-0.000000' else s


def _matrix(m):
    return ','.join(_f(v) for v in m) + ';;'


def translation(t):
    return [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, t[0], t[1], t[2], 1]


def key_rotation(axis, degrees):
    """A rotation key (w, x, y, z) as .x files store it: the conjugate of the turn's quaternion."""
    x, y, z = _norm(axis)
    half = math.radians(degrees) / 2
    s = math.sin(half)
    return (math.cos(half), -x * s, -y * s, -z * s)


def write_x(path, mesh, materials, bones=(('root', None, (0, 0, 0)),), animations=(), ticks=4800):
    """materials: (name, (r, g, b), specular power, (sr, sg, sb)); bones: (name, parent, offset from
    the parent) with parents first; animations: (name, length in seconds, {bone: keys}) where keys
    are (time in seconds, (axis, degrees), translation or None) in time order."""
    bones = list(bones)
    world = {}
    for name, parent, offset in bones:
        base = world[parent] if parent else (0.0, 0.0, 0.0)
        world[name] = tuple(a + b for a, b in zip(base, offset))
    out = ['xof 0303txt 0032', '']
    if animations:
        out += ['AnimTicksPerSecond {', '  %d;' % ticks, '}', '']
    out += ['Frame Scene_Root {', '  FrameTransformMatrix {', '    ' + _matrix(translation((0, 0, 0))), '  }',
            '  Frame Body {', '    FrameTransformMatrix {', '      ' + _matrix(translation((0, 0, 0))), '    }',
            '    Mesh BodyMesh {', '      %d;' % len(mesh.positions)]
    out.append(',\n'.join('      %s;%s;%s;' % tuple(_f(c) for c in p) for p in mesh.positions) + ';')
    out.append('      %d;' % len(mesh.faces))
    faces = ',\n'.join('      3;%d,%d,%d;' % f for f in mesh.faces) + ';'
    out.append(faces)
    out += ['      MeshNormals {', '        %d;' % len(mesh.normals)]
    out.append(',\n'.join('        %s;%s;%s;' % tuple(_f(c) for c in n) for n in mesh.normals) + ';')
    out += ['        %d;' % len(mesh.faces), faces, '      }']
    out += ['      MeshTextureCoords {', '        %d;' % len(mesh.uvs)]
    out.append(',\n'.join('        %s;%s;' % tuple(_f(c) for c in uv) for uv in mesh.uvs) + ';')
    out.append('      }')
    out += ['      MeshMaterialList {', '        %d;' % len(materials), '        %d;' % len(mesh.faces),
            '        ' + ','.join(str(m) for m in mesh.face_materials) + ';']
    for name, colour, power, specular in materials:
        out += ['        Material %s {' % name, '          %s;%s;%s;1.000000;;' % tuple(_f(c) for c in colour),
                '          %s;' % _f(power), '          %s;%s;%s;;' % tuple(_f(c) for c in specular),
                '          0.000000;0.000000;0.000000;;', '        }']
    out.append('      }')
    used = [b for b, _, _ in bones if b in mesh.bones]
    if len(bones) > 1 or animations:
        out += ['      XSkinMeshHeader {', '        1;', '        3;', '        %d;' % len(used), '      }']
        for name in used:
            indices = [i for i, b in enumerate(mesh.bones) if b == name]
            out += ['      SkinWeights {', '        "%s";' % name, '        %d;' % len(indices),
                    '        ' + ','.join(str(i) for i in indices) + ';',
                    '        ' + ','.join('1.000000' for _ in indices) + ';',
                    '        ' + _matrix(translation(tuple(-c for c in world[name])))]
            out.append('      }')
    out += ['    }', '  }']

    def frame(name, depth):
        pad = '  ' * depth
        offset = next(o for b, _, o in bones if b == name)
        lines = [pad + 'Frame %s {' % name, pad + '  FrameTransformMatrix {', pad + '    ' + _matrix(translation(offset)),
                 pad + '  }']
        for child, parent, _ in bones:
            if parent == name:
                lines += frame(child, depth + 1)
        return lines + [pad + '}']

    for name, parent, _ in bones:
        if parent is None:
            out += frame(name, 1)
    out += ['}', '']
    for set_name, length, tracks in animations:
        out.append('AnimationSet %s {' % set_name)
        for name, parent, offset in bones:
            keys = tracks.get(name)
            if not keys:
                continue
            out += ['  Animation {', '    {%s}' % name]
            rot = [(int(round(t * ticks)), key_rotation(*r)) for t, r, _ in keys]
            pos = [(int(round(t * ticks)), tuple(a + b for a, b in zip(offset, d or (0, 0, 0)))) for t, _, d in keys]
            for kind, items in ((0, rot), (2, pos)):
                out += ['    AnimationKey {', '      %d;' % kind, '      %d;' % len(items)]
                out.append(',\n'.join('      %d;%d;%s;;' % (tick, len(v), ','.join(_f(c) for c in v))
                                      for tick, v in items) + ';')
                out.append('    }')
            out.append('  }')
        out += ['}', '']
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'w', newline='\n') as f:
        f.write('\n'.join(out))
