#include "model/library_binding.h"

#include <gtest/gtest.h>

#include "model/loaded_library.h"
#include "tests/support/mock_controller_library.h"

namespace {

TEST(LibraryBinding, ScopesNestAndRestore) {
    auto outer = std::make_shared<MockControllerLibrary>();
    MockControllerLibrary inner;
    ScopedControllerLibrary outerScope(outer);
    EXPECT_EQ(&controllerLibrary(), outer.get());
    {
        ScopedControllerLibrary innerScope(inner);
        EXPECT_EQ(&controllerLibrary(), &inner);
    }
    EXPECT_EQ(&controllerLibrary(), outer.get());
}

TEST(LibraryBinding, DefaultIsTheLibraryFileBesideTheExecutable) {
    ScopedControllerLibrary scope(nullptr);  // as at start-up: nothing bound
    EXPECT_EQ(boundControllerLibrary(), nullptr);
    auto* loaded = dynamic_cast<LoadedLibrary*>(&controllerLibrary());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->path(), LoadedLibrary::defaultPath());
    EXPECT_EQ(&controllerLibrary(), loaded);  // made once
}

}  // namespace
