#include "platform/d3d9/texture_prefetch.h"

#include <algorithm>
#include <atomic>
#include <future>
#include <map>
#include <thread>
#include <utility>

namespace platform {
namespace d3d9 {
namespace {

// A few threads: the files are small and the renderer's own threads want the rest of the cores.
constexpr unsigned kMostWorkers = 4;

SPrefetchedTexture Prepare(const D3DCAPS9& caps, const std::string& file) {
    SPrefetchedTexture result;
    result.read = ReadTextureBytes(file.c_str(), &result.bytes, &result.readProblem);
    int width = 0;
    int height = 0;
    std::string problem;
    result.decoded = result.read && CheckTextureHeader(caps, result.bytes, 1, &width, &height, &problem) &&
                     DecodeTexture(result.bytes, width, height, &result.image, &problem);
    return result;
}

struct SJob {
    std::string file;
    std::promise<SPrefetchedTexture> result;
};

} // namespace

void CTexturePrefetcher::Start(const D3DCAPS9& caps, const std::vector<std::string>& files) {
    JoinWorkers();
    auto jobs = std::make_shared<std::vector<SJob>>();
    for (const std::string& file : files) {
        if (m_waiting.count(file) != 0) {
            continue;
        }
        SJob job;
        job.file = file;
        m_waiting.emplace(file, job.result.get_future());
        jobs->push_back(std::move(job));
    }
    if (jobs->empty()) {
        return;
    }
    auto next = std::make_shared<std::atomic<std::size_t>>(0);
    const unsigned cores = std::max(2u, std::thread::hardware_concurrency());
    const auto workers = static_cast<std::size_t>(std::min(kMostWorkers, cores - 1));
    for (std::size_t i = 0; i < std::min(workers, jobs->size()); ++i) {
        m_workers.emplace_back([caps, jobs, next] {
            for (std::size_t at = (*next)++; at < jobs->size(); at = (*next)++) {
                SJob& job = (*jobs)[at];
                job.result.set_value(Prepare(caps, job.file));
            }
        });
    }
}

std::unique_ptr<SPrefetchedTexture> CTexturePrefetcher::Take(const std::string& file) {
    const auto found = m_waiting.find(file);
    if (found == m_waiting.end()) {
        return nullptr;
    }
    auto result = std::make_unique<SPrefetchedTexture>(found->second.get());
    m_waiting.erase(found);
    return result;
}

void CTexturePrefetcher::Drop() {
    JoinWorkers();
    m_waiting.clear();
}

void CTexturePrefetcher::JoinWorkers() {
    for (std::thread& worker : m_workers) {
        worker.join();
    }
    m_workers.clear();
}

} // namespace d3d9
} // namespace platform
