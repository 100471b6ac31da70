"""How deep each character's body floats, shared by make_xml_data.py (the masses and hulls of the
instance files) and make_models.py (which draws each tube to fill its hull and lifts each rider and
tube to ride on the water).

The physics floats a racer by its hull's test grid, a box 1.1 times the hull on each axis centred
on the body's position: the share of the grid box under the surface times the river's density
carries the mass. So at rest the body sinks by a depth that grows with its mass over its hull's
footprint. Racing down the river the body rides higher: the buoyancy damps its fall as the river
drops away under it, and a share of the rest depth that grows with the racer's speed comes out of
the water. At the racers' paddling speeds that share is about two thirds, more than a slim tube on
a small hull can span with its top over the water at rest and its underside in it racing; so the
tubes are fat and broad, broader for the heavier characters, whose bodies float little deeper than
the light ones'.
"""

# Mass in kilograms of each character's body.
MASSES = {'monkey': 70, 'hillbilly': 90, 'alien': 65, 'bear': 120, 'moviestar': 75, 'fish': 80}

# Each character's box hull (x, y, z) in metres: the outline of its drawn tube, which the racers
# bump each other and the river's banks and obstacles with.
HULLS = {
    'monkey': (1.3, 1.0, 2.2),
    'hillbilly': (1.4, 1.0, 2.4),
    'alien': (1.3, 1.0, 2.2),
    'bear': (1.5, 1.0, 2.5),
    'moviestar': (1.3, 1.0, 2.2),
    'fish': (1.3, 1.0, 2.3),
}

# The physics grows a hull's box by this much on each axis for its test grid.
GRID_GROWTH = 1.1

# The river's density as Scripts/StartGame.LUA sets it: half of a 70 kg body's grid box on a
# 1.2 x 1.0 x 2.0 hull carries it (logs, floes and items float by it too).
RIVER_DENSITY = 2.0 * 70.0 / (1.2 * 1.0 * 2.0 * GRID_GROWTH ** 3)


def submerged(name):
    """How deep the bottom of the body's grid box lies under the surface at rest."""
    x, _, z = (side * GRID_GROWTH for side in HULLS[name])
    return MASSES[name] / (RIVER_DENSITY * x * z)


# The share of the rest depth that comes out of the water while racing, measured over the first
# track with every character paddling.
RACING_RISE = 0.7


def waterline(name):
    """Height of the water surface above the body's position at rest."""
    return submerged(name) - HULLS[name][1] * GRID_GROWTH / 2


def riding_line(name):
    """The surface's height above the body's position midway between rest and racing."""
    return waterline(name) - RACING_RISE * submerged(name) / 2
