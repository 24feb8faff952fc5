// The controller library loaded from one file with dlopen. Every symbol is
// resolved at load. When the file or a symbol is missing, one message naming
// the path and what is missing goes to the report stream, and every call then
// throws std::runtime_error, so guarded callers see a failed call and the
// application shows no controller instead of crashing.
#pragma once

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "model/controller_library.h"

class LoadedLibrary final : public ControllerLibrary {
  public:
    // Loads exactly `path`; no other location is searched.
    explicit LoadedLibrary(std::filesystem::path path, std::ostream& report = std::cerr);
    ~LoadedLibrary() override;

    // <directory of /proc/self/exe>/../lib/norvik-raid-utility/libmv_api.so
    static std::filesystem::path defaultPath();

    const std::filesystem::path& path() const { return path_; }
    bool isLoaded() const;
    // Why loading failed, in English for logs; empty when loaded.
    const std::string& loadError() const { return error_; }
    // The parts of that failure, for the user's own words: the loader's
    // message when the file would not load, or the functions the file lacks.
    const std::string& loaderMessage() const { return loaderMessage_; }
    const std::vector<std::string>& missingFunctions() const { return missing_; }

    MV_U8 MV_API_Initialize() override;
    MV_U8 MV_API_RescanAdapter() override;
    MV_U8 MV_API_Finalize() override;
    MV_U8 MV_Adapter_GetCount() override;
    MV_U8 MV_Adapter_GetInfo(MV_U8 adapterId, MV_U8* count, Adapter_Info* info) override;
    MV_U8 MV_Adapter_GetConfig(MV_U8 adapterId, MV_U8* out, Adapter_Config* config) override;
    MV_U8 MV_Adapter_SetConfig(MV_U8 adapterId, Adapter_Config* config) override;
    MV_U8 MV_PD_GetHDInfo_Ext(MV_U8 adapterId, void* request) override;
    MV_U8 MV_LD_GetInfo(MV_U8 adapterId, void* request) override;
    MV_U8 MV_PD_GetHDRaidStatus(MV_U8 adapterId, void* request) override;
    MV_U8 MV_LD_GetStatus(MV_U8 adapterId, void* request) override;
    MV_U8 MV_BLK_GetInfo(MV_U8 adapterId, void* request) override;
    MV_U8 MV_BLK_GetHDBlock(MV_U8 adapterId, void* request) override;
    MV_U8 MV_LD_Create(MV_U8 adapterId, Create_LD_Param* param) override;
    MV_U8 MV_LD_Delete(MV_U8 adapterId, MV_U16 ldId, MV_U8 flag) override;
    MV_U8 MV_PD_WipeHDMDD(MV_U8 adapterId, MV_U16 hdId, MV_U8 flag) override;
    MV_U8 MV_LD_StartRebuild(MV_U8 adapterId, MV_U16 ldId, MV_U16 hdId) override;
    MV_U8 MV_LD_BGAControl(MV_U8 adapterId, MV_U16 ldId, MV_U8 code) override;

  private:
    struct Symbols;
    const Symbols& symbols() const;  // throws when the library did not load

    std::filesystem::path path_;
    std::string error_;
    std::string loaderMessage_;
    std::vector<std::string> missing_;
    void* handle_ = nullptr;
    std::unique_ptr<Symbols> symbols_;
};
