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
    return words
end
