#include "model/loaded_library.h"

#include <dlfcn.h>

#include <stdexcept>
#include <system_error>
#include <vector>

struct LoadedLibrary::Symbols {
#define NORVIK_SYMBOL(name, shape, parameters, arguments) decltype(&::name) name = nullptr;
    NORVIK_LIBRARY_OPERATIONS(NORVIK_SYMBOL)
#undef NORVIK_SYMBOL

    // Fills every pointer; returns the names that the library does not export.
    std::vector<std::string> resolve(void* handle) {
        std::vector<std::string> missing;
        auto one = [&](auto& slot, const char* name) {
            void* address = dlsym(handle, name);
            if (address) {
                slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(address);
            } else {
                missing.emplace_back(name);
            }
        };
#define NORVIK_RESOLVE(name, shape, parameters, arguments) one(name, #name);
        NORVIK_LIBRARY_OPERATIONS(NORVIK_RESOLVE)
#undef NORVIK_RESOLVE
        return missing;
    }
};

LoadedLibrary::LoadedLibrary(std::filesystem::path path, std::ostream& report) {
    // Absolute, so that dlopen takes it as a path and searches nowhere else.
    std::error_code ignored;
    path_ = std::filesystem::absolute(path, ignored).lexically_normal();
    if (path_.empty()) {
        path_ = path;
    }
    handle_ = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = dlerror();
        loaderMessage_ = why ? why : "unknown error";
        error_ = "cannot load the controller library " + path_.string() + ": " + loaderMessage_;
    } else {
        auto symbols = std::make_unique<Symbols>();
        const std::vector<std::string> missing = symbols->resolve(handle_);
        if (missing.empty()) {
            symbols_ = std::move(symbols);
        } else {
            error_ = "the controller library " + path_.string() + " lacks ";
            for (std::size_t i = 0; i < missing.size(); ++i) {
                error_ += (i == 0 ? "" : ", ") + missing[i];
            }
            missing_ = missing;
            dlclose(handle_);
            handle_ = nullptr;
        }
    }
    if (!error_.empty()) {
        report << "norvik-raid-utility: " << error_ << "; no controller can be reached"
               << std::endl;
    }
}

LoadedLibrary::~LoadedLibrary() {
    if (handle_) {
        dlclose(handle_);
    }
}

std::filesystem::path LoadedLibrary::defaultPath() {
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        // Leaves a path that names the problem when it fails to load.
        exe = "/proc/self/exe";
    }
    return (exe.parent_path() / ".." / "lib" / "norvik-raid-utility" / "libmv_api.so")
        .lexically_normal();
}

bool LoadedLibrary::isLoaded() const {
    return symbols_ != nullptr;
}

const LoadedLibrary::Symbols& LoadedLibrary::symbols() const {
    if (!symbols_) {
        throw std::runtime_error(error_);
    }
    return *symbols_;
}

#define NORVIK_FORWARD(name, shape, parameters, arguments) \
    MV_U8 LoadedLibrary::name parameters {                 \
        return symbols().name arguments;                   \
    }
NORVIK_LIBRARY_OPERATIONS(NORVIK_FORWARD)
#undef NORVIK_FORWARD
