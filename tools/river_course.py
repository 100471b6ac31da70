"""The default track's river and the land around it, shared by the data-tree generators: the
centreline (x and water height as smooth functions of z), the water grid's rows, and the terrain's
height at any point. Pure functions of their arguments, python3 standard library only.

The river flows towards -z. Its centreline passes the fixed points of the first track:
the start grid (the host lines racers up from x = -1.0 in steps of 0.7 on z = 195.2, just above
the water), the rock trap (-2.14, -615.51), the log trap (-1.77, -917.05) and the finish line
(2.96, -1158.8), each trigger a little above the surface. The menu pool, where the line-up and
the credits' tumbos float, is a separate planar water in a hollow of its own near (14, 506).
"""
import math

# (z, x) of the centreline, upstream first. Past the start grid the river runs in straight reaches
# down the valley, each 9 m to one side of the valley's axis and the next 9 m to the other, joined
# by short sweeping bends. A racer that only ever paddles straight down the valley keeps to the
# axis while the stream swings under it, so in every reach it rides in the half of the river the
# stream has left, where the course's booms of floes stand (OBSTACLES below). Between the control
# points x follows a monotone cubic: flat along the reaches, through the fixed points in the bends.
# The bends' radius stays far above the river's half width, so the grid's cross rows never overlap
# and a floating racer keeps to the stream; and the centreline stays within 9 m of the axis, so
# that a racer against either bank stays within the 24 m of the axis that the controllers allow.
BENDS = [(235.0, 0.75), (195.2, 0.75), (150.0, 0.75), (80.0, 9.0), (-10.0, 9.0), (-90.0, -9.0), (-180.0, -9.0),
         (-260.0, 9.0), (-350.0, 9.0), (-430.0, -9.0), (-520.0, -9.0), (-615.51, -2.14), (-690.0, 9.0),
         (-850.0, 9.0), (-917.05, -1.77), (-990.0, -9.0), (-1070.0, -9.0), (-1158.8, 2.96), (-1235.0, 6.0)]
# (z, water height) of the centreline: the water falls all the way, through the heights of the
# triggers' fixed points.
LEVELS = [(235.0, 39.0), (195.2, 38.9), (100.0, 28.0), (-40.0, 14.5), (-200.0, 3.5), (-400.0, -10.5),
          (-615.51, -24.6), (-690.0, -28.0), (-800.0, -32.0), (-917.05, -35.6), (-1040.0, -43.0),
          (-1158.8, -50.6), (-1235.0, -54.0)]
RIVER_TOP, RIVER_END = BENDS[0][0], BENDS[-1][0]

# Ice floes standing in the stream, the same on every track of this river: (z of the centreline,
# signed distance across it, positive to +x, kind). In the middle of every reach a boom of floes
# closes the half of the river on the axis's side, where a racer paddling straight down the valley
# rides: it runs slantwise from the bank (its outer floe sits in the bank's slope, out of a racer's
# reach) downstream to BOOM_INNER metres from the centreline, so such a racer meets it and is
# turned along it, out into the open half. The floes overlap enough that each meets the next at a
# slope a racer slides down, so no racer is caught between two of them, and the stream runs along
# the boom (FLOW_TURN below). The racing line keeps to the open half, clear of it.
OBSTACLE_RADIUS = {'ice': 1.45, 'rock': 1.1}
BOOM_SLANT = 0.6       # radians between a boom and the cross row
BOOM_SPACING = 1.06    # metres between neighbouring floes' centres
BOOM_OUTER = 13.5
BOOM_INNER = 6.5


def reaches():
    """(middle z, side) of every straight reach off the valley's axis: side is +1 for a reach on
    the +x side."""
    found = []
    for (z0, x0), (z1, x1) in zip(BENDS, BENDS[1:]):
        if x0 == x1 and abs(x0) >= 8.0:
            found.append(((z0 + z1) / 2, 1.0 if x0 > 0 else -1.0))
    return found


# The run in to the finish decides the race: the rubber band wins back within a reach or two
# whatever a boom upstream cost, but not what is lost in the last few hundred metres. So the last
# reach's boom reaches LAST_INNER metres from the centreline, further across than the others, and
# LATE_BOOMS, (middle z, closed side (+1: from the +x bank), open end), close the side of the final
# bend that a racer who never steered drifts into after it, while the racing line swings LATE_SHIFT
# metres to the open side, easing over LATE_EASE metres either way.
LAST_INNER = 1.0
LATE_BOOMS = [(-1130.0, -1.0, 2.0)]
LATE_SHIFT = 7.0
LATE_EASE = 40.0
# In the final bend the stream already runs slantwise down the valley; along the last boom it turns
# less, so it stays within half a right angle of the valley's fall and does not carry the racers on
# the open side on into the far bank.
LATE_TURN = 0.65


def _booms():
    """(upstream end, downstream end) of every boom, each end (z, signed offset)."""
    found = [(z, -side, BOOM_INNER) for z, side in reaches()]
    found[-1] = (found[-1][0], found[-1][1], LAST_INNER)
    found += LATE_BOOMS
    ends = []
    for z, closed, inner in found:
        half = (BOOM_OUTER - inner) * math.tan(BOOM_SLANT) / 2
        ends.append(((z + half, closed * BOOM_OUTER), (z - half, closed * inner)))
    return ends


BOOMS = _booms()


def _floes():
    found = []
    for (z0, o0), (z1, o1) in BOOMS:
        count = int(math.ceil(math.hypot(z1 - z0, o1 - o0) / BOOM_SPACING)) + 1
        for i in range(count):
            t = i / (count - 1)
            found.append((z0 + (z1 - z0) * t, o0 + (o1 - o0) * t, 'ice'))
    return found


OBSTACLES = _floes()
# The stream swings along each boom towards its open end, as water runs along a boom to the gap:
# over the strip of river from the boom's downstream floe to FLOW_REACH above its upstream floe the
# flow turns by FLOW_TURN radians, so a racer pressed against the boom, head on into a floe or off
# its middle, is carried along the boom and round its end instead of being held there.
FLOW_REACH = 3.5
FLOW_TURN = 0.8
# The racing line leaves the centreline for the open half along each reach, LINE_SHIFT metres at
# its middle, easing back over LINE_EASE metres before and after.
LINE_SHIFT = 3.0
LINE_EASE = 70.0


def racing_offset(z):
    """Signed distance of the racing line from the centreline at z."""
    shift = 0.0
    for mid, side in reaches():
        t = max(0.0, 1.0 - abs(z - mid) / LINE_EASE)
        shift += side * LINE_SHIFT * t * t * (3 - 2 * t)
    for mid, closed, _ in LATE_BOOMS:
        t = max(0.0, 1.0 - abs(z - mid) / LATE_EASE)
        shift -= closed * LATE_SHIFT * t * t * (3 - 2 * t)
    return shift


HALF_WIDTH = 18.0         # the water is 36 m across, its edges under the banks: 19 vertices 2 m apart
SEGMENTS = 8              # spline-water records River20 .. River27
ROWS = 101                # vertices along each segment
COLUMNS = 19              # vertices across

# The menu pool: the planar water's rectangle and height (33 x 33 vertices 1 m apart).
POOL_CENTRE = (14.0, 506.0)
POOL_HALF = 16.0
POOL_LEVEL = -0.45

# Terrain: nine patches of 65 x 65 heights laid edge to edge along z (the pool's first), all on one
# x grid so that neighbouring patches share their edge samples exactly.
TERRAIN_SIZE = 65
TERRAIN_SPACING = 3.5
TERRAIN_X = 7.0
TERRAIN_Z = [506.0 - 224.0 * k for k in range(9)]
# Heights are whole quarter metres: 63.75 / 255 per grey level, so patch offsets in quarter metres
# give equal heights on shared edges.
TERRAIN_AMPLITUDE = 63.75
TERRAIN_STEP = TERRAIN_AMPLITUDE / 255.0


def _monotone(zs, vs, z):
    """Monotone cubic through (zs[i], vs[i]): the water never runs uphill between the points."""
    n = len(zs)
    if z >= zs[0]:
        return vs[0]
    if z <= zs[-1]:
        return vs[-1]
    # Work in s = -z so that s increases downstream.
    s = [-q for q in zs]
    d = [(vs[i + 1] - vs[i]) / (s[i + 1] - s[i]) for i in range(n - 1)]
    m = [d[0]] + [0.0 if d[i - 1] * d[i] <= 0 else (d[i - 1] + d[i]) / 2 for i in range(1, n - 1)] + [d[-1]]
    for i in range(n - 1):
        if d[i] == 0:
            m[i] = m[i + 1] = 0.0
            continue
        a, b = m[i] / d[i], m[i + 1] / d[i]
        r = a * a + b * b
        if r > 9:
            k = 3 / math.sqrt(r)
            m[i], m[i + 1] = k * a * d[i], k * b * d[i]
    x = -z
    i = 0
    while not (s[i] <= x <= s[i + 1]):
        i += 1
    h = s[i + 1] - s[i]
    t = (x - s[i]) / h
    t2, t3 = t * t, t * t * t
    return ((2 * t3 - 3 * t2 + 1) * vs[i] + (t3 - 2 * t2 + t) * h * m[i] + (-2 * t3 + 3 * t2) * vs[i + 1] +
            (t3 - t2) * h * m[i + 1])


def centre_x(z):
    return _monotone([b[0] for b in BENDS], [b[1] for b in BENDS], z)


def water_level(z):
    return _monotone([v[0] for v in LEVELS], [v[1] for v in LEVELS], z)


def centre(z):
    """(x, water height) of the centreline at z."""
    return centre_x(z), water_level(z)


def slope_x(z, h=0.01):
    return (centre_x(z + h) - centre_x(z - h)) / (2 * h)


def across(z):
    """Unit horizontal vector across the stream, pointing to +x for a river running to -z."""
    dx = -slope_x(z)
    length = math.hypot(dx, 1.0)
    down = (dx / length, -1.0 / length)
    return -down[1], down[0]


def heading(z):
    """Rotation about +y that turns a model's +z axis along the stream at z."""
    return math.atan(slope_x(z))


def flow(z_up, z_down):
    """Unit flow of the water between the cross rows through the centreline at z_up and z_down:
    along the centreline, turned along the boom that stands there."""
    (x0, y0), (x1, y1) = centre(z_up), centre(z_down)
    along = (x1 - x0, y1 - y0, z_down - z_up)
    length = math.sqrt(sum(c * c for c in along))
    along = tuple(c / length for c in along)
    mid = (z_up + z_down) / 2
    away = 0.0
    turn = FLOW_TURN
    r = OBSTACLE_RADIUS['ice']
    # The late booms come last.
    first_late = len(BOOMS) - len(LATE_BOOMS)
    for i, ((z0, o0), (z1, o1)) in enumerate(BOOMS):
        if z1 - r <= mid <= z0 + r + FLOW_REACH:
            away = 1.0 if o1 > o0 else -1.0
            turn = LATE_TURN if i >= first_late else FLOW_TURN
    if away == 0.0:
        return along
    # The horizontal part turns about the vertical towards the boom's open end, the fall stays.
    ax, az = across(mid)
    horizontal = math.hypot(along[0], along[2])
    c, s = math.cos(turn), math.sin(turn) * horizontal * away
    f = (along[0] * c + ax * s, along[1], along[2] * c + az * s)
    length = math.sqrt(sum(q * q for q in f))
    return tuple(q / length for q in f)


def segment_rows(k):
    """The centreline z of every vertex row of segment k; the last row is the next one's first."""
    z0 = RIVER_TOP + (RIVER_END - RIVER_TOP) * k / SEGMENTS
    z1 = RIVER_TOP + (RIVER_END - RIVER_TOP) * (k + 1) / SEGMENTS
    return [z0 + (z1 - z0) * r / (ROWS - 1) for r in range(ROWS)]


def row_points(z):
    """World positions of the COLUMNS vertices of the cross row through the centreline at z."""
    cx, y = centre(z)
    ax, az = across(z)
    spacing = 2 * HALF_WIDTH / (COLUMNS - 1)
    return [(cx + ax * (c * spacing - HALF_WIDTH), y, z + az * (c * spacing - HALF_WIDTH)) for c in range(COLUMNS)]


def project(x, z):
    """The centreline z whose cross row passes through (x, z), and the signed distance along it."""
    s = z
    for _ in range(12):
        cx = centre_x(s)
        m = slope_x(s)
        # Zero of g(s) = (x - cx(s)) * cx'(s) + (z - s): the point's foot on the centreline.
        g = (x - cx) * m + (z - s)
        h = 0.05
        m2 = (slope_x(s + h) - slope_x(s - h)) / (2 * h)
        dg = -m * m + (x - cx) * m2 - 1.0
        step = g / dg
        s -= max(-20.0, min(20.0, step))
        if abs(step) < 1e-6:
            break
    ax, az = across(s)
    return s, (x - centre_x(s)) * ax + (z - s) * az


def smoothstep(edge0, edge1, v):
    t = max(0.0, min(1.0, (v - edge0) / (edge1 - edge0)))
    return t * t * (3 - 2 * t)


def _hash(ix, iz, seed):
    h = (ix * 374761393 + iz * 668265263 + seed * 2147483647) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    return ((h ^ (h >> 16)) & 0xFFFF) / 65535.0


def _value_noise(x, z, cell, seed):
    gx, gz = x / cell, z / cell
    ix, iz = math.floor(gx), math.floor(gz)
    fx, fz = gx - ix, gz - iz
    fx, fz = fx * fx * (3 - 2 * fx), fz * fz * (3 - 2 * fz)
    a = _hash(ix, iz, seed) + (_hash(ix + 1, iz, seed) - _hash(ix, iz, seed)) * fx
    b = _hash(ix, iz + 1, seed) + (_hash(ix + 1, iz + 1, seed) - _hash(ix, iz + 1, seed)) * fx
    return a + (b - a) * fz


def hills(x, z):
    """Rolling ground, 0 to about 5 m, independent of the river."""
    return 3.5 * _value_noise(x, z, 47.0, 1) + 1.5 * _value_noise(x, z, 19.0, 2)


# Channel profile across the river, relative to the water: a bed 3 m down that reaches 9 m out,
# shelving up to meet the water 14 m out, where a steep bank rises 2.5 m within 3.5 m before the
# valley sides climb on. A racer floats up to the shelf's edge and no further: the bank stops it
# where a gentle shore would let it ride out round the floes that stand against the bank. The
# water reaches past the shore so that its edges lie under the banks and the channel holds water
# from shore to shore.
BED_DEPTH = 3.0
BED_HALF = 9.0
SHORE = 14.0
BANK_HEIGHT = 2.5
BANK_RUN = 3.5


def _profile(d):
    if d <= SHORE:
        return -BED_DEPTH * (1.0 - smoothstep(BED_HALF, SHORE, d))
    return (BANK_HEIGHT * smoothstep(SHORE, SHORE + BANK_RUN, d) +
            (6.0 - BANK_HEIGHT) * smoothstep(SHORE + BANK_RUN, 30.0, d) + min(0.25 * max(0.0, d - 30.0), 18.0))


def _river_ground(x, z):
    s, across_d = project(x, z)
    # Beyond either end the channel closes round its last row: distance from the end point.
    if s > RIVER_TOP or s < RIVER_END:
        end = RIVER_TOP if s > RIVER_TOP else RIVER_END
        d = math.hypot(x - centre_x(end), z - end)
        level = water_level(end)
    else:
        d = abs(across_d)
        level = water_level(s)
    # Far from the river the valley sides follow the water's fall at the same z, which needs no
    # unambiguous foot on the centreline.
    far = smoothstep(30.0, 60.0, d)
    level = level + (water_level(z) - level) * far
    return level + _profile(d) + hills(x, z) * smoothstep(20.0, 40.0, d)


def _pool_ground(x, z):
    dx = max(0.0, abs(x - POOL_CENTRE[0]) - POOL_HALF)
    dz = max(0.0, abs(z - POOL_CENTRE[1]) - POOL_HALF)
    d = math.hypot(dx, dz)
    if d <= 9.0:
        return POOL_LEVEL - 3.5 * (1.0 - smoothstep(3.0, 9.0, d))
    return POOL_LEVEL + 5.0 * smoothstep(9.0, 20.0, d) + 0.3 * max(0.0, d - 20.0) + hills(x, z) * smoothstep(
        15.0, 30.0, d)


def ground(x, z):
    """Terrain height at (x, z), in whole quarter metres as the height maps store it."""
    h = min(_river_ground(x, z), _pool_ground(x, z))
    return round(h / TERRAIN_STEP) * TERRAIN_STEP


def terrain_sample(k, r, c):
    """World (x, z) of the height-map pixel (column c, row r) of patch k. Row 0 is the patch's +z
    edge, as the terrain's render grid lays its first row."""
    half = (TERRAIN_SIZE - 1) * TERRAIN_SPACING / 2
    return TERRAIN_X - half + c * TERRAIN_SPACING, TERRAIN_Z[k] + half - r * TERRAIN_SPACING


_PATCHES = {}


def patch_heights(k):
    """(offset, grey levels) of terrain patch k: the offset is the patch's lowest height, the levels
    are TERRAIN_SIZE rows of TERRAIN_SIZE values 0..255 above it in TERRAIN_STEP units."""
    if k not in _PATCHES:
        rows = [[ground(*terrain_sample(k, r, c)) for c in range(TERRAIN_SIZE)] for r in range(TERRAIN_SIZE)]
        base = min(min(row) for row in rows)
        levels = [[int(round((h - base) / TERRAIN_STEP)) for h in row] for row in rows]
        top = max(max(row) for row in levels)
        if top > 255:
            raise ValueError('terrain patch %d spans %.2f m, more than the %.2f m a height map holds' %
                             (k, top * TERRAIN_STEP, TERRAIN_AMPLITUDE))
        _PATCHES[k] = (base, levels)
    return _PATCHES[k]
