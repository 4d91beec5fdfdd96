// libjpeg with an error manager of our own: a fatal decoder error jumps back here instead of
// ending the process, and warnings about damaged data are kept rather than printed.
#include "assets/jpeg.h"

#include <cstdio>
#include <csetjmp>
#include <jpeglib.h>

namespace {

struct ErrorManager {
    jpeg_error_mgr base;   // first, so libjpeg's pointer is ours
    std::jmp_buf escape;
    char message[JMSG_LENGTH_MAX];
};

void onFatalError(j_common_ptr info)
{
    ErrorManager* manager = reinterpret_cast<ErrorManager*>(info->err);
    info->err->format_message(info, manager->message);
    std::longjmp(manager->escape, 1);
}

void onMessage(j_common_ptr, int) {}

} // namespace

std::optional<JpegImage> decodeJPEG(const uint8_t* data, size_t size, std::string* error)
{
    jpeg_decompress_struct info{};
    ErrorManager manager{};
    info.err = jpeg_std_error(&manager.base);
    manager.base.error_exit = onFatalError;
    manager.base.emit_message = onMessage;

    // What the decoder fills lives on the heap behind a pointer set before setjmp, so nothing
    // that a longjmp returns to has changed in registers since.
    struct Work {
        JpegImage image;
        std::vector<JSAMPROW> rows;
    };
    Work* const work = new Work;
    JpegImage* const image = &work->image;
    std::vector<JSAMPROW>& rows = work->rows;
    if (setjmp(manager.escape)) {
        if (error) *error = manager.message;
        jpeg_destroy_decompress(&info);
        delete work;
        return std::nullopt;
    }

    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    // Greyscale pictures are expanded, so every texture has three components.
    if (info.jpeg_color_space == JCS_GRAYSCALE || info.jpeg_color_space == JCS_YCbCr ||
        info.jpeg_color_space == JCS_RGB)
        info.out_color_space = JCS_RGB;
    if (static_cast<uint64_t>(info.image_width) * info.image_height > kMaxJpegPixels) {
        std::snprintf(manager.message, sizeof manager.message, "picture of %ux%u pixels is too large",
                      info.image_width, info.image_height);
        std::longjmp(manager.escape, 1);
    }
    jpeg_start_decompress(&info);
    if (info.output_components != 3) {
        std::snprintf(manager.message, sizeof manager.message, "unsupported colour space");
        std::longjmp(manager.escape, 1);
    }

    image->width = static_cast<int32_t>(info.output_width);
    image->height = static_cast<int32_t>(info.output_height);
    image->rowBytes = image->width * info.output_components;
    image->pixels.resize(static_cast<size_t>(image->rowBytes) * image->height);
    rows.resize(image->height);
    for (int32_t i = 0; i < image->height; ++i)
        rows[i] = image->pixels.data() + static_cast<size_t>(image->rowBytes) * (image->height - 1 - i);
    while (info.output_scanline < info.output_height)
        jpeg_read_scanlines(&info, rows.data() + info.output_scanline, info.output_height - info.output_scanline);

    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::optional<JpegImage> result(std::move(*image));
    delete work;
    return result;
}
