#include "platform/threads.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>

namespace coat {
#endif

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

long processId()
{
#ifdef _WIN32
    return long(_getpid());
#else
    return long(getpid());
#endif
}

using Task = std::function<void(std::size_t, std::size_t)>;

// Workers that wait between calls. A thread started for a call begins
// hundreds of microseconds late, queued behind its busy parent until the
// scheduler moves it; a waiting worker is woken in about ten.
struct Pool {
    std::mutex lock;
    std::condition_variable wake, idle;
    std::vector<std::thread> workers;  // workers[i] is worker i + 1
    const long owner = processId();
    std::uint64_t call = 0;  // counts the calls handed to the workers
    bool stopping = false;
    const Task* task = nullptr;
    std::size_t chunks = 0, taking = 0;  // workers 1..taking-1 take part
    std::atomic<std::size_t> next[MAX_CHUNKS];  // the next chunk of each share
    std::size_t busy = 0;
    std::exception_ptr failure;
};

// One call at a time uses the pool; another one, from a second host thread,
// runs on its own thread.
std::mutex poolUse;
// Deliberately never destroyed at exit: its workers end with the process, or
// earlier through stopThreads.
Pool* pool = nullptr;

// Each thread takes the chunks of its own contiguous share in order, then
// helps with the shares of the others: neighbouring chunks, which write
// neighbouring outputs, are mostly done by one thread, and a thread slowed by
// a busy core leaves its rest to the others. A failing task stops the call:
// no more chunks are taken and the first failure reaches the caller.
void takeChunks(Pool& p, std::size_t worker)
{
    const std::size_t shares = p.taking;
    try {
        for (std::size_t k = 0; k < shares; ++k) {
            const std::size_t share = (worker + k) % shares;
            const std::size_t end = (share + 1) * p.chunks / shares;
            for (std::size_t c = p.next[share]++; c < end; c = p.next[share]++)
                (*p.task)(c, worker);
        }
    } catch (...) {
        for (std::size_t share = 0; share < shares; ++share) p.next[share] = p.chunks;
        std::lock_guard<std::mutex> hold(p.lock);
        if (!p.failure) p.failure = std::current_exception();
    }
}

void serve(Pool& p, std::size_t worker, std::uint64_t seen)
{
    std::unique_lock<std::mutex> hold(p.lock);
    for (;;) {
        p.wake.wait(hold, [&] { return p.stopping || p.call != seen; });
        if (p.stopping) return;
        seen = p.call;
        if (worker >= p.taking) continue;
        hold.unlock();
        takeChunks(p, worker);
        hold.lock();
        if (--p.busy == 0) p.idle.notify_one();
    }
}

// The pool with up to `helpers` workers (fewer should the system refuse
// threads). In a child forked from a process with workers, they do not exist:
// the child starts its own pool and leaves the parent's copy alone.
Pool& poolOf(std::size_t helpers)
{
    if (!pool || pool->owner != processId()) pool = new Pool;
    while (pool->workers.size() < helpers) {
        try {
            pool->workers.emplace_back(serve, std::ref(*pool), pool->workers.size() + 1,
                                       pool->call);
        } catch (const std::exception&) {
            break;
        }
    }
    return *pool;
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

void runChunks(std::size_t chunks, std::size_t threads, const Task& task)
{
    if (threads > chunks) threads = chunks;
    std::unique_lock<std::mutex> use(poolUse, std::defer_lock);
    if (threads > 1) use.try_lock();
    const std::size_t helpers =
        use.owns_lock() ? std::min(threads - 1, poolOf(threads - 1).workers.size()) : 0;
    if (helpers == 0) {
        for (std::size_t c = 0; c < chunks; ++c) task(c, 0);
        return;
    }
    Pool& p = *pool;
    {
        std::lock_guard<std::mutex> hold(p.lock);
        p.task = &task;
        p.chunks = chunks;
        p.taking = helpers + 1;
        for (std::size_t share = 0; share < p.taking; ++share)
            p.next[share] = share * chunks / p.taking;
        p.busy = helpers;
        p.failure = nullptr;
        ++p.call;
    }
    p.wake.notify_all();
    takeChunks(p, 0);
    std::unique_lock<std::mutex> hold(p.lock);
    p.idle.wait(hold, [&] { return p.busy == 0; });
    if (p.failure) std::rethrow_exception(p.failure);
}

void stopThreads()
{
    std::lock_guard<std::mutex> use(poolUse);
    if (!pool || pool->owner != processId()) return;
    {
        std::lock_guard<std::mutex> hold(pool->lock);
        pool->stopping = true;
    }
    pool->wake.notify_all();
    for (std::thread& t : pool->workers) t.join();
    delete pool;
    pool = nullptr;
}

}  // namespace coat
