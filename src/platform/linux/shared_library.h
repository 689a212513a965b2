// A system library opened when first needed, not at start: the sound server's
// and the speech server's client libraries bring a dozen more with them
// (codecs, D-Bus, systemd, GLib), several megabytes resident that a run with
// sound off never needs.
#pragma once

#include <dlfcn.h>

namespace kel::posix {

// Opens `soname` once and fills `api` by the `load` callback, which looks up
// each function with the given finder and answers whether all were found.
// Returns nullptr for good when the library or a function is missing.
template <class Api, class Load>
const Api* OpenLibraryOnce(const char* soname, Load load) {
    static const Api* const api = [&]() -> const Api* {
        void* library = ::dlopen(soname, RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) return nullptr;
        static Api loaded;
        if (load(loaded, [library](const char* name) { return ::dlsym(library, name); })) return &loaded;
        ::dlclose(library);
        return nullptr;
    }();
    return api;
}

}  // namespace kel::posix
