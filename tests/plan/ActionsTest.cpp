// Programs run at AOS and LOS: started without a shell, the event in their
// environment, their outcome kept, and stopped (with what they started)
// when they hang.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "TempDirTest.h"
#include "uActions.h"
#include "uFormat.h"

class Actions : public TempDirTest {
protected:
    std::string Script(const std::string& name, const std::string& body) {
        const std::string path = Path(name);
        Write(name, "#!/bin/sh\n" + body);
        chmod(path.c_str(), 0755);
        return path;
    }
    std::string Read(const std::string& name) {
        std::ifstream in(Path(name));
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST_F(Actions, TheEventIsInTheEnvironmentAndArgumentsArePassedAsTheyAre) {
    const std::string script = Script("record.sh",
                                      "env | grep '^ORBISK_' | sort > \"$1\"\n"
                                      "printf '%s\\n' \"$2\" >> \"$1\"\n"
                                      "echo 'first problem' >&2\necho 'second problem' >&2\nexit 3\n");
    TActionEvent event;
    event.name = "ISS (ZARYA)";
    event.number = "25544";
    event.event = "AOS";
    event.timeUtc = EncodeDayNumber(2018, 1, 22, 23, 15, 2);
    event.maxElevation = 67.26;
    event.azimuth = 245.04;
    TActionRun run;
    // Shell syntax in an argument stays text: nothing runs it.
    run.argv = {script, Path("env.txt"), "$(touch " + Path("ran") + "); *"};
    run.env = ActionEnvironment(event);
    const TActionResult r = RunAction(run);
    ASSERT_TRUE(r.started) << r.startError;
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitStatus, 3);
    EXPECT_EQ(r.firstErrorLine, "first problem");
    EXPECT_EQ(ActionOutcomeText(r, 30), "exit 3: first problem");
    EXPECT_EQ(Read("env.txt"),
              "ORBISK_AZIMUTH=245.0\nORBISK_EVENT=AOS\nORBISK_MAX_ELEVATION=67.3\nORBISK_NAME=ISS (ZARYA)\n"
              "ORBISK_NUMBER=25544\nORBISK_TIME_UTC=2018-01-22T23:15:02Z\n$(touch " + Path("ran") + "); *\n");
    EXPECT_FALSE(std::filesystem::exists(Path("ran")));
}

TEST_F(Actions, AHangingProgramIsStoppedWithWhatItStarted) {
    // The child sleeps in the background: stopping the script alone would leave it.
    const std::string hang = Script("hang.sh", "sleep 60 &\necho $! > \"$1\"\necho waiting >&2\nwait\n");
    TActionRun run;
    run.argv = {hang, Path("child.pid")};
    run.timeoutSeconds = 1;
    const TActionResult r = RunAction(run);
    ASSERT_TRUE(r.started) << r.startError;
    EXPECT_TRUE(r.timedOut);
    EXPECT_FALSE(r.exited);
    EXPECT_EQ(ActionOutcomeText(r, 1), "stopped after 1 s: waiting");
    const pid_t child = std::stoi(Read("child.pid"));
    // The sleep was in the program's group: it is gone (or a zombie of init, reaped soon).
    for (int i = 0; i < 100 && kill(child, 0) == 0; ++i) usleep(20000);
    EXPECT_NE(kill(child, 0), 0) << "the program's child still runs";

    // One that ignores the polite request is killed.
    const std::string stubborn = Script("stubborn.sh", "trap '' TERM\nwhile :; do sleep 1; done\n");
    run.argv = {stubborn};
    const TActionResult k = RunAction(run);
    EXPECT_TRUE(k.timedOut);
    EXPECT_EQ(k.signal, SIGKILL);
}

TEST_F(Actions, AMissingProgramIsReported) {
    TActionRun run;
    run.argv = {Path("no-such-program")};
    const TActionResult r = RunAction(run);
    EXPECT_FALSE(r.started);
    EXPECT_NE(ActionOutcomeText(r, 30).find("cannot start '" + Path("no-such-program") + "': No such file"),
              std::string::npos)
        << ActionOutcomeText(r, 30);
    run.argv = {"orbisk-no-such-command-anywhere"};
    EXPECT_FALSE(RunAction(run).started);
    // A file that is not executable.
    Write("plain.txt", "text");
    run.argv = {Path("plain.txt")};
    const TActionResult p = RunAction(run);
    EXPECT_FALSE(p.started);
    EXPECT_NE(p.startError.find("Permission denied"), std::string::npos) << p.startError;
    EXPECT_FALSE(RunAction(TActionRun{}).started);
}
