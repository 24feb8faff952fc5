// The names of the library's operations, as faults and the command name them.
#pragma once

#include <array>
#include <string_view>

namespace sim {

inline constexpr std::array<std::string_view, 18> kOperationNames = {
    "MV_API_Initialize",  "MV_API_RescanAdapter",  "MV_API_Finalize",      "MV_Adapter_GetCount",
    "MV_Adapter_GetInfo", "MV_Adapter_GetConfig",  "MV_Adapter_SetConfig", "MV_PD_GetHDInfo_Ext",
    "MV_LD_GetInfo",      "MV_PD_GetHDRaidStatus", "MV_LD_GetStatus",      "MV_BLK_GetInfo",
    "MV_BLK_GetHDBlock",  "MV_LD_Create",          "MV_LD_Delete",         "MV_PD_WipeHDMDD",
    "MV_LD_StartRebuild", "MV_LD_BGAControl",
};

constexpr bool isOperationName(std::string_view name) {
    for (auto op : kOperationNames) {
        if (op == name) {
            return true;
        }
    }
    return false;
}

}  // namespace sim
