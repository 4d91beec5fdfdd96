// libjpeg decoding from memory. libjpeg reports a fatal error through error_exit; ours jumps back
// here instead of ending the process, so a damaged picture is an empty result. Only libjpeg's own
// memory and the caller's buffer live across the jump.
#include "jpeg_picture.h"

#include <csetjmp>
#include <algorithm>
#include <cstdio>
#include <jpeglib.h>
#include <vector>

namespace {

struct ErrorJump {
    jpeg_error_mgr manager;
    std::jmp_buf back;
};

void jumpBack(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->back, 1);
}

void quiet(j_common_ptr, int) {}

// RGB rows, top first, into *rgb; false when libjpeg gives up.
bool decodeRgb(const unsigned char* data, unsigned long size, std::vector<unsigned char>* rgb, int* width, int* height)
{
    jpeg_decompress_struct info{};
    ErrorJump error{};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = jumpBack;
    error.manager.emit_message = quiet;
    if (setjmp(error.back)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, size);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    const size_t stride = size_t(info.output_width) * 3;
    rgb->resize(stride * info.output_height);
    JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE, JDIMENSION(stride), 1);
    while (info.output_scanline < info.output_height) {
        const size_t y = info.output_scanline;
        jpeg_read_scanlines(&info, row, 1);
        std::copy(row[0], row[0] + stride, rgb->data() + y * stride);
    }
    *width = int(info.output_width);
    *height = int(info.output_height);
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

QImage Decode_Jpeg(const QByteArray& bytes)
{
    std::vector<unsigned char> rgb;
    int width = 0, height = 0;
    if (bytes.isEmpty() || !decodeRgb(reinterpret_cast<const unsigned char*>(bytes.constData()),
                                      static_cast<unsigned long>(bytes.size()), &rgb, &width, &height))
        return {};
    QImage picture(width, height, QImage::Format_RGB32);
    if (picture.isNull()) return {};
    for (int y = 0; y < height; ++y) {
        QRgb* out = reinterpret_cast<QRgb*>(picture.scanLine(y));
        const unsigned char* in = rgb.data() + size_t(y) * width * 3;
        for (int x = 0; x < width; ++x) out[x] = qRgb(in[x * 3], in[x * 3 + 1], in[x * 3 + 2]);
    }
    return picture;
}
