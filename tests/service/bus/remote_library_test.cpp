// The remote library answers every operation byte for byte as the simulator
// does in process, on the default world and on a degraded one, changes
// included: the same script of calls runs against norvik-raidd hosting
// libmv_api.so on one copy of the world, and against the in-process simulator
// on another.
#include "service/remote_library.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "model/request_buffer.h"
#include "platform/runloop/clock.h"
#include "sim/simulated_library.h"
#include "tests/service/bus_test_environment.h"
#include "tests/service/service_worlds.h"

namespace {

using Transcript = std::vector<std::string>;

std::string hex(const void* data, std::size_t size) {
    std::string out;
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        char two[3];
        std::snprintf(two, sizeof two, "%02x", bytes[i]);
        out += two;
    }
    return out;
}

// Every call of the script, with its status and the bytes it returned.
class Script {
  public:
    explicit Script(ControllerLibrary& library) : l_(library) {}

    Transcript run() {
        note("MV_API_Initialize", l_.MV_API_Initialize());
        note("MV_API_RescanAdapter", l_.MV_API_RescanAdapter());
        readEverything();
        Adapter_Config config{};
        config.AutoRebuild = 1;
        note("MV_Adapter_SetConfig", l_.MV_Adapter_SetConfig(0, &config));
        for (MV_U16 ld : volumes_) {
            for (MV_U16 hd : disks_) {
                note("MV_LD_StartRebuild", l_.MV_LD_StartRebuild(0, ld, hd));
            }
        }
        readEverything();
        for (MV_U16 ld : volumes_) {
            note("MV_LD_BGAControl", l_.MV_LD_BGAControl(0, ld, MV_BGA_CONTROL_CANCEL_REBUILD));
            note("MV_LD_Delete", l_.MV_LD_Delete(0, ld, 0));
        }
        Create_LD_Param create{};
        create.RaidMode = MV_LD_MODE_RAID0;
        create.StripeBlockSize = 64;
        create.Param7 = 1;
        create.Param9 = 1;
        for (MV_U16 hd : disks_) {
            note("MV_PD_WipeHDMDD", l_.MV_PD_WipeHDMDD(0, hd, 0));
            create.HDIDs[create.HDCount++] = hd;
        }
        std::memcpy(create.Name, "Fast", 5);
        create.Size = 1024;
        note("MV_LD_Create", l_.MV_LD_Create(0, &create));
        readEverything();
        note("MV_API_Finalize", l_.MV_API_Finalize());
        return transcript_;
    }

  private:
    void note(const char* operation,
              MV_U8 status,
              const void* bytes = nullptr,
              std::size_t size = 0) {
        transcript_.push_back(std::string(operation) + " -> " + std::to_string(status) + " " +
                              hex(bytes, size));
    }

    template <class Buffer>
    MV_U8 ask(const char* name,
              MV_U8 (ControllerLibrary::*call)(MV_U8, void*),
              MV_U8 kind,
              MV_U16 key,
              Buffer& buffer) {
        buffer = Buffer(kind, key);
        const MV_U8 status = (l_.*call)(0, buffer.data());
        note(name, status, buffer.bytes(), Buffer::kSize);
        return status;
    }

    template <class Buffer>
    std::vector<MV_U16> walk(const char* name,
                             MV_U8 (ControllerLibrary::*call)(MV_U8, void*),
                             std::size_t idOffset) {
        std::vector<MV_U16> ids;
        Buffer buffer(MV_REQUEST_ENUMERATE, 0);
        for (MV_U16 index = 0; index != MV_NO_MORE_ENTRIES && ids.size() < 8;) {
            if (ask(name, call, MV_REQUEST_ENUMERATE, index, buffer) != 0) {
                break;
            }
            MV_U16 id;
            std::memcpy(&id, buffer.bytes() + sizeof(RequestHeader) + idOffset, sizeof id);
            ids.push_back(id);
            index = buffer.nextIndex();
        }
        return ids;
    }

    void readEverything() {
        note("MV_Adapter_GetCount", l_.MV_Adapter_GetCount());
        Adapter_Info info{};
        MV_U8 count = 0;
        note("MV_Adapter_GetInfo", l_.MV_Adapter_GetInfo(0, &count, &info), &info, sizeof info);
        note("count", count);
        Adapter_Config config{};
        MV_U8 out = 0;
        note("MV_Adapter_GetConfig", l_.MV_Adapter_GetConfig(0, &out, &config), &config,
             sizeof config);
        note("out", out);
        disks_ =
            walk<DiskWalkBuffer>("MV_PD_GetHDInfo_Ext", &ControllerLibrary::MV_PD_GetHDInfo_Ext,
                                 offsetof(HD_Info, Link.Self.DevID));
        volumes_ = walk<RAIDSetWalkBuffer>("MV_LD_GetInfo", &ControllerLibrary::MV_LD_GetInfo,
                                           offsetof(LD_Info, ID));
        for (MV_U16 id = 0; id < 5; ++id) {
            DiskWalkBuffer disk(MV_REQUEST_BY_ID, id);
            ask("MV_PD_GetHDInfo_Ext", &ControllerLibrary::MV_PD_GetHDInfo_Ext, MV_REQUEST_BY_ID,
                id, disk);
            RAIDSetWalkBuffer volume(MV_REQUEST_BY_ID, id);
            ask("MV_LD_GetInfo", &ControllerLibrary::MV_LD_GetInfo, MV_REQUEST_BY_ID, id, volume);
            DiskStatusBuffer diskStatus(MV_REQUEST_BY_ID, id);
            ask("MV_PD_GetHDRaidStatus", &ControllerLibrary::MV_PD_GetHDRaidStatus,
                MV_REQUEST_BY_ID, id, diskStatus);
            RAIDSetStatusBuffer volumeStatus(MV_REQUEST_BY_ID, id);
            ask("MV_LD_GetStatus", &ControllerLibrary::MV_LD_GetStatus, MV_REQUEST_BY_ID, id,
                volumeStatus);
            BlockInfoBuffer block(MV_REQUEST_BY_ID, id);
            ask("MV_BLK_GetInfo", &ControllerLibrary::MV_BLK_GetInfo, MV_REQUEST_BY_ID, id, block);
            DiskBlockListBuffer blocks(MV_REQUEST_BY_ID, id);
            ask("MV_BLK_GetHDBlock", &ControllerLibrary::MV_BLK_GetHDBlock, MV_REQUEST_BY_ID, id,
                blocks);
        }
    }

    ControllerLibrary& l_;
    Transcript transcript_;
    std::vector<MV_U16> disks_;
    std::vector<MV_U16> volumes_;
};

struct NamedWorld {
    const char* name;
    sim::World (*make)();
};
void PrintTo(const NamedWorld& world, std::ostream* out) {
    *out << world.name;
}

class RemoteLibraryTest : public testing::TestWithParam<NamedWorld> {
  protected:
    bustest::TestBus bus;
    bustest::PolkitMock polkit{bus};
};

TEST_P(RemoteLibraryTest, AnswersEveryOperationAsTheSimulatorInProcess) {
    bustest::TemporaryWorld served(GetParam().make());
    bustest::TemporaryWorld local(GetParam().make());
    polkit.allowConfiguring(true);
    bustest::ServiceProcess service(bus, NORVIK_SIM_LIBRARY, {served.environment()});
    service.start();

    service::RemoteLibrary remote;
    platform::SystemClock clock;
    sim::SimulatedLibrary inProcess(local.file(), clock);
    const Transcript expected = Script(inProcess).run();
    const Transcript got = Script(remote).run();

    EXPECT_EQ(got, expected);
    EXPECT_GT(expected.size(), 100u);
    // The changes happened: both worlds end with the new volume.
    EXPECT_EQ(*sim::WorldStore(served.file()).read(), *sim::WorldStore(local.file()).read());
}

INSTANTIATE_TEST_SUITE_P(Worlds,
                         RemoteLibraryTest,
                         testing::Values(NamedWorld{"Default", &bustest::defaultWorld},
                                         NamedWorld{"Degraded", &bustest::degradedWorld}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
