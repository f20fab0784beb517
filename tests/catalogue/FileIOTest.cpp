// The shared reader and atomic writer against what a hostile or unlucky
// folder holds: FIFOs, folders and links where files should be, orphans of
// killed saves, and power loss between write and rename.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <vector>

#include "../SyncSpy.h"
#include "../common/AsNobody.h"
#include "../TempDirTest.h"
#include "uDataFiles.h"
#include "uFileIO.h"
#include "uLoadSave.h"
#include "uNetFiles.h"

namespace fs = std::filesystem;

namespace {

class FileIO : public TempDirTest {
protected:
    std::string Read(const std::string& name) const {
        std::string s;
        ReadFileBytes(Path(name), 1 << 20, s);
        return s;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> n;
        for (const auto& e : fs::directory_iterator(dir_)) n.push_back(e.path().filename().string());
        std::sort(n.begin(), n.end());
        return n;
    }
};

// Runs a read that must not wait for a writer; a read stuck on the FIFO is
// released by opening its other end, so the test fails instead of hanging.
template <class F>
bool ReturnsPromptly(const std::string& fifo, F read) {
    auto done = std::async(std::launch::async, read);
    if (done.wait_for(std::chrono::seconds(3)) == std::future_status::ready) return true;
    const int w = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (w >= 0) ::close(w);
    done.wait();
    return false;
}

TEST_F(FileIO, FifosAndFoldersAreRefusedWithoutWaitingAndSayWhy) {
    ASSERT_EQ(::mkfifo(Path("star.dat").c_str(), 0644), 0);
    const std::string fifo = Path("star.dat");
    std::vector<std::string> lines;
    std::vector<TElementEntry> entries;
    std::vector<TSatRec> sats;
    EXPECT_TRUE(ReturnsPromptly(fifo, [&] { return ReadDataLines(fifo, lines); }));
    EXPECT_TRUE(ReturnsPromptly(fifo, [&] { return netfiles::ReadLines(fifo, lines); }));
    EXPECT_TRUE(ReturnsPromptly(fifo, [&] { return ReadElementFile(entries, fifo); }));
    EXPECT_TRUE(ReturnsPromptly(fifo, [&] { return LoadCatalogue(sats, fifo); }));
    EXPECT_FALSE(ReadDataLines(fifo, lines));

    fs::create_directory(Path("folder"));
    EXPECT_EQ(FileProblem(fifo), "is not a regular file (a FIFO)");
    EXPECT_EQ(FileProblem(Path("folder")), "is a folder");
    EXPECT_EQ(FileProblem(Path("absent")), "not found");
    Write("plain", "x");
    EXPECT_EQ(FileProblem(Path("plain")), "");
    EXPECT_FALSE(CheckFile(Path("folder")));
    const TStatus status = FileStatus(Path("folder"));
    EXPECT_EQ(status.kind, TStatusKind::ioError);
    EXPECT_EQ(status.message, "File: " + Path("folder") + " is a folder");
}

TEST_F(FileIO, AtomicWriteRefusesWhatIsNotAFileAndWritesThroughLinks) {
    fs::create_directory(Path("folder"));
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0644), 0);
    const TStatus folder = WriteFileAtomic(Path("folder"), "new");
    EXPECT_EQ(folder.kind, TStatusKind::ioError);
    EXPECT_EQ(folder.message, "cannot write " + Path("folder") + ": is a folder");
    const TStatus fifo = WriteFileAtomic(Path("fifo"), "new");
    EXPECT_FALSE(fifo);
    EXPECT_NE(fifo.message.find("FIFO"), std::string::npos) << fifo.message;
    struct stat st {};
    ASSERT_EQ(::lstat(Path("fifo").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "the FIFO was replaced";

    Write("real.bin", "old");
    fs::create_symlink("real.bin", Path("link.bin"));
    const TStatus link = WriteFileAtomic(Path("link.bin"), "new");
    EXPECT_TRUE(link);
    EXPECT_EQ(link.message, "") << "success says nothing";
    EXPECT_TRUE(fs::is_symlink(Path("link.bin")));
    EXPECT_EQ(Read("real.bin"), "new");
    fs::create_symlink("missing.bin", Path("dangling.bin"));
    EXPECT_FALSE(WriteFileAtomic(Path("dangling.bin"), "new"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"dangling.bin", "fifo", "folder", "link.bin", "real.bin"}))
        << "no temporary file is left behind";
}

TEST_F(FileIO, AtomicWriteSyncsTheFileBeforeTheRenameAndTheFolderAfter) {
    syncspy::Start();
    ASSERT_TRUE(WriteFileAtomic(Path("Observer.bin"), "data"));
    const auto synced = syncspy::Stop();
    ASSERT_EQ(synced.size(), 2u);
    EXPECT_TRUE(IsAtomicTempName(fs::path(synced[0]).filename().string())) << synced[0];
    EXPECT_EQ(synced[1], dir_.string());
}

TEST_F(FileIO, StaleTemporaryFilesOfOurOwnAreRemovedOnTheNextWrite) {
    const std::string stale = ".Mag.dat.abc123.orbisk-tmp", locked = ".Mag.dat.def456.orbisk-tmp",
                      fresh = ".Mag.dat.ghi789.orbisk-tmp";
    for (const std::string& n : {stale, locked, fresh, std::string("Mag.dat.abc123"), std::string("notes.orbisk-tmp")})
        Write(n, std::string(1000, 'x'));
    const utimbuf hourAgo{std::time(nullptr) - 3600, std::time(nullptr) - 3600};
    for (const std::string& n : {stale, locked, std::string("Mag.dat.abc123"), std::string("notes.orbisk-tmp")})
        ::utime(Path(n).c_str(), &hourAgo);
    // A save still in progress in another process holds its lock.
    const int writer = ::open(Path(locked).c_str(), O_RDWR);
    ASSERT_EQ(::flock(writer, LOCK_EX), 0);

    ASSERT_TRUE(WriteFileAtomic(Path("Options.bin"), "new"));
    ::close(writer);
    EXPECT_EQ(Names(), (std::vector<std::string>{locked, fresh, "Mag.dat.abc123", "Options.bin", "notes.orbisk-tmp"}));
}

TEST_F(FileIO, ReplacedFilesKeepTheirModeAndReadOnlyOnesAreRefused) {
    auto modeOf = [&](const std::string& name) {
        struct stat st {};
        ::stat(Path(name).c_str(), &st);
        return st.st_mode & 0777;
    };
    Write("Options.bin", "old");
    ::chmod(Path("Options.bin").c_str(), 0640);
    Write("InternetInfo.ini", "old");
    ::chmod(Path("InternetInfo.ini").c_str(), 0644);
    ASSERT_TRUE(WriteFileAtomic(Path("Options.bin"), "new"));
    ASSERT_TRUE(WriteFileAtomic(Path("InternetInfo.ini"), "new", 0600));
    ASSERT_TRUE(WriteFileAtomic(Path("fresh.bin"), "new", 0600));
    EXPECT_EQ(modeOf("Options.bin"), 0640u);
    EXPECT_EQ(modeOf("InternetInfo.ini"), 0600u) << "a file holding secrets never becomes readable by others";
    EXPECT_EQ(modeOf("fresh.bin"), 0600u);

    Write("MainSat.bin", "records");
    ::chmod(Path("MainSat.bin").c_str(), 0444);
    const std::string why = WriteFileAtomic(Path("MainSat.bin"), "").message;
    EXPECT_EQ(why, "cannot write " + Path("MainSat.bin") + ": the file is read-only");
    EXPECT_EQ(NotWrittenText(Path("MainSat.bin"), why), "File: " + Path("MainSat.bin") + " could not be written: the file is read-only");
    EXPECT_EQ(Read("MainSat.bin"), "records");
    EXPECT_EQ(modeOf("MainSat.bin"), 0444u);
}

TEST_F(FileIO, AFileThatCannotBeReadIsKeptUntilWhatWouldReplaceItChanges) {
    Write("MainSat.bin", "records");
    ::chmod(Path("MainSat.bin").c_str(), 0);
    ::chmod(dir_.c_str(), 0777);
    const std::string locked = Path("MainSat.bin"), absent = Path("absent");
    const int verdict = AsNobody([&] {
        std::string bytes;
        return !ReadFileBytes(locked, 100, bytes) && IsUnreadableFile(locked) && !IsUnreadableFile(absent) &&
               FileProblemText(locked) == "File: " + locked + " cannot be read: Permission denied";
    });
    if (verdict < 0) GTEST_SKIP() << "cannot run as nobody";
    EXPECT_EQ(verdict, 1);
    fs::create_directory(Path("folder"));
    EXPECT_TRUE(IsUnreadableFile(Path("folder")));
    EXPECT_EQ(FileProblemText(absent), "File: " + absent + " not found");

    TReadGuard unread, whole;
    unread.Loaded(false, "");
    whole.Loaded(true, "");
    EXPECT_FALSE(unread.MayReplace("")) << "what stood in for the file";
    EXPECT_TRUE(unread.MayReplace("a change"));
    EXPECT_TRUE(whole.MayReplace(""));
}

}  // namespace
