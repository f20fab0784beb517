// What the program settles before its window opens: the command line and
// the folders it reads and writes. No widgets.
#pragma once
#include <string>
#include <vector>

struct TCommandLine {
    bool help = false;
    bool haveTime = false;
    double time = 0.0;    // --time, UTC day number
    std::string dataDir;  // --data
    std::string screenshots;  // --screenshots: folder for pictures of the three views
};

// "" on success, else a one-line reason for the user.
std::string ParseCommandLine(const std::vector<std::string>& args, TCommandLine& out);
std::string ProgramUsage();

struct TFolders {
    std::string program;  // the executable's folder, ending with '/'
    std::string data;     // settings, catalogues and data files, ending with '/'
    std::string base;     // holds the default element folder "tle/", ending with '/'
    std::string message;  // what went wrong while preparing them, "" when nothing
};

// The settings files: never copied from an installation, never written into one.
bool IsSettingsFile(const std::string& name);

// Where the data lives: --data DIR when given (which also holds the element
// folder "tle/"); else the program folder's "data/" when installWritable;
// else userDataHome + "orbisk/" (userDataHome is $XDG_DATA_HOME or
// ~/.local/share/, "" when neither is known), which also holds "tle/".
TFolders ChooseFolders(const std::string& programFolder, const std::string& dataOverride, bool installWritable,
                       const std::string& userDataHome);

// ChooseFolders for this process, then the folders are made: --data DIR is
// created when missing and its data files used as they are, its "tle/"
// receives the installation's element files it lacks; the user's folder
// receives the installation's data files and element files it lacks.
TFolders ResolveFolders(const std::string& programFolder, const std::string& dataOverride);

// Copies every regular file of from that to lacks (settings files excepted),
// creating to. False, with the reason in message, when something could not
// be copied; what could be copied is.
bool FillFolder(const std::string& from, const std::string& to, std::string& message);
