"""How deep each character's body floats, shared by make_xml_data.py (the masses and hull of the
instance files) and make_models.py (which lifts each rider and tube to ride on the water).

The physics floats a racer by its hull's test grid, a box 1.1 times the hull on each axis centred
on the body's position: the share of the grid box under the surface times the river's density
carries the mass. So at rest the body sinks by a depth that grows with its mass, and a character
heavier than the one the density was chosen for (the 70 kg monkey, whose surface runs through the
body's position) sits lower. Racing down the river the body rides higher: the buoyancy damps its
fall as the river drops away under it, and about 0.3 of the rest depth comes out of the water
(measured over the first track at racing speed; it grows with the mass like the depth itself).
"""

# Mass in kilograms of each character's body.
MASSES = {'monkey': 70, 'hillbilly': 90, 'alien': 65, 'bear': 120, 'moviestar': 75, 'fish': 80}

# The racers' box hull (x, y, z) in metres.
HULL = (1.2, 1.0, 2.0)

# The physics grows a hull's box by this much on each axis for its test grid.
GRID_GROWTH = 1.1

# The river's density as Scripts/StartGame.LUA sets it: half of the monkey's grid box carries it.
RIVER_DENSITY = 2.0 * 70.0 / (HULL[0] * HULL[1] * HULL[2] * GRID_GROWTH ** 3)


def submerged(name):
    """How deep the bottom of the body's grid box lies under the surface at rest."""
    x, _, z = (side * GRID_GROWTH for side in HULL)
    return MASSES[name] / (RIVER_DENSITY * x * z)


# The share of the rest depth that comes out of the water while racing.
RACING_RISE = 0.3


def waterline(name):
    """Height of the water surface above the body's position at rest."""
    return submerged(name) - HULL[1] * GRID_GROWTH / 2


def riding_line(name):
    """The surface's height above the body's position midway between rest and racing."""
    return waterline(name) - RACING_RISE * submerged(name) / 2
