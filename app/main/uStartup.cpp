#include "uStartup.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "uArgValues.h"
#include "uFileIO.h"
#include "uInitialize.h"

namespace fs = std::filesystem;

namespace {

// Installation files are small; a bigger one is not ours to copy.
constexpr std::size_t kMaxCopyBytes = 256u << 20;

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

bool IsWritableFolder(const std::string& folder) {
    std::error_code ec;
    return fs::is_directory(folder, ec) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::string UserDataHome() {
    // An XDG_DATA_HOME that is not absolute is ignored, as the XDG base-directory rules say.
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/') return WithSlash(xdg);
    if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        return WithSlash(home) + ".local/share/";
    return {};
}

bool MakeFolder(const std::string& folder, std::string& message) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder)) {
        message = "Cannot create the folder " + folder + ": " + ec.message();
        return false;
    }
    return true;
}

}  // namespace

std::string ParseCommandLine(const std::vector<std::string>& args, TCommandLine& out) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--help" || a == "-h") {
            out.help = true;
        } else if (a == "--time") {
            if (!hasValue) return "--time needs a date and time";
            const std::string& text = args[++i];
            if (!ParseDateTimeArg(text, out.time))
                return "--time must be a date and time like \"2018-01-22 03:00:00\", not '" + text + "'";
            out.haveTime = true;
        } else if (a == "--data") {
            if (!hasValue || args[i + 1].empty()) return "--data needs a folder";
            out.dataDir = args[++i];
        } else if (a == "--screenshots") {
            if (!hasValue || args[i + 1].empty()) return "--screenshots needs a folder";
            out.screenshots = args[++i];
        } else {
            return "unknown argument '" + a + "'";
        }
    }
    return {};
}

std::string ProgramUsage() {
    return R"(Usage: orbisk [OPTION]...
Skyvane, the satellite tracker: tracks the chosen satellites live on a world
map, a sky chart or a globe.

  --time "YYYY-MM-DD HH:MM:SS"  start the clock at this moment, UTC
                       (default: the computer's clock)
  --data DIR           keep settings, catalogues and data files in DIR
                       (default: the program folder's data/ when writable,
                       else $XDG_DATA_HOME/orbisk/)
  --screenshots DIR    save a picture of the window in each view (map, sky,
                       globe) to DIR, then close
  --help               show this help
  --version            show the version
)";
}

bool IsSettingsFile(const std::string& name) {
    return name == kOptionsFile || name == kObserverFile || name == kDownloadSettingsFile;
}

bool FillFolder(const std::string& from, const std::string& to, std::string& message) {
    if (!MakeFolder(to, message)) return false;
    std::error_code ec;
    fs::directory_iterator it(from, ec), end;
    if (ec) {
        message = "Cannot read the installation folder " + from + ": " + ec.message();
        return false;
    }
    bool ok = true;
    for (; it != end; it.increment(ec)) {
        if (ec) break;
        const std::string name = it->path().filename().string();
        if (IsSettingsFile(name) || !IsRegularFile(it->path().string())) continue;
        const std::string target = WithSlash(to) + name;
        if (fs::exists(target, ec)) continue;
        std::string bytes;
        if (!ReadFileBytes(it->path().string(), kMaxCopyBytes, bytes) || !WriteFileAtomic(target, bytes)) {
            message = "Cannot copy " + it->path().string() + " to " + target;
            ok = false;
        }
    }
    return ok;
}

TFolders ChooseFolders(const std::string& programFolder, const std::string& dataOverride, bool installWritable,
                       const std::string& userDataHome) {
    TFolders f;
    f.program = WithSlash(programFolder);
    f.base = f.program;
    if (!dataOverride.empty()) {
        // Its element files too: downloads never overwrite the shipped ones.
        f.data = WithSlash(dataOverride);
        f.base = f.data;
    } else if (installWritable) {
        f.data = f.program + "data/";
    } else if (userDataHome.empty()) {
        // Nowhere of the user's own: read what is installed, save nothing new.
        f.data = f.program + "data/";
        f.message = "Neither XDG_DATA_HOME nor HOME names a folder; settings will not be saved";
    } else {
        f.base = WithSlash(userDataHome) + "orbisk/";
        f.data = f.base;
    }
    return f;
}

TFolders ResolveFolders(const std::string& programFolder, const std::string& dataOverride) {
    const std::string installed = WithSlash(programFolder) + "data/";
    TFolders f = ChooseFolders(programFolder, dataOverride, IsWritableFolder(installed), UserDataHome());
    if (!dataOverride.empty()) {
        // The settings and data files of a folder given are its own; its
        // element folder starts as a copy of the shipped one.
        std::string tleMessage;
        if (MakeFolder(f.data, f.message)) FillFolder(f.program + "tle/", f.base + "tle/", tleMessage);
        if (f.message.empty()) f.message = tleMessage;
    } else if (f.data != installed) {
        std::string tleMessage;
        FillFolder(installed, f.data, f.message);
        FillFolder(f.program + "tle/", f.base + "tle/", tleMessage);
        if (f.message.empty()) f.message = tleMessage;
    }
    return f;
}
