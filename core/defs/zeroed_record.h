#pragma once
// A large plain record (a profile, a macro database image) owned on the heap and taken zeroed
// from the allocator: a fresh block of that size comes straight from the system as zero pages,
// so making its owner touches none of it, and a page costs only when it is first used. The
// record must be trivial: its zeroed bytes are then exactly its value-initialised state.
#include <cstdlib>
#include <memory>
#include <new>
#include <type_traits>

namespace vyk::defs {

struct FreeZeroedRecord {
    void operator()(void* aRecord) const noexcept { std::free(aRecord); }
};

template <class T>
using ZeroedRecord = std::unique_ptr<T, FreeZeroedRecord>;

template <class T>
ZeroedRecord<T> makeZeroedRecord() {
    static_assert(std::is_trivial_v<T>, "only a trivial record is made from zeroed memory");
    ZeroedRecord<T> record(static_cast<T*>(std::calloc(1, sizeof(T))));
    if (!record) throw std::bad_alloc();
    return record;
}

}  // namespace vyk::defs
