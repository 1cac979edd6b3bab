// The image path measured against the encoders people would otherwise use:
// Debian's libpng (level 6, default filters), libjpeg-turbo, stb_image_write and
// the pngquant command. Every figure is a ratio taken within one run, on the
// same machine, single-threaded unless its name says mt.
//
// Prints a readable table, then one "RESULT <name> <value>" line per figure.
//
//   imaging_bench                 all cases at 1920 x 1080
//   imaging_bench --case photo    one case
//   imaging_bench --peak-child W H  (internal) the memory probe: one 4K
//                                 monitor (3840 x 2160), two side by side
//                                 (7680 x 2160)
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "bench/BenchPictures.h"
#include "bench/References.h"
#include "imaging/Image.h"

#if __has_include("imaging/JpegWriter.h")
#define MRV_BENCH_JPEG 1
#else
#define MRV_BENCH_JPEG 0
#endif

namespace mrv::bench {
namespace {

using imaging::ImagePtr;
using imaging::PixelView;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kJpegQuality = 80;
const char* const kCases[] = {"ui", "flat", "gradient", "photo", "mixed"};

// Single-threaded figures are CPU time of the calling thread, so that other
// work on the machine does not tilt a comparison; the multi-threaded figure
// needs wall time, and its libpng reference is then taken the same way.
enum class Clock { kThreadCpu, kWall };

double Now(Clock clock) {
    if (clock == Clock::kWall) {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Best of `runs` timings of f(), in milliseconds; `setup` runs untimed before each.
double BestOf(int runs, const std::function<void()>& setup, const std::function<void()>& f,
              Clock clock = Clock::kThreadCpu) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        if (setup) setup();
        const double start = Now(clock);
        f();
        best = std::min(best, Now(clock) - start);
    }
    return 1000 * best;
}

ImagePtr Capture(const Picture& picture) {
    return ImagePtr(
        imaging::CreateImageFromPixels(picture.View(), 0, 0, picture.width, picture.height));
}

RgbImage ToRgb(const Picture& picture) {
    RgbImage out;
    out.width = picture.width;
    out.height = picture.height;
    out.rgb.resize(static_cast<std::size_t>(picture.width) * picture.height * 3);
    for (std::size_t i = 0; i < static_cast<std::size_t>(picture.width) * picture.height; ++i) {
        out.rgb[3 * i] = picture.bgrx[4 * i + 2];
        out.rgb[3 * i + 1] = picture.bgrx[4 * i + 1];
        out.rgb[3 * i + 2] = picture.bgrx[4 * i];
    }
    return out;
}

// PSNR over all three channels; identical pictures count as 100 dB.
double Psnr(const RgbImage& a, const RgbImage& b) {
    if (a.width != b.width || a.height != b.height || a.rgb.size() != b.rgb.size()) return -1;
    double sum = 0;
    for (std::size_t i = 0; i < a.rgb.size(); ++i) {
        const double d = static_cast<double>(a.rgb[i]) - static_cast<double>(b.rgb[i]);
        sum += d * d;
    }
    if (sum == 0) return 100.0;
    const double mse = sum / static_cast<double>(a.rgb.size());
    return 10.0 * std::log10(255.0 * 255.0 / mse);
}

struct Results {
    std::vector<std::pair<std::string, double>> lines;
    void Add(const std::string& name, double value) { lines.emplace_back(name, value); }
};

std::string TempDir() {
    char pattern[] = "/tmp/imaging_bench.XXXXXX";
    const char* dir = mkdtemp(pattern);
    return dir ? dir : "/tmp";
}

struct CaseFigures {
    std::string name;
    int colours = 0;
    // PNG-24
    double pngOursKb = 0, pngLibKb = 0, pngOursMs = 0, pngLibMs = 0, pngMtMs = 0, pngMtKb = 0,
           pngLibWallMs = 0;
    // PNG-8
    double q8OursMs = 0, q8QuantMs = 0, q8OursPsnr = 0, q8QuantPsnr = 0;
    bool q8Lossless = false;
    // JPEG
    bool jpeg = false;
    double jOursKb = 0, jTurboKb = 0, jOursPsnr = 0, jTurboPsnr = 0, jOursMs = 0, jTurboMs = 0,
           jStbMs = 0;
};

bool RunCase(const std::string& name, const std::string& tmp, CaseFigures* f) {
    const Picture picture = MakePicture(name, kWidth, kHeight);
    const RgbImage original = ToRgb(picture);
    f->name = name;
    f->colours = CountColours(picture);
    ImagePtr image = Capture(picture);
    if (!image) return false;
    const PixelView bgr = imaging::GetBgrView(image.get());

    // --- PNG-24 ---------------------------------------------------------
    imaging::VectorSink ours;
    Bytes lib;
    f->pngOursMs = BestOf(
        3, [&] { ours.bytes.clear(); },
        [&] {
            if (!imaging::WritePng(image.get(), ours)) std::fprintf(stderr, "WritePng failed\n");
        });
    f->pngLibMs = BestOf(3, nullptr, [&] { lib = LibpngEncode(bgr, 6); });
    f->pngOursKb = static_cast<double>(ours.bytes.size()) / 1024;
    f->pngLibKb = static_cast<double>(lib.size()) / 1024;
    RgbImage decoded;
    if (!LibpngDecode(ours.bytes, &decoded) || Psnr(decoded, original) < 100) {
        std::fprintf(stderr, "%s: our PNG-24 does not decode to the picture\n", name.c_str());
        return false;
    }
    imaging::VectorSink mt;
    imaging::PngOptions mtOptions;
    mtOptions.threads = 2;
    // Wall time suffers most from other work on the machine: take more runs.
    f->pngMtMs = BestOf(
        5, [&] { mt.bytes.clear(); },
        [&] {
            if (!imaging::WritePng(image.get(), mt, mtOptions)) std::fprintf(stderr, "mt failed\n");
        },
        Clock::kWall);
    f->pngLibWallMs = BestOf(
        3, nullptr, [&] { lib = LibpngEncode(bgr, 6); }, Clock::kWall);
    f->pngMtKb = static_cast<double>(mt.bytes.size()) / 1024;
    if (!LibpngDecode(mt.bytes, &decoded) || Psnr(decoded, original) < 100) {
        std::fprintf(stderr, "%s: our mt PNG-24 does not decode to the picture\n", name.c_str());
        return false;
    }

    // --- PNG-8 ----------------------------------------------------------
    ImagePtr reduced;
    imaging::VectorSink png8;
    f->q8OursMs = BestOf(
        3,
        [&] {
            reduced = Capture(picture);
            png8.bytes.clear();
        },
        [&] {
            if (!imaging::ReduceTo256Colours(reduced.get()) ||
                !imaging::WritePng(reduced.get(), png8))
                std::fprintf(stderr, "PNG-8 failed\n");
        });
    if (!LibpngDecode(png8.bytes, &decoded)) return false;
    f->q8OursPsnr = Psnr(decoded, original);
    f->q8Lossless = decoded.rgb == original.rgb;

    const std::string input = tmp + "/" + name + ".png";
    const std::string output = tmp + "/" + name + "-pq.png";
    if (!WriteFile(input, LibpngEncode(bgr, 1))) return false;
    double pq = 1e30;
    for (int i = 0; i < 3; ++i) {
        const double t = RunPngquant(input, output);
        if (t < 0) {
            std::fprintf(stderr, "pngquant failed\n");
            return false;
        }
        pq = std::min(pq, t);
    }
    f->q8QuantMs = 1000 * pq;  // CPU time of the command
    Bytes quantised;
    if (!ReadFile(output, &quantised) || !LibpngDecode(quantised, &decoded)) return false;
    f->q8QuantPsnr = Psnr(decoded, original);
    std::remove(input.c_str());
    std::remove(output.c_str());

    // --- JPEG -----------------------------------------------------------
#if MRV_BENCH_JPEG
    f->jpeg = true;
    imaging::VectorSink jpeg;
    Bytes turbo, stb;
    f->jOursMs = BestOf(
        3, [&] { jpeg.bytes.clear(); },
        [&] {
            if (!imaging::WriteJpeg(image.get(), kJpegQuality, jpeg))
                std::fprintf(stderr, "WriteJpeg failed\n");
        });
    f->jTurboMs = BestOf(3, nullptr, [&] { turbo = TurboEncode(bgr, kJpegQuality); });
    f->jStbMs = BestOf(3, nullptr, [&] { stb = StbJpegEncode(original, kJpegQuality); });
    f->jOursKb = static_cast<double>(jpeg.bytes.size()) / 1024;
    f->jTurboKb = static_cast<double>(turbo.size()) / 1024;
    if (!JpegDecode(jpeg.bytes, &decoded)) return false;
    f->jOursPsnr = Psnr(decoded, original);
    if (!JpegDecode(turbo, &decoded)) return false;
    f->jTurboPsnr = Psnr(decoded, original);
#endif
    return true;
}

// MB/s of capture (32-bit snapshot to 24-bit image) plus BMP writing.
double BmpThroughput() {
    const Picture picture = MakePicture("ui", kWidth, kHeight);
    imaging::VectorSink sink;
    sink.bytes.reserve(static_cast<std::size_t>(kWidth) * kHeight * 3 + 4096);
    const double ms = BestOf(
        5, [&] { sink.bytes.clear(); },
        [&] {
            ImagePtr image = Capture(picture);
            if (!image || !imaging::WriteBmp(image.get(), sink))
                std::fprintf(stderr, "BMP failed\n");
        });
    return static_cast<double>(sink.bytes.size()) / (1024.0 * 1024.0) / (ms / 1000);
}

long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t n = std::strlen(field);
    while (std::getline(status, line)) {
        if (line.compare(0, n, field) == 0) return std::atol(line.c_str() + n + 1);
    }
    return -1;
}

// In a fresh process: a snapshot of width x height is made, then one capture
// of all of it goes through reduction to 256 colours and PNG writing. Prints
// the resident size before the capture (snapshot included) and the peak
// during it.
int PeakChild(int width, int height) {
    const Picture picture = MakePicture("mixed", width, height);
    // Peak so far (the picture generator's scratch) is not the capture's.
    {
        std::ofstream clear("/proc/self/clear_refs");
        clear << "5";
    }
    const long before = StatusKb("VmRSS:");
    {
        ImagePtr image = Capture(picture);
        if (!image || !imaging::ReduceTo256Colours(image.get())) return 1;
        // Count the bytes only: the file is the caller's.
        struct CountingSink final : imaging::ByteSink {
            bool Write(const std::uint8_t*, std::size_t size) override {
                count += size;
                return true;
            }
            std::size_t count = 0;
        } sink;
        if (!imaging::WritePng(image.get(), sink)) return 1;
    }
    const long peak = StatusKb("VmHWM:");
    std::printf("%ld %ld\n", before, peak);
    return 0;
}

bool MeasurePeak(int width, int height, double* captureMb, double* processMb) {
    int pipeFd[2];
    if (pipe(pipeFd) != 0) return false;
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        dup2(pipeFd[1], 1);
        close(pipeFd[0]);
        const std::string w = std::to_string(width);
        const std::string h = std::to_string(height);
        execl("/proc/self/exe", "imaging_bench", "--peak-child", w.c_str(), h.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFd[1]);
    char buffer[128] = {};
    const ssize_t n = read(pipeFd[0], buffer, sizeof buffer - 1);
    close(pipeFd[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    long before = 0, peak = 0;
    if (n <= 0 || std::sscanf(buffer, "%ld %ld", &before, &peak) != 2) return false;
    *captureMb = static_cast<double>(peak - before) / 1024.0;
    *processMb = static_cast<double>(peak) / 1024.0;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace
}  // namespace mrv::bench

int main(int argc, char** argv) {
    using namespace mrv::bench;
    std::vector<std::string> cases(std::begin(kCases), std::end(kCases));
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--peak-child") == 0 && i + 2 < argc)
            return PeakChild(std::atoi(argv[i + 1]), std::atoi(argv[i + 2]));
        if (std::strcmp(argv[i], "--case") == 0 && i + 1 < argc) cases = {argv[++i]};
    }

    const std::string tmp = TempDir();
    Results results;
    std::vector<CaseFigures> figures;
    for (const std::string& name : cases) {
        CaseFigures f;
        if (!RunCase(name, tmp, &f)) {
            std::fprintf(stderr, "case %s failed\n", name.c_str());
            return 1;
        }
        figures.push_back(f);
        std::fprintf(stderr, "%s done\n", name.c_str());
    }
    rmdir(tmp.c_str());
    const double bmp = BmpThroughput();
    double peakCapture = -1, peakProcess = -1;
    if (!MeasurePeak(3840, 2160, &peakCapture, &peakProcess))
        std::fprintf(stderr, "peak probe failed\n");
    // Two 4K monitors side by side: the virtual screen's snapshot.
    double peakWide = -1, peakWideProcess = -1;
    if (!MeasurePeak(7680, 2160, &peakWide, &peakWideProcess))
        std::fprintf(stderr, "peak probe (7680 x 2160) failed\n");

    std::printf(
        "Image path at %d x %d. Times are the best of 3: CPU time of the working thread\n"
        "(of the pngquant process), except the mt columns: wall time (best of 5) of ours with\n"
        "two threads against wall time of libpng.\n\n",
        kWidth, kHeight);
    std::printf(
        "PNG-24        colours   ours KB  libpng KB  bytes    ours ms  libpng ms  speed   mt ms  "
        "mt speed  mt size\n");
    for (const CaseFigures& f : figures) {
        std::printf("  %-10s %8d %9.1f %10.1f %6.3f %9.1f %10.1f %6.2f %7.1f %9.2f %+7.2f%%\n",
                    f.name.c_str(), f.colours, f.pngOursKb, f.pngLibKb, f.pngOursKb / f.pngLibKb,
                    f.pngOursMs, f.pngLibMs, f.pngLibMs / f.pngOursMs, f.pngMtMs,
                    f.pngLibWallMs / f.pngMtMs, 100.0 * (f.pngMtKb / f.pngOursKb - 1));
    }
    std::printf(
        "\nPNG-8         ours ms  pngquant ms  time    ours dB  pngquant dB  diff dB  lossless\n");
    for (const CaseFigures& f : figures) {
        std::printf("  %-10s %8.1f %12.1f %6.2f %9.2f %12.2f %+8.2f  %s\n", f.name.c_str(),
                    f.q8OursMs, f.q8QuantMs, f.q8OursMs / f.q8QuantMs, f.q8OursPsnr, f.q8QuantPsnr,
                    f.q8OursPsnr - f.q8QuantPsnr, f.q8Lossless ? "yes" : "no");
    }
    if (!figures.empty() && figures[0].jpeg) {
        std::printf(
            "\nJPEG q%d      ours KB  turbo KB  bytes   ours dB  turbo dB   diff   ours ms  turbo "
            "ms  stb ms  vs stb  vs turbo\n",
            kJpegQuality);
        for (const CaseFigures& f : figures) {
            std::printf(
                "  %-10s %8.1f %9.1f %6.3f %9.2f %9.2f %+6.2f %9.1f %9.1f %7.1f %7.2f %8.2f\n",
                f.name.c_str(), f.jOursKb, f.jTurboKb, f.jOursKb / f.jTurboKb, f.jOursPsnr,
                f.jTurboPsnr, f.jOursPsnr - f.jTurboPsnr, f.jOursMs, f.jTurboMs, f.jStbMs,
                f.jStbMs / f.jOursMs, f.jTurboMs / f.jOursMs);
        }
    } else {
        std::printf("\nJPEG: the encoder (imaging/JpegWriter.h) is not in this build.\n");
    }
    std::printf("\nBMP-24 capture + write: %.0f MB/s\n", bmp);
    std::printf(
        "Peak memory, 3840 x 2160 capture -> 256 colours -> PNG: %.1f MB over the "
        "snapshot (%.1f MB whole process; 24-bit image %.1f MB)\n\n",
        peakCapture, peakProcess, 3840.0 * 2160 * 3 / (1024 * 1024));
    std::printf(
        "Peak memory, 7680 x 2160 (two 4K monitors): %.1f MB over the snapshot (%.1f MB whole "
        "process; 24-bit image %.1f MB)\n\n",
        peakWide, peakWideProcess, 7680.0 * 2160 * 3 / (1024 * 1024));

    for (const CaseFigures& f : figures) {
        const std::string& c = f.name;
        results.Add("png24.bytes_vs_libpng." + c, f.pngOursKb / f.pngLibKb);
        results.Add("png24.speed_vs_libpng." + c, f.pngLibMs / f.pngOursMs);
        results.Add("png24.speed_mt_vs_libpng." + c, f.pngLibWallMs / f.pngMtMs);
        if (c == "flat") results.Add("png8.lossless.flat", f.q8Lossless ? 1 : 0);
        results.Add("png8.psnr_minus_pngquant." + c, f.q8OursPsnr - f.q8QuantPsnr);
        results.Add("png8.time_vs_pngquant." + c, f.q8OursMs / f.q8QuantMs);
        if (f.jpeg) {
            results.Add("jpeg.bytes_vs_turbo." + c, f.jOursKb / f.jTurboKb);
            results.Add("jpeg.psnr_minus_turbo." + c, f.jOursPsnr - f.jTurboPsnr);
            results.Add("jpeg.speed_vs_stb." + c, f.jStbMs / f.jOursMs);
            results.Add("jpeg.speed_vs_turbo." + c, f.jTurboMs / f.jOursMs);
        }
    }
    results.Add("bmp24.mb_per_s", bmp);
    results.Add("peak_mb.3840x2160", peakCapture);
    results.Add("peak_mb.7680x2160", peakWide);
    for (const auto& [name, value] : results.lines)
        std::printf("RESULT %s %.4f\n", name.c_str(), value);
    return 0;
}
