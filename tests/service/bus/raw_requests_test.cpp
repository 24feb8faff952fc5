// Whatever a client sends straight to the bus, the service refuses what it
// would have to trust, tells the caller why, and keeps serving.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "model/mv_api.h"
#include "tests/service/bus_test_environment.h"
#include "tests/service/service_worlds.h"

namespace {

using Append = std::function<void(sd_bus_message*)>;

std::vector<unsigned char> request(std::size_t size,
                                   MV_U16 count = 1,
                                   MV_U8 kind = MV_REQUEST_BY_ID) {
    std::vector<unsigned char> bytes(size);
    RequestHeader header{};
    header.RequestType = kind;
    header.StartingIndexOrID = 1;
    header.NumberRequested = count;
    std::memcpy(bytes.data(), &header, std::min(size, sizeof header));
    return bytes;
}

Append adapterAndBytes(MV_U8 adapter, std::vector<unsigned char> bytes) {
    return [adapter, bytes](sd_bus_message* m) {
        sd_bus_message_append_basic(m, 'y', &adapter);
        sd_bus_message_append_array(m, 'y', bytes.data(), bytes.size());
    };
}

Create_LD_Param createParameters() {
    Create_LD_Param param{};
    param.RaidMode = MV_LD_MODE_RAID0;
    param.HDCount = 2;
    param.HDIDs[0] = 1;
    param.HDIDs[1] = 2;
    std::memcpy(param.Name, "Duo", 4);
    return param;
}

std::vector<unsigned char> bytesOf(const Create_LD_Param& param) {
    std::vector<unsigned char> bytes(sizeof param);
    std::memcpy(bytes.data(), &param, sizeof param);
    return bytes;
}

struct RawCase {
    const char* what;
    const char* method;
    Append append;
};

std::vector<RawCase> refusedRequests() {
    const std::size_t status = sizeof(RequestHeader) + sizeof(LD_Status);
    Create_LD_Param tooMany = createParameters();
    tooMany.HDCount = 200;
    Create_LD_Param unterminated = createParameters();
    std::memset(unterminated.Name, 'x', sizeof unterminated.Name);
    return {
        {"short request", "MV_LD_GetStatus", adapterAndBytes(0, request(status - 1))},
        {"long request", "MV_LD_GetStatus", adapterAndBytes(0, request(status + 1))},
        {"header only", "MV_LD_GetInfo", adapterAndBytes(0, request(sizeof(RequestHeader)))},
        {"oversized request", "MV_PD_GetHDInfo_Ext", adapterAndBytes(0, request(1 << 20))},
        {"empty request", "MV_BLK_GetInfo", adapterAndBytes(0, {})},
        {"two records asked for", "MV_PD_GetHDInfo_Ext",
         adapterAndBytes(0, request(MV_HD_WALK_BUFFER_SIZE, 2))},
        {"no record asked for", "MV_BLK_GetHDBlock",
         adapterAndBytes(0, request(sizeof(RequestHeader) + sizeof(HD_Block_Info), 0))},
        {"all records asked for", "MV_LD_GetInfo",
         adapterAndBytes(0, request(MV_LD_WALK_BUFFER_SIZE, 0xFFFF))},
        {"unknown request kind", "MV_PD_GetHDRaidStatus",
         adapterAndBytes(0, request(sizeof(RequestHeader) + sizeof(HD_RAID_Status), 1, 7))},
        {"unknown adapter", "MV_LD_GetStatus", adapterAndBytes(1, request(status))},
        {"last adapter ID", "MV_BLK_GetInfo",
         adapterAndBytes(255, request(sizeof(RequestHeader) + sizeof(Block_Info)))},
        {"unknown adapter record", "MV_Adapter_GetInfo",
         [](sd_bus_message* m) { sd_bus_message_append(m, "y", 9); }},
        {"unknown adapter change", "MV_LD_Delete",
         [](sd_bus_message* m) { sd_bus_message_append(m, "yqy", 3, 1, 0); }},
        {"short settings", "MV_Adapter_SetConfig",
         adapterAndBytes(0, std::vector<unsigned char>(63))},
        {"long settings", "MV_Adapter_SetConfig",
         adapterAndBytes(0, std::vector<unsigned char>(4096))},
        {"too many members", "MV_LD_Create", adapterAndBytes(0, bytesOf(tooMany))},
        {"unterminated name", "MV_LD_Create", adapterAndBytes(0, bytesOf(unterminated))},
        {"short parameters", "MV_LD_Create",
         adapterAndBytes(0, std::vector<unsigned char>(sizeof(Create_LD_Param) - 8))},
        {"wrong signature", "MV_LD_GetStatus",
         [](sd_bus_message* m) { sd_bus_message_append(m, "s", "hello"); }},
        {"missing arguments", "MV_LD_StartRebuild",
         [](sd_bus_message* m) { sd_bus_message_append(m, "y", 0); }},
    };
}

TEST(RawRequests, AreRefusedAndTheServiceKeepsServing) {
    bustest::TestBus bus;
    bustest::PolkitMock polkit{bus};
    polkit.allowConfiguring(true);
    bustest::TemporaryWorld world{bustest::defaultWorld()};
    bustest::ServiceProcess service{bus, NORVIK_SIM_LIBRARY, {world.environment()}};
    service.start();
    const auto before = *sim::WorldStore(world.file()).read();

    for (const RawCase& c : refusedRequests()) {
        const auto reply = bus.callService(c.method, c.append);
        EXPECT_EQ(reply.error, SD_BUS_ERROR_INVALID_ARGS) << c.what;
        EXPECT_TRUE(service.process().running()) << c.what;
    }

    EXPECT_EQ(*sim::WorldStore(world.file()).read(), before);
    // Still serving, and a well-formed request of the same kind is answered.
    const auto count = bus.callService("MV_Adapter_GetCount", [](sd_bus_message*) {});
    ASSERT_EQ(count.error, "");
    MV_U8 adapters = 0;
    sd_bus_message_read(count.reply.get(), "y", &adapters);
    EXPECT_EQ(adapters, 1);
    const auto status = bus.callService(
        "MV_LD_GetStatus", adapterAndBytes(0, request(sizeof(RequestHeader) + sizeof(LD_Status))));
    EXPECT_EQ(status.error, "");
}

}  // namespace
