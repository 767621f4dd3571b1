#pragma once
// A bounds-checked view of one metafile record. The walkers read every field through it: a field,
// array or offset that would lie past the record reads as "does not fit" instead of past the data.
#include "framework/core/ImageSize.h"

#include <windows.h>

#include <cstddef>
#include <cstring>

class TRecordView {
public:
    TRecordView(const BYTE* data, size_t size) : data_(data), size_(size) {}

    size_t Size() const { return size_; }
    const BYTE* Data() const { return data_; }

    // Whether [offset, offset + bytes) lies inside the record.
    bool Holds(TByteCount offset, TByteCount bytes) const
    {
        return offset <= size_ && bytes <= size_ - offset;
    }
    bool HoldsArray(TByteCount offset, TByteCount count, TByteCount itemBytes) const
    {
        return Holds(offset, SizeProduct(count, itemBytes));
    }

    // The value at offset; zero when it does not fit (callers check the record's size first).
    template <class T>
    T Get(size_t offset) const
    {
        T value{};
        if (Holds(offset, sizeof(T)))
            std::memcpy(&value, data_ + offset, sizeof(T));
        return value;
    }

    // The record's start as a T, for structures that end in an array: what the record lacks of
    // the array reads as zero (callers read the array through its count).
    template <class T>
    T Head() const
    {
        T value{};
        std::memcpy(&value, data_, size_ < sizeof(T) ? size_ : sizeof(T));
        return value;
    }

    TRecordView Part(size_t offset, size_t bytes) const
    {
        return Holds(offset, bytes) ? TRecordView(data_ + offset, bytes) : TRecordView(data_, 0);
    }

private:
    const BYTE* data_;
    size_t size_;
};
