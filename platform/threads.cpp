#include "platform/threads.h"

#include <atomic>
#include <cstdlib>
#include <exception>
#include <thread>
#include <vector>

namespace {

// A positive integer from the environment, or 0.
std::size_t positiveFromEnvironment(const char* name)
{
    const char* text = std::getenv(name);
    if (!text || !*text) return 0;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return *end == 0 && value > 0 ? std::size_t(value) : 0;
}

}  // namespace

std::size_t threadsFor(double work)
{
    double minimum = THREAD_MIN_WORK;
    if (const char* text = std::getenv("COAT_THREADS_MIN_WORK")) {
        char* end = nullptr;
        const double value = std::strtod(text, &end);
        if (*text && *end == 0 && value >= 0) minimum = value;
    }
    if (work < minimum) return 1;
    if (const std::size_t asked = positiveFromEnvironment("COAT_THREADS")) return asked;
    const std::size_t cores = std::thread::hardware_concurrency();
    if (cores == 0) return 1;
    return cores < DEFAULT_MAX_THREADS ? cores : DEFAULT_MAX_THREADS;
}

void runChunks(std::size_t chunks, std::size_t threads,
               const std::function<void(std::size_t, std::size_t)>& task)
{
    if (threads > chunks) threads = chunks;
    if (threads <= 1) {
        for (std::size_t c = 0; c < chunks; ++c) task(c, 0);
        return;
    }
    std::atomic<std::size_t> next(0);
    auto work = [&](std::size_t worker) {
        for (std::size_t c = next++; c < chunks; c = next++) task(c, worker);
    };
    std::vector<std::thread> started;
    started.reserve(threads - 1);
    for (std::size_t w = 1; w < threads; ++w) {
        try {
            started.emplace_back(work, w);
        } catch (const std::exception&) {
            break;  // no more threads to be had: the others take the chunks
        }
    }
    work(0);
    for (std::thread& t : started) t.join();
}
