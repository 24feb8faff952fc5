// Shared helpers of the simulator tests: a private world file per test, the
// built libmv_api.so loaded with dlopen, and walks over its C ABI.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/mv_api.h"
#include "platform/runloop/clock.h"
#include "sim/command/command.h"
#include "sim/world_store.h"

namespace sim::testing {

// A fresh directory per test; NORVIK_SIM_WORLD names a world file inside a
// subdirectory that does not exist yet.
class TempWorld {
  public:
    TempWorld() {
        char pattern[] = "/tmp/norvik-sim-test-XXXXXX";
        if (!::mkdtemp(pattern)) {
            throw std::runtime_error("mkdtemp failed");
        }
        dir_ = pattern;
        file_ = dir_ / "world" / "world.json";
        ::setenv("NORVIK_SIM_WORLD", file_.c_str(), 1);
    }
    ~TempWorld() {
        ::unsetenv("NORVIK_SIM_WORLD");
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    const std::filesystem::path& file() const { return file_; }
    const std::filesystem::path& dir() const { return dir_; }

    std::string contents() const {
        std::ifstream in(file_, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void write(const std::string& text) const {
        std::ofstream(file_, std::ios::binary | std::ios::trunc) << text;
    }

  private:
    std::filesystem::path dir_;
    std::filesystem::path file_;
};

struct CommandResult {
    int status = 0;
    std::string out;
    std::string err;
};

// Runs a norvik-sim command in process on `file`, at `clock`'s time.
inline CommandResult command(const std::filesystem::path& file,
                             std::vector<std::string> args,
                             platform::Clock& clock) {
    std::ostringstream out, err;
    CommandResult result;
    result.status = runCommand(args, WorldLocation{file}, clock, out, err);
    result.out = out.str();
    result.err = err.str();
    return result;
}

inline CommandResult command(const std::filesystem::path& file, std::vector<std::string> args) {
    platform::SystemClock clock;
    return command(file, std::move(args), clock);
}

#define NORVIK_SIM_OPERATIONS(X) \
    X(MV_API_Initialize)         \
    X(MV_API_RescanAdapter)      \
    X(MV_API_Finalize)           \
    X(MV_Adapter_GetCount)       \
    X(MV_Adapter_GetInfo)        \
    X(MV_Adapter_GetConfig)      \
    X(MV_Adapter_SetConfig)      \
    X(MV_PD_GetHDInfo_Ext)       \
    X(MV_LD_GetInfo)             \
    X(MV_PD_GetHDRaidStatus)     \
    X(MV_LD_GetStatus)           \
    X(MV_BLK_GetInfo)            \
    X(MV_BLK_GetHDBlock)         \
    X(MV_LD_Create)              \
    X(MV_LD_Delete)              \
    X(MV_PD_WipeHDMDD)           \
    X(MV_LD_StartRebuild)        \
    X(MV_LD_BGAControl)

// The built libmv_api.so, loaded once per process.
struct SimApi {
#define NORVIK_SIM_FIELD(name) decltype(&::name) name = nullptr;
    NORVIK_SIM_OPERATIONS(NORVIK_SIM_FIELD)
#undef NORVIK_SIM_FIELD

    static const SimApi& get() {
        static const SimApi api = load();
        return api;
    }

  private:
    static SimApi load() {
        void* handle = ::dlopen(NORVIK_SIM_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            throw std::runtime_error(std::string("dlopen: ") + ::dlerror());
        }
        SimApi api;
#define NORVIK_SIM_RESOLVE(name)                                            \
    api.name = reinterpret_cast<decltype(&::name)>(::dlsym(handle, #name)); \
    if (!api.name) {                                                        \
        throw std::runtime_error("missing symbol " #name);                  \
    }
        NORVIK_SIM_OPERATIONS(NORVIK_SIM_RESOLVE)
#undef NORVIK_SIM_RESOLVE
        return api;
    }
};

using RequestCall = MV_U8 (*)(MV_U8, void*);

// One request of `kind` for `key`; the record lands in `record`, the next
// index in `next`.
template <class Record>
MV_U8 request(RequestCall call,
              MV_U8 adapter,
              MV_U8 kind,
              MV_U16 key,
              Record& record,
              MV_U16* next = nullptr) {
    unsigned char buffer[sizeof(RequestHeader) + sizeof(Record)] = {};
    RequestHeader header{};
    header.RequestType = kind;
    header.StartingIndexOrID = key;
    header.NumberRequested = 1;
    std::memcpy(buffer, &header, sizeof header);
    const MV_U8 status = call(adapter, buffer);
    std::memcpy(&header, buffer, sizeof header);
    std::memcpy(&record, buffer + sizeof(RequestHeader), sizeof record);
    if (next) {
        *next = header.NextStartingIndex;
    }
    return status;
}

// Walks a list as the application does: from index 0 along the next indexes.
template <class Record>
std::vector<Record> walk(RequestCall call, MV_U8 adapter, MV_U8* status = nullptr) {
    std::vector<Record> records;
    MV_U16 index = 0;
    for (int guard = 0; guard < 1000; ++guard) {
        Record record{};
        MV_U16 next = 0;
        const MV_U8 rc = request(call, adapter, MV_REQUEST_ENUMERATE, index, record, &next);
        if (status) {
            *status = rc;
        }
        if (rc != 0) {
            break;
        }
        records.push_back(record);
        if (next == MV_NO_MORE_ENTRIES) {
            break;
        }
        index = next;
    }
    return records;
}

// The walks as the application keeps their results: disks of device type 1,
// logical disks whose status is not 0xFF.
inline std::vector<HD_Info> disks(const SimApi& api, MV_U8 adapter = 0) {
    std::vector<HD_Info> kept;
    for (const auto& d : walk<HD_Info>(api.MV_PD_GetHDInfo_Ext, adapter)) {
        if (d.Link.Self.DevType == MV_DEVICE_TYPE_HD) {
            kept.push_back(d);
        }
    }
    return kept;
}

inline std::vector<LD_Info> logicalDisks(const SimApi& api, MV_U8 adapter = 0) {
    std::vector<LD_Info> kept;
    for (const auto& ld : walk<LD_Info>(api.MV_LD_GetInfo, adapter)) {
        if (ld.Status != MV_LD_STATUS_INVALID) {
            kept.push_back(ld);
        }
    }
    return kept;
}

inline LD_Status ldStatus(const SimApi& api, MV_U16 id, MV_U8* rc = nullptr, MV_U8 adapter = 0) {
    LD_Status status{};
    const MV_U8 result = request(api.MV_LD_GetStatus, adapter, MV_REQUEST_BY_ID, id, status);
    if (rc) {
        *rc = result;
    }
    return status;
}

inline MV_U8 diskStatus(const SimApi& api, MV_U16 hdid, MV_U8 adapter = 0) {
    HD_RAID_Status status{};
    if (request(api.MV_PD_GetHDRaidStatus, adapter, MV_REQUEST_BY_ID, hdid, status) != 0) {
        return MV_HD_STATUS_OFFLINE;
    }
    return status.Status;
}

// The device IDs of the disks that hold a logical disk's blocks, ascending.
inline std::vector<MV_U16> memberDisks(const SimApi& api, const LD_Info& ld) {
    std::vector<MV_U16> ids;
    for (int i = 0; i < ld.HDCount; ++i) {
        Block_Info block{};
        if (request(api.MV_BLK_GetInfo, ld.AdapterID, MV_REQUEST_BY_ID, ld.BlockIDs[i], block) ==
            0) {
            ids.push_back(block.HDID);
        }
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

inline Create_LD_Param createParam(MV_U8 mode,
                                   std::vector<MV_U16> members,
                                   MV_U64 sizeKiB,
                                   const std::string& name = "Volume") {
    Create_LD_Param p{};
    p.RaidMode = mode;
    p.HDCount = static_cast<MV_U8>(members.size());
    p.StripeBlockSize = 64;
    p.Param7 = 1;
    p.Param9 = 1;
    for (std::size_t i = 0; i < members.size(); ++i) {
        p.HDIDs[i] = members[i];
    }
    std::memcpy(p.Name, name.data(), std::min<std::size_t>(15, name.size()));
    p.Size = sizeKiB;
    return p;
}

}  // namespace sim::testing
