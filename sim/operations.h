// The names of the library's operations, as faults and the command name them.
#pragma once

#include <string_view>

#include "model/library_operations.h"

namespace sim {

#define NORVIK_OPERATION_NAME(name, shape, parameters, arguments) #name,
inline constexpr std::string_view kOperationNames[] = {
    NORVIK_LIBRARY_OPERATIONS(NORVIK_OPERATION_NAME)};
#undef NORVIK_OPERATION_NAME

constexpr bool isOperationName(std::string_view name) {
    for (auto op : kOperationNames) {
        if (op == name) {
            return true;
        }
    }
    return false;
}

}  // namespace sim
