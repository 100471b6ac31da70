"""Colours of the generated models, shared by the mesh and texture generators: every model's
texture is a 4 x 4 atlas of these colours, and each solid of the mesh maps into its colour's cell,
so the texture and the material colours always agree.
"""

# Characters: the rider's colours, then the tumbo's two stripe colours.
CHARACTERS = {
    'monkey': {'fur': (120, 72, 36), 'face': (222, 180, 130), 'eye': (25, 20, 20), 'white': (245, 245, 240),
               'vessel': (250, 205, 40), 'stripe': (240, 120, 30)},
    'hillbilly': {'fur': (40, 70, 150), 'face': (236, 190, 160), 'eye': (30, 25, 20), 'white': (210, 170, 90),
                  'vessel': (200, 40, 35), 'stripe': (245, 245, 240), 'shirt': (200, 60, 60), 'beard': (120, 80, 40)},
    'alien': {'fur': (90, 200, 80), 'face': (120, 225, 100), 'eye': (10, 10, 20), 'white': (200, 200, 215),
              'vessel': (150, 80, 200), 'stripe': (180, 190, 205)},
    'bear': {'fur': (80, 50, 30), 'face': (165, 120, 80), 'eye': (15, 10, 10), 'white': (60, 40, 30),
             'vessel': (40, 150, 70), 'stripe': (240, 230, 90)},
    'moviestar': {'fur': (25, 25, 30), 'face': (240, 200, 170), 'eye': (10, 10, 10), 'white': (250, 250, 250),
                  'vessel': (235, 190, 60), 'stripe': (230, 60, 140), 'hair': (245, 225, 120)},
    'fish': {'fur': (40, 120, 210), 'face': (245, 150, 50), 'eye': (10, 10, 20), 'white': (250, 250, 250),
             'vessel': (250, 120, 30), 'stripe': (60, 200, 220)},
}

ITEMS = {
    'bait': {'body': (210, 120, 140), 'band': (170, 80, 100), 'hook': (190, 190, 200)},
    'fishingpole': {'rod': (150, 100, 50), 'grip': (40, 40, 40), 'reel': (190, 190, 200), 'line': (240, 240, 240)},
    'drill': {'bit': (170, 175, 185), 'body': (230, 180, 30), 'grip': (40, 40, 40)},
    'mine': {'shell': (50, 55, 60), 'spike': (190, 190, 195), 'light': (230, 30, 30)},
    'propeller': {'blade': (200, 205, 215), 'hub': (220, 60, 40), 'cage': (60, 60, 70)},
    'shark': {'back': (100, 115, 135), 'belly': (235, 235, 235), 'eye': (10, 10, 10), 'mouth': (200, 60, 70),
              'teeth': (250, 250, 250)},
}

SCENERY = {
    'item_jug': {'body': (90, 160, 220), 'band': (250, 210, 40), 'cork': (170, 120, 70), 'mark': (245, 245, 245)},
    'box': {'wood': (170, 120, 65), 'plank': (130, 85, 45), 'metal': (120, 120, 125)},
    'ice_cave': {'ice': (190, 225, 245), 'deep': (120, 170, 215), 'snow': (245, 250, 255)},
    'gold_nugget': {'gold': (235, 185, 50), 'shine': (255, 230, 130), 'plinth': (70, 42, 26)},
    'rock': {'stone': (125, 120, 112), 'moss': (85, 110, 60)},
    'ice': {'ice': (200, 230, 250), 'snow': (245, 250, 255)},
    'log1': {'bark': (100, 70, 40), 'wood': (205, 165, 110)},
    'log2': {'bark': (85, 60, 35), 'wood': (195, 150, 100)},
    'log3': {'bark': (115, 85, 50), 'wood': (215, 175, 120)},
    'boulder': {'stone': (105, 100, 95), 'moss': (70, 95, 50)},
    'ramp': {'wood': (190, 140, 80), 'stripe': (250, 200, 40), 'side': (120, 85, 45)},
    'finish_line': {'pole': (230, 230, 230), 'check': (20, 20, 20), 'banner': (245, 245, 245), 'red': (210, 40, 40)},
    'flag': {'pole': (200, 200, 205), 'cloth': (220, 40, 40), 'mark': (250, 230, 60)},
    'tumbo01': {'vessel': (240, 80, 60), 'stripe': (250, 250, 250)},
    'tumbo02': {'vessel': (60, 140, 240), 'stripe': (250, 230, 60)},
    'sun': {'sun': (255, 240, 170)},
    'physic_box': {'wire': (255, 0, 255)},
    'geyser': {'stone': (110, 100, 95), 'steam': (230, 235, 240)},
}


def cell(index):
    """The atlas rectangle (u0, v0, u1, v1) of colour `index`, kept off the cell's edges."""
    col, row = index % 4, index // 4
    inset = 0.03
    return (col / 4 + inset, row / 4 + inset, (col + 1) / 4 - inset, (row + 1) / 4 - inset)
