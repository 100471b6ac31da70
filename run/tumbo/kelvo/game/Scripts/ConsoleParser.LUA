-- The console's parser: the game hands every typed console line to ParseConsole.
-- It splits the line into words and maps the word commands (matched in lower case) to the game's
-- functions; names and file names are passed on as typed, but for what the console cannot type
-- (see typedName). A line that cannot be done is answered on the console.

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

local function say(text)
    if type(ConsoleWrite) == "function" then
        ConsoleWrite(text)
    end
end

-- "on" or "off" ("true" or "false" too) as a bool; anything else is answered, and nil.
local function onoff(word, command)
    if word == "on" or word == "true" then
        return true
    elseif word == "off" or word == "false" then
        return false
    end
    say(command .. ": expected on or off, not " .. tostring(word))
    return nil
end

-- A setter's false answer (nothing was changed) told, unless the value was missing, which the
-- function itself reports.
local function refused(answer, value, text)
    if answer == false and value ~= nil then
        say(text)
    end
end

-- The console types no shifted keys: in a name a typed "-" stands for "_", and the names that
-- hold capitals (the bones, a few placement keywords) are matched in any case.
local function typedName(word)
    return word and (string.gsub(word, "-", "_"))
end
local function listedNames(names)
    local byLower = {}
    for _, name in ipairs(names) do
        byLower[string.lower(name)] = name
    end
    return function(word)
        local name = typedName(word)
        return name and (byLower[string.lower(name)] or name)
    end
end
local boneName = listedNames({ "root", "Hips", "Spine", "Head", "LeftArm", "LeftHand", "RightArm", "RightHand" })
local keywordName = listedNames({ "ICE_CAVE", "ROCK_CAVE", "GAME_NAME_1", "GAME_NAME_2", "ENGINE_LOGO" })

-- A waypoint file typed as a bare name (no folder, no extension) is one of the game's own:
-- data/files/waypoints/<name>.txt. Anything else is the file as typed.
local WAYPOINT_FOLDER = "../../../../data/files/waypoints/"
local function waypointFile(word)
    if word == nil or string.find(word, "[/\\.]") then
        return word
    end
    return WAYPOINT_FOLDER .. typedName(word) .. ".txt"
end

-- The console names the edited path's waypoints by their place from 0; the editor names them by
-- their marker objects.
local function markerOf(word, command)
    local index = word and tonumber(word)
    local id = index and call("GetWPMarkerID", index)
    if id == nil then
        say(command .. ": the path being edited has no waypoint " .. tostring(word))
    end
    return id
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
        local items, drive, third = onoff(lower[4], "set ai state"), onoff(lower[5], "set ai state"),
            onoff(lower[6], "set ai state")
        if items ~= nil and drive ~= nil and third ~= nil then
            call("AIStates", items, drive, third)
        end
    elseif toolSwitches[w1] ~= nil and w2 ~= nil then
        local on = onoff(w2, w1)
        if on ~= nil then
            call(toolSwitches[w1], on)
        end
    elseif w1 == "draw" and drawSwitches[w2] ~= nil then
        local on = onoff(lower[3], "draw " .. w2)
        if on ~= nil then
            call(drawSwitches[w2], on)
        end
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
        refused(call(racerTuning[lower[4]], lower[3], n(5)), n(5), "tune racer: no character " .. lower[3])
    elseif w1 == "tune" and w2 == "weapon" and lower[4] == "bone" then
        refused(call("SetWeaponBone", lower[3], boneName(words[5])), words[5], "tune weapon: no weapon " .. lower[3])
    elseif w1 == "tune" and w2 == "weapon" and weaponTuning[lower[4]] ~= nil then
        refused(call(weaponTuning[lower[4]], lower[3], n(5)), n(5),
            "tune weapon: " .. lower[3] .. " is no weapon or has no " .. lower[4])
    elseif w1 == "river" and riverTuning[w2] ~= nil then
        call(riverTuning[w2], n(3))
    elseif w1 == "give" and w2 == "item" then
        -- "give item <item> [racer id]": 0 is the local player's racer.
        refused(call("GiveItem", lower[3], n(4) or 0), lower[3],
            "give item: not given (no such item or racer, or the racer holds an item)")
    elseif w1 == "racers" then
        call("PrintRacerIDs")
    elseif w1 == "start" then
        call("Start")
    elseif w1 == "reload" and w2 == "console" then
        call("ReloadConsole")
    elseif w1 == "waypoints" and (w2 == "load" or w2 == "write") then
        -- The functions answer with the number of waypoints read or written; failures say why.
        local file = waypointFile(words[3])
        local count = call(w2 == "load" and "LoadWaypoints" or "WriteWaypoints", file)
        if type(count) == "number" and count > 0 then
            say(count .. " waypoints " .. (w2 == "load" and "loaded from " or "written to ") .. file)
        end
    elseif w1 == "waypoints" and w2 == "list" then
        call("PrintWPList")
    elseif w1 == "waypoints" and w2 == "clear" then
        call("ClearWaypoints")
    elseif w1 == "waypoints" and w2 == "label" then
        call("SetLabel", typedName(words[3]))
    elseif w1 == "waypoints" and w2 == "edit" then
        -- "waypoints edit <index>|<name>": the path of that place in the list, or of that name.
        local path = tonumber(words[3]) or typedName(words[3])
        if call("SetActive", path) == false and path ~= nil then
            say("waypoints edit: no path " .. tostring(path) .. " (see waypoints list)")
        end
    elseif w1 == "waypoints" and w2 == "done" then
        call("SetInactive")
    elseif w1 == "waypoint" and w2 == "add" then
        call("AddWPtoEnd", n(3), n(4), n(5))
    elseif w1 == "waypoint" and w2 == "insert" then
        -- "waypoint insert <index> before|after <x> <y> <z>"
        if lower[4] ~= "before" and lower[4] ~= "after" then
            say("waypoint insert: expected <index> before|after <x> <y> <z>")
        else
            local id = markerOf(words[3], "waypoint insert")
            if id ~= nil then
                call("InsertWaypoint", n(5), n(6), n(7), id, lower[4] == "before")
            end
        end
    elseif w1 == "waypoint" and w2 == "delete" then
        local id = markerOf(words[3], "waypoint delete")
        if id ~= nil then
            call("DeleteWaypoint", id)
        end
    elseif w1 == "waypoint" and w2 == "marker" then
        call("CreateWPObj", n(3), n(4), n(5))
    elseif w1 == "place" then
        call("AddLevelObject", keywordName(words[2]))
    elseif w1 == "move" and moveModes[w2] ~= nil then
        local on = onoff(lower[3], "move " .. w2)
        if on ~= nil then
            call(moveModes[w2], tostring(on))
        end
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

local helpLines = {
    "help: this list", "in names and files type - for _ (stage1-line is stage1_line)",
    "echo <text>: prints the text", "weapons: the weapons' tuning (nothing to print)",
    "racers: the racers' ids (yours is marked)", "start: starts the game with the switches below",
    "server|networking on|off", "reload console",
    "water|wireframe|picker|cursor on|off", "draw terrain|skybox|particles|opaque|transparent|dynamic|debug|visual on|off",
    "debug info", "fog density|start|end <n>", "fog color <r> <g> <b> <a>", "picked pos|scale <x> <y> <z>",
    "tune racer <character> speed|accel|turn <n>", "tune weapon <weapon> range|angle|hate|life|effect|anim|hforce|vforce <n>",
    "tune weapon <weapon> bone <name>", "river density|speed <n>", "give item <item> [racer id]",
    "set ai state <items> <drive> <third>", "waypoints load|write <file>", "waypoints list|clear|done",
    "waypoints label <name>", "waypoints edit <n>|<name>", "waypoint add|marker <x> <y> <z>",
    "waypoint insert <n> before|after <x> <y> <z>", "waypoint delete <n>",
    "place <keyword>", "move models|partsys|billboards on|off", "trees count|radius <n>", "write placement <file>",
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
