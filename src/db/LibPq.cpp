#define TESSARO7_LIBPQ_LOADER
#include "db/LibPq.h"

#include <dlfcn.h>

#include "db/EngineError.h"
#include "db/FilledText.h"
#include "db/Messages.h"

namespace tessaro7::db::libpq {

namespace {

constexpr const char* kLibrary = "libpq.so.5";

[[noreturn]] void unloadable(const char* why) {
    throw EngineError(engine_error::kConnectionFailed,
                      filledText(msg::kLibpqMissing, {{"libreria", kLibrary}, {"motivo", why ? why : ""}}));
}

Functions load() {
    // Loaded once and never closed: its functions serve the whole run.
    void* library = dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
    if (!library) unloadable(dlerror());
    Functions f{};
#define TESSARO7_LIBPQ_LOAD(name)                                                  \
    f.name = reinterpret_cast<decltype(f.name)>(dlsym(library, #name));          \
    if (!f.name) unloadable(#name);
    TESSARO7_LIBPQ_FUNCTIONS(TESSARO7_LIBPQ_LOAD)
#undef TESSARO7_LIBPQ_LOAD
    return f;
}

}  // namespace

const Functions& loadFunctions() {
    // A failed load is tried again at the next call (a static whose
    // initialiser throws is initialised again).
    static const Functions loaded = load();
    g_loaded.store(&loaded, std::memory_order_release);
    return loaded;
}

}  // namespace tessaro7::db::libpq
