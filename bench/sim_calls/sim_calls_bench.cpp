// Calls per second through libmv_api.so (dlopen, C ABI) on the default world
// in a private temporary world file. Every call takes the file's lock and
// checks whether the file changed; the world itself is parsed once.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "model/mv_api.h"
#include "sim/world.h"
#include "sim/world_store.h"

namespace {

struct Api {
    decltype(&::MV_Adapter_GetCount) getCount;
    decltype(&::MV_Adapter_GetInfo) getInfo;
    decltype(&::MV_API_RescanAdapter) rescan;
    decltype(&::MV_PD_GetHDInfo_Ext) hdInfo;
    decltype(&::MV_LD_GetInfo) ldInfo;
    decltype(&::MV_LD_GetStatus) ldStatus;
    decltype(&::MV_PD_GetHDRaidStatus) hdStatus;
    decltype(&::MV_BLK_GetInfo) blockInfo;
};

template <class F>
F symbol(void* handle, const char* name) {
    auto* f = reinterpret_cast<F>(::dlsym(handle, name));
    if (!f) {
        throw std::runtime_error(std::string("missing ") + name);
    }
    return f;
}

const Api& api() {
    static const Api loaded = [] {
        static char dir[] = "/tmp/norvik-sim-bench-XXXXXX";
        if (!::mkdtemp(dir)) {
            throw std::runtime_error("mkdtemp");
        }
        const std::string file = std::string(dir) + "/world.json";
        ::setenv("NORVIK_SIM_WORLD", file.c_str(), 1);
        sim::WorldStore(std::filesystem::path(file)).replace(sim::makeWorld());
        void* handle = ::dlopen(NORVIK_SIM_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            throw std::runtime_error(::dlerror());
        }
        return Api{symbol<decltype(Api::getCount)>(handle, "MV_Adapter_GetCount"),
                   symbol<decltype(Api::getInfo)>(handle, "MV_Adapter_GetInfo"),
                   symbol<decltype(Api::rescan)>(handle, "MV_API_RescanAdapter"),
                   symbol<decltype(Api::hdInfo)>(handle, "MV_PD_GetHDInfo_Ext"),
                   symbol<decltype(Api::ldInfo)>(handle, "MV_LD_GetInfo"),
                   symbol<decltype(Api::ldStatus)>(handle, "MV_LD_GetStatus"),
                   symbol<decltype(Api::hdStatus)>(handle, "MV_PD_GetHDRaidStatus"),
                   symbol<decltype(Api::blockInfo)>(handle, "MV_BLK_GetInfo")};
    }();
    return loaded;
}

template <std::size_t Size>
MV_U8 ask(MV_U8 (*call)(MV_U8, void*), MV_U8 kind, MV_U16 key, unsigned char (&buffer)[Size]) {
    std::memset(buffer, 0, Size);
    RequestHeader header{};
    header.RequestType = kind;
    header.StartingIndexOrID = key;
    header.NumberRequested = 1;
    std::memcpy(buffer, &header, sizeof header);
    return call(0, buffer);
}

void BM_AdapterCount(benchmark::State& state) {
    const Api& a = api();
    for (auto _ : state) {
        benchmark::DoNotOptimize(a.getCount());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AdapterCount);

void BM_LogicalDiskStatus(benchmark::State& state) {
    const Api& a = api();
    unsigned char buffer[sizeof(RequestHeader) + sizeof(LD_Status)];
    for (auto _ : state) {
        benchmark::DoNotOptimize(ask(a.ldStatus, MV_REQUEST_BY_ID, 1, buffer));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LogicalDiskStatus);

// What one refresh of the window asks of the library on the default world:
// rescan, count, adapter record, both walks, the set's status, its two
// blocks, the two disks' statuses. Items are library calls.
void BM_WindowRefresh(benchmark::State& state) {
    const Api& a = api();
    unsigned char hd[MV_HD_WALK_BUFFER_SIZE];
    unsigned char ld[MV_LD_WALK_BUFFER_SIZE];
    unsigned char small[sizeof(RequestHeader) + 32];
    std::int64_t calls = 0;
    for (auto _ : state) {
        a.rescan();
        a.getCount();
        Adapter_Info info;
        MV_U8 count = 0;
        a.getInfo(0, &count, &info);
        calls += 3;
        for (MV_U16 index = 0; index != MV_NO_MORE_ENTRIES; ++calls) {
            if (ask(a.hdInfo, MV_REQUEST_ENUMERATE, index, hd) != 0) {
                break;
            }
            std::memcpy(&index, hd + offsetof(RequestHeader, NextStartingIndex), sizeof index);
        }
        for (MV_U16 index = 0; index != MV_NO_MORE_ENTRIES; ++calls) {
            if (ask(a.ldInfo, MV_REQUEST_ENUMERATE, index, ld) != 0) {
                break;
            }
            std::memcpy(&index, ld + offsetof(RequestHeader, NextStartingIndex), sizeof index);
        }
        ask(a.ldStatus, MV_REQUEST_BY_ID, 1, small);
        ask(a.blockInfo, MV_REQUEST_BY_ID, 1, small);
        ask(a.blockInfo, MV_REQUEST_BY_ID, 2, small);
        ask(a.hdStatus, MV_REQUEST_BY_ID, 1, small);
        ask(a.hdStatus, MV_REQUEST_BY_ID, 2, small);
        calls += 5;
    }
    state.SetItemsProcessed(calls);
}
BENCHMARK(BM_WindowRefresh);

}  // namespace
