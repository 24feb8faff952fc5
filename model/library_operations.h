// Every operation of the controller library, once. The seam, the loader, the
// simulator and its exports, the service's bus methods and host, and the
// remote library are all generated from this list, so an operation is added
// here and nowhere else (but for what the simulator does when called).
#pragma once

#include "model/mv_api.h"

// X(name, shape, parameters, arguments): the C function's name and its
// parameters as mv_api.h declares them; the shape says how its data travels.
#define NORVIK_LIBRARY_OPERATIONS(X)                                                               \
    X(MV_API_Initialize, Initialize, (), ())                                                       \
    X(MV_API_RescanAdapter, Rescan, (), ())                                                        \
    X(MV_API_Finalize, Finalize, (), ())                                                           \
    X(MV_Adapter_GetCount, Count, (), ())                                                          \
    X(MV_Adapter_GetInfo, AdapterRecord<Adapter_Info>,                                             \
      (MV_U8 adapterId, MV_U8 * count, Adapter_Info * info), (adapterId, count, info))             \
    X(MV_Adapter_GetConfig, AdapterRecord<Adapter_Config>,                                         \
      (MV_U8 adapterId, MV_U8 * out, Adapter_Config * config), (adapterId, out, config))           \
    X(MV_Adapter_SetConfig, RecordChange<Adapter_Config>,                                          \
      (MV_U8 adapterId, Adapter_Config * config), (adapterId, config))                             \
    X(MV_PD_GetHDInfo_Ext, Request<HD_Info>, (MV_U8 adapterId, void* request),                     \
      (adapterId, request))                                                                        \
    X(MV_LD_GetInfo, Request<LD_Info>, (MV_U8 adapterId, void* request), (adapterId, request))     \
    X(MV_PD_GetHDRaidStatus, Request<HD_RAID_Status>, (MV_U8 adapterId, void* request),            \
      (adapterId, request))                                                                        \
    X(MV_LD_GetStatus, Request<LD_Status>, (MV_U8 adapterId, void* request), (adapterId, request)) \
    X(MV_BLK_GetInfo, Request<Block_Info>, (MV_U8 adapterId, void* request), (adapterId, request)) \
    X(MV_BLK_GetHDBlock, Request<HD_Block_Info>, (MV_U8 adapterId, void* request),                 \
      (adapterId, request))                                                                        \
    X(MV_LD_Create, RecordChange<Create_LD_Param>, (MV_U8 adapterId, Create_LD_Param * param),     \
      (adapterId, param))                                                                          \
    X(MV_LD_Delete, IdsChange, (MV_U8 adapterId, MV_U16 ldId, MV_U8 flag),                         \
      (adapterId, ldId, flag))                                                                     \
    X(MV_PD_WipeHDMDD, IdsChange, (MV_U8 adapterId, MV_U16 hdId, MV_U8 flag),                      \
      (adapterId, hdId, flag))                                                                     \
    X(MV_LD_StartRebuild, IdsChange, (MV_U8 adapterId, MV_U16 ldId, MV_U16 hdId),                  \
      (adapterId, ldId, hdId))                                                                     \
    X(MV_LD_BGAControl, IdsChange, (MV_U8 adapterId, MV_U16 ldId, MV_U8 code),                     \
      (adapterId, ldId, code))

// One operation of the list as an overriding member function declaration.
#define NORVIK_LIBRARY_OPERATION_OVERRIDE(name, shape, parameters, arguments) \
    MV_U8 name parameters override;

// How an operation's data travels between a caller and the library.
namespace library_shape {

// Returns the status of the library's start (the service starts it once for all).
struct Initialize {};
// Returns a status; ends the library (the service does that once, at exit).
struct Finalize {};
// Returns a status; the library looks for adapters again.
struct Rescan {};
// Returns the adapter count, not a status.
struct Count {};
// Fills one record of an adapter and writes a byte beside it.
template <class Record>
struct AdapterRecord {};
// A RequestHeader followed by room for exactly one Record, filled in place.
template <class Record>
struct Request {};
// Changes the controller from one record.
template <class Record>
struct RecordChange {};
// Changes the controller from the adapter and two IDs or codes.
struct IdsChange {};

template <class Shape>
inline constexpr bool kChanges = false;
template <class Record>
inline constexpr bool kChanges<RecordChange<Record>> = true;
template <>
inline constexpr bool kChanges<IdsChange> = true;

}  // namespace library_shape
