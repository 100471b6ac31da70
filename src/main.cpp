// The program entry: builds the game application on the default data tree, runs the
// framework's main loop and shuts down. The command line is not read.
#include <cstdio>
#include <cstdlib>

#include "game/flow/engine_config_loader.h"
#include "game/flow/tumbo_kelvo_app.h"
#include "libs/common/exceptions.h"
#include "platform/win32/frame_clock.h"
#include "platform/win32/win32.h"

namespace {

int RunGame() {
    auto app = new kelvo::CTumboKelvoApp();
    velm::SetApp(app);
    app->SetDataPaths(kelvo::CTumboKelvoApp::DefaultDataPaths());

    kelvo::CEngineConfigLoader loader;
    if (!app->Init(loader, kelvo::kEngineConfigFile)) {
        // Start-up failed: say why, and leave with a failure code rather than success.
        std::fprintf(stderr, "Tumbo Kelvo could not start: %s\n",
                     app->GetFailureText().empty() ? "unknown failure" : app->GetFailureText().c_str());
        // The services that did start are shut down before leaving, in their usual order.
        app->Shutdown();
        delete app;
        velm::SetApp(nullptr);
        return EXIT_FAILURE;
    }
    std::srand(platform::IsFixedStepRun() ? 1u : GetTickCount());
    app->Run();
    const int exitCode = app->Shutdown();
    delete app;
    velm::SetApp(nullptr);
    return exitCode;
}

} // namespace

int main() {
    try {
        return RunGame();
    } catch (const common::CBaseException& failure) {
        failure.Report();
        std::fprintf(stderr, "Tumbo Kelvo stopped: %s (%s, line %d)\n", failure.what(), failure.GetSourceFile().c_str(),
                     failure.GetLine());
        return EXIT_FAILURE;
    }
}
