-- Runs once when the game starts, after the game has registered its script functions.
-- Tuning values the game reads by name live here; a value left unset reads as 0, false or "".

-- When true, the human racer's controller logs driving samples to "TD.txt".
RECORD_INPUT = false

-- When true, contacts turn the racers (and the logs and boulders) as well as push them. A racer
-- whose flat nose the river and its paddle press into a round rock or floe off its centre line is
-- turned by the push and slides round; one that could only move straight would have nothing
-- across its nose to slide it by, and stay there.
ROTATIONAL_PHYSICS = true

-- The first track's start grid, on the river's first straight just above the water: the human at
-- STAGE1, the computer racers in rows of STAGE1_RACERS_PER_ROW beside it and upstream of it.
STAGE1_X = -1.0
STAGE1_Y = 39.51
STAGE1_Z = 195.2
STAGE1_RACER_DX = 1.5
STAGE1_RACER_DZ = 2.5
STAGE1_RACERS_PER_ROW = 3
NUM_RACERS = 6

-- How fast the river carries a floating racer, in metres per second of the flow's pull. A body
-- travels half its velocity each step, so this river carries a floater about 5 m a second.
RIVER_SPEED = 10.0

-- The river's density for buoyancy: half of a 70 kg body's box of 1.2 x 1.0 x 2.0 (whose test
-- grid is 1.1 times larger on each axis) carries its weight; the racers' broader tubes float
-- higher than that, logs, floes and items by their own boxes. Tools that
-- read this file without the game's functions skip it.
if SetRiverDensity then
    SetRiverDensity(2.0 * 70.0 / (1.2 * 1.0 * 2.0 * 1.331))
end

-- The computer racers. Everything below must be set before a level loads: the racers' AIs read
-- the paths, the net and the profiles while the level is built.

-- The race ranking measures progress along this path, resampled this many points per span.
RANK_PATH = "stage1_rank"
RANK_PATH_DENSITY = 4

-- Paths made by tools/make_ai_data.py from the river's centreline: the racing line the computer
-- racers follow and the sparse ranking path.
LoadWaypoints("../../../../data/files/waypoints/stage1_line.txt")
LoadWaypoints("../../../../data/files/waypoints/stage1_rank.txt")

-- The steering net: one input, the bearing of the next waypoint (0 fully towards the racer's side
-- vector, the way "left" paddles; 0.5 dead ahead; 1 fully the other way), and two outputs, "left"
-- and "right". The outputs are sigmoid(-6 x + 3) and sigmoid(6 x - 3): mirror images that are
-- equal dead ahead. The driver turns once they differ by more than 0.25, which these weights
-- reach about 15 degrees off the bearing, and stops paddling forward while it turns once they
-- differ by more than 0.5, about 33 degrees off. Each neuron's weights are its input weight,
-- then its bias weight (the bias input is -1).
Driving = {
    Inputs = 1, Outputs = 2, HLayers = 0, NPHL = 0,
    AResp = 1, Jitter = 0, LRate = 0, Momntm = 0, Thresh = 0,
    WNum = 4,
    Weights = { -6, -3, 6, 3 },
}
LoadNet("Driving")

-- Difficulty profiles: the characters map to follower, slappy, evasive, vengeful, easy and medium;
-- "hard" is kept for scripts; "human" only configures the driving-sample recorder.
-- WDelay: seconds between shots at a racer in the item's cone; CRange: how far jugs are sought.
AI_PROFILES = {
    { "easy",     4.0, 10.0, 1 },
    { "medium",   2.5, 14.0, 2 },
    { "hard",     1.0, 18.0, 3 },
    { "vengeful", 1.5, 16.0, 3 },
    { "slappy",   2.0, 12.0, 2 },
    { "evasive",  3.0, 12.0, 2 },
    { "follower", 3.0, 14.0, 1 },
    { "human",    0.0,  0.0, 0 },
}
for _, p in ipairs(AI_PROFILES) do
    SetAIWDelay(p[1], p[2])
    SetAICRange(p[1], p[3])
    SetAIDifficulty(p[1], p[4])
    SetAIPath(p[1], "stage1_line")
    SetAINet(p[1], "Driving")
    SetAIDebug(p[1], false)
end

-- How each character paddles: the speed it paddles towards (metres per second), how hard it
-- closes the gap to that speed (per second) and the turning push of one steering frame.
-- The computers ask for a rescue propeller whenever they travel less than 0.05 m in a sixtieth of
-- a second (3 m/s) for 0.6 s: a paddler must cruise well above that, or the computers are rescued
-- all race long while the player, who has no such rescue, is not. With the river above, a
-- paddler cruises at 11 to 13 m/s of velocity, 5.5 to 6.5 m/s of travel.
-- The heavy bear and hillbilly paddle within a few per cent of the others: any slower, and a
-- rider steering them well along the racing line still falls behind the computers.
RACER_TUNING = {
    { "monkey",    14.0, 0.6, 0.8 },
    { "bear",      13.5, 0.55, 0.6 },
    { "alien",     14.0, 0.6, 0.8 },
    { "fish",      15.0, 0.6, 0.9 },
    { "hillbilly", 13.5, 0.55, 0.7 },
    { "moviestar", 14.0, 0.6, 0.7 },
}
for _, t in ipairs(RACER_TUNING) do
    SetRacerMaxSpeed(t[1], t[2])
    SetRacerAccel(t[1], t[3])
    SetRacerTurning(t[1], t[4])
end

-- The bones the items hang from while held. Every character's skeleton is the same:
-- root > Hips > Spine, and Spine > Head, Spine > LeftArm > LeftHand, Spine > RightArm > RightHand.
-- The shark swims along under the racer at its root.
WEAPON_BONES = {
    { "drill",     "RightHand" },
    { "pole",      "RightHand" },
    { "bait",      "RightHand" },
    { "mine",      "LeftHand" },
    { "whirlpool", "LeftHand" },
    { "propeller", "Spine" },
    { "reflect",   "Spine" },
    { "shark",     "root" },
}
for _, w in ipairs(WEAPON_BONES) do
    SetWeaponBone(w[1], w[2])
end

-- Weapon tuning. Ranges are metres along the aim, angles half-cones in radians, lives seconds:
-- the mine's fuse, the pole's pull, the propeller's boost and the reflective coat's cover.
-- The drill and shark forces are their speeds towards the target; the propeller's is the
-- racer's speed scale while it spins; the pole pulls its catch with both of its forces.
WEAPON_TUNING = {
    --  name        range  angle  life  anim  hforce  vforce
    { "drill",      80.0,  0.35,  0.0,  0.0,  30.0,   nil },
    { "shark",      100.0, 0.50,  0.0,  0.0,  24.0,   nil },
    { "pole",       25.0,  0.40,  1.5,  0.0,  12.0,   6.0 },
    { "propeller",  0.0,   0.0,   3.0,  3.0,  1.6,    nil },
    { "mine",       25.0,  0.50,  8.0,  0.0,  nil,    nil },
    { "bait",       40.0,  0.60,  0.0,  0.0,  nil,    nil },
    { "whirlpool",  30.0,  0.60,  0.0,  0.0,  nil,    nil },
    { "reflect",    0.0,   0.0,   5.0,  0.0,  nil,    nil },
}
for _, w in ipairs(WEAPON_TUNING) do
    SetWeaponRange(w[1], w[2])
    SetWeaponAngle(w[1], w[3])
    SetWeaponLife(w[1], w[4])
    SetWeaponAnimSpeed(w[1], w[5])
    if w[6] then SetWeaponHForce(w[1], w[6]) end
    if w[7] then SetWeaponVForce(w[1], w[7]) end
end
