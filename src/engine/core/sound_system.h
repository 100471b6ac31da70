// velm::CSoundSystem, the thin layer over FMOD: one system of 100 channels with right-handed
// 3D, sounds of three kinds opened from the sounds folder, one listener moved by the game each
// frame. It owns the sounds it creates until ReleaseSound. Without an audio device it runs
// silently and still starts. Main thread only.
#pragma once

#include <list>
#include <string>

#include "engine/core/sound.h"

struct FMOD_SYSTEM;

namespace velm {

class CSoundSystem {
public:
    explicit CSoundSystem(const std::string& soundsFolder);
    CSoundSystem(const CSoundSystem&) = delete;
    CSoundSystem& operator=(const CSoundSystem&) = delete;
    // Shuts down first when Shutdown was not called.
    ~CSoundSystem();

    // False when FMOD cannot be created or is older than 4.01.05.
    bool Init();
    // Closes the system; sounds not yet released end with it and their objects are freed.
    bool Shutdown();

    // The sound is returned even when its file cannot be opened (it is then silent); the
    // failure is printed to standard error. The name is appended directly to the folder.
    CSound* CreateSound(const std::string& fileName);
    CSound* CreateStream(const std::string& fileName);
    CSound* CreateSound3D(const std::string& fileName, const common::CVector3& position);

    // Restarts the sound on a free channel with its stored volume; loop is 1 to loop.
    void PlaySound(CSound* sound, bool paused, int loop);
    // False for null.
    bool ReleaseSound(CSound* sound);

    void SetListenerPosition(const common::CVector3& position);
    void SetListenerVelocity(const common::CVector3& velocity);
    void Update();

    FMOD_SYSTEM* GetSystem() const { return m_system; }
    const std::string& GetSoundsFolder() const { return m_soundsFolder; }

private:
    CSound* Create(const std::string& fileName, std::uint32_t kind);

    FMOD_SYSTEM* m_system = nullptr;
    float m_listenerPosition[3] = {0.0f, 0.0f, 0.0f};
    float m_listenerVelocity[3] = {0.0f, 0.0f, 0.0f};
    std::list<CSound*> m_sounds;
    std::list<CSound*> m_sounds3D;
    std::string m_soundsFolder;
};

} // namespace velm
