// Texture files read and decoded on worker threads ahead of the loads that will ask for them.
// A later D3DXCreateTextureFromFile of the same name takes the decoded image (waiting for it if
// need be) instead of decoding it again; what that load gives and says is what it would have
// without the prefetch. The device owns its prefetcher; the workers touch no device, only files
// and memory of their own.
#pragma once

#include <future>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/d3d9/texture_file.h"

namespace platform {
namespace d3d9 {

// What a worker made of one file: the bytes (when read), the header's size and the image when
// the header passed against the caps given and the decoding worked; otherwise the load does
// again, and says, whatever failed.
struct SPrefetchedTexture {
    bool read = false;
    std::string bytes;
    std::string readProblem;
    bool decoded = false;
    STextureImage image;
};

// The prefetches of one device. Start, Take and Drop are called on the main thread.
class CTexturePrefetcher {
public:
    CTexturePrefetcher() = default;
    CTexturePrefetcher(const CTexturePrefetcher&) = delete;
    CTexturePrefetcher& operator=(const CTexturePrefetcher&) = delete;
    ~CTexturePrefetcher() { Drop(); }

    // Starts on these file names (as they will be given to the load); names already waiting are
    // left as they are.
    void Start(const D3DCAPS9& caps, const std::vector<std::string>& files);
    // The worker's result for this name, taken out of the table, or null when it was never asked
    // for.
    std::unique_ptr<SPrefetchedTexture> Take(const std::string& file);
    // Waits for the workers and forgets every result never taken.
    void Drop();

private:
    void JoinWorkers();

    std::map<std::string, std::future<SPrefetchedTexture>> m_waiting;
    std::vector<std::thread> m_workers;
};

} // namespace d3d9
} // namespace platform
