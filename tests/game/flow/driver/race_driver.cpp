// The whole game in this process, driven the way a player drives it: the menus are clicked, and
// in the race the player's racer is steered with the player's own keys (Up, Left, Right, Space),
// injected as window-system key events, so they take the road a person's keys take.
//
//   line     closed loop: each frame, from the racer's position and what a player sees of the
//            others, Up towards a point some way down the racing line, in a lane beside the one
//            the computers follow, with Left or Right held while that point lies off the
//            paddling direction, a racer close ahead passed on the outside, items used as a good
//            player uses them (line_driver.h).
//   hold-up  open loop: Up held from the start, never steered.
//
// The run ends when the whole field is home and prints each place, racer and time (seconds from
// the start of the race), then each racer's longest hold by the scenery: the longest time it
// touched something other than a racer (a rock, a floe, a bank, a log) while it gained less than a
// metre down the river. A player still out a minute after the last computer is taken to be
// stranded. --character picks the racer in the line-up (monkey by default). --expect-top N fails
// unless the player places N-th or better; --expect-below N unless the player finishes, below
// N-th, or at least --behind SECONDS after the first computer home; --expect-hold-under SECONDS
// unless every racer's longest hold is shorter. --seed N draws the race's items and the
// computers' chances from N instead of the fixed run's seed. --log FILE writes every racer's
// position, speed, place, speed scale and item twice a second.
//
//   race_driver --source DIR --policy line|hold-up [--character NAME] [--lane METRES] [--seed N]
//               [--expect-top N] [--expect-below N [--behind SECONDS]] [--expect-hold-under SECONDS]
//               [--log FILE]
#include <SDL2/SDL.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/ai/ai_manager.h"
#include "engine/ai/ai_random.h"
#include "engine/gfx/button.h"
#include "engine/gfx/cursor.h"
#include "engine/phy/collision_hull.h"
#include "engine/phy/physics_world.h"
#include "engine/phy/rigid_body.h"
#include "game/flow/driver/line_driver.h"
#include "game/flow/engine_config_loader.h"
#include "game/flow/tumbo_kelvo_app.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "game/ui/character_selection.h"
#include "game/ui/start_menu.h"
#include "game/world/item_manager.h"
#include "game/world/racer_controller.h"
#include "game/world/racer_model.h"
#include "libs/common/mersenne_twister.h"
#include "platform/dxut/dxut.h"
#include "platform/dxut/input_script.h"

namespace {

using common::CVector3;
using racedriver::CLineDriver;
using racedriver::SKeys;
using racedriver::SSeenRacer;

constexpr double kFrameSeconds = 1.0 / 60.0;
constexpr std::size_t kFieldSize = 6;
// Past this the race is taken to have stalled.
constexpr unsigned long kMostFrames = 60000;
// A player not home a minute after the last computer is taken to be stranded for good.
constexpr unsigned long kStrandedFrames = 3600;
// The computers follow this line; the player's line is the same, a lane to its side.
const char* const kRacingLine = "stage1_line";

enum class EPolicy { RacingLine, HoldUp };

// The line-up in the order the selection's Left arrow turns it, from the monkey.
const char* const kCharacters[] = {"monkey", "bear", "alien", "fish", "hillbilly", "moviestar"};

struct SOptions {
    std::string source;
    EPolicy policy = EPolicy::RacingLine;
    std::uint32_t character = 1;
    unsigned seed = 0;
    int expectTop = 0;
    int expectBelow = 0;
    double behind = 0.0;
    double expectHoldUnder = 0.0;
    std::string log;
    // The lane's offset from the racing line, in metres to the line's right hand looking
    // downstream.
    float lane = -3.0f;
};

struct SFinish {
    std::uint32_t racer = 0;
    double time = 0.0;
};

// Per racer, the longest time it was held by the scenery: a hold starts when the racer touches
// anything that is not a racer (the physics' contacts of the last step: rocks, floes, the banks'
// volumes and the terrain, logs) and lasts until the racer is a metre further down the river than
// where it started, or has touched nothing for a second. A racer sliding along a bank gains its
// metre at once; one pinned against a rock gains nothing for as long as it stays.
class CHoldMeter {
public:
    void Frame(kelvo::CTumboKelvoGame& game, const std::vector<std::uint32_t>& home, unsigned long frame) {
        velm::phy::CPhysicsWorld* world = velm::GetApp()->GetPhysicsWorld();
        if (world == nullptr) {
            return;
        }
        std::vector<std::pair<const velm::phy::CRigidBody*, const kelvo::CRacerModel*>> racers;
        for (velm::CModel* model : game.GetRacers()) {
            if (const auto* racer = dynamic_cast<const kelvo::CRacerModel*>(model)) {
                racers.emplace_back(racer->GetBody().get(), racer);
            }
        }
        const auto isRacer = [&](const velm::phy::CRigidBody* body) {
            return std::any_of(racers.begin(), racers.end(), [&](const auto& r) { return r.first == body; });
        };
        std::vector<const velm::phy::CRigidBody*> touching;
        for (const velm::phy::SContact& contact : world->GetSimulator().GetContacts()) {
            const velm::phy::CRigidBody* a = contact.m_hullA != nullptr ? contact.m_hullA->GetOwner() : nullptr;
            const velm::phy::CRigidBody* b = contact.m_hullB != nullptr ? contact.m_hullB->GetOwner() : nullptr;
            if (isRacer(a) && !isRacer(b)) {
                touching.push_back(a);
            }
            if (isRacer(b) && !isRacer(a)) {
                touching.push_back(b);
            }
        }
        for (const auto& [body, racer] : racers) {
            const std::uint32_t id = racer->GetID();
            if (std::find(home.begin(), home.end(), id) != home.end()) {
                continue;
            }
            SHold& hold = m_holds[id];
            const float course = -racer->GetPosition().z;
            if (std::find(touching.begin(), touching.end(), body) != touching.end()) {
                hold.lastTouch = frame;
                if (!hold.open) {
                    hold = SHold{true, frame, frame, course, hold.longest, hold.where};
                }
            }
            if (!hold.open) {
                continue;
            }
            const bool gone = course > hold.course + kGain;
            const bool letGo = frame > hold.lastTouch + kLetGoFrames;
            const unsigned long end = letGo ? hold.lastTouch : frame;
            if (end - hold.start > hold.longest) {
                hold.longest = end - hold.start;
                hold.where = racer->GetPosition();
            }
            hold.open = !gone && !letGo;
        }
    }

    // Seconds of the longest hold of the racer, and where it was held.
    double Longest(std::uint32_t racer, CVector3& where) const {
        const auto found = m_holds.find(racer);
        if (found == m_holds.end()) {
            return 0.0;
        }
        where = found->second.where;
        return static_cast<double>(found->second.longest) * kFrameSeconds;
    }

private:
    struct SHold {
        bool open = false;
        unsigned long start = 0;
        unsigned long lastTouch = 0;
        float course = 0.0f;
        unsigned long longest = 0;
        CVector3 where;
    };
    static constexpr float kGain = 1.0f;
    static constexpr unsigned long kLetGoFrames = 60;
    std::map<std::uint32_t, SHold> m_holds;
};

class CRaceRun {
public:
    explicit CRaceRun(const SOptions& options) : m_options(options), m_line(options.lane) {
        if (!options.log.empty()) {
            m_log.open(options.log);
        }
    }

    static void Observe(unsigned long frame, bool /*drawn*/, const platform::SFrameTimes& /*times*/, void* context) {
        static_cast<CRaceRun*>(context)->OnFrame(frame);
    }

    const std::vector<SFinish>& Finishes() const { return m_finishes; }
    const CHoldMeter& Holds() const { return m_holds; }
    const std::vector<std::uint32_t>& Racers() const { return m_racers; }
    std::uint32_t Player() const { return m_player; }
    const std::string& Error() const { return m_error; }

private:
    void Send(const std::string& lines) {
        std::istringstream in(lines);
        std::ostringstream errors;
        m_input.Parse(in, "driver", errors);
    }

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
        Send(std::to_string(frame + 1) + " mouse_move " + at + std::to_string(frame + 3) + " mouse_down left " + at +
             std::to_string(frame + 5) + " mouse_up left " + at);
        m_pressedAt = frame;
    }

    void Close(const std::string& error) {
        m_error = error;
        m_closing = true;
        SDL_Event event;
        SDL_zero(event);
        event.type = SDL_WINDOWEVENT;
        event.window.event = SDL_WINDOWEVENT_CLOSE;
        event.window.windowID = SDL_GetWindowID(platform::GetSdlWindow());
        SDL_PushEvent(&event);
    }

    // Key changes go in for the next frame, releases first, so that a change of side never holds
    // both sides at once.
    void Press(unsigned long frame, const SKeys& want) {
        std::string lines;
        const auto key = [&](bool now, bool before, const char* name) {
            if (now != before) {
                lines += std::to_string(frame + 1) + (now ? " key_down " : " key_up ") + name + "\n";
            }
        };
        key(want.left, m_keys.left, "Left");
        key(want.right, m_keys.right, "Right");
        key(want.up, m_keys.up, "Up");
        key(want.space, m_keys.space, "Space");
        if (!lines.empty()) {
            Send(lines);
        }
        m_keys = want;
    }

    void OnFrame(unsigned long frame) {
        if (m_closing) {
            return;
        }
        m_input.Inject(frame + 1, SDL_GetWindowID(platform::GetSdlWindow()));
        velm::CVelmApp* app = velm::GetApp();
        auto* game = app != nullptr ? dynamic_cast<kelvo::CTumboKelvoGame*>(app->GetGame()) : nullptr;
        if (game == nullptr) {
            return;
        }
        const std::string& state = game->GetStateMachine().GetCurrentState();
        const bool settled = !game->IsCameraMoving() && frame > m_pressedAt + 30;
        if (state == "MenuState" && settled && game->GetStartMenu() != nullptr && !m_startedGame) {
            Click(frame, game->GetStartMenu()->GetChild(kelvo::CStartMenu::kSinglePlayer), game->GetCursorScreen());
            m_startedGame = true;
        } else if (state == "CharSelState" && settled && game->GetCharacterSelection() != nullptr && !m_chose) {
            // Left brings the next racer of the line-up; OK once the wanted one faces the camera.
            kelvo::CCharacterSelection& selection = *game->GetCharacterSelection();
            if (selection.IsTurning()) {
                return;
            }
            if (selection.GetCurrentCharacter() != m_options.character) {
                Click(frame, selection.GetChild(kelvo::CCharacterSelection::kLeft), game->GetCursorScreen());
            } else {
                Click(frame, selection.GetChild(kelvo::CCharacterSelection::kOk), game->GetCursorScreen());
                m_chose = true;
            }
        } else if (state == "RacingState") {
            RaceFrame(frame, *game);
        }
        if (frame >= kMostFrames && !m_closing) {
            Close("the race was not over after " + std::to_string(frame) + " frames; the game was in " + state);
        }
    }

    void RaceFrame(unsigned long frame, kelvo::CTumboKelvoGame& game) {
        ++m_raceFrame;
        if (m_raceFrame == 1 && m_options.seed != 0) {
            common::CMersenneTwister::GetInstance().Seed(m_options.seed);
            velm::ai::SeedAIRand(m_options.seed);
            if (kelvo::CItemManager* items = game.GetItemManager()) {
                items->GetGenerator().Seed(m_options.seed);
            }
        }
        for (std::uint32_t id : game.GetHeardFinishes()) {
            if (std::find(m_heard.begin(), m_heard.end(), id) == m_heard.end()) {
                m_heard.push_back(id);
                m_finishes.push_back({id, static_cast<double>(m_raceFrame) * kFrameSeconds});
                m_lastFinishFrame = m_raceFrame;
            }
        }
        auto* racer = dynamic_cast<kelvo::CRacerModel*>(game.GetLocalRacerModel());
        if (racer == nullptr) {
            return;
        }
        m_player = racer->GetID();
        m_holds.Frame(game, m_heard, m_raceFrame);
        m_racers.clear();
        for (velm::CModel* model : game.GetRacers()) {
            m_racers.push_back(model->GetID());
        }
        Log(game);
        const bool playerHome = std::find(m_heard.begin(), m_heard.end(), m_player) != m_heard.end();
        // A player stranded for good would hold the run up forever: the computers' last finish
        // ends it a minute later.
        if (m_finishes.size() == kFieldSize ||
            (m_finishes.size() == kFieldSize - 1 && !playerHome && m_raceFrame > m_lastFinishFrame + kStrandedFrames)) {
            Close("");
            return;
        }
        SKeys want;
        want.up = true;
        if (m_options.policy == EPolicy::RacingLine) {
            velm::ai::CAIManager* manager = velm::GetApp()->GetAIManager();
            const velm::ai::CWaypointPath* path = manager != nullptr ? manager->FindPath(kRacingLine) : nullptr;
            if (path != nullptr) {
                std::vector<SSeenRacer> others;
                for (velm::CModel* model : game.GetRacers()) {
                    if (model != racer) {
                        others.push_back({model->GetPosition()});
                    }
                }
                want = m_line.Decide(*racer, path->m_waypoints, others, m_raceFrame);
            }
        }
        Press(frame, want);
    }

    void Log(kelvo::CTumboKelvoGame& game) {
        if (!m_log.is_open() || m_raceFrame % 30 != 0) {
            return;
        }
        m_log << static_cast<double>(m_raceFrame) * kFrameSeconds;
        for (velm::CModel* model : game.GetRacers()) {
            if (const auto* r = dynamic_cast<const kelvo::CRacerModel*>(model)) {
                const CVector3 p = r->GetPosition();
                m_log << " " << r->GetID() << " " << p.x << " " << p.y << " " << p.z << " "
                      << r->GetLinearVelocity().Length() << " " << r->GetRaceRank() << " " << r->GetSpeedScale() << " "
                      << r->GetHeldItemType();
            }
        }
        m_log << " keys " << m_keys.up << m_keys.left << m_keys.right << m_keys.space << "\n";
    }

    SOptions m_options;
    std::ofstream m_log;
    platform::CInputScript m_input;
    CLineDriver m_line;
    CHoldMeter m_holds;
    std::vector<std::uint32_t> m_racers;
    SKeys m_keys;
    std::vector<std::uint32_t> m_heard;
    std::vector<SFinish> m_finishes;
    std::uint32_t m_player = 0;
    std::string m_error;
    unsigned long m_pressedAt = 0;
    unsigned long m_raceFrame = 0;
    unsigned long m_lastFinishFrame = 0;
    int m_mouseX = 0;
    int m_mouseY = 0;
    bool m_startedGame = false;
    bool m_chose = false;
    bool m_closing = false;
};

bool ReadOptions(int argc, char** argv, SOptions& options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const std::string value = argv[i + 1];
        if (name == "--source") {
            options.source = value;
        } else if (name == "--policy" && (value == "line" || value == "hold-up")) {
            options.policy = value == "line" ? EPolicy::RacingLine : EPolicy::HoldUp;
        } else if (name == "--character") {
            const auto* found = std::find(std::begin(kCharacters), std::end(kCharacters), value);
            if (found == std::end(kCharacters)) {
                return false;
            }
            options.character = static_cast<std::uint32_t>(found - std::begin(kCharacters)) + 1;
        } else if (name == "--seed") {
            options.seed = static_cast<unsigned>(std::strtoul(value.c_str(), nullptr, 10));
        } else if (name == "--behind") {
            options.behind = std::strtod(value.c_str(), nullptr);
        } else if (name == "--expect-hold-under") {
            options.expectHoldUnder = std::strtod(value.c_str(), nullptr);
        } else if (name == "--expect-top") {
            options.expectTop = std::atoi(value.c_str());
        } else if (name == "--expect-below") {
            options.expectBelow = std::atoi(value.c_str());
        } else if (name == "--lane") {
            options.lane = std::strtof(value.c_str(), nullptr);
        } else if (name == "--log") {
            options.log = value;
        } else {
            return false;
        }
    }
    return argc % 2 == 1 && !options.source.empty();
}

} // namespace

int main(int argc, char** argv) {
    SOptions options;
    if (!ReadOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: race_driver --source DIR --policy line|hold-up [--character NAME] [--lane METRES] "
                     "[--seed N] [--expect-top N] [--expect-below N [--behind SECONDS]] "
                     "[--expect-hold-under SECONDS] [--log FILE]\n");
        return 2;
    }
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("ALSOFT_DRIVERS", "null", 0);
    setenv("TK_D3D9_DEVICE", "null", 1);
    setenv("TK_FIXED_DT", std::to_string(kFrameSeconds).c_str(), 1);
    for (const char* name : {"TK_FRAME_LIMIT", "TK_INPUT_FILE", "TK_SCREENSHOT_FRAMES"}) {
        unsetenv(name);
    }
    // The game opens its data four levels up from its run folder, as the program does.
    if (chdir((options.source + "/run/tumbo/kelvo/game").c_str()) != 0) {
        std::fprintf(stderr, "no run folder under %s\n", options.source.c_str());
        return 1;
    }
    CRaceRun run(options);
    platform::SetFrameObserver(&CRaceRun::Observe, &run);
    auto* app = new kelvo::CTumboKelvoApp();
    velm::SetApp(app);
    app->SetDataPaths(kelvo::CTumboKelvoApp::DefaultDataPaths());
    kelvo::CEngineConfigLoader loader;
    const bool started = app->Init(loader, kelvo::kEngineConfigFile);
    if (started) {
        std::srand(1);
        app->Run();
    } else {
        std::fprintf(stderr, "the game did not start: %s\n", app->GetFailureText().c_str());
    }
    platform::SetFrameObserver(nullptr, nullptr);
    app->Shutdown();
    delete app;
    velm::SetApp(nullptr);
    if (!started) {
        return 1;
    }
    int place = 0;
    double playerTime = 0.0;
    std::vector<double> computerTimes;
    for (std::size_t i = 0; i < run.Finishes().size(); ++i) {
        const SFinish& finish = run.Finishes()[i];
        const bool player = finish.racer == run.Player();
        std::printf("%zu %u %.2f%s\n", i + 1, finish.racer, finish.time, player ? " player" : "");
        place = player ? static_cast<int>(i + 1) : place;
        playerTime = player ? finish.time : playerTime;
        if (!player) {
            computerTimes.push_back(finish.time);
        }
    }
    double longestHold = 0.0;
    std::uint32_t longestHeld = 0;
    for (std::uint32_t racer : run.Racers()) {
        CVector3 where;
        const double hold = run.Holds().Longest(racer, where);
        std::printf("hold %u %.2f at %.1f %.1f%s\n", racer, hold, where.x, where.z,
                    racer == run.Player() ? " player" : "");
        if (hold > longestHold) {
            longestHold = hold;
            longestHeld = racer;
        }
    }
    if (!run.Error().empty()) {
        std::fprintf(stderr, "%s\n", run.Error().c_str());
        return 1;
    }
    if (place == 0) {
        std::fprintf(stderr, "the player's racer never finished\n");
        return 1;
    }
    if (options.expectTop > 0 && place > options.expectTop) {
        std::fprintf(stderr, "the player placed %d, expected %d or better\n", place, options.expectTop);
        return 1;
    }
    // Placed among the first but home well behind the first computer counts as beaten too.
    const bool wellBehind =
        options.behind > 0.0 && !computerTimes.empty() && playerTime >= computerTimes.front() + options.behind;
    if (options.expectBelow > 0 && place <= options.expectBelow && !wellBehind) {
        std::fprintf(stderr, "the player placed %d, expected below %d\n", place, options.expectBelow);
        return 1;
    }
    if (options.expectHoldUnder > 0.0 && longestHold >= options.expectHoldUnder) {
        std::fprintf(stderr, "racer %u was held by the scenery for %.2f s, expected under %.2f s\n", longestHeld,
                     longestHold, options.expectHoldUnder);
        return 1;
    }
    return 0;
}
