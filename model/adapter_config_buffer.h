// The adapter settings record as the library reads and writes it. Its true
// size is the library's: ours (64 bytes) sits at the front of a zeroed buffer
// far larger than it, so a library with a larger record writes into room we
// own, and what it wrote is sent back as it came.
#pragma once

#include <cstddef>

#include "model/mv_api.h"

struct AdapterConfigBuffer {
    static constexpr std::size_t kSize = 4096;
    static_assert(kSize >= 16 * sizeof(Adapter_Config));
    alignas(Adapter_Config) unsigned char bytes[kSize];

    // Handed to the library only; the fields we use are read and written as bytes.
    Adapter_Config* record() { return reinterpret_cast<Adapter_Config*>(bytes); }
};
