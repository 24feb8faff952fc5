// The buffer of a list or lookup call: a zero-filled request header followed
// by room for one reply record. Fields are read and written with memcpy at the
// record's offsets, never through pointers cast into the buffer.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstring>
#include <type_traits>

#include "model/mv_api.h"

static_assert(std::endian::native == std::endian::little,
              "the library's records are little-endian and read in place");

template <std::size_t RecordSize>
class RequestBuffer {
  public:
    static constexpr std::size_t kHeaderSize = sizeof(RequestHeader);
    static constexpr std::size_t kSize = kHeaderSize + RecordSize;

    RequestBuffer(MV_U8 kind, MV_U16 startingIndexOrID) {
        put(offsetof(RequestHeader, RequestType), kind);
        setStartingIndex(startingIndexOrID);
        put(offsetof(RequestHeader, NumberRequested), MV_U16{1});
    }

    void setStartingIndex(MV_U16 index) { put(offsetof(RequestHeader, StartingIndexOrID), index); }
    MV_U16 nextIndex() const { return get<MV_U16>(offsetof(RequestHeader, NextStartingIndex)); }

    // A field of the reply record, at its offset from the end of the header.
    template <class T, std::size_t Offset>
    T field() const {
        static_assert(Offset + sizeof(T) <= RecordSize, "field beyond the record");
        return get<T>(kHeaderSize + Offset);
    }

    // The whole reply record.
    template <class Record>
    Record record() const {
        static_assert(sizeof(Record) == RecordSize);
        return field<Record, 0>();
    }

    void* data() { return bytes_.data(); }
    const unsigned char* bytes() const { return bytes_.data(); }

  private:
    template <class T>
    void put(std::size_t offset, T value) {
        static_assert(std::is_trivially_copyable_v<T>);
        std::memcpy(bytes_.data() + offset, &value, sizeof value);
    }
    template <class T>
    T get(std::size_t offset) const {
        static_assert(std::is_trivially_copyable_v<T>);
        T value;
        std::memcpy(&value, bytes_.data() + offset, sizeof value);
        return value;
    }

    // Aligned as the library's own records are, in case it writes through a cast.
    alignas(8) std::array<unsigned char, kSize> bytes_{};
};

using DiskWalkBuffer = RequestBuffer<sizeof(HD_Info)>;
using RAIDSetWalkBuffer = RequestBuffer<sizeof(LD_Info)>;
using DiskStatusBuffer = RequestBuffer<sizeof(HD_RAID_Status)>;
using RAIDSetStatusBuffer = RequestBuffer<sizeof(LD_Status)>;
using BlockInfoBuffer = RequestBuffer<sizeof(Block_Info)>;
using DiskBlockListBuffer = RequestBuffer<sizeof(HD_Block_Info)>;
