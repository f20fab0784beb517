#include "uSkyData.h"

#include <cmath>
#include <cstring>

#include "uFileIO.h"
#include "uText.h"
#include "uVarDef.h"

namespace {

void AddLine(std::string* message, const std::string& text) {
    if (!message) return;
    if (!message->empty()) *message += '\n';
    *message += text;
}
}  // namespace

TStatus ReadSkyFile(const std::string& path, std::vector<TSkyRecord>& list) {
    list.clear();
    std::string bytes;
    if (!ReadFileBytes(path, kMaxSkyFileBytes, bytes)) return FileReadFailure(path);
    const std::size_t count = bytes.size() / kSkyRecordSize;  // a short tail is ignored
    list.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        std::memcpy(&list[i], bytes.data() + i * kSkyRecordSize, kSkyRecordSize);
    return TStatus::Success();
}

bool LoadSkyData(const std::string& dataFolder, std::vector<TSkyRecord>& stars,
                 std::vector<TSkyRecord>& figures, std::string* message) {
    const TStatus haveStars = ReadSkyFile(dataFolder + "SaoStar.bin", stars);
    const TStatus haveFigures = ReadSkyFile(dataFolder + "Constellation.bin", figures);
    for (const TStatus* s : {&haveStars, &haveFigures})
        if (!*s) AddLine(message, s->message);
    return haveStars && haveFigures;
}

std::size_t ConstellationLineCount(const std::vector<TSkyRecord>& list) { return list.size() / 2; }

TSkyRecord MakeSkyRecord(double raDeg, double decDeg, double mag, std::string_view name, double extra) {
    TSkyRecord r{};
    r.ra = Radians(raDeg);
    r.dec = Radians(decDeg);
    r.extra = extra;
    r.mag = mag;
    r.name.assign(name);
    return r;
}

TStatus WriteSkyFile(const std::string& path, const std::vector<TSkyRecord>& list) {
    std::string bytes(list.size() * kSkyRecordSize, '\0');
    for (std::size_t i = 0; i < list.size(); ++i)
        std::memcpy(bytes.data() + i * kSkyRecordSize, &list[i], kSkyRecordSize);
    return WriteFileAtomic(path, bytes);
}
