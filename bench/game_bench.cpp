// The whole game, measured in a child process per run so that every run starts the way the
// program does: the race's frames from the race camera at 800 x 600 or at the data tree's own
// 1024 x 768, split into update, physics,
// graphics engine and device, on the machine's software renderer (OpenGL offscreen) and on the
// null device; start-up to the first drawn menu frame; and the peak memory of a run of several
// races against a run of one. The child walks the menus itself (it clicks Single Player once the
// menu camera has
// stopped, OK on the character selection), races, and takes the race down with the
// game's race reset, as the in-game menu's exit does. TK_SOURCE_DIR names the checkout (the
// working directory when unset). TK_BENCH_RENDER_OFF=mask clears those render flags of the
// graphics system during the race (0x10 the banks, 0x20 the river, 0x2 the particles, ...), to
// see what each part of the frame costs.
#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/gfx/button.h"
#include "engine/gfx/cursor.h"
#include "engine/gfx/gfx_core.h"
#include "engine/gfx/velm_gfx.h"
#include "engine/phy/physics_world.h"
#include "game/flow/engine_config_loader.h"
#include "game/flow/tumbo_kelvo_app.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "game/ui/character_selection.h"
#include "game/ui/start_menu.h"
#include "platform/dxut/dxut.h"
#include "platform/dxut/input_script.h"

namespace {

constexpr double kFrameSeconds = 1.0 / 60.0;
constexpr int kScreenWidth = 800; // the other runs' screen; BM_RaceFrame takes the width it is given
constexpr unsigned long kMostFrames = 40000;
constexpr unsigned int kChildSeconds = 900;

struct SRunPlan {
    bool gl = true;
    int width = kScreenWidth;          // the height is three quarters of it
    double fixedFrame = kFrameSeconds; // 0: the real clock
    int races = 1;
    int warmUpFrames = 60;   // race frames before the measured ones
    int raceFrames = 240;    // measured race frames per race
    bool stopAtMenu = false; // the start-up run
};

// What a child sends back through its pipe: plain numbers only.
struct SRunResult {
    int finished = 0;
    char error[160] = {};
    double firstFrame = -1.0; // seconds from the child's start to each first drawn frame
    double firstSplash = -1.0;
    double firstMenu = -1.0;
    int racesRun = 0;
    double frames = 0.0; // measured race frames and their sums, in seconds
    double wall = 0.0;
    double cpu = 0.0;     // the process's processor time, every thread's (the renderer's among them)
    double mainCpu = 0.0; // the game thread's alone: the software renderer's vertex work runs on it
    double move = 0.0;
    double render = 0.0;
    double present = 0.0;
    double physics = 0.0;
    double draws = 0.0; // the device's draw calls and the vertices they sent, over the measured frames
    double vertices = 0.0;
};

using Clock = std::chrono::steady_clock;

// On a shared machine the wall clock swings with the others' load; the work a frame takes, on
// every core it runs on, swings much less.
double ProcessSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Runs in the child: walks the game to the race, measures and ends the run.
class CDriver {
public:
    CDriver(const SRunPlan& plan, SRunResult* result) : m_plan(plan), m_result(result), m_start(Clock::now()) {}

    static void Observe(unsigned long frame, bool drawn, const platform::SFrameTimes& times, void* context) {
        static_cast<CDriver*>(context)->OnFrame(frame, drawn, times);
    }

private:
    double Since() const { return std::chrono::duration<double>(Clock::now() - m_start).count(); }

    // The game's cursor follows the mouse's movements: the move is the offset from where the
    // cursor is to the middle of the button, then the button is pressed and let go there.
    void Click(unsigned long frame, const velm::gfx::IScreenUnit* unit, const velm::gfx::CCursor* cursor) {
        const auto* button = dynamic_cast<const velm::gfx::CButton*>(unit);
        if (button == nullptr || cursor == nullptr) {
            return;
        }
        m_mouseX += button->GetX() + button->GetWidth() / 2 - cursor->GetX();
        m_mouseY += button->GetY() + button->GetHeight() / 2 - cursor->GetY();
        const std::string at = std::to_string(m_mouseX) + " " + std::to_string(m_mouseY) + "\n";
        std::istringstream lines(std::to_string(frame + 1) + " mouse_move " + at + std::to_string(frame + 3) +
                                 " mouse_down left " + at + std::to_string(frame + 5) + " mouse_up left " + at);
        std::ostringstream errors;
        m_keys.Parse(lines, "driver", errors);
        m_pressedAt = frame;
    }

    void Close(const char* error) {
        if (error != nullptr) {
            std::snprintf(m_result->error, sizeof(m_result->error), "%s", error);
        } else {
            m_result->finished = 1;
        }
        m_closing = true;
        SDL_Event event;
        SDL_zero(event);
        event.type = SDL_WINDOWEVENT;
        event.window.event = SDL_WINDOWEVENT_CLOSE;
        event.window.windowID = SDL_GetWindowID(platform::GetSdlWindow());
        SDL_PushEvent(&event);
    }

    void OnFrame(unsigned long frame, bool drawn, const platform::SFrameTimes& times) {
        if (m_closing) {
            return;
        }
        m_keys.Inject(frame + 1, SDL_GetWindowID(platform::GetSdlWindow()));
        velm::CVelmApp* app = velm::GetApp();
        auto* game = app != nullptr ? dynamic_cast<kelvo::CTumboKelvoGame*>(app->GetGame()) : nullptr;
        if (game == nullptr) {
            return;
        }
        const std::string& state = game->GetStateMachine().GetCurrentState();
        if (drawn && m_result->firstFrame < 0.0) {
            m_result->firstFrame = Since();
        }
        if (drawn && state == "NorvaleSplashState" && m_result->firstSplash < 0.0) {
            m_result->firstSplash = Since();
        }
        if (drawn && state == "MenuState" && m_result->firstMenu < 0.0) {
            m_result->firstMenu = Since();
            if (m_plan.stopAtMenu) {
                Close(nullptr);
                return;
            }
        }
        // A key is pressed once the screen's camera has come to rest, and not again until the
        // state has had time to take it.
        const bool settled = !game->IsCameraMoving() && frame > m_pressedAt + 30;
        if (state == "MenuState" && settled && game->GetStartMenu() != nullptr) {
            Click(frame, game->GetStartMenu()->GetChild(kelvo::CStartMenu::kSinglePlayer), game->GetCursorScreen());
        } else if (state == "CharSelState" && settled && game->GetCharacterSelection() != nullptr) {
            Click(frame, game->GetCharacterSelection()->GetChild(kelvo::CCharacterSelection::kOk),
                  game->GetCursorScreen());
        } else if (state == "RacingState") {
            RaceFrame(*game, times);
        }
        if (frame >= kMostFrames) {
            Close(("the run never finished its races; it was in " + state).c_str());
        }
    }

    void RaceFrame(kelvo::CTumboKelvoGame& game, const platform::SFrameTimes& times) {
        ++m_raceFrame;
        if (const char* off = std::getenv("TK_BENCH_RENDER_OFF")) {
            velm::gfx::CVelmGfx* gfx = velm::GetApp()->GetGfx();
            gfx->SetRenderFlags(gfx->GetRenderFlags() & ~static_cast<std::uint32_t>(std::strtoul(off, nullptr, 0)));
        }
        const IDirect3DDevice9* device =
            velm::gfx::GFXCore::Exists() ? velm::gfx::GFXCore::Instance().GetDevice() : nullptr;
        const platform::d3d9::SDeviceStats stats = device != nullptr ? device->Stats() : platform::d3d9::SDeviceStats();
        if (m_raceFrame > m_plan.warmUpFrames) {
            const velm::phy::CPhysicsWorld* physics = velm::GetApp()->GetPhysicsWorld();
            const double physicsSeconds = physics != nullptr ? physics->GetLastUpdateSeconds() : 0.0;
            m_result->frames += 1.0;
            m_result->move += times.move;
            m_result->render += times.render;
            m_result->present += times.present;
            m_result->physics += physicsSeconds;
            m_result->draws += static_cast<double>(stats.draws - m_lastStats.draws);
            m_result->vertices += static_cast<double>(stats.vertices - m_lastStats.vertices);
            const auto now = Clock::now();
            if (m_raceFrame > m_plan.warmUpFrames + 1) {
                m_result->wall += std::chrono::duration<double>(now - m_lastRaceFrame).count();
                m_result->cpu += ProcessSeconds() - m_lastRaceCpu;
                m_result->mainCpu += ThreadSeconds() - m_lastRaceThreadCpu;
            } else {
                m_result->wall += times.move + times.render + times.present;
            }
        }
        m_lastRaceFrame = Clock::now();
        m_lastRaceCpu = ProcessSeconds();
        m_lastRaceThreadCpu = ThreadSeconds();
        m_lastStats = stats;
        if (m_raceFrame < m_plan.warmUpFrames + m_plan.raceFrames) {
            return;
        }
        m_raceFrame = 0;
        if (++m_result->racesRun >= m_plan.races) {
            Close(nullptr);
        } else {
            game.ResetRace();
        }
    }

    SRunPlan m_plan;
    SRunResult* m_result;
    Clock::time_point m_start;
    Clock::time_point m_lastRaceFrame;
    double m_lastRaceCpu = 0.0;
    double m_lastRaceThreadCpu = 0.0;
    platform::d3d9::SDeviceStats m_lastStats;
    platform::CInputScript m_keys;
    unsigned long m_pressedAt = 0;
    int m_mouseX = 0;
    int m_mouseY = 0;
    int m_raceFrame = 0;
    bool m_closing = false;
};

// The data tree's engine configuration with the screen at width x three quarters of it, in a file
// of the child's own; the data tree's file itself when it cannot be read.
std::string ScreenConfig(const std::string& original, int width) {
    std::ifstream in(original);
    std::stringstream text;
    text << in.rdbuf();
    std::string config = text.str();
    const auto set = [&config](const std::string& tag, const std::string& value) {
        const std::string open = "<" + tag + ">";
        const std::size_t from = config.find(open);
        const std::size_t to = config.find("</" + tag + ">");
        if (from != std::string::npos && to != std::string::npos && to > from) {
            config.replace(from + open.size(), to - from - open.size(), value);
        }
    };
    set("ScreenWidth", std::to_string(width));
    set("ScreenHeight", std::to_string(width * 3 / 4));
    const std::string path =
        (std::filesystem::temp_directory_path() / ("tk_game_bench_config_" + std::to_string(getpid()) + ".xml"))
            .string();
    std::ofstream out(path);
    out << config;
    return in && out ? path : original;
}

void RunChild(const SRunPlan& plan, const std::string& source, SRunResult* result) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("ALSOFT_DRIVERS", "null", 0);
    setenv("TK_D3D9_DEVICE", plan.gl ? "gl" : "null", 1);
    if (plan.fixedFrame > 0.0) {
        setenv("TK_FIXED_DT", std::to_string(plan.fixedFrame).c_str(), 1);
    } else {
        unsetenv("TK_FIXED_DT");
    }
    for (const char* name : {"TK_FRAME_LIMIT", "TK_INPUT_FILE", "TK_SCREENSHOT_FRAMES", "TK_TRACE"}) {
        unsetenv(name);
    }
    // The game opens its data four levels up from its run folder, as the program does.
    if (chdir((source + "/run/tumbo/kelvo/game").c_str()) != 0) {
        std::snprintf(result->error, sizeof(result->error), "no run folder under %s", source.c_str());
        return;
    }
    CDriver driver(plan, result);
    platform::SetFrameObserver(&CDriver::Observe, &driver);
    auto* app = new kelvo::CTumboKelvoApp();
    velm::SetApp(app);
    app->SetDataPaths(kelvo::CTumboKelvoApp::DefaultDataPaths());
    kelvo::CEngineConfigLoader loader;
    if (!app->Init(loader, ScreenConfig(kelvo::kEngineConfigFile, plan.width))) {
        std::snprintf(result->error, sizeof(result->error), "the game did not start: %s",
                      app->GetFailureText().c_str());
        return;
    }
    std::srand(1);
    app->Run();
    platform::SetFrameObserver(nullptr, nullptr);
    std::error_code ignored;
    std::filesystem::remove(
        std::filesystem::temp_directory_path() / ("tk_game_bench_config_" + std::to_string(getpid()) + ".xml"),
        ignored);
}

// One run in a fresh process; the peak resident size comes from the child's own accounting.
SRunResult Run(const SRunPlan& plan, long* peakKilobytes) {
    SRunResult result;
    // The checkout; without TK_SOURCE_DIR the working directory is taken for it.
    const char* named = std::getenv("TK_SOURCE_DIR");
    const std::string source = named != nullptr ? named : std::filesystem::current_path().string();
    int channel[2];
    if (pipe(channel) != 0) {
        std::snprintf(result.error, sizeof(result.error), "no pipe");
        return result;
    }
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        alarm(kChildSeconds);
        SRunResult mine;
        RunChild(plan, source, &mine);
        const ssize_t written = write(channel[1], &mine, sizeof(mine));
        _exit(written == static_cast<ssize_t>(sizeof(mine)) ? 0 : 1);
    }
    close(channel[1]);
    if (child < 0) {
        close(channel[0]);
        std::snprintf(result.error, sizeof(result.error), "no child process");
        return result;
    }
    std::size_t got = 0;
    auto* bytes = reinterpret_cast<char*>(&result);
    while (got < sizeof(result)) {
        const ssize_t n = read(channel[0], bytes + got, sizeof(result) - got);
        if (n <= 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    close(channel[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    *peakKilobytes = usage.ru_maxrss;
    if (got != sizeof(result)) {
        result = SRunResult();
        std::snprintf(result.error, sizeof(result.error), "the game's process ended early (status %d)", status);
    }
    return result;
}

bool Failed(benchmark::State& state, const SRunResult& result) {
    if (result.finished != 0 && result.error[0] == '\0') {
        return false;
    }
    state.SkipWithError(result.error[0] != '\0' ? result.error : "the run did not finish");
    return true;
}

double Milliseconds(double seconds, double frames) { return frames > 0.0 ? 1000.0 * seconds / frames : 0.0; }

// First argument 1: the software renderer, whose device share is the frame less the engine's, which
// the same frames on the null device give; 0: the null device alone. The second is the screen's
// width: 800 (800 x 600) or the shipped window's 1024 (1024 x 768).
void BM_RaceFrame(benchmark::State& state) {
    const bool gl = state.range(0) != 0;
    SRunPlan plan;
    plan.gl = false;
    plan.width = static_cast<int>(state.range(1));
    long peak = 0;
    const SRunResult null = Run(plan, &peak);
    if (Failed(state, null)) {
        return;
    }
    SRunResult measured = null;
    if (gl) {
        plan.gl = true;
        measured = Run(plan, &peak);
        if (Failed(state, measured)) {
            return;
        }
    }
    for (auto _ : state) {
        state.SetIterationTime(measured.wall / measured.frames);
    }
    const double frames = measured.frames;
    const double engine = Milliseconds(null.render, null.frames);
    state.counters["fps"] = frames / measured.wall;
    state.counters["ms_frame"] = Milliseconds(measured.wall, frames);
    state.counters["cpu_ms_frame"] = Milliseconds(measured.cpu, frames - 1.0);
    state.counters["main_cpu_ms_frame"] = Milliseconds(measured.mainCpu, frames - 1.0);
    state.counters["ms_update"] = Milliseconds(measured.move - measured.physics, frames);
    state.counters["ms_physics"] = Milliseconds(measured.physics, frames);
    state.counters["ms_engine"] = engine;
    state.counters["ms_device"] =
        gl ? Milliseconds(measured.render + measured.present, frames) - engine : Milliseconds(null.present, frames);
    state.counters["ms_present"] = Milliseconds(measured.present, frames);
    state.counters["frames"] = frames;
    state.counters["draws_frame"] = measured.draws / frames;
    state.counters["vertices_frame"] = measured.vertices / frames;
}
BENCHMARK(BM_RaceFrame)
    ->Args({1, 1024})
    ->Args({1, 800})
    ->Args({0, 800})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// From the start of a fresh process to the first drawn frame of the menu, on the real clock (the
// splash before the menu stays on screen for its three seconds by design; ms_to_splash is the
// start-up work before the first picture of the game).
void BM_StartUpToMenu(benchmark::State& state) {
    SRunPlan plan;
    plan.fixedFrame = 0.0;
    plan.stopAtMenu = true;
    long peak = 0;
    const SRunResult result = Run(plan, &peak);
    if (Failed(state, result)) {
        return;
    }
    for (auto _ : state) {
        state.SetIterationTime(result.firstMenu);
    }
    state.counters["ms_to_first_frame"] = 1000.0 * result.firstFrame;
    state.counters["ms_to_splash"] = 1000.0 * result.firstSplash;
    state.counters["ms_to_menu"] = 1000.0 * result.firstMenu;
    state.counters["ms_splash_shown"] = 1000.0 * (result.firstMenu - result.firstSplash);
}
BENCHMARK(BM_StartUpToMenu)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// Peak resident memory of a run of the argument's races (menus, race, race reset, again) on the
// null device; beside it the peak of a one-race run, which the longer run must not exceed by more
// than 2 MB (an error says by how much it does).
void BM_PeakMemory(benchmark::State& state) {
    SRunPlan plan;
    plan.gl = false;
    plan.warmUpFrames = 0;
    plan.raceFrames = 120;
    plan.races = static_cast<int>(state.range(0));
    long peak = 0;
    const SRunResult result = Run(plan, &peak);
    if (Failed(state, result)) {
        return;
    }
    plan.races = 1;
    long onePeak = 0;
    const SRunResult one = Run(plan, &onePeak);
    if (Failed(state, one)) {
        return;
    }
    // Every race after the first gives back what it took: the longer run's peak stays within 2 MB
    // of the one race's.
    const double growth = static_cast<double>(peak - onePeak) / 1024.0;
    if (growth > 2.0) {
        const std::string said = "the peak of " + std::to_string(result.racesRun) + " races is " +
                                 std::to_string(growth) + " MB above one race's";
        state.SkipWithError(said.c_str());
        return;
    }
    for (auto _ : state) {
        state.SetIterationTime(result.wall);
    }
    state.counters["races"] = result.racesRun;
    state.counters["peak_MB"] = static_cast<double>(peak) / 1024.0;
    state.counters["one_race_peak_MB"] = static_cast<double>(onePeak) / 1024.0;
    state.counters["growth_MB"] = growth;
}
BENCHMARK(BM_PeakMemory)->Arg(10)->Arg(20)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
