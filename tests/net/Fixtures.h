// Test fixtures: element lines with correct checksums, a scratch folder, and
// gzip/zip archives built in memory.
#pragma once
#include <zip.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "../common/ElementLines.h"
#include "uNetFiles.h"

namespace fx {

inline char Checksum(const std::string& s) { return TleChecksum(s); }

struct Tle {
    std::string line1, line2;
};

// A low-orbit set; yy/day give the epoch, meanMotion the orbit.
inline Tle MakeTle(const std::string& catNo, int yy, double day, double meanMotion = 15.5,
                   double inclination = 51.6) {
    char l1[80], l2[80];
    std::snprintf(l1, sizeof l1, "1 %5sU 98067A   %02d%012.8f  .00002182  00000-0  40768-4 0  999", catNo.c_str(), yy,
                  day);
    std::snprintf(l2, sizeof l2, "2 %5s %8.4f 247.4627 0006703 130.5360 325.0288 %11.8f 5635", catNo.c_str(),
                  inclination, meanMotion);
    Tle t{l1, l2};
    t.line1 += Checksum(t.line1);
    t.line2 += Checksum(t.line2);
    return t;
}

inline std::string ThreeLines(const std::string& name, const Tle& t) {
    return name + "\r\n" + t.line1 + "\r\n" + t.line2 + "\r\n";
}

// A fresh folder under the test's working directory, removed at the end.
struct TempDir {
    std::string path;  // ends with '/'
    TempDir() {
        static int n = 0;
        auto p = std::filesystem::temp_directory_path() /
                 ("orbisk_net_" + std::to_string(::getpid()) + "_" + std::to_string(n++));
        std::filesystem::remove_all(p);
        std::filesystem::create_directories(p);
        path = p.string() + "/";
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string operator/(const std::string& name) const { return path + name; }
};

inline void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline std::string Gzip(const std::string& data) {
    z_stream zs{};
    deflateInit2(&zs, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&zs, data.size()) + 32, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    zs.avail_in = static_cast<uInt>(data.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

// A zip file with the given entries in order; returns its bytes.
inline std::string Zip(const std::vector<std::pair<std::string, std::string>>& entries) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("orbisk_zip_" + std::to_string(::getpid()) + ".zip")).string();
    std::remove(path.c_str());
    int err = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    for (const auto& [name, data] : entries) {
        zip_source_t* src = zip_source_buffer(z, data.data(), data.size(), 0);
        zip_file_add(z, name.c_str(), src, ZIP_FL_OVERWRITE);
    }
    zip_close(z);
    std::string bytes = ReadText(path);
    std::remove(path.c_str());
    return bytes;
}

}  // namespace fx
