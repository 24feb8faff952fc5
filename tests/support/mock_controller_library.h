// A GoogleMock stand-in for the controller library.
#pragma once

#include <gmock/gmock.h>

#include "model/controller_library.h"

class MockControllerLibrary : public ControllerLibrary {
  public:
#define NORVIK_MOCK_OPERATION(name, shape, parameters, arguments) \
    MOCK_METHOD(MV_U8, name, parameters, (override));
    NORVIK_LIBRARY_OPERATIONS(NORVIK_MOCK_OPERATION)
#undef NORVIK_MOCK_OPERATION
};
