// The library as the service hosts it: buffers of the service's own size,
// refused requests that never reach the library, Initialize and Finalize kept
// from clients, and the watchdog that ends a call that never returns.
#include "service/library_host.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>
#include <vector>

#include "tests/support/mock_controller_library.h"

namespace {

using service::Bytes;
using service::RequestOperation;
using service::RequestRefused;
using testing::_;
using testing::Return;
using testing::StrictMock;

Bytes header(RequestOperation operation, MV_U16 id, MV_U16 count = 1) {
    Bytes bytes(service::requestSize(operation));
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
    service::LibraryHost host{library, watchdog};
};

TEST_F(LibraryHostTest, KeepsInitializeAndFinalizeFromClients) {
    EXPECT_EQ(host.initialize(), 6);
    EXPECT_EQ(host.finalize(), 0);
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
    const auto reply = host.request(RequestOperation::RAIDSetStatus, 0,
                                    header(RequestOperation::RAIDSetStatus, 9));
    EXPECT_EQ(reply.status, 0);
    ASSERT_EQ(reply.request.size(), 16u + 8u);
    EXPECT_EQ(reply.request.back(), 0xAB);
}

TEST_F(LibraryHostTest, RefusesWhatItWouldHaveToTrustWithoutCallingTheLibrary) {
    const auto op = RequestOperation::DiskInfo;
    Bytes longer = header(op, 1);
    longer.push_back(0);
    Bytes shorter = header(op, 1);
    shorter.pop_back();
    for (const Bytes& bad : {longer, shorter, header(op, 1, 2), header(op, 1, 0), Bytes{}}) {
        EXPECT_THROW(host.request(op, 0, bad), RequestRefused);
    }
    EXPECT_THROW(host.setAdapterConfig(0, Bytes(63)), RequestRefused);
    EXPECT_THROW(host.createVolume(0, Bytes(sizeof(Create_LD_Param) + 1)), RequestRefused);
}

TEST_F(LibraryHostTest, RefusesAnAdapterTheLibraryDoesNotListAfterAskingAgain) {
    EXPECT_CALL(library, MV_Adapter_GetCount()).Times(3).WillRepeatedly(Return(1));
    EXPECT_THROW(host.adapterInfo(1), RequestRefused);
    EXPECT_THROW(host.deleteVolume(7, 1, 0), RequestRefused);
    EXPECT_THROW(
        host.request(RequestOperation::BlockInfo, 255, header(RequestOperation::BlockInfo, 1)),
        RequestRefused);
}

TEST_F(LibraryHostTest, ServesAnAdapterThatAppearedSinceTheLastCount) {
    EXPECT_CALL(library, MV_Adapter_GetCount()).WillOnce(Return(2));
    EXPECT_CALL(library, MV_PD_WipeHDMDD(1, 4, 0)).WillOnce(Return(0));
    EXPECT_EQ(host.wipeDisk(1, 4, 0), 0);
}

TEST_F(LibraryHostTest, ReturnsTheAdapterRecordAndTheCountBesideIt) {
    EXPECT_CALL(library, MV_Adapter_GetInfo(0, _, _))
        .WillOnce([](MV_U8, MV_U8* count, Adapter_Info* info) {
            *count = 1;
            info->DevID = 0x9230;
            return MV_U8{0};
        });
    const auto reply = host.adapterInfo(0);
    EXPECT_EQ(reply.out, 1);
    ASSERT_EQ(reply.record.size(), sizeof(Adapter_Info));
    MV_U16 device;
    std::memcpy(&device, reply.record.data() + offsetof(Adapter_Info, DevID), sizeof device);
    EXPECT_EQ(device, 0x9230);
}

TEST_F(LibraryHostTest, PassesWhatTheLibraryRaisesOn) {
    EXPECT_CALL(library, MV_LD_StartRebuild(0, 1, 2)).WillOnce([](MV_U8, MV_U16, MV_U16) -> MV_U8 {
        throw std::runtime_error("raised");
    });
    EXPECT_THROW(host.startRebuild(0, 1, 2), std::runtime_error);
}

TEST(CallWatchdogDeathTest, EndsTheProcessWhenALibraryCallDoesNotReturn) {
    testing::FLAGS_gtest_death_test_style = "threadsafe";
    StrictMock<MockControllerLibrary> library;
    EXPECT_EXIT(
        {
            service::CallWatchdog watchdog(std::chrono::milliseconds(50));
            service::LibraryHost host(library, watchdog);
            EXPECT_CALL(library, MV_API_Initialize()).WillOnce([]() -> MV_U8 {
                for (;;) {
                    ::pause();
                }
            });
            host.startUp();
        },
        testing::ExitedWithCode(service::kExitCallHung), "did not return from MV_API_Initialize");
}

TEST(CallWatchdog, LetsCallsWithinTheLimitFinish) {
    StrictMock<MockControllerLibrary> library;
    service::CallWatchdog watchdog(std::chrono::milliseconds(50));
    service::LibraryHost host(library, watchdog);
    EXPECT_CALL(library, MV_API_Initialize()).WillOnce(Return(0));
    EXPECT_CALL(library, MV_API_RescanAdapter()).WillOnce(Return(0));
    EXPECT_CALL(library, MV_Adapter_GetCount()).WillOnce(Return(0));
    EXPECT_EQ(host.startUp(), 0);
    // Disarmed after the calls: no timer is left to end the process.
    itimerval left{};
    ::getitimer(ITIMER_REAL, &left);
    EXPECT_EQ(left.it_value.tv_sec, 0);
    EXPECT_EQ(left.it_value.tv_usec, 0);
    EXPECT_THROW(service::CallWatchdog(std::chrono::milliseconds(0)), std::invalid_argument);
}

}  // namespace
