#!/usr/bin/env python3
"""Writes the XML content of the default data tree under data/files/xmlfiles/: the model and
instance file of every model-data key, the three race tracks with their waters and terrains lists,
the item templates, the log and tumbo placements and the two camera files.

The river and the land come from river_course.py, which make_level_geometry.py also reads for
the grid files (data/files/grids/River20.vbib .. River27.vbib) and the height maps
(data/arts/textures/terrainN_height.png); placements along the river follow its centreline and
stand on its ground.

Run from anywhere:  python3 tools/make_xml_data.py [--out FOLDER]
(FOLDER defaults to the repository root; the files go under FOLDER/data/files/xmlfiles/).
"""
import argparse, math, os, sys
# The tests run the generators from the source tree, which must stay free of byte-code caches.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import racer_float  # noqa: E402
import river_course as rc  # noqa: E402

_args = argparse.ArgumentParser(description=__doc__.split('\n')[0])
_args.add_argument('--out', default=os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
OUT = os.path.join(_args.parse_args().out, 'data', 'files', 'xmlfiles')
os.makedirs(OUT, exist_ok=True)

def fmt(v):
    if isinstance(v, str):
        return v
    s = ('%.4f' % v).rstrip('0').rstrip('.')
    return '0' if s in ('-0', '') else s

class X:
    def __init__(self):
        self.lines = []
        self.depth = 0
    def open(self, tag):
        self.lines.append('\t' * self.depth + '<%s>' % tag)
        self.depth += 1
    def close(self, tag):
        self.depth -= 1
        self.lines.append('\t' * self.depth + '</%s>' % tag)
    def leaf(self, tag, value):
        self.lines.append('\t' * self.depth + '<%s>%s</%s>' % (tag, fmt(value), tag))
    def vec(self, tag, v, names=('x', 'y', 'z'), extra=None):
        self.open(tag)
        for n, c in zip(names, v):
            self.leaf(n, c)
        if extra:
            for k, val in extra:
                self.leaf(k, val)
        self.close(tag)
    def none(self, tag):
        self.open(tag)
        self.leaf('entry', 'none')
        self.close(tag)
    def write(self, name):
        with open(os.path.join(OUT, name), 'w') as f:
            f.write('\n'.join(self.lines) + '\n')

def model_file(name, mesh):
    x = X()
    x.open('ModelData'); x.open('GraphicData'); x.leaf('XFileName', mesh); x.close('GraphicData'); x.close('ModelData')
    x.write(name)

def graphic(x, fx, tech, textures, pos=(0, 0, 0), axis=(0, 1, 0), angle=0, scale=(1, 1, 1), facing=(0, 0, -1), tile=1):
    x.open('GraphicData')
    x.leaf('entry', 'TRUE')
    x.leaf('EffectFileName', fx)
    x.leaf('Technique', tech)
    x.leaf('TileFactor', tile)
    x.open('Textures')
    for slot in ('Base1', 'Base2', 'SpecularMap', 'NormalMap', 'HeightMap', 'Reserved'):
        x.leaf(slot, textures.get(slot, 'none'))
    x.close('Textures')
    x.vec('Pos', pos)
    x.vec('RotationInfo', axis, extra=[('Angle', angle)])
    x.vec('Scalars', scale)
    x.vec('FacingDir', facing)
    x.close('GraphicData')

def sounds(x, names):
    x.open('SoundData')
    x.leaf('NumFiles', len(names))
    for n in names:
        x.leaf('FileName', n)
    x.close('SoundData')

def physics(x, mass, hull, offsets=(), immovable=False, kinetic=0.3, static=0.5, restitution=0.2, independent=False):
    x.open('PhysicsData')
    x.leaf('entry', 'TRUE')
    x.leaf('Mass', mass)
    x.leaf('KineticFriction', kinetic)
    x.leaf('StaticFriction', static)
    x.leaf('CoefficientRestitution', restitution)
    x.leaf('Immovable', 'TRUE' if immovable else 'FALSE')
    x.open('HullData')
    if hull is None:
        x.leaf('HasHull', 'FALSE')
        x.leaf('IndependentHull', 'FALSE')
        x.leaf('HullType', 'None')
    else:
        x.leaf('HasHull', 'TRUE')
        x.leaf('IndependentHull', 'TRUE' if independent else 'FALSE')
        kind = hull[0]
        x.leaf('HullType', kind)
        if kind == 'Box':
            x.leaf('XLength', hull[1]); x.leaf('YLength', hull[2]); x.leaf('ZLength', hull[3])
        elif kind == 'Cylinder':
            x.leaf('Height', hull[1]); x.leaf('Radius', hull[2]); x.leaf('Layers', hull[3]); x.leaf('Slices', hull[4])
        elif kind == 'Mesh':
            tris, s = hull[1], hull[2]
            x.open('Hull')
            x.leaf('TriCount', len(tris))
            x.vec('Scalars', s)
            for t in tris:
                x.open('Triangle')
                for p in t:
                    x.vec('Point', p)
                x.close('Triangle')
            x.close('Hull')
    x.close('HullData')
    for o in offsets:
        x.vec('PositionOffsets', o)
    x.close('PhysicsData')

def instance(name, graphic_args=None, light=None, water=None, terrain=None, sound_names=(), physics_args=None):
    x = X()
    x.open('InstanceData')
    if graphic_args is None:
        x.none('GraphicData')
    else:
        graphic(x, **graphic_args)
    if light is None:
        x.none('LightData')
    else:
        light(x)
    if water is None:
        x.none('Water')
    else:
        water(x)
    if terrain is None:
        x.none('Terrain')
    else:
        terrain(x)
    sounds(x, list(sound_names))
    if physics_args is None:
        x.none('PhysicsData')
    else:
        physics(x, **physics_args)
    x.close('InstanceData')
    x.write(name)

# Characters: cartoon-shaded, a box hull the size of rider and tumbo, the buoyancy offset below
# the centre, the three racer sounds (hurt, slap, fall). A wet tube grips little: a racer pressed
# against a bank, a floe or another racer slides along it rather than sticking.
for stem, mass in racer_float.MASSES.items():
    model_file(stem + '.xml', stem + '.x')
    instance(stem + '_instance.xml',
             graphic_args=dict(fx='CartoonShading.fx', tech='CartoonShading',
                               textures={'Base1': stem + '.png', 'Reserved': 'cartoon_shade.png'},
                               scale=(1, 1, 1)),
             sound_names=['sfx/%s/%s_hurt.wav' % (stem, stem), 'sfx/%s/%s_slap.wav' % (stem, stem),
                          'sfx/general_racer_sounds/fall.wav'],
             physics_args=dict(mass=mass, hull=('Box',) + racer_float.HULLS[stem], offsets=[(0, -0.3, 0)],
                               restitution=0.3, kinetic=0.02, static=0.03))

# Items: texture-mapped, small hulls, one sound each.
items = [('bait', 'Box', (0.4, 0.3, 0.6), 2, 'sfx/items/bait.wav'),
         ('fishingpole', 'Box', (0.2, 0.2, 2.5), 3, 'sfx/items/fishingpole.wav'),
         ('drill', 'Cylinder', (1.2, 0.35, 2, 8), 20, 'sfx/items/drill.wav'),
         ('mine', 'Cylinder', (0.6, 0.5, 2, 8), 15, 'sfx/items/mine.wav'),
         ('propeller', 'Box', (0.6, 0.6, 0.3), 5, 'sfx/items/propeller.wav'),
         ('shark', 'Box', (1.0, 1.2, 3.0), 200, 'sfx/items/shark.wav')]
for stem, kind, dims, mass, snd in items:
    model_file(stem + '.xml', stem + '.x')
    hull = (kind,) + dims
    instance(stem + '_instance.xml',
             graphic_args=dict(fx='TextureMapping.fx', tech='TextureMapping', textures={'Base1': stem + '.png'}),
             sound_names=[snd], physics_args=dict(mass=mass, hull=hull, independent=stem == 'mine'))

def centre(z):
    return rc.centre(z)

# WaveAmp lifts only the drawn surface (the physics floats racers on the rest surface): crests much
# higher than a tube's thickness would bury the racers in the picture.
WAVE = dict(Amp1=0.06, Freq1=1.2, Phase1=0.0, DirX1=0.2, DirZ1=-1.0, Amp2=0.03, Freq2=2.1, Phase2=0.5, DirX2=-0.4,
            DirZ2=-0.9, BumpHeight=0.35, RefUVDistortion=0.04, WaterBlendWeight=0.6, HDRMultiplier=1.2,
            TexScaleX=0.08, TexScaleZ=0.08, BumpSpeedX=0.0, BumpSpeedZ=-0.08, FresnelBias=0.1, FresnelPow=4.0,
            ShallowWaterColorR=0.1, ShallowWaterColorG=0.45, ShallowWaterColorB=0.45, ShallowWaterColorA=1.0,
            DeepWaterColorR=0.0, DeepWaterColorG=0.15, DeepWaterColorB=0.3, DeepWaterColorA=1.0, WaveAmp=0.22,
            WaveFreq=0.8)

def water_section(kind, rows, cols, spacing, pos, grid_file):
    def w(x):
        x.open('Water')
        x.leaf('entry', 'TRUE')
        x.open('Wave')
        for k, v in WAVE.items():
            x.leaf(k, v)
        x.close('Wave')
        x.open('Grid')
        x.leaf('VertPerRow', rows); x.leaf('VertPerCol', cols); x.leaf('CellSpacing', spacing)
        x.close('Grid')
        x.vec('Pos', pos)
        x.vec('Scalars', (1, 1, 1))
        x.open('Textures')
        x.leaf('SpecularMap', 'water_shine.png')
        x.leaf('NormalMap', 'water_normal.png')
        x.close('Textures')
        x.open('Type'); x.leaf('entry', kind); x.close('Type')
        x.open('VBIBFileName'); x.leaf('entry', grid_file); x.close('VBIBFileName')
        x.close('Water')
    return w

# The menu pool where the line-up floats: a planar wave water.
instance('water1.xml', water=water_section(0, 33, 33, 2 * rc.POOL_HALF / 32,
                                           (rc.POOL_CENTRE[0], rc.POOL_LEVEL, rc.POOL_CENTRE[1]), 'none'))
# The river: eight spline-water segments, each a grid of 9 vertices across and 101 down the
# stream, read from its grid file.
for i in range(rc.SEGMENTS):
    n = 20 + i
    instance('River%d.xml' % n,
             water=water_section(2, rc.COLUMNS, rc.ROWS, 2 * rc.HALF_WIDTH / (rc.COLUMNS - 1), (0, 0, 0),
                                 '../../../../data/files/grids/River%d.vbib' % n))

# Terrains: the pool's hollow, then eight patches down the river, edge to edge, each 65 x 65
# heights whose lowest level is the patch's height.
for i, z in enumerate(rc.TERRAIN_Z):
    def t(x, i=i, z=z):
        x.open('Terrain')
        x.leaf('entry', 'TRUE')
        x.leaf('Amplitude', rc.TERRAIN_AMPLITUDE)
        x.open('Grid'); x.leaf('VertPerRow', rc.TERRAIN_SIZE); x.leaf('VertPerCol', rc.TERRAIN_SIZE)
        x.leaf('CellSpacing', rc.TERRAIN_SPACING); x.close('Grid')
        x.vec('Pos', (rc.TERRAIN_X, rc.patch_heights(i)[0], z))
        x.vec('RotationInfo', (0, 1, 0), extra=[('Angle', 0)])
        x.vec('Scalars', (1, 1, 1))
        x.open('Textures')
        x.leaf('Base1', 'terrain_grass.png'); x.leaf('Base2', 'terrain_rock.png'); x.leaf('Base3', 'terrain_snow.png')
        x.leaf('BlendMap', 'terrain%d_blend.png' % (i + 1)); x.leaf('SpecularMap', 'terrain_shine.png')
        x.leaf('HeightMap', 'terrain%d_height.png' % (i + 1))
        x.close('Textures')
        x.close('Terrain')
    instance('terrain%d.xml' % (i + 1), terrain=t)

# Scenery. A static object still counts its mass when a contact shares out an impulse, so the
# obstacles a racer must not push into weigh far more than any racer; the jug and the gold cup stay
# light, so that a racer brushes through them as it collects them.
HEAVY = 100000
ROCK_MASS = round(1.4 * racer_float.RIVER_DENSITY * (2 * rc.OBSTACLE_RADIUS['rock'] * racer_float.GRID_GROWTH) ** 2 * 1.8 *
                  racer_float.GRID_GROWTH)
scenery = [('item_jug', 'item_jug.x', 'TextureMapping.fx', 'TextureMapping', 10, ('Box', 1.0, 1.4, 1.0), True, ['sfx/environment/item_jug.wav']),
           ('box', 'box.x', 'TextureMapping.fx', 'TextureMapping', 30, ('Box', 2.0, 2.0, 2.0), True, []),
           # The river runs through the cave: a solid hull would dam it and hold every racer.
           ('ice_cave', 'ice_cave.x', 'NormalMapping.fx', 'NormalMapping', 1000, None, True, []),
           ('gold_nugget', 'gold_nugget.x', 'NormalMapping.fx', 'NormalMapping', 5, ('Box', 0.6, 0.4, 0.6), True, []),
           # The rock and the floe are drawn round: a round hull lets a racer that meets one off
           # centre slide by, where a box's corner would hold it. The rock trap drops rocks of this
           # model on the racers: a rock outweighs the water its hull's grid displaces, so a
           # dropped rock sinks to the bed under the racers instead of floating down the river to
           # jam against the floes below.
           ('rock', 'rock.x', 'NormalMapping.fx', 'NormalMapping', ROCK_MASS,
            ('Cylinder', 1.8, rc.OBSTACLE_RADIUS['rock'], 2, 14), True, []),
           ('ice', 'ice.x', 'NormalMapping.fx', 'NormalMapping', HEAVY,
            ('Cylinder', 1.0, rc.OBSTACLE_RADIUS['ice'], 2, 14), True, []),
           # The log trap's logs wait, fixed, until its trigger lets them fall.
           ('log1', 'log1.x', 'TextureMapping.fx', 'TextureMapping', 150, ('Cylinder', 6.0, 0.5, 3, 10), True, []),
           ('log2', 'log2.x', 'TextureMapping.fx', 'TextureMapping', 180, ('Cylinder', 7.0, 0.55, 3, 10), True, []),
           ('log3', 'log3.x', 'TextureMapping.fx', 'TextureMapping', 120, ('Cylinder', 5.0, 0.45, 3, 10), True, []),
           ('boulder', 'boulder.x', 'NormalMapping.fx', 'NormalMapping', 800, ('Cylinder', 3.0, 1.6, 3, 12), False, ['sfx/environment/boulder.wav']),
           ('finish_line', 'finish_line.x', 'TextureMapping.fx', 'TextureMapping', 1000, None, True, []),
           ('flag', 'flag.x', 'Flag.fx', 'RenderFlag', 1, None, True, [])]
# The box is the shape of the trap and finish triggers and of the computers' debug markers: its
# hull has no body behind it, so it reports what passes through and stops nobody.
WATCHERS = {'box'}
# Wet ice and wet stone: (kinetic, static) friction.
SLIPPERY = {'ice': (0.02, 0.03), 'rock': (0.02, 0.03)}
for stem, mesh, fx, tech, mass, hull, immovable, snd in scenery:
    model_file(stem + '.xml', mesh)
    tex = {'Base1': stem + '.png'}
    if fx == 'NormalMapping.fx':
        tex['NormalMap'] = stem + '_normal.png'
    instance(stem + '_instance.xml', graphic_args=dict(fx=fx, tech=tech, textures=tex), sound_names=snd,
             physics_args=dict(mass=mass, hull=hull, immovable=immovable, independent=stem in WATCHERS,
                               **dict(zip(('kinetic', 'static'), SLIPPERY.get(stem, (0.3, 0.5))))))

# The speed ramp: a wedge, as a mesh hull of its two slope triangles, rising downstream (-z). The
# ramp pushes a racer against its facing, so it faces upstream: the push carries racers up the
# slope and on down the river.
model_file('ramp.xml', 'ramp.x')
ramp_tris = [((-1, 0, 1), (1, 0, 1), (1, 1, -1)), ((-1, 0, 1), (1, 1, -1), (-1, 1, -1))]
instance('ramp_instance.xml', graphic_args=dict(fx='TextureMapping.fx', tech='TextureMapping', textures={'Base1': 'ramp.png'},
                                               facing=(0, 0, 1)),
         physics_args=dict(mass=500, hull=('Mesh', ramp_tris, (1.5, 0.6, 2.0)), immovable=True))

# Billboard trees: one model file, one instance file per kind; no hulls (the billboard form
# applies none).
model_file('billboards.xml', 'billboard_quad.x')
for stem, texture, size in [('stump', 'stump.png', 1.5), ('fir_tree', 'fir_tree.png', 9.0),
                            ('pine_tree', 'pine_tree.png', 10.0), ('meadow_tree', 'meadow_tree.png', 7.0),
                            ('snow_tree', 'snow_tree.png', 9.0), ('forest', 'forest.png', 30.0)]:
    instance(stem + '_instance.xml', graphic_args=dict(fx='Billboard.fx', tech='RenderBillboard',
                                                       textures={'Base1': texture}, scale=(size, size, size)))

# The end-of-level volume: read as a model file only.
model_file('end_level_instance.xml', 'end_level.x')

# The geyser: a box model with a vent hull.
instance('geyser_instance.xml', graphic_args=dict(fx='TextureMapping.fx', tech='TextureMapping', textures={'Base1': 'geyser.png'}),
         sound_names=['sfx/environment/geyser_explode.wav'],
         physics_args=dict(mass=1000, hull=('Cylinder', 1.0, 1.5, 2, 10), immovable=True))

# The tumbos floating in the credits scene.
model_file('tumbo.xml', 'tumbo.x')
for n in ('01', '02'):
    instance('tumbo%s_instance.xml' % n, graphic_args=dict(fx='CartoonShading.fx', tech='CartoonShading',
                                                           textures={'Base1': 'tumbo%s.png' % n, 'Reserved': 'cartoon_shade.png'}),
             physics_args=dict(mass=40, hull=('Box', 1.2, 0.6, 2.0), offsets=[(0, -0.2, 0)]))

# Invisible collision volumes along the banks.
model_file('physic_box.xml', 'physic_box.x')
instance('test_phy_box_instance5.xml', graphic_args=dict(fx='Dummy.fx', tech='Dummy', textures={}),
         physics_args=dict(mass=1000, hull=('Box', 1.0, 1.0, 1.0), immovable=True, independent=True))
model_file('physic_cylinder.xml', 'physic_cylinder.x')
instance('test_phy_cylinder_instance3.xml', graphic_args=dict(fx='Dummy.fx', tech='Dummy', textures={}),
         physics_args=dict(mass=1000, hull=('Cylinder', 1.0, 1.0, 2, 12), immovable=True, independent=True))

# The sun: a directional light, drawn as a small sun mesh far up.
model_file('light.xml', 'sun.x')
def sun(x):
    x.open('LightData')
    x.leaf('entry', 'TRUE')
    x.vec('Ambient', (0.35, 0.35, 0.4), ('r', 'g', 'b'))
    x.vec('Diffuse', (0.95, 0.9, 0.8), ('r', 'g', 'b'))
    x.vec('Specular', (0.6, 0.6, 0.6), ('r', 'g', 'b'))
    x.vec('Direction', (-0.3, -0.85, -0.4))
    x.open('entry')
    x.leaf('Type', 3); x.leaf('Range', 5000.0); x.leaf('Att0', 1.0); x.leaf('Att1', 0.0); x.leaf('Att2', 0.0)
    x.close('entry')
    x.close('LightData')
instance('light_instance.xml', graphic_args=dict(fx='TextureMappingNoLight.fx', tech='TextureMapping',
                                                 textures={'Base1': 'sun.png'}, pos=(300, 600, 400)),
         light=sun)

# The particle-system templates share one instance file: only the placement counts.
instance('generic_particle_sys_instance.xml', graphic_args=dict(fx='Particle.fx', tech='RenderParticle', textures={}))

# Level files.
def placement(x, typ, pos, angle=0.0, scale=(1, 1, 1), opaque=None, axis=(0, 1, 0)):
    x.open('entry')
    if opaque is not None:
        x.leaf('Opaque', opaque)
    x.leaf('Type', typ)
    x.open('Pos')
    if pos is None:
        x.leaf('entry', 'none')
        x.close('Pos')
    else:
        x.leaf('entry', 'TRUE')
        for n, c in zip('xyz', pos):
            x.leaf(n, c)
        x.close('Pos')
        x.vec('RotationInfo', axis, extra=[('Angle', angle)])
        x.vec('Scalars', scale)
    x.close('entry')

def on_river(z, dx=0.0, dy=0.0):
    cx, cy = centre(z)
    return (cx + dx, cy + dy, z)

def on_ground(z, dx=0.0, dy=0.0):
    x = centre(z)[0] + dx
    return (x, rc.ground(x, z) + dy, z)

def level(name, sky, env, particles, triggers):
    x = X()
    x.open('Level')
    x.leaf('WatersFile', 'waters.xml')
    x.leaf('TerrainsFile', 'terrains.xml')
    x.open('Skybox')
    for face in ('right', 'left', 'up', 'down', 'front', 'back'):
        x.leaf(face, '%s_%s.png' % (sky, face))
    x.leaf('scalar', 1500.0)
    x.open('EnvMap'); x.leaf('TextureName', sky + '_cube.png'); x.close('EnvMap')
    x.close('Skybox')
    x.open('Lights'); x.leaf('TypeFileName', 'light.xml'); x.leaf('InstanceFileName', 'light_instance.xml'); x.close('Lights')
    x.open('EnvObjs')
    for e in env:
        placement(x, **e)
    x.open('entry'); x.close('entry')
    x.close('EnvObjs')
    x.open('ParticleSystems')
    for p in particles:
        placement(x, **p)
    x.open('entry'); x.close('entry')
    x.close('ParticleSystems')
    x.open('TriggerObjs')
    for t in triggers:
        placement(x, **t)
    x.open('entry'); x.close('entry')
    x.close('TriggerObjs')
    x.close('Level')
    x.write(name)

def scenery_for(seed, first, last):
    env = []
    # The start flags and the tumbos of the menu pool.
    if seed == 1:
        env.append(dict(typ='flag', pos=on_ground(200, -16.0), opaque='TRUE'))
        env.append(dict(typ='flag', pos=on_ground(200, 16.0), opaque='TRUE'))
        env.append(dict(typ='ICE_CAVE', pos=on_river(-420, 0.0, -1.0), opaque='TRUE', scale=(1.2, 1.2, 1.2),
                        angle=rc.heading(-420)))
    z = first
    k = 0
    while z > last:
        side = -1 if k % 2 else 1
        env.append(dict(typ='jug', pos=on_river(z, 1.5 * side, 0.6), opaque='TRUE'))
        if k % 3 == 0:
            env.append(dict(typ='ramp', pos=on_river(z - 30, -1.5 * side, 0.0), opaque='TRUE'))
        if not any(abs(z - 55 - oz) < 6.0 for oz, _, _ in rc.OBSTACLES):
            env.append(dict(typ='gold', pos=on_river(z - 55, 7.5 * side, 0.5), opaque='TRUE'))
        # The bank's collision volumes stand in the bank's slope, beyond the water a racer floats
        # on: they keep a racer from climbing out, and no racer meets one end on.
        env.append(dict(typ='box2', pos=on_river(z - 20, 14.5 * side, 0.0), scale=(1.5, 3.0, 40.0), opaque='FALSE',
                        angle=rc.heading(z - 20)))
        env.append(dict(typ='cyl', pos=on_river(z - 60, -15.5 * side, 0.0), scale=(2.0, 3.0, 2.0), opaque='FALSE'))
        for tree, dx in (('pine', 17.0), ('fir', -17.0), ('snowtree', 21.0), ('stump', -19.0)):
            env.append(dict(typ=tree, pos=on_ground(z - 35 + dx, dx), opaque='FALSE'))
        if k % 5 == 2:
            env.append(dict(typ='forest', pos=on_ground(z - 40, 45.0 * side), opaque='FALSE'))
            env.append(dict(typ='geyser', pos=on_river(z - 70, 3.0 * side, -0.4), opaque='TRUE'))
        z -= 90
        k += 1
    # The river's own floes and rocks, the same on every track.
    for z, offset, kind in rc.OBSTACLES:
        env.append(dict(typ=kind, pos=on_river(z, offset, 0.2 if kind == 'ice' else 0.3), angle=0.7 * z, opaque='TRUE'))
    return env

def particles_for(first, last):
    ps = []
    z = first
    k = 0
    while z > last:
        ps.append(dict(typ='whitewater', pos=on_river(z - 25, 0.0, 0.1)))
        if k % 3 == 1:
            ps.append(dict(typ='splash', pos=on_river(z - 50, 4.0, 0.1)))
            ps.append(dict(typ='steam2ps', pos=on_river(z - 65, -6.0, 0.3)))
        z -= 120
        k += 1
    return ps

env1 = scenery_for(1, 180, -1140) + [dict(typ='finishline', pos=on_river(-1158.8, 0.0, 0.0), opaque='TRUE', angle=0.53, axis=(0, 1, 0.1)),
                                     dict(typ='tumbo1', pos=(12.0, -0.2, 500.0), opaque='TRUE'),
                                     dict(typ='tumbo2', pos=(16.5, -0.2, 501.5), opaque='TRUE', angle=1.2)]
ps1 = particles_for(180, -1140) + [dict(typ='waterfall1', pos=on_river(-610, 0.0, 2.0))]
level('race_track1.xml', 'sky_day', env1, ps1, [dict(typ='END_LEVEL_COLL', pos=None)])
level('race_track2.xml', 'sky_dusk', scenery_for(2, 150, -1100), particles_for(150, -1100),
      [dict(typ='END_LEVEL_COLL', pos=on_river(-1200, 0.0, 0.0), scale=(20, 10, 2))])
level('race_track3.xml', 'sky_night', scenery_for(3, 120, -1150), particles_for(120, -1150),
      [dict(typ='END_LEVEL_COLL', pos=on_river(-1210, 0.0, 0.0), scale=(20, 10, 2))])

def type_list(name, root, types):
    x = X()
    x.open(root)
    for t in types:
        x.open('entry'); x.leaf('Type', t); x.close('entry')
    x.open('entry'); x.close('entry')
    x.close(root)
    x.write(name)

type_list('waters.xml', 'Waters', ['WATER_%d' % i for i in range(1, 10)])
type_list('terrains.xml', 'Terrains', ['TERRAIN_%d' % i for i in range(1, 10)])
type_list('templateitems.xml', 'Items', ['BAIT', 'FISHING_POLE', 'DRILL', 'MINE', 'PROPELLOR', 'SHARK'])

def position_list(name, root, entries):
    x = X()
    x.open(root)
    for e in entries:
        x.open('entry')
        x.leaf('Opaque', e['opaque'])
        x.leaf('Type', e['typ'])
        x.vec('Pos', e['pos'])
        x.vec('RotationInfo', e.get('axis', (0, 1, 0)), extra=[('Angle', e.get('angle', 0.0))])
        x.vec('Scalars', e.get('scale', (1, 1, 1)))
        x.close('entry')
    x.open('entry'); x.close('entry')
    x.close(root)
    x.write(name)

# The log trap: logs held over the stream just upstream of its trigger, which drops them into it.
# A log's mesh and hull run along its y axis: a quarter turn about z lays it across the stream.
logs = []
for i, (typ, dz) in enumerate([('log1', 18), ('log2', 24), ('log3', 30), ('log1', 36), ('log2', 42)]):
    z = -917.05 + dz
    logs.append(dict(opaque='TRUE', typ=typ, pos=on_river(z, -6.0 + 3.0 * i, 4.0 + 0.5 * i), angle=1.5708,
                     axis=(0, 0, 1)))
position_list('log_positions.xml', 'log_pos', logs)

def credits_tumbos():
    # On the pool in front of the credits camera (its view: target, radius, azimuth, latitude), in rows
    # across its line of sight, so that they float in the picture behind the Back button.
    target, radius, yaw, pitch = (5.5408678, -1.8811257, 496.31989), 7.6710567, 4.5507927, -0.48539862
    cp, cy, sy = math.cos(pitch), math.cos(yaw), math.sin(yaw)
    eye_x, eye_z = target[0] - radius * cp * cy, target[2] - radius * cp * sy
    spots = [(4.6, -1.3), (4.6, 1.4), (6.0, -2.5), (6.0, 0.1), (6.0, 2.6), (7.5, -0.9)]
    return [dict(opaque='TRUE', typ='tumbo1' if i % 2 == 0 else 'tumbo2',
                 pos=(round(eye_x + ahead * cy - side * sy, 2), -0.2, round(eye_z + ahead * sy + side * cy, 2)),
                 angle=0.5 * i) for i, (ahead, side) in enumerate(spots)]


position_list('tumbo_pos.xml', 'tumbo_pos', credits_tumbos())

def camera(name, locked, target, radius, yaw, pitch, max_speed, move_speed):
    cp, sp, cy, sy = math.cos(pitch), math.sin(pitch), math.cos(yaw), math.sin(yaw)
    d = (radius * cp * cy, radius * sp, radius * cp * sy)
    eye = tuple(t - v for t, v in zip(target, d))
    x = X()
    x.open('Camera')
    for k, v in [('Locked', locked), ('MaxSpeed', max_speed), ('MoveVecX', 0.0), ('MoveVecY', 0.0), ('MoveVecZ', 0.0),
                 ('MoveSpeed', move_speed), ('TargetX', target[0]), ('TargetY', target[1]), ('TargetZ', target[2]),
                 ('PosX', eye[0]), ('PosY', eye[1]), ('PosZ', eye[2]), ('Radius', radius), ('MaxRadius', 40.0),
                 ('Azimuth', yaw), ('Latitude', pitch), ('Far', 2000.0), ('FOV', 0.785398), ('Aspect', 1.333333),
                 ('Near', 0.5), ('RacerRadius', 7.0), ('RacerAzimuth', -1.570796), ('RacerLatitude', -0.35)]:
        x.leaf(k, v)
    x.close('Camera')
    x.write(name)

camera('RaceCameraInit.xml', 1, (5.6, -1.17, 505.655), 7.07106, 2.85079, -0.5254, 30.0, 0.0)
# Free flight steps by the move speed once per frame: 0.5 is about 30 units a second at 60 frames.
camera('FreeRoamCameraInit.xml', 0, on_river(100.0, 0.0, 2.0), 30.0, -1.570796, -0.4, 60.0, 0.5)
