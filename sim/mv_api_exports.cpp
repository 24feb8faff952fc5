// libmv_api.so: the C ABI of model/mv_api.h over one SimulatedLibrary on the
// world file that NORVIK_SIM_WORLD names (read at each call, so a process may
// switch worlds), with rebuild times on the system's steady clock, which all
// processes share.
//
// Nothing but an injected "raise" fault leaves these functions by exception.
// That one crosses the C boundary on purpose, as the real library's
// exceptions would; the application's guard is what it tests.
#include <memory>
#include <mutex>

#include "model/mv_api.h"
#include "sim/simulated_library.h"
#include "sim/world_location.h"

#define NORVIK_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::shared_ptr<sim::SimulatedLibrary> library() {
    static platform::SystemClock clock;
    static std::mutex mutex;
    static std::shared_ptr<sim::SimulatedLibrary> current;
    sim::WorldLocation location = sim::worldLocation();
    std::lock_guard guard(mutex);
    if (!current || current->store().file() != location.file) {
        current = std::make_shared<sim::SimulatedLibrary>(
            std::make_shared<sim::WorldStore>(std::move(location)), clock);
    }
    return current;
}

template <class Call>
MV_U8 call(Call&& c, MV_U8 failed = sim::kWorldUnavailable) {
    try {
        return c(*library());
    } catch (const sim::InjectedFault&) {
        throw;
    } catch (...) {
        return failed;
    }
}

}  // namespace

NORVIK_EXPORT MV_U8 MV_API_Initialize(void) {
    return call([](auto& l) { return l.MV_API_Initialize(); });
}

NORVIK_EXPORT MV_U8 MV_API_RescanAdapter(void) {
    return call([](auto& l) { return l.MV_API_RescanAdapter(); });
}

NORVIK_EXPORT MV_U8 MV_API_Finalize(void) {
    return call([](auto& l) { return l.MV_API_Finalize(); });
}

NORVIK_EXPORT MV_U8 MV_Adapter_GetCount(void) {
    return call([](auto& l) { return l.MV_Adapter_GetCount(); }, 0);
}

NORVIK_EXPORT MV_U8 MV_Adapter_GetInfo(MV_U8 adapterId, MV_U8* count, struct _Adapter_Info* info) {
    return call([&](auto& l) { return l.MV_Adapter_GetInfo(adapterId, count, info); });
}

NORVIK_EXPORT MV_U8 MV_Adapter_GetConfig(MV_U8 adapterId,
                                         MV_U8* out,
                                         struct _Adapter_Config* config) {
    return call([&](auto& l) { return l.MV_Adapter_GetConfig(adapterId, out, config); });
}

NORVIK_EXPORT MV_U8 MV_Adapter_SetConfig(MV_U8 adapterId, struct _Adapter_Config* config) {
    return call([&](auto& l) { return l.MV_Adapter_SetConfig(adapterId, config); });
}

NORVIK_EXPORT MV_U8 MV_PD_GetHDInfo_Ext(MV_U8 adapterId, void* request) {
    return call([&](auto& l) { return l.MV_PD_GetHDInfo_Ext(adapterId, request); });
}

NORVIK_EXPORT MV_U8 MV_LD_GetInfo(MV_U8 adapterId, void* request) {
    return call([&](auto& l) { return l.MV_LD_GetInfo(adapterId, request); });
}

NORVIK_EXPORT MV_U8 MV_PD_GetHDRaidStatus(MV_U8 adapterId, void* request) {
    return call([&](auto& l) { return l.MV_PD_GetHDRaidStatus(adapterId, request); });
}

NORVIK_EXPORT MV_U8 MV_LD_GetStatus(MV_U8 adapterId, void* request) {
    return call([&](auto& l) { return l.MV_LD_GetStatus(adapterId, request); });
}

NORVIK_EXPORT MV_U8 MV_BLK_GetInfo(MV_U8 adapterId, void* request) {
    return call([&](auto& l) { return l.MV_BLK_GetInfo(adapterId, request); });
}

NORVIK_EXPORT MV_U8 MV_BLK_GetHDBlock(MV_U8 adapterId, void* request) {
    return call([&](auto& l) { return l.MV_BLK_GetHDBlock(adapterId, request); });
}

NORVIK_EXPORT MV_U8 MV_LD_Create(MV_U8 adapterId, struct _Create_LD_Param* param) {
    return call([&](auto& l) { return l.MV_LD_Create(adapterId, param); });
}

NORVIK_EXPORT MV_U8 MV_LD_Delete(MV_U8 adapterId, MV_U16 ldId, MV_U8 flag) {
    return call([&](auto& l) { return l.MV_LD_Delete(adapterId, ldId, flag); });
}

NORVIK_EXPORT MV_U8 MV_PD_WipeHDMDD(MV_U8 adapterId, MV_U16 hdId, MV_U8 flag) {
    return call([&](auto& l) { return l.MV_PD_WipeHDMDD(adapterId, hdId, flag); });
}

NORVIK_EXPORT MV_U8 MV_LD_StartRebuild(MV_U8 adapterId, MV_U16 ldId, MV_U16 hdId) {
    return call([&](auto& l) { return l.MV_LD_StartRebuild(adapterId, ldId, hdId); });
}

NORVIK_EXPORT MV_U8 MV_LD_BGAControl(MV_U8 adapterId, MV_U16 ldId, MV_U8 code) {
    return call([&](auto& l) { return l.MV_LD_BGAControl(adapterId, ldId, code); });
}
