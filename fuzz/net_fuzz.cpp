// libFuzzer target: the files the download side reads — the download list,
// the magnitude file and a names file merged into it, InternetInfo.ini, and
// a download (plain, gzip or zip) put through the element-set check that
// decides whether it may replace an element file. The first byte picks the
// file; the rest is its content.
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "uFileIO.h"
#include "uInitialize.h"
#include "uInternet.h"
#include "uLoadSave.h"
#include "uMagFile.h"

namespace {

// Every save syncs its file and folder: on tmpfs that costs nothing.
const std::string& Folder() {
    static const std::string folder = [] {
        struct stat st {};
        const std::string base = ::stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) ? "/dev/shm/" : "/tmp/";
        std::string f = base + "orbisk_netfuzz_" + std::to_string(::getpid()) + "/";
        ::mkdir(f.c_str(), 0700);
        return f;
    }();
    return folder;
}

std::string Put(const std::string& name, std::string_view bytes) {
    const std::string path = Folder() + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
}

std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    ReadFileLines(Put("lines.txt", text), 1 << 20, lines);
    return lines;
}

void DownloadList(std::string_view text) {
    const auto lines = Lines(text);
    for (const TListedDownload& d : ParseDownloadList(lines)) {
        if (!d.usable) continue;
        // A usable entry's target stays inside the element folder.
        const std::string target = TargetPath(d.entry, "/e/");
        if (target.find('/', 3) != std::string::npos || d.entry.url.empty()) std::abort();
        UrlOrigin(d.entry.url);
    }
    for (const auto& l : lines) RebuildDownloadLine(l, l.size() % 2 == 0);
}

void Magnitudes(std::string_view text) {
    const std::size_t cut = text.find('\f');  // a names file after a form feed
    TMagFile mag;
    LoadMagFile(Put("Mag.dat", text.substr(0, cut)), mag);
    const auto names = cut == std::string_view::npos ? std::vector<std::string>() : Lines(text.substr(cut + 1));
    std::vector<std::string> merged = MergeNamesLines(mag.lines, names);
    RemoveDuplicateMagLines(merged);
    const TMagIndex index(merged);
    for (const auto& l : names) {
        const std::string key = l.substr(0, 5);
        if (index.Find(key) != FindMagLine(key, merged)) std::abort();
    }
    std::vector<TSatRec> sats(2);
    sats[0].catNo = "25544";
    sats[1].catNo = merged.empty() ? std::string("00000") : merged.front().substr(0, 5);
    CopyMagnitudes(sats, merged);
    if (!SaveMagFile(Folder() + "Mag.out", mag)) std::abort();
}

void Settings(std::string_view text) {
    Put("InternetInfo.ini", text);
    TDownloadSettings s, back;
    std::vector<std::string> warnings;
    LoadDownloadSettings(Folder(), s, 45000.0, &warnings);
    // What was read is written and read back the same.
    if (!SaveDownloadSettings(Folder(), s) || !LoadDownloadSettings(Folder(), back, 0.0)) std::abort();
    if (back.user != s.user || back.password != s.password || back.period != s.period ||
        back.updateMain != s.updateMain || back.updateIrid != s.updateIrid || back.convert != s.convert)
        std::abort();
}

void Download(int kind, std::string_view bytes) {
    const std::string source = Put("download", bytes);
    std::string checked = source;
    if (kind != kPlainKind) {
        checked = Folder() + "unpacked.tle";
        if (!DecompressDownload(source, checked, kind, 1 << 20)) return;
    }
    // The check and the reader agree on whether a file holds sets.
    std::vector<TElementEntry> entries;
    if (HoldsElementSets(checked) != ReadElementFile(entries, checked)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 6) {
        case 0: DownloadList(rest); break;
        case 1: Magnitudes(rest); break;
        case 2: Settings(rest); break;
        case 3: Download(kPlainKind, rest); break;
        case 4: Download(kGzipKind, rest); break;
        default: Download(kZipKind, rest); break;
    }
    return 0;
}
