// A GoogleMock stand-in for the controller library.
#pragma once

#include <gmock/gmock.h>

#include "model/controller_library.h"

class MockControllerLibrary : public ControllerLibrary {
  public:
    MOCK_METHOD(MV_U8, MV_API_Initialize, (), (override));
    MOCK_METHOD(MV_U8, MV_API_RescanAdapter, (), (override));
    MOCK_METHOD(MV_U8, MV_API_Finalize, (), (override));
    MOCK_METHOD(MV_U8, MV_Adapter_GetCount, (), (override));
    MOCK_METHOD(MV_U8, MV_Adapter_GetInfo, (MV_U8, MV_U8*, Adapter_Info*), (override));
    MOCK_METHOD(MV_U8, MV_Adapter_GetConfig, (MV_U8, MV_U8*, Adapter_Config*), (override));
    MOCK_METHOD(MV_U8, MV_Adapter_SetConfig, (MV_U8, Adapter_Config*), (override));
    MOCK_METHOD(MV_U8, MV_PD_GetHDInfo_Ext, (MV_U8, void*), (override));
    MOCK_METHOD(MV_U8, MV_LD_GetInfo, (MV_U8, void*), (override));
    MOCK_METHOD(MV_U8, MV_PD_GetHDRaidStatus, (MV_U8, void*), (override));
    MOCK_METHOD(MV_U8, MV_LD_GetStatus, (MV_U8, void*), (override));
    MOCK_METHOD(MV_U8, MV_BLK_GetInfo, (MV_U8, void*), (override));
    MOCK_METHOD(MV_U8, MV_BLK_GetHDBlock, (MV_U8, void*), (override));
    MOCK_METHOD(MV_U8, MV_LD_Create, (MV_U8, Create_LD_Param*), (override));
    MOCK_METHOD(MV_U8, MV_LD_Delete, (MV_U8, MV_U16, MV_U8), (override));
    MOCK_METHOD(MV_U8, MV_PD_WipeHDMDD, (MV_U8, MV_U16, MV_U8), (override));
    MOCK_METHOD(MV_U8, MV_LD_StartRebuild, (MV_U8, MV_U16, MV_U16), (override));
    MOCK_METHOD(MV_U8, MV_LD_BGAControl, (MV_U8, MV_U16, MV_U8), (override));
};
