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

-- Developer tools: render and debug switches, fog, picking, tuning, items, the game's switches,
-- waypoints and the placement editor. Every command is listed in the README's controls section.
-- Returns true when the line was one of them.

-- "<word> on|off"
local toolSwitches = {
    water = "SetWater",
    wireframe = "SetWireFrame",
    picker = "SetPicker",
    cursor = "SetCursor",
    server = "SetServer",
    networking = "SetNetworking",
}
-- "draw <part> on|off"
local drawSwitches = {
    terrain = "SetTerrain",
    skybox = "SetSkybox",
    particles = "SetParticle",
    opaque = "SetOpaqueObjs",
    transparent = "SetTransparentObjs",
    dynamic = "SetDynamicObjs",
    debug = "SetDrawDebugMeshes",
    visual = "SetVisualDebug",
}
-- "fog density|start|end <value>"
local fogValues = { density = "FogDensity", start = "FogStart", ["end"] = "FogEnd" }
-- "tune racer <character> speed|accel|turn <value>"
local racerTuning = { speed = "SetRacerMaxSpeed", accel = "SetRacerAccel", turn = "SetRacerTurning" }
-- "tune weapon <weapon> <field> <value>"; the bone is a name, passed as typed
local weaponTuning = {
    range = "SetWeaponRange",
    angle = "SetWeaponAngle",
    hate = "SetWeaponHate",
    life = "SetWeaponLife",
    effect = "SetWeaponEffectTimer",
    anim = "SetWeaponAnimSpeed",
    hforce = "SetWeaponHForce",
    vforce = "SetWeaponVForce",
}
-- "river density|speed <value>"
local riverTuning = { density = "SetRiverDensity", speed = "SetRiverSpeed" }
-- "move models|partsys|billboards on|off"
local moveModes = { models = "MoveModels", partsys = "MovePartSys", billboards = "MoveBillboards" }

local function toolCommand(words, lower)
    local w1, w2 = lower[1], lower[2]
    local n = function(i) return tonumber(words[i]) end
    if w1 == "set" and w2 == "ai" and lower[3] == "state" then
        -- "set ai state <use items> <drive> <third>": the computer racers' three switches.
        call("AIStates", lower[4] == "true", lower[5] == "true", lower[6] == "true")
    elseif toolSwitches[w1] ~= nil and w2 ~= nil then
        call(toolSwitches[w1], onoff(w2))
    elseif w1 == "draw" and drawSwitches[w2] ~= nil then
        call(drawSwitches[w2], onoff(lower[3]))
    elseif w1 == "debug" and w2 == "info" then
        call("ToggleDebugInfo")
    elseif w1 == "fog" and w2 == "color" then
        call("FogColor", n(3), n(4), n(5), n(6))
    elseif w1 == "fog" and fogValues[w2] ~= nil then
        call(fogValues[w2], n(3))
    elseif w1 == "picked" and w2 == "pos" then
        call("SetPickedPos", n(3), n(4), n(5))
    elseif w1 == "picked" and w2 == "scale" then
        call("SetPickedScale", n(3), n(4), n(5))
    elseif w1 == "tune" and w2 == "racer" and racerTuning[lower[4]] ~= nil then
        call(racerTuning[lower[4]], lower[3], n(5))
    elseif w1 == "tune" and w2 == "weapon" and lower[4] == "bone" then
        call("SetWeaponBone", lower[3], words[5])
    elseif w1 == "tune" and w2 == "weapon" and weaponTuning[lower[4]] ~= nil then
        call(weaponTuning[lower[4]], lower[3], n(5))
    elseif w1 == "river" and riverTuning[w2] ~= nil then
        call(riverTuning[w2], n(3))
    elseif w1 == "give" and w2 == "item" then
        -- "give item <item> [racer id]": 0 is the local player's racer.
        call("GiveItem", lower[3], n(4) or 0)
    elseif w1 == "racers" then
        call("PrintRacerIDs")
    elseif w1 == "start" then
        call("Start")
    elseif w1 == "reload" and w2 == "console" then
        call("ReloadConsole")
    elseif w1 == "waypoints" and w2 == "load" then
        call("LoadWaypoints", words[3])
    elseif w1 == "waypoints" and w2 == "write" then
        call("WriteWaypoints", words[3])
    elseif w1 == "waypoints" and w2 == "list" then
        call("PrintWPList")
    elseif w1 == "waypoints" and w2 == "clear" then
        call("ClearWaypoints")
    elseif w1 == "waypoint" and w2 == "add" then
        call("AddWPtoEnd", n(3), n(4), n(5))
    elseif w1 == "waypoint" and w2 == "delete" then
        call("DeleteWaypoint", n(3))
    elseif w1 == "place" then
        call("AddLevelObject", words[2])
    elseif w1 == "move" and moveModes[w2] ~= nil then
        call(moveModes[w2], tostring(onoff(lower[3])))
    elseif w1 == "trees" and w2 == "count" then
        call("SetBillboardCount", n(3))
    elseif w1 == "trees" and w2 == "radius" then
        call("SetBillboardRadius", n(3))
    elseif w1 == "write" and w2 == "placement" then
        call("WriteLevelPlacement", words[3])
    else
        return false
    end
    return true
end

-- End of the developer tools.

-- Player and tester commands, and the answer to a line nobody knows. The console types
-- unshifted keys only, so every command is lower-case words.
local function say(text)
    if type(ConsoleWrite) == "function" then
        ConsoleWrite(text)
    end
end

local helpLines = {
    "help: this list", "echo <text>: prints the text", "weapons: the weapons' tuning",
    "racers: the racers' ids (yours is marked)", "start: starts the game with the switches below",
    "server|networking on|off", "reload console",
    "water|wireframe|picker|cursor on|off", "draw terrain|skybox|particles|opaque|transparent|dynamic|debug|visual on|off",
    "debug info", "fog density|start|end <n>", "fog color <r> <g> <b> <a>", "picked pos|scale <x> <y> <z>",
    "tune racer <character> speed|accel|turn <n>", "tune weapon <weapon> range|angle|hate|life|effect|anim|hforce|vforce <n>",
    "tune weapon <weapon> bone <name>", "river density|speed <n>", "give item <item> [racer id]",
    "set ai state <items> <drive> <third>", "waypoints load|write <file>", "waypoints list|clear",
    "waypoint add <x> <y> <z>", "waypoint delete <n>", "place <keyword>", "move models|partsys|billboards on|off",
    "trees count|radius <n>", "write placement <file>",
}

-- Returns true when the line was one of them.
local function playerCommand(line, words, lower)
    local w1 = lower[1]
    if w1 == "help" then
        for _, text in ipairs(helpLines) do
            say(text)
        end
    elseif w1 == "echo" then
        local at = string.find(string.lower(line), "echo", 1, true) or 1
        say((string.gsub(string.sub(line, at + 4), "^%s+", "")))
    elseif w1 == "weapons" then
        call("PrintWeaponStats")
    else
        return false
    end
    return true
end

-- End of the player and tester commands.

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
    if lower[1] ~= nil and not toolCommand(words, lower) and not playerCommand(line, words, lower) then
        say("unknown command: " .. lower[1] .. " (type help)")
    end
    return words
end
