// A working folder for a test that runs the game's own code, wherever the build folder lies: a
// throwaway folder four levels down, so that the game's "../../../../data" paths reach the source
// tree's data tree (a link to it, found from TK_SOURCE_DIR) and "Scripts/" the game's scripts,
// while whatever the test writes stays in the throwaway folder. The process's working folder is
// this one for the holder's lifetime and the one before it afterwards.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

#include "support/source_file.h"
#include "support/temp_dir.h"

namespace tktest {

class CGameFolder {
public:
    CGameFolder() : m_previous(std::filesystem::current_path()) {
        namespace fs = std::filesystem;
        const fs::path run = fs::path(m_root.Path()) / "run/tumbo/kelvo/game";
        fs::create_directories(run);
        fs::create_directory_symlink(fs::absolute(SourceFile("data")), fs::path(m_root.Path()) / "data");
        fs::create_directory_symlink(fs::absolute(SourceFile("run/tumbo/kelvo/game/Scripts")), run / "Scripts");
        fs::current_path(run);
    }
    ~CGameFolder() {
        std::error_code ignored;
        std::filesystem::current_path(m_previous, ignored);
    }
    CGameFolder(const CGameFolder&) = delete;
    CGameFolder& operator=(const CGameFolder&) = delete;

private:
    CTempDir m_root;
    std::filesystem::path m_previous;
};

} // namespace tktest
