// Where the developer tools' console lines go: the console overlay once the game has one,
// standard output until then. Main thread only.
#pragma once

#include <functional>
#include <string>

namespace kelvo {

using ConsoleSink = std::function<void(const std::string&)>;

// An empty sink restores standard output.
void SetConsoleSink(ConsoleSink sink);
void ConsolePrint(const std::string& line);

} // namespace kelvo
