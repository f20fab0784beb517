#include "uSkyData.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <unistd.h>

#include "uVarDef.h"

std::vector<TSkyRecord> StarList;
std::vector<TSkyRecord> ConstellationList;

namespace {
constexpr double kDegToRad = M_PI / 180.0;

void AddLine(std::string* message, const std::string& text) {
    if (!message) return;
    if (!message->empty()) *message += '\n';
    *message += text;
}
}  // namespace

bool ReadSkyFile(const std::string& path, std::vector<TSkyRecord>& list, std::string* message) {
    list.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        AddLine(message, "File: " + path + " not found");
        return false;
    }
    // Bounded whole-file read; a FIFO or device name just yields what it gives up to the cap.
    std::string bytes;
    char buf[1 << 16];
    while (in && bytes.size() < kMaxSkyFileBytes) {
        in.read(buf, sizeof buf);
        bytes.append(buf, static_cast<std::size_t>(in.gcount()));
    }
    if (bytes.size() > kMaxSkyFileBytes) bytes.resize(kMaxSkyFileBytes);
    const std::size_t count = bytes.size() / kSkyRecordSize;
    list.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        std::memcpy(&list[i], bytes.data() + i * kSkyRecordSize, kSkyRecordSize);
    return true;
}

bool LoadSkyData(std::string* message) {
    const bool stars = ReadSkyFile(DataFolder + "SaoStar.bin", StarList, message);
    const bool figures = ReadSkyFile(DataFolder + "Constellation.bin", ConstellationList, message);
    return stars && figures;
}

void ClearSkyData() {
    StarList.clear();
    StarList.shrink_to_fit();
    ConstellationList.clear();
    ConstellationList.shrink_to_fit();
}

std::size_t ConstellationLineCount(const std::vector<TSkyRecord>& list) { return list.size() / 2; }

TSkyRecord MakeSkyRecord(double raDeg, double decDeg, double mag, std::string_view name, double extra) {
    TSkyRecord r{};
    r.ra = raDeg * kDegToRad;
    r.dec = decDeg * kDegToRad;
    r.extra = extra;
    r.mag = mag;
    r.name.assign(name);
    return r;
}

bool WriteSkyFile(const std::string& path, const std::vector<TSkyRecord>& list) {
    const std::string temp = path + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        for (const TSkyRecord& r : list) {
            char bytes[kSkyRecordSize];
            std::memcpy(bytes, &r, kSkyRecordSize);
            out.write(bytes, kSkyRecordSize);
        }
        out.flush();
        if (!out) {
            out.close();
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}
