-- The console's parser: the game hands every typed console line to ParseConsole.
-- It splits the line into words; the commands themselves are added with the console.

function ParseConsole(line)
    local words = {}
    if type(line) ~= "string" then
        return words
    end
    for word in string.gmatch(line, "%S+") do
        words[#words + 1] = word
    end
    -- "set ai state <use items> <drive> <third>": the computer racers' three switches.
    if words[1] == "set" and words[2] == "ai" and words[3] == "state" and type(AIStates) == "function" then
        AIStates(words[4] == "true", words[5] == "true", words[6] == "true")
    end
    return words
end
