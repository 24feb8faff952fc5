// Any request a client can send through the service's request handling: the
// library behind it writes and reads as much as the request tells it to (the
// count in the header, the member count, the name up to its zero byte), into
// buffers of exactly the size the service chose, so the sanitizers catch any
// request the service lets through that would make the library overrun them.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "model/controller_library.h"
#include "service/library_host.h"

namespace {

// A library that trusts its caller completely, as the vendor's may.
class TrustingLibrary final : public ControllerLibrary {
  public:
    MV_U8 MV_API_Initialize() override { return 0; }
    MV_U8 MV_API_RescanAdapter() override { return 0; }
    MV_U8 MV_API_Finalize() override { return 0; }
    MV_U8 MV_Adapter_GetCount() override { return 2; }
    MV_U8 MV_Adapter_GetInfo(MV_U8 id, MV_U8* count, Adapter_Info* info) override {
        *count = 1;
        std::memset(info, id, sizeof *info);
        return 0;
    }
    MV_U8 MV_Adapter_GetConfig(MV_U8 id, MV_U8* out, Adapter_Config* config) override {
        *out = 1;
        std::memset(config, id, sizeof *config);
        return 0;
    }
    MV_U8 MV_Adapter_SetConfig(MV_U8, Adapter_Config* config) override {
        return touch(config, sizeof *config);
    }
    MV_U8 MV_PD_GetHDInfo_Ext(MV_U8, void* r) override { return answer(r, sizeof(HD_Info)); }
    MV_U8 MV_LD_GetInfo(MV_U8, void* r) override { return answer(r, sizeof(LD_Info)); }
    MV_U8 MV_PD_GetHDRaidStatus(MV_U8, void* r) override {
        return answer(r, sizeof(HD_RAID_Status));
    }
    MV_U8 MV_LD_GetStatus(MV_U8, void* r) override { return answer(r, sizeof(LD_Status)); }
    MV_U8 MV_BLK_GetInfo(MV_U8, void* r) override { return answer(r, sizeof(Block_Info)); }
    MV_U8 MV_BLK_GetHDBlock(MV_U8, void* r) override { return answer(r, sizeof(HD_Block_Info)); }
    MV_U8 MV_LD_Create(MV_U8, Create_LD_Param* param) override {
        MV_U8 sum = 0;
        const MV_U16* members = param->HDIDs;
        for (int i = 0; i < param->HDCount; ++i) {
            sum = static_cast<MV_U8>(sum + members[i]);
        }
        return static_cast<MV_U8>(sum + std::strlen(reinterpret_cast<const char*>(param->Name)));
    }
    MV_U8 MV_LD_Delete(MV_U8, MV_U16, MV_U8) override { return 0; }
    MV_U8 MV_PD_WipeHDMDD(MV_U8, MV_U16, MV_U8) override { return 0; }
    MV_U8 MV_LD_StartRebuild(MV_U8, MV_U16, MV_U16) override { return 0; }
    MV_U8 MV_LD_BGAControl(MV_U8, MV_U16, MV_U8) override { return 0; }

  private:
    static MV_U8 touch(const void* data, std::size_t size) {
        MV_U8 sum = 0;
        for (std::size_t i = 0; i < size; ++i) {
            sum = static_cast<MV_U8>(sum + static_cast<const MV_U8*>(data)[i]);
        }
        return sum;
    }
    // Writes as many records as the header asks for.
    static MV_U8 answer(void* request, std::size_t recordSize) {
        RequestHeader header;
        std::memcpy(&header, request, sizeof header);
        auto* records = static_cast<unsigned char*>(request) + sizeof header;
        std::memset(records, 0x5A, recordSize * header.NumberRequested);
        header.NextStartingIndex = MV_NO_MORE_ENTRIES;
        std::memcpy(request, &header, sizeof header);
        return 0;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TrustingLibrary library;
    static service::CallWatchdog watchdog(std::chrono::seconds(30));
    static platform::SystemClock clock;
    static service::LibraryHost host(library, watchdog, clock);
    static const bool started = (host.startUp(), true);
    (void)started;
    if (size < 2) {
        return 0;
    }
    const std::uint8_t operation = data[0];
    const MV_U8 adapter = data[1];
    // Copied, so that reading past the payload is caught too.
    const std::vector<unsigned char> payload(data + 2, data + size);
    const std::span<const unsigned char> bytes(payload);
    MV_U16 a = 0, b = 0;
    if (payload.size() >= 4) {
        std::memcpy(&a, payload.data(), 2);
        std::memcpy(&b, payload.data() + 2, 2);
    }
    try {
        using L = ControllerLibrary;
        switch (operation % 12) {
            case 0:
                host.call<&L::MV_Adapter_GetInfo>(adapter);
                break;
            case 1:
                host.call<&L::MV_Adapter_GetConfig>(adapter);
                break;
            case 2:
                host.call<&L::MV_Adapter_SetConfig>(adapter, bytes);
                break;
            case 3:
                host.call<&L::MV_LD_Create>(adapter, bytes);
                break;
            case 4:
                host.call<&L::MV_LD_Delete>(adapter, a, static_cast<MV_U8>(b));
                break;
            case 5:
                host.call<&L::MV_LD_StartRebuild>(adapter, a, b);
                break;
            case 6:
                host.call<&L::MV_PD_GetHDInfo_Ext>(adapter, bytes);
                break;
            case 7:
                host.call<&L::MV_LD_GetInfo>(adapter, bytes);
                break;
            case 8:
                host.call<&L::MV_PD_GetHDRaidStatus>(adapter, bytes);
                break;
            case 9:
                host.call<&L::MV_LD_GetStatus>(adapter, bytes);
                break;
            case 10:
                host.call<&L::MV_BLK_GetInfo>(adapter, bytes);
                break;
            default:
                host.call<&L::MV_BLK_GetHDBlock>(adapter, bytes);
                break;
        }
    } catch (const service::RequestRefused&) {
    }
    return 0;
}
