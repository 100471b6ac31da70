// For fuzz targets that run the game's readers with the game's relative paths: the process works
// from a throwaway folder four levels down whose "../../../../data" is the source tree's data tree
// (TK_FUZZ_SOURCE_DIR, set by the build), so that what a fuzzed file names (grid files, height
// maps, textures, the files of a level) is the shipped file. Entered once per process.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace tk_fuzz {

// The shipped data tree's XML folder, with its trailing slash.
inline std::string ShippedXmlFolder() { return std::string(TK_FUZZ_SOURCE_DIR) + "/data/files/xmlfiles/"; }

inline void EnterGameFolder() {
    static const bool s_entered = [] {
        char pattern[] = "/tmp/tk_fuzz_game_XXXXXX";
        const char* root = mkdtemp(pattern);
        if (root == nullptr) {
            return false;
        }
        const std::string base(root);
        const std::string run = base + "/run/tumbo/kelvo/game";
        for (const std::string& folder : {base + "/run", base + "/run/tumbo", base + "/run/tumbo/kelvo", run}) {
            mkdir(folder.c_str(), 0700);
        }
        const bool linked =
            symlink((std::string(TK_FUZZ_SOURCE_DIR) + "/data").c_str(), (base + "/data").c_str()) == 0 &&
            symlink((std::string(TK_FUZZ_SOURCE_DIR) + "/run/tumbo/kelvo/game/Scripts").c_str(),
                    (run + "/Scripts").c_str()) == 0;
        return linked && chdir(run.c_str()) == 0;
    }();
    (void)s_entered;
}

} // namespace tk_fuzz
