// The seam in front of the controller library: one virtual per operation of
// its C ABI, same names, same argument order (model/library_operations.h).
// Implementations: the loaded library, the in-process simulator, the remote
// library and the test mock. Any implementation may throw a std::exception to
// stand for "the library raised".
#pragma once

#include "model/library_operations.h"
#include "model/mv_api.h"

class ControllerLibrary {
  public:
    ControllerLibrary() = default;
    ControllerLibrary(const ControllerLibrary&) = delete;
    ControllerLibrary& operator=(const ControllerLibrary&) = delete;
    virtual ~ControllerLibrary() = default;

#define NORVIK_DECLARE_OPERATION(name, shape, parameters, arguments) \
    virtual MV_U8 name parameters = 0;
    NORVIK_LIBRARY_OPERATIONS(NORVIK_DECLARE_OPERATION)
#undef NORVIK_DECLARE_OPERATION
};

// The name and shape of one operation, by its member function:
// LibraryOperation<&ControllerLibrary::MV_LD_Delete>::name is "MV_LD_Delete".
template <auto operation>
struct LibraryOperation;

#define NORVIK_DESCRIBE_OPERATION(name_, shape_, parameters, arguments) \
    template <>                                                         \
    struct LibraryOperation<&ControllerLibrary::name_> {                \
        static constexpr const char* name = #name_;                     \
        using Shape = library_shape::shape_;                            \
    };
NORVIK_LIBRARY_OPERATIONS(NORVIK_DESCRIBE_OPERATION)
#undef NORVIK_DESCRIBE_OPERATION
