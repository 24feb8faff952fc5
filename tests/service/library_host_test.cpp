// The library as the service hosts it: buffers of the service's own size,
// refused requests that never reach the library, Initialize and Finalize kept
// from clients, and the watchdog that ends a call that never returns.
#include "service/library_host.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>
#include <vector>

#include "platform/runloop/clock.h"
#include "tests/support/mock_controller_library.h"

namespace {

using service::Bytes;
using service::RequestRefused;
using L = ControllerLibrary;
using testing::_;
using testing::Return;
using testing::StrictMock;

template <class Record>
Bytes header(MV_U16 id, MV_U16 count = 1) {
    Bytes bytes(service::requestSize<Record>());
    RequestHeader h{};
    h.RequestType = MV_REQUEST_BY_ID;
    h.StartingIndexOrID = id;
    h.NumberRequested = count;
    std::memcpy(bytes.data(), &h, sizeof h);
    return bytes;
}

class LibraryHostTest : public testing::Test {
  protected:
    LibraryHostTest() {
        EXPECT_CALL(library, MV_API_Initialize()).WillOnce(Return(6));
        EXPECT_CALL(library, MV_API_RescanAdapter()).WillOnce(Return(0));
        EXPECT_CALL(library, MV_Adapter_GetCount()).WillOnce(Return(1));
        host.startUp();
        testing::Mock::VerifyAndClearExpectations(&library);
    }

    StrictMock<MockControllerLibrary> library;
    service::CallWatchdog watchdog{std::chrono::seconds(30)};
    platform::ManualClock clock;
    service::LibraryHost host{library, watchdog, clock};
};

TEST_F(LibraryHostTest, KeepsInitializeAndFinalizeFromClients) {
    EXPECT_EQ(host.call<&L::MV_API_Initialize>(), 6);
    EXPECT_EQ(host.call<&L::MV_API_Finalize>(), 0);
    EXPECT_CALL(library, MV_API_Finalize()).WillOnce(Return(0));
    host.shutDown();
    host.shutDown();
}

TEST_F(LibraryHostTest, HandsTheLibraryABufferOfExactlyTheRequestWithTheClientsHeader) {
    EXPECT_CALL(library, MV_LD_GetStatus(0, _)).WillOnce([](MV_U8, void* request) {
        RequestHeader h;
        std::memcpy(&h, request, sizeof h);
        EXPECT_EQ(h.StartingIndexOrID, 9);
        // The library fills its whole record, and no more.
        std::memset(static_cast<unsigned char*>(request) + sizeof h, 0xAB, sizeof(LD_Status));
        return MV_U8{0};
    });
    const auto reply = host.call<&L::MV_LD_GetStatus>(0, header<LD_Status>(9));
    EXPECT_EQ(reply.status, 0);
    ASSERT_EQ(reply.request.size(), 16u + 8u);
    EXPECT_EQ(reply.request.back(), 0xAB);
}

TEST_F(LibraryHostTest, RefusesWhatItWouldHaveToTrustWithoutCallingTheLibrary) {
    Bytes longer = header<HD_Info>(1);
    longer.push_back(0);
    Bytes shorter = header<HD_Info>(1);
    shorter.pop_back();
    for (const Bytes& bad :
         {longer, shorter, header<HD_Info>(1, 2), header<HD_Info>(1, 0), Bytes{}}) {
        EXPECT_THROW(host.call<&L::MV_PD_GetHDInfo_Ext>(0, bad), RequestRefused);
    }
    EXPECT_THROW(host.call<&L::MV_Adapter_SetConfig>(0, Bytes(63)), RequestRefused);
    EXPECT_THROW(host.call<&L::MV_LD_Create>(0, Bytes(sizeof(Create_LD_Param) + 1)),
                 RequestRefused);
}

TEST_F(LibraryHostTest, RefusesAnAdapterTheLibraryDoesNotListAfterAskingAgain) {
    EXPECT_CALL(library, MV_Adapter_GetCount()).Times(3).WillRepeatedly(Return(1));
    EXPECT_THROW(host.call<&L::MV_Adapter_GetInfo>(1), RequestRefused);
    EXPECT_THROW(host.call<&L::MV_LD_Delete>(7, 1, 0), RequestRefused);
    EXPECT_THROW(host.call<&L::MV_BLK_GetInfo>(255, header<Block_Info>(1)), RequestRefused);
}

TEST_F(LibraryHostTest, ServesAnAdapterThatAppearedSinceTheLastCount) {
    EXPECT_CALL(library, MV_Adapter_GetCount()).WillOnce(Return(2));
    EXPECT_CALL(library, MV_PD_WipeHDMDD(1, 4, 0)).WillOnce(Return(0));
    EXPECT_EQ(host.call<&L::MV_PD_WipeHDMDD>(1, 4, 0), 0);
}

TEST_F(LibraryHostTest, ReturnsTheAdapterRecordAndTheCountBesideIt) {
    EXPECT_CALL(library, MV_Adapter_GetInfo(0, _, _))
        .WillOnce([](MV_U8, MV_U8* count, Adapter_Info* info) {
            *count = 1;
            info->DevID = 0x9230;
            return MV_U8{0};
        });
    const auto reply = host.call<&L::MV_Adapter_GetInfo>(0);
    EXPECT_EQ(reply.out, 1);
    ASSERT_EQ(reply.record.size(), sizeof(Adapter_Info));
    MV_U16 device;
    std::memcpy(&device, reply.record.data() + offsetof(Adapter_Info, DevID), sizeof device);
    EXPECT_EQ(device, 0x9230);
}

// A library whose settings record is larger than ours writes past 64 bytes;
// the room is the service's, and what it keeps there goes back unchanged.
TEST_F(LibraryHostTest, ReadsAndWritesTheSettingsThroughRoomLargerThanTheRecord) {
    constexpr std::size_t kLibraryRecord = 1024;
    std::vector<unsigned char> stored(kLibraryRecord, 0x5A);
    stored[1] = 0;
    EXPECT_CALL(library, MV_Adapter_GetConfig(0, _, _))
        .Times(2)
        .WillRepeatedly([&](MV_U8, MV_U8* out, Adapter_Config* config) {
            *out = 1;
            std::memcpy(config, stored.data(), kLibraryRecord);
            return MV_U8{0};
        });
    EXPECT_CALL(library, MV_Adapter_SetConfig(0, _)).WillOnce([&](MV_U8, Adapter_Config* config) {
        std::memcpy(stored.data(), config, kLibraryRecord);
        return MV_U8{0};
    });

    auto reply = host.call<&L::MV_Adapter_GetConfig>(0);
    EXPECT_EQ(reply.status, 0);
    ASSERT_EQ(reply.record.size(), sizeof(Adapter_Config));
    EXPECT_EQ(reply.record[1], 0);

    reply.record[1] = 1;
    EXPECT_EQ(host.call<&L::MV_Adapter_SetConfig>(0, reply.record), 0);
    EXPECT_EQ(stored[1], 1);
    for (std::size_t i = sizeof(Adapter_Config); i < kLibraryRecord; ++i) {
        ASSERT_EQ(stored[i], 0x5A) << "byte " << i;
    }
}

TEST_F(LibraryHostTest, ChangesNoSettingsItCouldNotReadFirst) {
    EXPECT_CALL(library, MV_Adapter_GetConfig(0, _, _)).WillOnce(Return(9));
    EXPECT_EQ(host.call<&L::MV_Adapter_SetConfig>(0, Bytes(sizeof(Adapter_Config))), 9);
}

TEST_F(LibraryHostTest, PassesWhatTheLibraryRaisesOn) {
    EXPECT_CALL(library, MV_LD_StartRebuild(0, 1, 2)).WillOnce([](MV_U8, MV_U16, MV_U16) -> MV_U8 {
        throw std::runtime_error("raised");
    });
    EXPECT_THROW(host.call<&L::MV_LD_StartRebuild>(0, 1, 2), std::runtime_error);
}

TEST_F(LibraryHostTest, AnswersARescanRightAfterAnotherWithThatOnesStatus) {
    // The start-up rescan ended just now.
    EXPECT_EQ(host.call<&L::MV_API_RescanAdapter>(), 0);
    clock.advance(service::LibraryHost::kRescanReuse - std::chrono::milliseconds(1));
    EXPECT_EQ(host.call<&L::MV_API_RescanAdapter>(), 0);
    testing::Mock::VerifyAndClearExpectations(&library);

    clock.advance(std::chrono::milliseconds(1));
    EXPECT_CALL(library, MV_API_RescanAdapter()).WillOnce(Return(4));
    EXPECT_CALL(library, MV_Adapter_GetCount()).WillOnce(Return(1));
    EXPECT_EQ(host.call<&L::MV_API_RescanAdapter>(), 4);
    EXPECT_EQ(host.call<&L::MV_API_RescanAdapter>(), 4);
    testing::Mock::VerifyAndClearExpectations(&library);

    // Hardware that changed since needs the library's own look.
    host.hardwareChanged();
    EXPECT_CALL(library, MV_API_RescanAdapter()).WillOnce(Return(0));
    EXPECT_CALL(library, MV_Adapter_GetCount()).WillOnce(Return(1));
    EXPECT_EQ(host.call<&L::MV_API_RescanAdapter>(), 0);
}

TEST_F(LibraryHostTest, ChecksAdapterIdsAgainstAFreshCountAfterAHotPlug) {
    EXPECT_CALL(library, MV_LD_Delete(0, 1, 0)).WillOnce(Return(0));
    EXPECT_EQ(host.call<&L::MV_LD_Delete>(0, 1, 0), 0) << "the start-up count is fresh";
    testing::Mock::VerifyAndClearExpectations(&library);

    // The enclosure went: its adapter's ID never reaches the library.
    host.hardwareChanged();
    EXPECT_CALL(library, MV_Adapter_GetCount()).Times(2).WillRepeatedly(Return(0));
    EXPECT_THROW(host.call<&L::MV_LD_Delete>(0, 1, 0), RequestRefused);
    EXPECT_THROW(host.call<&L::MV_Adapter_GetConfig>(0), RequestRefused);
}

TEST(CallWatchdogDeathTest, EndsTheProcessWhenALibraryCallDoesNotReturn) {
    testing::FLAGS_gtest_death_test_style = "threadsafe";
    StrictMock<MockControllerLibrary> library;
    EXPECT_EXIT(
        {
            service::CallWatchdog watchdog(std::chrono::milliseconds(50));
            platform::ManualClock clock;
            service::LibraryHost host(library, watchdog, clock);
            EXPECT_CALL(library, MV_API_Initialize()).WillOnce([]() -> MV_U8 {
                for (;;) {
                    ::pause();
                }
            });
            host.startUp();
        },
        testing::ExitedWithCode(service::kExitCallHung), "did not return from MV_API_Initialize");
}

[[noreturn]] void hang() {
    for (;;) {
        ::pause();
    }
}

void blockSignals(bool every) {
    sigset_t signals;
    sigemptyset(&signals);
    if (every) {
        sigfillset(&signals);
    } else {
        sigaddset(&signals, SIGALRM);
    }
    ::pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

// What a hostile library does to the process before it hangs in a later call.
struct SignalTampering {
    const char* name;
    void (*tamper)();
};

void PrintTo(const SignalTampering& tampering, std::ostream* out) {
    *out << tampering.name;
}

class HostileLibraryDeathTest : public testing::TestWithParam<SignalTampering> {};

TEST_P(HostileLibraryDeathTest, CannotKeepTheWatchdogFromEndingAHungCall) {
    testing::FLAGS_gtest_death_test_style = "threadsafe";
    StrictMock<MockControllerLibrary> library;
    const auto tamper = GetParam().tamper;
    EXPECT_EXIT(
        {
            service::CallWatchdog watchdog(std::chrono::milliseconds(50));
            platform::ManualClock clock;
            service::LibraryHost host(library, watchdog, clock);
            EXPECT_CALL(library, MV_API_Initialize()).WillOnce([tamper]() -> MV_U8 {
                tamper();
                return 0;
            });
            EXPECT_CALL(library, MV_API_RescanAdapter()).WillOnce([tamper]() -> MV_U8 {
                tamper();
                hang();
            });
            host.startUp();
        },
        testing::ExitedWithCode(service::kExitCallHung),
        "did not return from MV_API_RescanAdapter");
}

INSTANTIATE_TEST_SUITE_P(
    Libraries,
    HostileLibraryDeathTest,
    testing::Values(SignalTampering{"BlocksTheAlarm", [] { blockSignals(false); }},
                    SignalTampering{"BlocksEverySignal", [] { blockSignals(true); }},
                    SignalTampering{"IgnoresTheAlarm", [] { ::signal(SIGALRM, SIG_IGN); }},
                    SignalTampering{"CancelsTheAlarm", [] { ::alarm(0); }},
                    SignalTampering{"CancelsTheIntervalTimer",
                                    [] {
                                        itimerval none{};
                                        ::setitimer(ITIMER_REAL, &none, nullptr);
                                    }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CallWatchdog, LetsCallsWithinTheLimitFinish) {
    StrictMock<MockControllerLibrary> library;
    service::CallWatchdog watchdog(std::chrono::milliseconds(50));
    platform::ManualClock clock;
    service::LibraryHost host(library, watchdog, clock);
    EXPECT_CALL(library, MV_API_Initialize()).WillOnce(Return(0));
    EXPECT_CALL(library, MV_API_RescanAdapter()).WillOnce(Return(0));
    EXPECT_CALL(library, MV_Adapter_GetCount()).WillOnce(Return(0));
    EXPECT_EQ(host.startUp(), 0);
    EXPECT_THROW(service::CallWatchdog(std::chrono::milliseconds(0)), std::invalid_argument);
}

}  // namespace
