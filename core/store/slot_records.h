#pragma once
// The data module's moves of whole records between a TuiProfile's stream and a working copy
// (used by the files of TDM only). A record is written over the front of the stream, which
// grows when it is shorter and keeps its tail when it is longer; a read copies at most the
// record's size and leaves the rest of the record as it was.

#include "core/store/uiProfile.h"

#include <cstring>
#include <memory>

namespace vyk::store {

// Edits a record in place in a stream: the stream is first grown to the record's size (new
// bytes zero); bytes the handler does not set, and any tail past the record, stay as they are.
template <class T, class Fn>
void editInStream(TuiProfileStream& AStream, Fn&& fn) {
    if (AStream.size() < sizeof(T)) AStream.resize(sizeof(T), 0);
    auto rec = std::make_unique_for_overwrite<T>();
    std::memcpy(static_cast<void*>(rec.get()), AStream.data(), sizeof(T));
    fn(*rec);
    std::memcpy(AStream.data(), rec.get(), sizeof(T));
}

template <class T>
void writeRecord(TuiProfile* AComponent, const T& ARecord) {
    AComponent->Write(&ARecord, static_cast<int>(sizeof(T)));
}

template <class T>
void readRecord(const TuiProfile* AComponent, T& ARecord) {
    AComponent->Read(&ARecord, static_cast<int>(sizeof(T)));
}

template <class T>
void sizeWithZeros(TuiProfile* AComponent) {
    AComponent->WriteZeros(static_cast<int>(sizeof(T)));
}

// Makes the stream exactly one zeroed record (a longer stream loses its tail).
template <class T>
void resetToZeros(TuiProfile* AComponent) {
    AComponent->Stream().clear();
    sizeWithZeros<T>(AComponent);
}

}  // namespace vyk::store
