// How each shape of operation travels as a D-Bus method of the service: the
// signature of its arguments and of its reply, and the names introspection
// shows for them, taken from the operation's own parameter names. The
// service's bus methods and the remote library's calls both follow it.
//
//   Initialize, Finalize, Rescan, Count   ()                 -> (y status)
//   AdapterRecord<R>                      (y adapter)        -> (y status, y out, ay record)
//   Request<R>                            (y adapter, ay)    -> (y status, ay request)
//   RecordChange<R>                       (y adapter, ay)    -> (y status)
//   IdsChange                             (y adapter, q, y|q) -> (y status)
#pragma once

#include <array>
#include <cstddef>
#include <string_view>
#include <type_traits>

#include "model/controller_library.h"

namespace service {

template <class T>
inline constexpr char kBusTypeCode = '?';
template <>
inline constexpr char kBusTypeCode<MV_U8> = 'y';
template <>
inline constexpr char kBusTypeCode<MV_U16> = 'q';

// The signature of an operation whose every parameter is sent as it is.
template <class... Parameters>
constexpr auto plainSignature(MV_U8 (ControllerLibrary::*)(Parameters...)) {
    return std::array<char, sizeof...(Parameters) + 1>{kBusTypeCode<Parameters>..., '\0'};
}
template <auto operation>
inline constexpr auto kPlainSignature = plainSignature(operation);

template <class Shape>
struct BusCarriage {
    // Initialize, Finalize, Rescan: no arguments, a status back.
    static constexpr const char* kResult = "y";
    static constexpr std::string_view kResultName = "status";
    static constexpr std::size_t kSent = 0;                           // leading parameters sent
    static constexpr std::size_t kReturnedFrom = 0, kReturnedTo = 0;  // parameters returned
};
template <>
struct BusCarriage<library_shape::Count> : BusCarriage<void> {
    static constexpr std::string_view kResultName = "count";
};
template <class Record>
struct BusCarriage<library_shape::AdapterRecord<Record>> : BusCarriage<void> {
    static constexpr const char* kSignature = "y";
    static constexpr const char* kResult = "yyay";
    static constexpr std::size_t kSent = 1;
    static constexpr std::size_t kReturnedFrom = 1, kReturnedTo = 3;
};
template <class Record>
struct BusCarriage<library_shape::Request<Record>> : BusCarriage<void> {
    static constexpr const char* kSignature = "yay";
    static constexpr const char* kResult = "yay";
    static constexpr std::size_t kSent = 2;
    static constexpr std::size_t kReturnedFrom = 1, kReturnedTo = 2;
};
template <class Record>
struct BusCarriage<library_shape::RecordChange<Record>> : BusCarriage<void> {
    static constexpr const char* kSignature = "yay";
    static constexpr std::size_t kSent = 2;
};
template <>
struct BusCarriage<library_shape::IdsChange> : BusCarriage<void> {
    static constexpr std::size_t kSent = 3;
};

// The argument signature of one operation.
template <auto operation>
constexpr const char* busSignature() {
    using Shape = typename LibraryOperation<operation>::Shape;
    if constexpr (std::is_same_v<Shape, library_shape::IdsChange>) {
        return kPlainSignature<operation>.data();
    } else if constexpr (BusCarriage<Shape>::kSent == 0) {
        return "";
    } else {
        return BusCarriage<Shape>::kSignature;
    }
}

// Argument and result names, each ending in NUL, as sd-bus's vtable wants them.
struct BusNames {
    std::array<char, 160> bytes{};
    std::size_t size = 0;

    constexpr void add(std::string_view name) {
        for (char c : name) {
            bytes[size++] = c;
        }
        bytes[size++] = '\0';
    }
};

// `arguments` is the operation's argument list as written in the list of
// operations, "(adapterId, ldId, flag)".
template <class Shape>
constexpr BusNames busNames(std::string_view arguments) {
    std::array<std::string_view, 8> names{};
    std::size_t count = 0;
    std::string_view rest = arguments.substr(1, arguments.size() - 2);
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        std::string_view name = rest.substr(0, comma);
        while (!name.empty() && name.front() == ' ') {
            name.remove_prefix(1);
        }
        names[count++] = name;
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
    using Carriage = BusCarriage<Shape>;
    BusNames result;
    for (std::size_t i = 0; i < Carriage::kSent; ++i) {
        result.add(names[i]);
    }
    result.add(Carriage::kResultName);
    for (std::size_t i = Carriage::kReturnedFrom; i < Carriage::kReturnedTo; ++i) {
        result.add(names[i]);
    }
    return result;
}

}  // namespace service
