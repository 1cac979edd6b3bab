// The next free sequential name with 8 digits in a folder that already holds
// the numbers 0-9999 (as .png, .jpg and .bmp files, 10,000 in all) beside
// other files: one listing of the folder and a walk over the used numbers,
// the same scan the Win32 half runs over FindFirstFileW / FindNextFileW.
// Here the folder is a real one on this machine's disk, listed with
// readdir, so the figure includes the file system's part.
//
// Prints: RESULT naming.ms.8digits_10000files <median milliseconds per save>
#include <dirent.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "output/SaveNaming.h"

namespace {

namespace fs = std::filesystem;

constexpr int kUsedNumbers = 10000;
constexpr int kOtherFiles = 500;
constexpr int kRuns = 60;

std::wstring Widen(const std::string& text) {
    return std::wstring(text.begin(), text.end());  // the names here are ASCII
}

bool StartsWithIgnoringCase(const std::wstring& name, const std::wstring& prefix) {
    if (name.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::towlower(name[i]) != std::towlower(prefix[i])) return false;
    return true;
}

// `pattern` is "<folder>/<prefix>*.*"; the folder is listed once.
std::uint32_t ListFolder(const std::wstring& pattern, const mrv::NameVisitor& each) {
    const std::size_t slash = pattern.find_last_of(L'/');
    const std::string folder(pattern.begin(), pattern.begin() + static_cast<long>(slash));
    const std::wstring prefix = pattern.substr(slash + 1, pattern.size() - slash - 4);
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return 3;  // the folder is missing
    while (const dirent* entry = readdir(dir)) {
        const std::wstring name = Widen(entry->d_name);
        if (StartsWithIgnoringCase(name, prefix)) each(name);
    }
    closedir(dir);
    return 0;
}

}  // namespace

int main() {
    const fs::path folder = fs::temp_directory_path() / "mrv-naming-bench";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const char* extensions[] = {".png", ".jpg", ".bmp"};
    for (int n = 0; n < kUsedNumbers; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "img%08d%s", n, extensions[n % 3]);
        std::ofstream(folder / name) << 'x';
    }
    for (int n = 0; n < kOtherFiles; ++n)
        std::ofstream(folder / ("other" + std::to_string(n) + ".txt")) << 'x';

    mrv::Settings settings;
    settings.numberDigits = 8;
    mrv::SaveNaming naming;
    naming.BindSettings(settings);
    if (!naming.SetSaveFolder(Widen(folder.string() + "/"))) return 1;

    std::vector<double> ms;
    for (int run = 0; run < kRuns; ++run) {
        settings.saveNumber = 0;
        const auto start = std::chrono::steady_clock::now();
        const mrv::SequentialPath p = naming.NextSequentialPath(L"img", ListFolder);
        const auto end = std::chrono::steady_clock::now();
        if (p.status != mrv::NamingStatus::kOk || settings.saveNumber != kUsedNumbers) {
            std::fprintf(stderr, "unexpected result: number %d\n", settings.saveNumber);
            return 1;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    fs::remove_all(folder);
    std::sort(ms.begin(), ms.end());
    std::fprintf(stderr, "runs %d, min %.3f ms, max %.3f ms\n", kRuns, ms.front(), ms.back());
    std::printf("RESULT naming.ms.8digits_10000files %.3f\n", ms[ms.size() / 2]);
    return 0;
}
