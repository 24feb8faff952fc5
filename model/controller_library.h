// The seam in front of the controller library: one virtual per operation of
// its C ABI, same names, same argument order. Implementations: the loaded
// library, the in-process simulator and the test mock. Any implementation may
// throw a std::exception to stand for "the library raised".
#pragma once

#include "model/mv_api.h"

class ControllerLibrary {
  public:
    ControllerLibrary() = default;
    ControllerLibrary(const ControllerLibrary&) = delete;
    ControllerLibrary& operator=(const ControllerLibrary&) = delete;
    virtual ~ControllerLibrary() = default;

    virtual MV_U8 MV_API_Initialize() = 0;
    virtual MV_U8 MV_API_RescanAdapter() = 0;
    virtual MV_U8 MV_API_Finalize() = 0;
    // Returns the adapter count, not a status.
    virtual MV_U8 MV_Adapter_GetCount() = 0;
    virtual MV_U8 MV_Adapter_GetInfo(MV_U8 adapterId, MV_U8* count, Adapter_Info* info) = 0;
    virtual MV_U8 MV_Adapter_GetConfig(MV_U8 adapterId, MV_U8* out, Adapter_Config* config) = 0;
    virtual MV_U8 MV_Adapter_SetConfig(MV_U8 adapterId, Adapter_Config* config) = 0;
    // The request buffers: a RequestHeader followed by room for the reply record.
    virtual MV_U8 MV_PD_GetHDInfo_Ext(MV_U8 adapterId, void* request) = 0;
    virtual MV_U8 MV_LD_GetInfo(MV_U8 adapterId, void* request) = 0;
    virtual MV_U8 MV_PD_GetHDRaidStatus(MV_U8 adapterId, void* request) = 0;
    virtual MV_U8 MV_LD_GetStatus(MV_U8 adapterId, void* request) = 0;
    virtual MV_U8 MV_BLK_GetInfo(MV_U8 adapterId, void* request) = 0;
    virtual MV_U8 MV_BLK_GetHDBlock(MV_U8 adapterId, void* request) = 0;
    virtual MV_U8 MV_LD_Create(MV_U8 adapterId, Create_LD_Param* param) = 0;
    virtual MV_U8 MV_LD_Delete(MV_U8 adapterId, MV_U16 ldId, MV_U8 flag) = 0;
    virtual MV_U8 MV_PD_WipeHDMDD(MV_U8 adapterId, MV_U16 hdId, MV_U8 flag) = 0;
    virtual MV_U8 MV_LD_StartRebuild(MV_U8 adapterId, MV_U16 ldId, MV_U16 hdId) = 0;
    virtual MV_U8 MV_LD_BGAControl(MV_U8 adapterId, MV_U16 ldId, MV_U8 code) = 0;
};
