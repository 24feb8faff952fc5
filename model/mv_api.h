// The controller library's C ABI: its records and its eighteen operations.
//
// Every record is little-endian with unsigned fields and natural alignment,
// exactly as the library lays it out. The application reads and writes these
// buffers with memcpy at the offsets pinned below, never through cast pointers
// into foreign memory. The simulator and any vendor build of the library
// export exactly these symbols.
#ifndef NORVIK_MODEL_MV_API_H
#define NORVIK_MODEL_MV_API_H

#include <stddef.h>
#include <stdint.h>

typedef uint8_t MV_U8;
typedef uint16_t MV_U16;
typedef uint32_t MV_U32;
typedef uint64_t MV_U64;

/* A 64-bit count that the library also exposes as two 32-bit halves. */
typedef union _MV_U64_Value {
    MV_U64 value;
    struct {
        MV_U32 low;
        MV_U32 high;
    } parts;
} MV_U64_Value;

/* ---- Request header: in front of every list or lookup reply ---------------- */

enum {
    MV_REQUEST_ENUMERATE = 1, /* from a starting index */
    MV_REQUEST_BY_ID = 2,     /* one object by its ID */
};

enum { MV_NO_MORE_ENTRIES = 0xFFFF };

typedef struct _RequestHeader {
    MV_U8 Version;            /* 0 */
    MV_U8 RequestType;        /* MV_REQUEST_ENUMERATE or MV_REQUEST_BY_ID */
    MV_U16 StartingIndexOrID; /* starting index (enumerate) or object ID (by ID) */
    MV_U16 NumberRequested;   /* always 1 */
    MV_U16 Reserved0;         /* 0 */
    MV_U16 NextStartingIndex; /* written by the library; MV_NO_MORE_ENTRIES at the end */
    MV_U8 Reserved1[6];       /* 0 */
} RequestHeader;

/* ---- Adapter record ---------------------------------------------------------- */

typedef struct _Version_Info {
    MV_U32 VerMajor;
    MV_U32 VerMinor;
    MV_U32 VerOEM;
    MV_U32 VerBuild;
} Version_Info;

typedef struct _Component_Version {
    MV_U16 MajorVersion;
    MV_U16 MinorVersion;
    MV_U16 RevisionNumber;
    MV_U16 BuildNumber;
} Component_Version;

typedef struct _Adapter_Info {
    Version_Info DriverVersion;
    Component_Version BIOSVersion;
    Component_Version FirmwareVersion;
    Component_Version BootLoaderVersion;
    MV_U64_Value Reserved1;
    MV_U32 SystemIOBusNumber;
    MV_U32 SlotNumber;
    MV_U32 InterruptLevel;
    MV_U32 InterruptVector;
    MV_U16 VenID;
    MV_U16 SubVenID;
    MV_U16 DevID;
    MV_U16 SubDevID;
    MV_U8 PortCount;
    MV_U8 PortSupportType;
    MV_U8 Features;
    MV_U8 AlarmSupport;
    MV_U8 RevisionID;
    MV_U8 MaxPDPerVD;
    MV_U16 StripeSizeSupported;
    MV_U32 AdvancedFeatures;
    MV_U8 MaxPDPerDG;
    MV_U8 MaxVDPerDG;
    MV_U8 MaxParityDisks;
    MV_U8 MaxDiskGroup;
    MV_U8 MaxTotalBlocks;
    MV_U8 MaxBlockPerPD;
    MV_U8 MaxHD;
    MV_U8 MaxExpander;
    MV_U8 MaxPM;
    MV_U8 MaxLogicalDrive;
    MV_U16 LogicalDriverMode;
    MV_U8 WWN[8];
    MV_U16 MaxHD_Ext;
    MV_U16 MaxBufferSize;
    MV_U16 MaxTotalBlocks_V2;
    MV_U8 MaxAESPort;
    MV_U8 MaxHyperHdd;
    MV_U8 MaxSSDPerHyperDuo;
    MV_U8 MaxAESEntry;
    MV_U8 MaxSSDSegment;
    MV_U8 Reserved3[9];
    MV_U8 SerialNo[20];
    MV_U8 PortSasAddress[16][8];
    MV_U8 MaxSpeed;
    MV_U8 CurrentSpeed;
    MV_U8 MaxLinkWidth;
    MV_U8 CurrentLinkWidth;
    MV_U8 img_health;
    MV_U8 autoload_img_health;
    MV_U8 boot_loader_img_health;
    MV_U8 firmware_img_health;
    MV_U8 boot_rom_img_health;
    MV_U8 hba_info_img_health;
    MV_U8 Reserved4[2];
    MV_U8 ModelNumber[20];
} Adapter_Info;

/* ---- Adapter settings record --------------------------------------------------- */

typedef struct _Adapter_Config {
    MV_U8 Reserved0;
    MV_U8 AutoRebuild; /* 0 off, 1 on */
    MV_U8 Reserved1[62];
} Adapter_Config;

/* ---- Disk record ----------------------------------------------------------------- */

enum { MV_DEVICE_TYPE_HD = 1 };

typedef struct _Link_Endpoint {
    MV_U16 DevID;
    MV_U8 DevType;
    MV_U8 PhyCnt;
    MV_U8 PhyID[8];
    MV_U8 SAS_Address[8];
    MV_U16 EnclosureID;
    MV_U8 Reserved[6];
} Link_Endpoint;

typedef struct _Link_Entity {
    Link_Endpoint Parent;
    MV_U8 Reserved[8];
    Link_Endpoint Self;
} Link_Entity;

typedef struct _HD_Info {
    Link_Entity Link;
    MV_U8 AdapterID;
    MV_U8 InitStatus;
    MV_U8 HDType;
    MV_U8 PIOMode;
    MV_U8 MDMAMode;
    MV_U8 UDMAMode;
    MV_U8 ConnectionType;
    MV_U8 DeviceType;
    MV_U32 FeatureSupport;
    MV_U8 Model[40];
    MV_U8 SerialNo[20];
    MV_U8 FWVersion[8];
    MV_U64_Value Size; /* units of 1024 bytes */
    MV_U8 WWN[8];
    MV_U8 CurrentPIOMode;
    MV_U8 CurrentMDMAMode;
    MV_U8 CurrentUDMAMode;
    MV_U8 ElementIdx;
    MV_U32 BlockSize;
    MV_U8 ActivityLEDStatus;
    MV_U8 LocateLEDStatus;
    MV_U8 ErrorLEDStatus;
    MV_U8 SesDeviceType;
    MV_U32 sata_signature;
    MV_U8 Reserved4[8];
    MV_U8 HD_SSD_Type;
    MV_U8 Reserved1[63];
} HD_Info;

/* Disk RAID status bits, as MV_PD_GetHDRaidStatus reports them. */
enum {
    MV_HD_STATUS_FREE = 1,
    MV_HD_STATUS_ASSIGNED = 2,
    MV_HD_STATUS_SPARE = 4,
    MV_HD_STATUS_OFFLINE = 8,
    MV_HD_STATUS_SMARTCHECKING = 16,
    MV_HD_STATUS_DEDICATED_SPARE = 64,
};

typedef struct _HD_RAID_Status {
    MV_U8 Reserved0[4];
    MV_U8 Status; /* MV_HD_STATUS_* bits */
    MV_U8 Reserved1[11];
} HD_RAID_Status;

/* ---- Logical-disk records ------------------------------------------------------- */

enum { MV_MAX_LD_MEMBERS = 128, MV_MAX_HD_BLOCKS = 16 };

enum {
    MV_LD_MODE_RAID0 = 0,
    MV_LD_MODE_RAID1 = 1,
};

enum {
    MV_LD_STATUS_FUNCTIONAL = 0,
    MV_LD_STATUS_DEGRADE = 1,
    MV_LD_STATUS_OFFLINE = 4,
    MV_LD_STATUS_INVALID = 0xFF, /* in _LD_Info.Status: not a logical disk to show */
};

typedef struct _LD_Info {
    MV_U16 ID;
    MV_U8 Status;
    MV_U8 BGAStatus;
    MV_U16 StripeBlockSize;
    MV_U8 RaidMode;
    MV_U8 HDCount;
    MV_U8 CacheMode;
    MV_U8 LD_GUID[8];
    MV_U8 SectorCoefficient;
    MV_U8 AdapterID;
    MV_U8 BlkCount;
    MV_U16 time_hi;
    MV_U16 DGID;
    MV_U64_Value Size; /* units of 1024 bytes */
    MV_U8 Name[16];    /* UTF-8, zero-terminated when shorter than 16 bytes */
    MV_U16 BlockIDs[MV_MAX_LD_MEMBERS];
    MV_U8 SubLDCount;
    MV_U8 NumParityDisk;
    MV_U16 time_low;
    MV_U32 BlockSize;
} LD_Info;

enum { MV_LD_FLAG_REBUILDING = 1 };

typedef struct _LD_Status {
    MV_U8 Status; /* MV_LD_STATUS_* or another code of the library */
    MV_U8 Reserved0;
    MV_U16 Percentage; /* rebuild progress; valid while MV_LD_FLAG_REBUILDING is set */
    MV_U8 Flags;
    MV_U8 Reserved1[3];
} LD_Status;

enum { MV_BLOCK_FLAG_ASSIGNED = 2 };

typedef struct _Block_Info {
    MV_U16 ID;
    MV_U16 HDID; /* device ID of the disk that holds the block */
    MV_U8 Flags; /* MV_BLOCK_FLAG_ASSIGNED: the block belongs to LDID */
    MV_U8 Reserved0;
    MV_U16 LDID;
    MV_U8 Reserved1[24];
} Block_Info;

typedef struct _HD_Block_Info {
    MV_U8 Reserved0[3];
    MV_U8 BlockCount;
    MV_U8 Reserved1[4];
    MV_U16 BlockIDs[MV_MAX_HD_BLOCKS];
} HD_Block_Info;

/* ---- Volume-creation parameters --------------------------------------------------- */

typedef struct _Create_LD_Param {
    MV_U8 RaidMode; /* the volume type minus 1: 0 striped, 1 mirrored */
    MV_U8 HDCount;
    MV_U8 Param2;           /* 0 */
    MV_U8 Param3;           /* 0 */
    MV_U16 StripeBlockSize; /* 64 */
    MV_U8 Param6;           /* 0 */
    MV_U8 Param7;           /* 1 */
    MV_U8 Param8;           /* 0 */
    MV_U8 Param9;           /* 1 */
    MV_U8 Reserved[6];      /* 0 */
    MV_U16 HDIDs[MV_MAX_LD_MEMBERS];
    MV_U8 Name[16]; /* UTF-8, at most 15 bytes and a zero byte */
    MV_U64 Size;    /* units of 1024 bytes */
} Create_LD_Param;

enum { MV_BGA_CONTROL_CANCEL_REBUILD = 4 };

/* ---- Layout checks ------------------------------------------------------------------ */

#ifdef __cplusplus
#define MV_STATIC_ASSERT static_assert
#define MV_ALIGNOF alignof
#else
#define MV_STATIC_ASSERT _Static_assert
#define MV_ALIGNOF _Alignof
#endif

MV_STATIC_ASSERT(sizeof(RequestHeader) == 16, "request header");
MV_STATIC_ASSERT(offsetof(RequestHeader, Version) == 0, "version");
MV_STATIC_ASSERT(offsetof(RequestHeader, RequestType) == 1, "request kind");
MV_STATIC_ASSERT(offsetof(RequestHeader, StartingIndexOrID) == 2, "starting index or ID");
MV_STATIC_ASSERT(offsetof(RequestHeader, NumberRequested) == 4, "number requested");
MV_STATIC_ASSERT(offsetof(RequestHeader, Reserved0) == 6, "header zeros");
MV_STATIC_ASSERT(offsetof(RequestHeader, NextStartingIndex) == 8, "next index");
MV_STATIC_ASSERT(offsetof(RequestHeader, Reserved1) == 10, "header trailing zeros");

MV_STATIC_ASSERT(sizeof(Adapter_Info) == 304, "adapter record");
MV_STATIC_ASSERT(MV_ALIGNOF(Adapter_Info) == 8, "adapter record alignment");
MV_STATIC_ASSERT(MV_ALIGNOF(Create_LD_Param) == 8, "volume-creation parameters alignment");
MV_STATIC_ASSERT(offsetof(Adapter_Info, BIOSVersion) == 16, "BIOSVersion");
MV_STATIC_ASSERT(offsetof(Adapter_Info, Reserved1) == 40, "Reserved1");
MV_STATIC_ASSERT(offsetof(Adapter_Info, VenID) == 64, "VenID");
MV_STATIC_ASSERT(offsetof(Adapter_Info, SubVenID) == 66, "SubVenID");
MV_STATIC_ASSERT(offsetof(Adapter_Info, DevID) == 68, "DevID");
MV_STATIC_ASSERT(offsetof(Adapter_Info, SubDevID) == 70, "SubDevID");
MV_STATIC_ASSERT(offsetof(Adapter_Info, PortCount) == 72, "PortCount");
MV_STATIC_ASSERT(offsetof(Adapter_Info, StripeSizeSupported) == 78, "StripeSizeSupported");
MV_STATIC_ASSERT(offsetof(Adapter_Info, AdvancedFeatures) == 80, "AdvancedFeatures");
MV_STATIC_ASSERT(offsetof(Adapter_Info, LogicalDriverMode) == 94, "LogicalDriverMode");
MV_STATIC_ASSERT(offsetof(Adapter_Info, WWN) == 96, "WWN");
MV_STATIC_ASSERT(offsetof(Adapter_Info, MaxHD_Ext) == 104, "MaxHD_Ext");
MV_STATIC_ASSERT(offsetof(Adapter_Info, MaxAESPort) == 110, "MaxAESPort");
MV_STATIC_ASSERT(offsetof(Adapter_Info, SerialNo) == 124, "SerialNo");
MV_STATIC_ASSERT(offsetof(Adapter_Info, PortSasAddress) == 144, "PortSasAddress");
MV_STATIC_ASSERT(offsetof(Adapter_Info, MaxSpeed) == 272, "MaxSpeed");
MV_STATIC_ASSERT(offsetof(Adapter_Info, Reserved4) == 282, "Reserved4");
MV_STATIC_ASSERT(offsetof(Adapter_Info, ModelNumber) == 284, "ModelNumber");

MV_STATIC_ASSERT(sizeof(Adapter_Config) == 64, "adapter settings record");
MV_STATIC_ASSERT(offsetof(Adapter_Config, AutoRebuild) == 1, "auto-rebuild switch");

MV_STATIC_ASSERT(sizeof(Link_Endpoint) == 28, "link endpoint");
MV_STATIC_ASSERT(offsetof(Link_Endpoint, DevType) == 2, "DevType");
MV_STATIC_ASSERT(offsetof(Link_Endpoint, SAS_Address) == 12, "SAS_Address");
MV_STATIC_ASSERT(offsetof(Link_Endpoint, EnclosureID) == 20, "EnclosureID");
MV_STATIC_ASSERT(sizeof(Link_Entity) == 64, "link entity");
MV_STATIC_ASSERT(sizeof(HD_Info) == 248, "disk record");
MV_STATIC_ASSERT(offsetof(HD_Info, Link.Self.DevID) == 36, "Link.Self.DevID");
MV_STATIC_ASSERT(offsetof(HD_Info, Link.Self.DevType) == 38, "Link.Self.DevType");
MV_STATIC_ASSERT(offsetof(HD_Info, AdapterID) == 64, "HD AdapterID");
MV_STATIC_ASSERT(offsetof(HD_Info, FeatureSupport) == 72, "FeatureSupport");
MV_STATIC_ASSERT(offsetof(HD_Info, Model) == 76, "Model");
MV_STATIC_ASSERT(offsetof(HD_Info, SerialNo) == 116, "HD SerialNo");
MV_STATIC_ASSERT(offsetof(HD_Info, FWVersion) == 136, "FWVersion");
MV_STATIC_ASSERT(offsetof(HD_Info, Size) == 144, "HD Size");
MV_STATIC_ASSERT(offsetof(HD_Info, Size.parts.high) == 148, "HD Size high half");
MV_STATIC_ASSERT(offsetof(HD_Info, BlockSize) == 164, "HD BlockSize");
MV_STATIC_ASSERT(offsetof(HD_Info, sata_signature) == 172, "sata_signature");
MV_STATIC_ASSERT(offsetof(HD_Info, HD_SSD_Type) == 184, "HD_SSD_Type");
MV_STATIC_ASSERT(sizeof(HD_RAID_Status) == 16, "disk status record");
MV_STATIC_ASSERT(offsetof(HD_RAID_Status, Status) == 4, "disk status bits");

MV_STATIC_ASSERT(sizeof(LD_Info) == 312, "logical-disk record");
MV_STATIC_ASSERT(offsetof(LD_Info, ID) == 0, "LD ID");
MV_STATIC_ASSERT(offsetof(LD_Info, Status) == 2, "LD Status");
MV_STATIC_ASSERT(offsetof(LD_Info, RaidMode) == 6, "RaidMode");
MV_STATIC_ASSERT(offsetof(LD_Info, HDCount) == 7, "HDCount");
MV_STATIC_ASSERT(offsetof(LD_Info, AdapterID) == 18, "LD AdapterID");
MV_STATIC_ASSERT(offsetof(LD_Info, Size) == 24, "LD Size");
MV_STATIC_ASSERT(offsetof(LD_Info, Size.parts.high) == 28, "LD Size high half");
MV_STATIC_ASSERT(offsetof(LD_Info, Name) == 32, "LD Name");
MV_STATIC_ASSERT(offsetof(LD_Info, BlockIDs) == 48, "BlockIDs");
MV_STATIC_ASSERT(offsetof(LD_Info, SubLDCount) == 304, "SubLDCount");
MV_STATIC_ASSERT(offsetof(LD_Info, BlockSize) == 308, "LD BlockSize");
MV_STATIC_ASSERT(sizeof(LD_Status) == 8, "logical-disk status record");
MV_STATIC_ASSERT(offsetof(LD_Status, Status) == 0, "LD status code");
MV_STATIC_ASSERT(offsetof(LD_Status, Percentage) == 2, "rebuild progress");
MV_STATIC_ASSERT(offsetof(LD_Status, Flags) == 4, "LD flags");
MV_STATIC_ASSERT(sizeof(Block_Info) == 32, "block record");
MV_STATIC_ASSERT(offsetof(Block_Info, HDID) == 2, "block HDID");
MV_STATIC_ASSERT(offsetof(Block_Info, Flags) == 4, "block flags");
MV_STATIC_ASSERT(offsetof(Block_Info, LDID) == 6, "block LDID");
MV_STATIC_ASSERT(sizeof(HD_Block_Info) == 40, "disk block list");
MV_STATIC_ASSERT(offsetof(HD_Block_Info, BlockCount) == 3, "block count");
MV_STATIC_ASSERT(offsetof(HD_Block_Info, BlockIDs) == 8, "disk block IDs");

MV_STATIC_ASSERT(sizeof(Create_LD_Param) == 296, "volume-creation parameters");
MV_STATIC_ASSERT(offsetof(Create_LD_Param, RaidMode) == 0, "level code");
MV_STATIC_ASSERT(offsetof(Create_LD_Param, HDCount) == 1, "member count");
MV_STATIC_ASSERT(offsetof(Create_LD_Param, Param2) == 2, "fixed byte 2");
MV_STATIC_ASSERT(offsetof(Create_LD_Param, Param3) == 3, "fixed byte 3");
MV_STATIC_ASSERT(offsetof(Create_LD_Param, StripeBlockSize) == 4, "stripe size");
MV_STATIC_ASSERT(offsetof(Create_LD_Param, Param6) == 6, "fixed byte 6");
MV_STATIC_ASSERT(offsetof(Create_LD_Param, Param7) == 7, "fixed byte 7");
MV_STATIC_ASSERT(offsetof(Create_LD_Param, Param8) == 8, "fixed byte 8");
MV_STATIC_ASSERT(offsetof(Create_LD_Param, Param9) == 9, "fixed byte 9");
MV_STATIC_ASSERT(offsetof(Create_LD_Param, Reserved) == 10, "fixed zeros");
MV_STATIC_ASSERT(offsetof(Create_LD_Param, HDIDs) == 16, "member slots");
MV_STATIC_ASSERT(offsetof(Create_LD_Param, Name) == 272, "volume name");
MV_STATIC_ASSERT(offsetof(Create_LD_Param, Size) == 288, "volume size");

/* Walk buffers: the header and room for exactly one record. */
enum {
    MV_HD_WALK_BUFFER_SIZE = 16 + 248,
    MV_LD_WALK_BUFFER_SIZE = 16 + 312,
};
MV_STATIC_ASSERT(MV_HD_WALK_BUFFER_SIZE == sizeof(RequestHeader) + sizeof(HD_Info), "disk walk");
MV_STATIC_ASSERT(MV_LD_WALK_BUFFER_SIZE == sizeof(RequestHeader) + sizeof(LD_Info),
                 "RAID set walk");

/* ---- The operations ---------------------------------------------------------------------- */

#ifdef __cplusplus
extern "C" {
#endif

MV_U8 MV_API_Initialize(void);
MV_U8 MV_API_RescanAdapter(void);
MV_U8 MV_API_Finalize(void);
MV_U8 MV_Adapter_GetCount(void); /* returns the adapter count */
MV_U8 MV_Adapter_GetInfo(MV_U8 adapterId, MV_U8* count, struct _Adapter_Info* info);
MV_U8 MV_Adapter_GetConfig(MV_U8 adapterId, MV_U8* out, struct _Adapter_Config* config);
MV_U8 MV_Adapter_SetConfig(MV_U8 adapterId, struct _Adapter_Config* config);
MV_U8 MV_PD_GetHDInfo_Ext(MV_U8 adapterId, void* request);   /* header + _HD_Info */
MV_U8 MV_LD_GetInfo(MV_U8 adapterId, void* request);         /* header + _LD_Info */
MV_U8 MV_PD_GetHDRaidStatus(MV_U8 adapterId, void* request); /* header + 16-byte disk status */
MV_U8 MV_LD_GetStatus(MV_U8 adapterId, void* request);       /* header + 8-byte LD status */
MV_U8 MV_BLK_GetInfo(MV_U8 adapterId, void* request);        /* header + 32-byte block record */
MV_U8 MV_BLK_GetHDBlock(MV_U8 adapterId, void* request);     /* header + 40-byte block list */
MV_U8 MV_LD_Create(MV_U8 adapterId, struct _Create_LD_Param* param);
MV_U8 MV_LD_Delete(MV_U8 adapterId, MV_U16 ldId, MV_U8 flag);
MV_U8 MV_PD_WipeHDMDD(MV_U8 adapterId, MV_U16 hdId, MV_U8 flag);
MV_U8 MV_LD_StartRebuild(MV_U8 adapterId, MV_U16 ldId, MV_U16 hdId);
MV_U8 MV_LD_BGAControl(MV_U8 adapterId, MV_U16 ldId, MV_U8 code);

#ifdef __cplusplus
}
#endif

#endif /* NORVIK_MODEL_MV_API_H */
