-- Runs once when the game starts, after the game has registered its script functions.
-- Tuning values the game reads by name live here; a value left unset reads as 0, false or "".

-- When true, the human racer's controller logs driving samples to "TD.txt".
RECORD_INPUT = false
