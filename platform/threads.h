// Large calls share their wavenumbers among threads. Lane groups are
// independent, so a call cuts them into at most MAX_CHUNKS contiguous chunks
// (as many whatever the thread count) and threads take chunks in turn; a sum
// over wavenumbers (a weighted gradient) is kept per chunk and added up in
// chunk order, so every output is bit for bit the same at any thread count.
// Between calls the threads wait in a pool, until stopThreads ends them.
#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

namespace coat {

const std::size_t MAX_CHUNKS = 64;

// The chunks of `groups` lane groups: min(groups, MAX_CHUNKS); chunk c holds
// groups [chunkStart(c), chunkStart(c + 1)).
inline std::size_t chunkCount(std::size_t groups)
{
    return groups < MAX_CHUNKS ? groups : MAX_CHUNKS;
}
inline std::size_t chunkStart(std::size_t c, std::size_t groups, std::size_t chunks)
{
    return c * groups / chunks;
}

// Below this much work (layer steps x (jet order + 1) x wavenumbers, three
// times as many with gradients; about 80 us on one core) a call stays on the
// calling thread: waking the waiting threads and waiting for them costs
// 10 to 20 us, and two threads break even near 40000.
const double THREAD_MIN_WORK = 50000;
// Without COAT_THREADS, the cores of the machine, at most this many.
const std::size_t DEFAULT_MAX_THREADS = 8;

// How many threads a call of `work` units may use, read at every call:
// COAT_THREADS if it holds a positive integer (1: the calling thread only),
// else the machine's cores up to DEFAULT_MAX_THREADS; 1 below
// THREAD_MIN_WORK (COAT_THREADS_MIN_WORK, a number, sets another threshold:
// for tests).
std::size_t threadsFor(double work);

// task(chunk, worker) for every chunk 0..chunks-1, on `threads` threads
// (the calling thread one of them; worker < threads names the thread, for its
// own tables). Returns when every chunk is done; an exception of a task
// reaches the caller after every thread has stopped taking chunks. Should a
// thread fail to start, the others take its share.
void runChunks(std::size_t chunks, std::size_t threads,
               const std::function<void(std::size_t, std::size_t)>& task);

// Ends and joins the waiting threads (a module calls it as the host unloads
// it: no thread may outlive the code it runs). The next call starts new ones.
void stopThreads();

// The lane groups 0..groups-1 of a call that costs `work`, shared among
// threads: run(tables, begin, end, chunk) for the groups [begin, end) of each
// chunk. Each thread's tables are made by makeTables() on that thread, as it
// takes its first chunk: each in memory of its own, apart from the others'
// (tables side by side, written by two threads at once, slow both down).
// A sum over wavenumbers is kept per chunk (chunkCount(groups) of them) and
// added up by the caller in chunk order.
template <class MakeTables, class Run>
void shareGroups(std::size_t groups, double work, MakeTables&& makeTables, Run&& run)
{
    using Tables = decltype(makeTables());
    const std::size_t chunks = chunkCount(groups);
    const std::size_t threads = std::min(threadsFor(work), chunks);
    std::vector<std::unique_ptr<Tables>> tables(threads);
    runChunks(chunks, threads, [&](std::size_t c, std::size_t worker) {
        if (!tables[worker]) tables[worker].reset(new Tables(makeTables()));
        run(*tables[worker], chunkStart(c, groups, chunks), chunkStart(c + 1, groups, chunks), c);
    });
}

}  // namespace coat
