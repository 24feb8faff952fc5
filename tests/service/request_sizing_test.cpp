// What the service accepts as a buffer for the library, and what it refuses.
#include "service/request_sizing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "model/mv_api.h"

namespace {

std::vector<unsigned char> request(std::size_t size,
                                   MV_U8 kind = MV_REQUEST_BY_ID,
                                   MV_U16 count = 1,
                                   MV_U8 version = 0) {
    std::vector<unsigned char> bytes(size);
    RequestHeader header{};
    header.Version = version;
    header.RequestType = kind;
    header.NumberRequested = count;
    std::memcpy(bytes.data(), &header, sizeof header);
    return bytes;
}

struct SizeCase {
    std::size_t requestSize;  // as the service sizes the operation's buffer
    std::size_t size;         // as the library's header says
};

class RequestSizes : public testing::TestWithParam<SizeCase> {};

TEST_P(RequestSizes, AreTheHeaderAndOneRecordExactly) {
    const auto [requested, size] = GetParam();
    EXPECT_EQ(requested, size);
    auto bytes = request(size);
    EXPECT_FALSE(service::refuseRequest(size, bytes));
    bytes.push_back(0);
    EXPECT_TRUE(service::refuseRequest(size, bytes)) << "one byte long";
    bytes.resize(size - 1);
    EXPECT_TRUE(service::refuseRequest(size, bytes)) << "one byte short";
    EXPECT_TRUE(service::refuseRequest(size, {})) << "empty";
    bytes.resize(size * 100);
    EXPECT_TRUE(service::refuseRequest(size, bytes)) << "oversized";
}

INSTANTIATE_TEST_SUITE_P(
    EveryRequestOperation,
    RequestSizes,
    testing::Values(SizeCase{service::requestSize<HD_Info>(), MV_HD_WALK_BUFFER_SIZE},
                    SizeCase{service::requestSize<LD_Info>(), MV_LD_WALK_BUFFER_SIZE},
                    SizeCase{service::requestSize<HD_RAID_Status>(), 16 + 16},
                    SizeCase{service::requestSize<LD_Status>(), 16 + 8},
                    SizeCase{service::requestSize<Block_Info>(), 16 + 32},
                    SizeCase{service::requestSize<HD_Block_Info>(), 16 + 40}));

TEST(RequestHeaders, AreRefusedWhenTheLibraryWouldWriteMoreThanOneRecordOrReadAnUnknownKind) {
    const std::size_t size = service::requestSize<LD_Status>();
    EXPECT_FALSE(service::refuseRequest(size, request(size, MV_REQUEST_ENUMERATE)));
    EXPECT_TRUE(service::refuseRequest(size, request(size, MV_REQUEST_BY_ID, 0)));
    EXPECT_TRUE(service::refuseRequest(size, request(size, MV_REQUEST_BY_ID, 2)));
    EXPECT_TRUE(service::refuseRequest(size, request(size, MV_REQUEST_BY_ID, 0xFFFF)));
    EXPECT_TRUE(service::refuseRequest(size, request(size, 0)));
    EXPECT_TRUE(service::refuseRequest(size, request(size, 3)));
    EXPECT_TRUE(service::refuseRequest(size, request(size, MV_REQUEST_BY_ID, 1, 1)));
}

TEST(AdapterSettings, AreExactlyOneRecord) {
    EXPECT_FALSE(service::refuseAdapterConfig(std::vector<unsigned char>(64)));
    EXPECT_TRUE(service::refuseAdapterConfig(std::vector<unsigned char>(63)));
    EXPECT_TRUE(service::refuseAdapterConfig(std::vector<unsigned char>(65)));
    EXPECT_TRUE(service::refuseAdapterConfig({}));
}

TEST(VolumeCreation, RefusesMoreMembersThanTheRecordHoldsAndAnUnterminatedName) {
    Create_LD_Param param{};
    param.HDCount = 2;
    std::memcpy(param.Name, "Duo", 4);
    auto bytes = [&] {
        std::vector<unsigned char> b(sizeof param);
        std::memcpy(b.data(), &param, sizeof param);
        return b;
    };
    EXPECT_FALSE(service::refuseCreateParameters(bytes()));
    param.HDCount = MV_MAX_LD_MEMBERS;
    EXPECT_FALSE(service::refuseCreateParameters(bytes()));
    param.HDCount = MV_MAX_LD_MEMBERS + 1;
    EXPECT_TRUE(service::refuseCreateParameters(bytes()));
    param.HDCount = 2;
    std::memset(param.Name, 'x', sizeof param.Name);
    EXPECT_TRUE(service::refuseCreateParameters(bytes()));
    param.Name[15] = 0;
    EXPECT_FALSE(service::refuseCreateParameters(bytes()));
    auto shortened = bytes();
    shortened.pop_back();
    EXPECT_TRUE(service::refuseCreateParameters(shortened));
}

}  // namespace
