#pragma once
// A library of the program bound when a feature first needs it. Entries that start a feature load it and tell
// the teacher in one line when it cannot be loaded; entries that only ask or tidy up reach it when something
// has loaded it already, and otherwise answer as if the feature had never been used.
#include <QString>

#include <atomic>

namespace deferred {

struct LibraryInfo {
    const char* file; // found through the program's own library path
    const char* missingText; // the Chinese line the teacher reads when it cannot be loaded
};

extern const LibraryInfo kRecorder;
extern const LibraryInfo kPlayer;
extern const LibraryInfo kWall;
extern const LibraryInfo kBoard3D;

// The library's handle, loading it now when need be; null when it cannot be loaded. On the user-interface
// thread the teacher is then told why, once for all the calls one press makes.
void* Open(const LibraryInfo& library);
// The handle when the library is loaded already, by this program or by another library; never loads it.
void* Loaded(const LibraryInfo& library);
// What the teacher reads when the library is missing, in the language in force.
QString MissingText(const LibraryInfo& library);

void* Symbol(void* handle, const char* name);
// Counts the libraries this program has loaded through Open: an entry that asks looks again only when it
// grew.
int OpenCount();

// The library's function name, found once and kept; null while it cannot be had. load: an entry that starts
// the feature. An entry that only asks is called often (timers, pointer moves), so it looks for a library it
// did not find again only after some library has been loaded; lookedAt keeps the count it last looked at.
template<typename Function>
Function Resolve(std::atomic<void*>& kept, std::atomic<int>& lookedAt, const LibraryInfo& library,
    const char* name, bool load)
{
    if (void* known = kept.load(std::memory_order_acquire))
        return reinterpret_cast<Function>(known);
    const int opened = OpenCount();
    if (!load && lookedAt.load(std::memory_order_acquire) == opened)
        return nullptr;
    void* found = Symbol(load ? Open(library) : Loaded(library), name);
    if (found)
        kept.store(found, std::memory_order_release);
    else
        lookedAt.store(opened, std::memory_order_release);
    return reinterpret_cast<Function>(found);
}

} // namespace deferred

#define QM_DEFERRED_ENTRY(library, result, name, params, args, fallback, load)                               \
    result name params                                                                                       \
    {                                                                                                        \
        static std::atomic<void*> kept {nullptr};                                                            \
        static std::atomic<int> lookedAt {-1};                                                               \
        const auto function = deferred::Resolve<result(*) params>(kept, lookedAt, library, #name, load);     \
        return function ? function args : fallback;                                                          \
    }

// An entry that starts the feature: loads the library, and answers fallback when it cannot.
#define QM_DEFERRED_OPEN(library, result, name, params, args, fallback)                                      \
    QM_DEFERRED_ENTRY(library, result, name, params, args, fallback, true)

// An entry that asks or tidies up: reaches the library only when it is loaded, and answers fallback
// otherwise.
#define QM_DEFERRED_ASK(library, result, name, params, args, fallback)                                       \
    QM_DEFERRED_ENTRY(library, result, name, params, args, fallback, false)
