// The library's one session: initialize and rescan under one guard, finalize
// once after any start, each call through the owner's bound.
#include "model/library_session.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "model/library_binding.h"
#include "tests/support/mock_controller_library.h"

namespace {

using testing::ElementsAre;
using testing::InSequence;
using testing::Return;
using testing::Throw;

TEST(LibrarySession, StartsWithInitializeAndRescanAndFinishesOnce) {
    testing::StrictMock<MockControllerLibrary> library;
    ScopedControllerLibrary bound(library);
    LibrarySession session;
    EXPECT_TRUE(session.finish());  // never started: nothing to finalize
    {
        InSequence order;
        EXPECT_CALL(library, MV_API_Initialize()).WillOnce(Return(6));
        EXPECT_CALL(library, MV_API_RescanAdapter()).WillOnce(Return(4));
        EXPECT_CALL(library, MV_API_Finalize()).WillOnce(Return(0));
    }
    EXPECT_EQ(session.start(), 6);
    EXPECT_TRUE(session.started());
    EXPECT_EQ(session.rescanStatus(), 4);
    EXPECT_TRUE(session.finish());
    EXPECT_TRUE(session.finish());
    EXPECT_EQ(session.failure(), "");
}

struct Raising {
    const char* what;
    bool initializeRaises;
    MV_U8 started;
};

class LibrarySessionRaising : public testing::TestWithParam<Raising> {};

TEST_P(LibrarySessionRaising, NotesWhatTheLibraryRaisedAndStillFinalizes) {
    testing::StrictMock<MockControllerLibrary> library;
    LibrarySession session(library);
    if (GetParam().initializeRaises) {
        EXPECT_CALL(library, MV_API_Initialize()).WillOnce(Throw(std::runtime_error("no device")));
    } else {
        EXPECT_CALL(library, MV_API_Initialize()).WillOnce(Return(0));
        EXPECT_CALL(library, MV_API_RescanAdapter())
            .WillOnce(Throw(std::runtime_error("no device")));
    }
    EXPECT_EQ(session.start(), GetParam().started);
    EXPECT_EQ(session.failure(), "no device");
    EXPECT_EQ(session.rescanStatus(), std::nullopt) << "no rescan returned";
    EXPECT_CALL(library, MV_API_Finalize()).WillOnce(Throw(std::runtime_error("gone")));
    EXPECT_FALSE(session.finish());
    EXPECT_EQ(session.failure(), "gone");
}

INSTANTIATE_TEST_SUITE_P(Calls,
                         LibrarySessionRaising,
                         testing::Values(Raising{"initialize", true, 255},
                                         Raising{"rescan", false, 0}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST(LibrarySession, RunsEveryCallThroughTheOwnersBound) {
    testing::NiceMock<MockControllerLibrary> library;
    std::vector<std::string> bounded;
    LibrarySession session(library, [&](const char* operation, const std::function<MV_U8()>& call) {
        bounded.push_back(operation);
        return call();
    });
    session.start();
    session.finish();
    EXPECT_THAT(bounded,
                ElementsAre("MV_API_Initialize", "MV_API_RescanAdapter", "MV_API_Finalize"));
}

}  // namespace
