// The sizes of the buffers the library fills, decided by the service alone:
// a request buffer is one RequestHeader and room for exactly one reply record
// of the operation, and a record passed in is exactly the record's size. A
// request that asks for anything else (another length, another count, an
// unknown request kind, an unterminated volume name) is refused before the
// library sees it, so the library never writes or reads past memory the
// service owns.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/mv_api.h"

namespace service {

// A request buffer: one RequestHeader and room for exactly one Record.
template <class Record>
constexpr std::size_t requestSize() {
    return sizeof(RequestHeader) + sizeof(Record);
}

// Why `request` cannot be handed to the library, or nothing when it can.
std::optional<std::string> refuseRequest(std::size_t size, std::span<const unsigned char> request);
// The same for the adapter settings record of MV_Adapter_SetConfig.
std::optional<std::string> refuseAdapterConfig(std::span<const unsigned char> record);
// The same for the volume-creation parameters of MV_LD_Create.
std::optional<std::string> refuseCreateParameters(std::span<const unsigned char> parameters);

}  // namespace service
