#include "engine/core/velm_app.h"

#include <cstdio>
#include <string>

#include "engine/ai/ai_manager.h"
#include "engine/core/input_system.h"
#include "engine/core/sound_system.h"
#include "engine/core/velm_game.h"
#include "engine/events/event_manager.h"
#include "engine/net/network_manager.h"
#include "engine/phy/physics_world.h"
#include "libs/common/exceptions.h"

namespace velm {
namespace {

CVelmApp* s_app = nullptr;

constexpr const char* kAppSourceFile = ".\\VelmApp";
constexpr int kInitRethrowLine = 167;
constexpr int kNetworkRethrowLine = 317;
constexpr std::uint32_t kInputBufferRecords = 20;
constexpr std::int32_t kAxisRange = 1000;

} // namespace

CVelmApp* GetApp() { return s_app; }

void SetApp(CVelmApp* app) { s_app = app; }

CVelmApp::CVelmApp() = default;

CVelmApp::~CVelmApp() = default;

void CVelmApp::SetDataPaths(const SDataPaths& paths) { m_paths = paths; }

bool CVelmApp::Init(ACLoader<gfx::CVelmGfx::SVelmGfxInitInfo>& loader, const std::string& configFile) {
    try {
        return InitServices(loader, configFile);
    } catch (const common::COutOfMemException&) {
        throw common::COutOfMemException(kAppSourceFile, kInitRethrowLine);
    }
}

bool CVelmApp::InitServices(ACLoader<gfx::CVelmGfx::SVelmGfxInitInfo>& loader, const std::string& configFile) {
    DXUTSetCallbackMsgProc(&OnWindowMessage, nullptr);
    DXUTSetCallbackFrameRender(&OnFrameRender, nullptr);
    DXUTSetCallbackFrameMove(&OnFrameMove, nullptr);
    DXUTSetCallbackDeviceLost(&OnDeviceLost, nullptr);
    DXUTSetCallbackDeviceReset(&OnDeviceReset, nullptr);
    if (FAILED(DXUTInit(false, false, false, true))) {
        // Without the framework there is no window to run in.
        m_failureText = "Failure to initialize the application framework!";
        return false;
    }
    DXUTSetCursorSettings(false, true);

    auto eventManager = new CEventManager();
    SetEventManager(eventManager);

    m_gfx = new gfx::CVelmGfx();
    loader.Load(configFile);
    gfx::CVelmGfx::SVelmGfxInitInfo& info = loader.GetInfo();
    info.m_textureDirectory = m_paths.m_textures;
    info.m_meshDirectory = m_paths.m_models;
    info.m_effectDirectory = m_paths.m_effects;
    m_gfx->Init(info);

    m_sound = new CSoundSystem(m_paths.m_sounds);
    if (!m_sound->Init()) {
        m_failureText = "Failure to initialize the Sound System!";
        return false;
    }

    input::SInputInitInfo inputInfo;
    inputInfo.m_buffered = true;
    inputInfo.m_keyboardBufferSize = kInputBufferRecords;
    inputInfo.m_mouseBufferSize = kInputBufferRecords;
    inputInfo.m_thirdBufferSize = kInputBufferRecords;
    for (auto& range : inputInfo.m_axisRanges) {
        range.m_min = -kAxisRange;
        range.m_max = kAxisRange;
    }
    m_input = new input::CInputSystem();
    if (!m_input->Init(inputInfo, DXUTGetHINSTANCE(), DXUTGetHWND())) {
        m_failureText = "Failure to initialize the Input System!";
        return false;
    }

    m_physicsWorld = new phy::CPhysicsWorld();
    m_aiManager = new ai::CAIManager();

    m_game = CreateGame();
    if (m_game == nullptr) {
        m_failureText = "Failure to create the game!";
        return false;
    }

    if (FAILED(DXUTCreateWindow(L"Tumbo Kelvo", nullptr, reinterpret_cast<HICON>(static_cast<std::uintptr_t>(101)),
                                nullptr, CW_USEDEFAULT, CW_USEDEFAULT))) {
        m_failureText = "Failure to create the window!";
        return false;
    }
    // A game that cannot start fails the start-up with its reason, so that the entry shuts down
    // what did start; running out of memory is thrown on as it is everywhere in start-up.
    try {
        m_game->Init();
    } catch (const common::COutOfMemException&) {
        throw;
    } catch (const common::CBaseException& failure) {
        m_failureText = std::string("Failure to initialize the game: ") + failure.what() + " (" +
                        failure.GetSourceFile() + ", line " + std::to_string(failure.GetLine()) + ")";
        return false;
    }
    return true;
}

int CVelmApp::Run() { return DXUTMainLoop(nullptr); }

int CVelmApp::Shutdown() {
    delete m_game;
    m_game = nullptr;
    delete m_networkManager;
    m_networkManager = nullptr;
    delete GetEventManager();
    SetEventManager(nullptr);
    delete m_gfx;
    m_gfx = nullptr;
    if (m_sound != nullptr && !m_sound->Shutdown()) {
        m_failureText = "Failure to shutdown the sound system!";
        std::fprintf(stderr, "%s\n", m_failureText.c_str());
        return 0;
    }
    delete m_sound;
    m_sound = nullptr;
    delete m_input;
    m_input = nullptr;
    delete m_physicsWorld;
    m_physicsWorld = nullptr;
    delete m_aiManager;
    m_aiManager = nullptr;
    return DXUTGetExitCode();
}

bool CVelmApp::StartNetwork(std::uint8_t mode, net::CRemoteEventSocket* socket) {
    try {
        m_networkManager = new net::CNetworkManager(mode, net::ConfigFromEnvironment());
        if (!m_networkManager->Init()) {
            m_failureText = "Failure to initialize the Network System!";
            std::fprintf(stderr, "%s\n", m_failureText.c_str());
            delete socket;
            return false;
        }
        net::SetRemoteEventSocket(socket);
        socket = nullptr; // the network's now

        m_networkManager->Start();
        return true;
    } catch (const common::COutOfMemException&) {
        delete socket;
        throw common::COutOfMemException(kAppSourceFile, kNetworkRethrowLine);
    }
}

void CVelmApp::StopNetwork() {
    delete m_networkManager;
    m_networkManager = nullptr;
}

LRESULT OnWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool*, void*) {
    CVelmApp* app = GetApp();
    if (app == nullptr) {
        return 0;
    }
    if (app->m_game != nullptr) {
        app->m_game->MsgProc(message, wParam, lParam);
    }
    switch (message) {
        case WM_KEYDOWN:
            if (wParam == VK_F1) {
                gfx::SaveScreenshot();
            }
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_SYSKEYDOWN:
            return DefWindowProcW(window, message, wParam, lParam);
        default:
            break;
    }
    if (message == WM_SETCURSOR || (message >= WM_MOUSEMOVE && message <= WM_MBUTTONDBLCLK)) {
        SetCursor(nullptr);
        return 1;
    }
    return 0;
}

void OnFrameMove(IDirect3DDevice9*, double time, float elapsed, void*) {
    CVelmApp* app = GetApp();
    if (app == nullptr || !app->m_active || app->m_game == nullptr) {
        return;
    }
    app->m_elapsed = elapsed;
    app->m_game->Update(time, elapsed);
}

void OnFrameRender(IDirect3DDevice9*, double time, float elapsed, void*) {
    CVelmApp* app = GetApp();
    if (app == nullptr || !app->m_active || app->m_game == nullptr) {
        return;
    }
    app->m_game->Render(time, elapsed);
}

void OnDeviceLost(void*) {
    CVelmApp* app = GetApp();
    if (app == nullptr) {
        return;
    }
    if (app->m_game != nullptr) {
        app->m_game->OnLostDevice();
    }
    gfx::OnLostDevice();
    app->m_active = false;
}

HRESULT OnDeviceReset(IDirect3DDevice9*, const D3DSURFACE_DESC*, void*) {
    CVelmApp* app = GetApp();
    gfx::OnResetDevice();
    if (app != nullptr) {
        if (app->m_game != nullptr) {
            app->m_game->OnResetDevice();
        }
        app->m_active = true;
    }
    return S_OK;
}

} // namespace velm
