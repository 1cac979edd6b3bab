#include "bench/References.h"

#include <jpeglib.h>
#include <png.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wshadow"
#pragma GCC diagnostic ignored "-Wsign-compare"
#endif
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace mrv::bench {
namespace {

void PngWriteToVector(png_structp png, png_bytep data, png_size_t size) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}
void PngFlush(png_structp) {}

struct PngReadState {
    const Bytes* bytes;
    std::size_t offset;
};

void PngReadFromVector(png_structp png, png_bytep data, png_size_t size) {
    auto* state = static_cast<PngReadState*>(png_get_io_ptr(png));
    if (state->offset + size > state->bytes->size()) {
        png_error(png, "read past end");
    }
    std::memcpy(data, state->bytes->data() + state->offset, size);
    state->offset += size;
}

}  // namespace

Bytes LibpngEncode(const imaging::PixelView& bgr, int level) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rows(static_cast<std::size_t>(bgr.height));
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, PngWriteToVector, PngFlush);
    png_set_compression_level(png, level);
    png_set_IHDR(png, info, static_cast<png_uint_32>(bgr.width),
                 static_cast<png_uint_32>(bgr.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_pHYs(png, info, 3780, 3780, PNG_RESOLUTION_METER);
    png_write_info(png, info);
    png_set_bgr(png);
    for (int y = 0; y < bgr.height; ++y)
        rows[static_cast<std::size_t>(y)] = const_cast<png_bytep>(bgr.Row(y));
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

bool LibpngDecode(const Bytes& bytes, RgbImage* out) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    PngReadState state{&bytes, 0};
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &state, PngReadFromVector);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_strip_alpha(png);
    png_set_gray_to_rgb(png);
    png_read_update_info(png, info);
    out->width = static_cast<int>(png_get_image_width(png, info));
    out->height = static_cast<int>(png_get_image_height(png, info));
    if (png_get_rowbytes(png, info) != static_cast<std::size_t>(out->width) * 3) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    out->rgb.assign(static_cast<std::size_t>(out->width) * out->height * 3, 0);
    rows.resize(static_cast<std::size_t>(out->height));
    for (int y = 0; y < out->height; ++y)
        rows[static_cast<std::size_t>(y)] =
            out->rgb.data() + static_cast<std::size_t>(y) * out->width * 3;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

namespace {

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

void JpegErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}

}  // namespace

Bytes TurboEncode(const imaging::PixelView& bgr, int quality) {
    jpeg_compress_struct cinfo;
    JpegError error;
    cinfo.err = jpeg_std_error(&error.mgr);
    error.mgr.error_exit = JpegErrorExit;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&cinfo);
        std::free(buffer);
        return {};
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(bgr.width);
    cinfo.image_height = static_cast<JDIMENSION>(bgr.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    const int factor = quality >= 90 ? 1 : 2;
    cinfo.comp_info[0].h_samp_factor = factor;
    cinfo.comp_info[0].v_samp_factor = factor;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(bgr.Row(static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

bool JpegDecode(const Bytes& jpeg, RgbImage* out) {
    jpeg_decompress_struct cinfo;
    JpegError error;
    cinfo.err = jpeg_std_error(&error.mgr);
    error.mgr.error_exit = JpegErrorExit;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    out->width = static_cast<int>(cinfo.output_width);
    out->height = static_cast<int>(cinfo.output_height);
    out->rgb.assign(static_cast<std::size_t>(out->width) * out->height * 3, 0);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row =
            out->rgb.data() + static_cast<std::size_t>(cinfo.output_scanline) * out->width * 3;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

namespace {
void StbWrite(void* context, void* data, int size) {
    auto* out = static_cast<Bytes*>(context);
    const auto* p = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), p, p + size);
}
}  // namespace

Bytes StbJpegEncode(const RgbImage& rgb, int quality) {
    Bytes out;
    if (!stbi_write_jpg_to_func(StbWrite, &out, rgb.width, rgb.height, 3, rgb.rgb.data(), quality))
        return {};
    return out;
}

double RunPngquant(const std::string& input, const std::string& output) {
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        execlp("pngquant", "pngquant", "--speed", "4", "--nofs", "--force", "--output",
               output.c_str(), input.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return -1;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool ReadFile(const std::string& path, Bytes* bytes) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    bytes->clear();
    std::uint8_t buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes->insert(bytes->end(), buffer, buffer + n);
    std::fclose(f);
    return true;
}

}  // namespace mrv::bench
