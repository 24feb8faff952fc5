#include "model/loaded_library.h"

#include <dlfcn.h>

#include <stdexcept>
#include <system_error>
#include <vector>

struct LoadedLibrary::Symbols {
    decltype(&::MV_API_Initialize) MV_API_Initialize = nullptr;
    decltype(&::MV_API_RescanAdapter) MV_API_RescanAdapter = nullptr;
    decltype(&::MV_API_Finalize) MV_API_Finalize = nullptr;
    decltype(&::MV_Adapter_GetCount) MV_Adapter_GetCount = nullptr;
    decltype(&::MV_Adapter_GetInfo) MV_Adapter_GetInfo = nullptr;
    decltype(&::MV_Adapter_GetConfig) MV_Adapter_GetConfig = nullptr;
    decltype(&::MV_Adapter_SetConfig) MV_Adapter_SetConfig = nullptr;
    decltype(&::MV_PD_GetHDInfo_Ext) MV_PD_GetHDInfo_Ext = nullptr;
    decltype(&::MV_LD_GetInfo) MV_LD_GetInfo = nullptr;
    decltype(&::MV_PD_GetHDRaidStatus) MV_PD_GetHDRaidStatus = nullptr;
    decltype(&::MV_LD_GetStatus) MV_LD_GetStatus = nullptr;
    decltype(&::MV_BLK_GetInfo) MV_BLK_GetInfo = nullptr;
    decltype(&::MV_BLK_GetHDBlock) MV_BLK_GetHDBlock = nullptr;
    decltype(&::MV_LD_Create) MV_LD_Create = nullptr;
    decltype(&::MV_LD_Delete) MV_LD_Delete = nullptr;
    decltype(&::MV_PD_WipeHDMDD) MV_PD_WipeHDMDD = nullptr;
    decltype(&::MV_LD_StartRebuild) MV_LD_StartRebuild = nullptr;
    decltype(&::MV_LD_BGAControl) MV_LD_BGAControl = nullptr;

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
        one(MV_API_Initialize, "MV_API_Initialize");
        one(MV_API_RescanAdapter, "MV_API_RescanAdapter");
        one(MV_API_Finalize, "MV_API_Finalize");
        one(MV_Adapter_GetCount, "MV_Adapter_GetCount");
        one(MV_Adapter_GetInfo, "MV_Adapter_GetInfo");
        one(MV_Adapter_GetConfig, "MV_Adapter_GetConfig");
        one(MV_Adapter_SetConfig, "MV_Adapter_SetConfig");
        one(MV_PD_GetHDInfo_Ext, "MV_PD_GetHDInfo_Ext");
        one(MV_LD_GetInfo, "MV_LD_GetInfo");
        one(MV_PD_GetHDRaidStatus, "MV_PD_GetHDRaidStatus");
        one(MV_LD_GetStatus, "MV_LD_GetStatus");
        one(MV_BLK_GetInfo, "MV_BLK_GetInfo");
        one(MV_BLK_GetHDBlock, "MV_BLK_GetHDBlock");
        one(MV_LD_Create, "MV_LD_Create");
        one(MV_LD_Delete, "MV_LD_Delete");
        one(MV_PD_WipeHDMDD, "MV_PD_WipeHDMDD");
        one(MV_LD_StartRebuild, "MV_LD_StartRebuild");
        one(MV_LD_BGAControl, "MV_LD_BGAControl");
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

MV_U8 LoadedLibrary::MV_API_Initialize() {
    return symbols().MV_API_Initialize();
}
MV_U8 LoadedLibrary::MV_API_RescanAdapter() {
    return symbols().MV_API_RescanAdapter();
}
MV_U8 LoadedLibrary::MV_API_Finalize() {
    return symbols().MV_API_Finalize();
}
MV_U8 LoadedLibrary::MV_Adapter_GetCount() {
    return symbols().MV_Adapter_GetCount();
}
MV_U8 LoadedLibrary::MV_Adapter_GetInfo(MV_U8 adapterId, MV_U8* count, Adapter_Info* info) {
    return symbols().MV_Adapter_GetInfo(adapterId, count, info);
}
MV_U8 LoadedLibrary::MV_Adapter_GetConfig(MV_U8 adapterId, MV_U8* out, Adapter_Config* config) {
    return symbols().MV_Adapter_GetConfig(adapterId, out, config);
}
MV_U8 LoadedLibrary::MV_Adapter_SetConfig(MV_U8 adapterId, Adapter_Config* config) {
    return symbols().MV_Adapter_SetConfig(adapterId, config);
}
MV_U8 LoadedLibrary::MV_PD_GetHDInfo_Ext(MV_U8 adapterId, void* request) {
    return symbols().MV_PD_GetHDInfo_Ext(adapterId, request);
}
MV_U8 LoadedLibrary::MV_LD_GetInfo(MV_U8 adapterId, void* request) {
    return symbols().MV_LD_GetInfo(adapterId, request);
}
MV_U8 LoadedLibrary::MV_PD_GetHDRaidStatus(MV_U8 adapterId, void* request) {
    return symbols().MV_PD_GetHDRaidStatus(adapterId, request);
}
MV_U8 LoadedLibrary::MV_LD_GetStatus(MV_U8 adapterId, void* request) {
    return symbols().MV_LD_GetStatus(adapterId, request);
}
MV_U8 LoadedLibrary::MV_BLK_GetInfo(MV_U8 adapterId, void* request) {
    return symbols().MV_BLK_GetInfo(adapterId, request);
}
MV_U8 LoadedLibrary::MV_BLK_GetHDBlock(MV_U8 adapterId, void* request) {
    return symbols().MV_BLK_GetHDBlock(adapterId, request);
}
MV_U8 LoadedLibrary::MV_LD_Create(MV_U8 adapterId, Create_LD_Param* param) {
    return symbols().MV_LD_Create(adapterId, param);
}
MV_U8 LoadedLibrary::MV_LD_Delete(MV_U8 adapterId, MV_U16 ldId, MV_U8 flag) {
    return symbols().MV_LD_Delete(adapterId, ldId, flag);
}
MV_U8 LoadedLibrary::MV_PD_WipeHDMDD(MV_U8 adapterId, MV_U16 hdId, MV_U8 flag) {
    return symbols().MV_PD_WipeHDMDD(adapterId, hdId, flag);
}
MV_U8 LoadedLibrary::MV_LD_StartRebuild(MV_U8 adapterId, MV_U16 ldId, MV_U16 hdId) {
    return symbols().MV_LD_StartRebuild(adapterId, ldId, hdId);
}
MV_U8 LoadedLibrary::MV_LD_BGAControl(MV_U8 adapterId, MV_U16 ldId, MV_U8 code) {
    return symbols().MV_LD_BGAControl(adapterId, ldId, code);
}
