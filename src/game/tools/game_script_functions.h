// The script functions of the game and its console: console output, reloading the console's
// parser, the debug overlay, the host and networking switches, starting the game, listing the
// racers and giving an item. The game's switches are reached through IScriptGame, which the game
// object provides once it has them. Main thread only.
#pragma once

namespace kelvo {

// The game's side of the console commands.
class IScriptGame {
public:
    virtual ~IScriptGame() = default;
    // The overlay's new state.
    virtual bool ToggleDebugInfo() = 0;
    virtual void SetServer(bool on) = 0;
    virtual bool IsServer() const = 0;
    virtual void SetNetworked(bool on) = 0;
    virtual bool IsNetworked() const = 0;
    virtual void StartGame() = 0;
};

// Not owned; null (the default) makes those commands say that the game cannot do them yet.
void SetScriptGame(IScriptGame* game);

// Registers every function with the script host; registering again replaces them.
void RegisterGameScriptFunctions();

} // namespace kelvo
