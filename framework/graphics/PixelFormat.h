#pragma once
// How the pixels of a bitmap are stored: device-dependent, a DIB of a given depth, or a layout
// of its own (Custom). Apart from the bitmap so that its image and the BMP reader need not see it.

enum class TPixelFormat { Device, Bit1, Bit4, Bit8, Bit15, Bit16, Bit24, Bit32, Custom };

// Bits per pixel of a DIB pixel format (0 for Device and Custom).
int PixelFormatBits(TPixelFormat format);
