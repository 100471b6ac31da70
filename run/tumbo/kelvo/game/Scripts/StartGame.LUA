-- Runs once when the game starts, after the game has registered its script functions.
-- Tuning values the game reads by name live here; a value left unset reads as 0, false or "".

-- When true, the human racer's controller logs driving samples to "TD.txt".
RECORD_INPUT = false

-- The first track's start grid, on the river's first straight just above the water: the human at
-- STAGE1, the computer racers in rows of STAGE1_RACERS_PER_ROW beside it and upstream of it.
STAGE1_X = -1.0
STAGE1_Y = 39.51
STAGE1_Z = 195.2
STAGE1_RACER_DX = 1.5
STAGE1_RACER_DZ = 2.5
STAGE1_RACERS_PER_ROW = 3
NUM_RACERS = 6

-- How fast the river carries a floating racer, in metres per second of the flow's pull.
RIVER_SPEED = 5.0
