#include "support/JpegEncoder.h"

#include <jpeglib.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kQuality = 95;
constexpr int kRgbComponents = 3;

// One row of samples as the library takes them: one per pixel for grey, red-green-blue else.
void FillRow(std::string& row, int y, int width, JpegColours colours, const JpegPixel& pixel)
{
    for (int x = 0; x < width; ++x) {
        COLORREF c = pixel(x, y);
        if (colours == JpegColours::Grey) {
            row[x] = static_cast<char>(GetRValue(c));
        } else {
            row[kRgbComponents * x] = static_cast<char>(GetRValue(c));
            row[kRgbComponents * x + 1] = static_cast<char>(GetGValue(c));
            row[kRgbComponents * x + 2] = static_cast<char>(GetBValue(c));
        }
    }
}

}  // namespace

std::string EncodeJpeg(int width, int height, JpegColours colours, const JpegPixel& pixel)
{
    const bool grey = colours == JpegColours::Grey;
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = grey ? 1 : kRgbComponents;
    info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, kQuality, TRUE);
    info.comp_info[0].h_samp_factor = 1;
    info.comp_info[0].v_samp_factor = 1;
    jpeg_start_compress(&info, TRUE);
    std::string row(static_cast<size_t>(width * info.input_components), '\0');
    for (int y = 0; y < height; ++y) {
        FillRow(row, y, width, colours, pixel);
        JSAMPROW rows[1] = {reinterpret_cast<JSAMPLE*>(&row[0])};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::string bytes(reinterpret_cast<char*>(buffer), size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}
