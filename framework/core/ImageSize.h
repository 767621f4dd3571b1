#pragma once
// Byte counts computed from the values a picture file declares, and the budget they must keep.
//
// Products and sums saturate at kSizeOverflow instead of wrapping: a hostile header can make a
// count too large, never small or negative, so every limit compared with it afterwards holds.
// Negative inputs (a negative width, say) count as overflow too.

using TByteCount = unsigned long long;

constexpr TByteCount kSizeOverflow = ~0ull;

// What loading and drawing one picture may cost at its peak, above what the program held before.
constexpr TByteCount kMaxPictureMemory = 64ull << 20;
// Decoded pixels a picture read from a file or a resource may take; a picture that needs more is
// an invalid image, refused before anything is allocated for it. Pixels count 32 bits each
// whatever their depth: GDI converts through 32-bit rows, so a 1-bit image costs as much. Loading
// and drawing hold up to about three more copies of the pixels at once (GDI's decoding buffer,
// the palette re-render, a device bitmap), so the budget is a quarter of the picture memory.
constexpr TByteCount kMaxDecodedImageBytes = kMaxPictureMemory / 4;
constexpr int kBudgetBitsPerPixel = 32;

inline TByteCount SizeSum(TByteCount a, TByteCount b)
{
    TByteCount sum = 0;
    return __builtin_add_overflow(a, b, &sum) ? kSizeOverflow : sum;
}

inline TByteCount SizeProduct(TByteCount a, TByteCount b)
{
    TByteCount product = 0;
    return __builtin_mul_overflow(a, b, &product) ? kSizeOverflow : product;
}

// A count taken from a signed field: negative values are overflow.
inline TByteCount SizeOf(long long value)
{
    return value < 0 ? kSizeOverflow : static_cast<TByteCount>(value);
}

// Bytes of one DIB row of width pixels, padded to a multiple of 4 bytes.
inline TByteCount DibRowBytes(long long width, int depth)
{
    constexpr TByteCount kRowAlignBits = 32;
    const TByteCount bits = SizeProduct(SizeOf(width), SizeOf(depth));
    if (bits == kSizeOverflow)
        return kSizeOverflow;
    return SizeProduct((bits + kRowAlignBits - 1) / kRowAlignBits, sizeof(unsigned int));
}

// Bytes of a DIB of width x |height| pixels (the sign of a height only says top-down).
inline TByteCount DibImageBytes(long long width, long long height, int depth)
{
    const TByteCount rows = height < 0 ? SizeOf(-height) : SizeOf(height);
    return SizeProduct(DibRowBytes(width, depth), rows);
}

inline bool WithinImageBudget(TByteCount bytes)
{
    return bytes <= kMaxDecodedImageBytes;
}

// Whether an image of width x |height| pixels of any depth keeps the budget.
inline bool ImageWithinBudget(long long width, long long height)
{
    return WithinImageBudget(DibImageBytes(width, height, kBudgetBitsPerPixel));
}
