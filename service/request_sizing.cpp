#include "service/request_sizing.h"

#include <algorithm>
#include <cstring>

#include "model/mv_api.h"

namespace service {

namespace {

template <class T>
T readAt(std::span<const unsigned char> bytes, std::size_t offset) {
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

std::string wrongLength(std::string_view what, std::size_t expected, std::size_t got) {
    return std::string(what) + " must be " + std::to_string(expected) + " bytes, not " +
           std::to_string(got);
}

}  // namespace

std::optional<std::string> refuseRequest(std::size_t size, std::span<const unsigned char> request) {
    if (request.size() != size) {
        return wrongLength("the request buffer", size, request.size());
    }
    const auto version = readAt<MV_U8>(request, offsetof(RequestHeader, Version));
    if (version != 0) {
        return "unknown request header version " + std::to_string(version);
    }
    const auto kind = readAt<MV_U8>(request, offsetof(RequestHeader, RequestType));
    if (kind != MV_REQUEST_ENUMERATE && kind != MV_REQUEST_BY_ID) {
        return "unknown request kind " + std::to_string(kind);
    }
    // The library writes as many records as are requested; there is room for one.
    const auto count = readAt<MV_U16>(request, offsetof(RequestHeader, NumberRequested));
    if (count != 1) {
        return "a request asks for exactly 1 record, not " + std::to_string(count);
    }
    return std::nullopt;
}

std::optional<std::string> refuseAdapterConfig(std::span<const unsigned char> record) {
    if (record.size() != sizeof(Adapter_Config)) {
        return wrongLength("the adapter settings record", sizeof(Adapter_Config), record.size());
    }
    return std::nullopt;
}

std::optional<std::string> refuseCreateParameters(std::span<const unsigned char> parameters) {
    if (parameters.size() != sizeof(Create_LD_Param)) {
        return wrongLength("the volume-creation parameters", sizeof(Create_LD_Param),
                           parameters.size());
    }
    const auto members = readAt<MV_U8>(parameters, offsetof(Create_LD_Param, HDCount));
    if (members > MV_MAX_LD_MEMBERS) {
        return "a volume has at most " + std::to_string(MV_MAX_LD_MEMBERS) + " members, not " +
               std::to_string(members);
    }
    const auto name =
        parameters.subspan(offsetof(Create_LD_Param, Name), sizeof(Create_LD_Param::Name));
    if (std::find(name.begin(), name.end(), 0) == name.end()) {
        return std::string("the volume name is not zero-terminated within its 16 bytes");
    }
    return std::nullopt;
}

}  // namespace service
