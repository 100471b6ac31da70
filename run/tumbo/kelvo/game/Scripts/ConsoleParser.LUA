-- The console's parser: the game hands every typed console line to ParseConsole.
-- It splits the line into words and maps the word commands (matched in lower case) to the game's
-- functions; names and file names are passed on as typed.

-- Calls the named game function when the game has it; says so on the console otherwise.
local function call(name, ...)
    local f = _G[name]
    if type(f) ~= "function" then
        if type(ConsoleWrite) == "function" then
            ConsoleWrite("no such command: " .. name)
        end
        return nil
    end
    return f(...)
end

local function onoff(word)
    return word == "on" or word == "true"
end

local racerTuning = { speed = "SetRacerMaxSpeed", accel = "SetRacerAccel", turn = "SetRacerTurning" }
local moveModes = { models = "MoveModels", partsys = "MovePartSys", billboards = "MoveBillboards" }

function ParseConsole(line)
    local words = {}
    if type(line) ~= "string" then
        return words
    end
    local lower = {}
    for word in string.gmatch(line, "%S+") do
        words[#words + 1] = word
        lower[#lower + 1] = string.lower(word)
    end
    local w1, w2, w3 = lower[1], lower[2], words[3]
    if w1 == "set" and w2 == "ai" and lower[3] == "state" then
        -- "set ai state <use items> <drive> <third>": the computer racers' three switches.
        call("AIStates", lower[4] == "true", lower[5] == "true", lower[6] == "true")
    elseif w1 == "water" then
        call("SetWater", onoff(w2))
    elseif w1 == "wireframe" then
        call("SetWireFrame", onoff(w2))
    elseif w1 == "debug" and w2 == "info" then
        call("ToggleDebugInfo")
    elseif w1 == "picker" then
        call("SetPicker", onoff(w2))
    elseif w1 == "tune" and w2 == "racer" and racerTuning[lower[4]] ~= nil then
        -- "tune racer <character> speed|accel|turn <value>"
        call(racerTuning[lower[4]], lower[3], tonumber(words[5]))
    elseif w1 == "give" and w2 == "item" then
        -- "give item <item> [racer id]": 0 is the local player's racer.
        call("GiveItem", lower[3], tonumber(words[4]) or 0)
    elseif w1 == "place" then
        call("AddLevelObject", words[2])
    elseif w1 == "move" and moveModes[w2] ~= nil then
        call(moveModes[w2], tostring(onoff(lower[3])))
    elseif w1 == "trees" and w2 == "count" then
        call("SetBillboardCount", tonumber(w3))
    elseif w1 == "trees" and w2 == "radius" then
        call("SetBillboardRadius", tonumber(w3))
    elseif w1 == "write" and w2 == "placement" then
        call("WriteLevelPlacement", w3)
    end
    return words
end
