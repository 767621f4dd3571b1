#pragma once
// JPEG files made with the JPEG library's encoder, for tests that need real compressed images.
#include <windows.h>

#include <functional>
#include <string>

enum class JpegColours { Grey, Rgb };

using JpegPixel = std::function<COLORREF(int x, int y)>;

// Encodes width x height pixels at high quality without chroma subsampling, so that flat 8 x 8
// blocks decode close to their colour. Grey images take the red part of each pixel.
std::string EncodeJpeg(int width, int height, JpegColours colours, const JpegPixel& pixel);
