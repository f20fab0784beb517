// The control loops against hamlib's own daemons (started here on free
// loopback ports, stopped by PID) and through a recording relay of ours.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "RadioTestUtil.h"
#include "predict/PredictTestUtil.h"
#include "uRadioControl.h"

namespace {
const TObserver kSite = TestObserver(52.0, 4.0, 0.05);

TTransponder Repeater() {
    TTransponder t;
    t.catalogue = 25544;
    t.description = "FM voice repeater";
    t.downlinkLow = t.downlinkHigh = 437.8e6;
    t.uplinkLow = t.uplinkHigh = 145.99e6;
    t.mode = "FM";
    t.ctcss = 67.0;
    return t;
}

TTransponder Linear() {
    TTransponder t;
    t.catalogue = 25544;
    t.description = "made-up inverting linear transponder";
    t.downlinkLow = 435.8e6, t.downlinkHigh = 435.9e6;
    t.uplinkLow = 145.9e6, t.uplinkHigh = 146.0e6;
    t.mode = "USB";
    t.inverting = true;
    return t;
}

TSatRec Iss() { return ByNumber(LoadTestSats(), "25544"); }

// The first ISS pass of 2018-01-21 for the site, high enough to sweep the Doppler shift.
TLinePass FirstPass() {
    TPredictionInputs in = TestInputs(EncodeDayNumber(2018, 1, 21), EncodeDayNumber(2018, 1, 22), false, true);
    in.minElevation = 0.0;
    return RunLineSearch(in, {Iss()}, kSite, 1).linePasses.at(0);
}

// A clock that replays [from, to] in steps of `step` seconds, one a call, then stays at `to`.
TRadioClock Replay(double from, double to, double step, std::shared_ptr<std::atomic<int>> calls) {
    return [=] {
        const double t = from + (*calls)++ * step / kSecondsPerDay;
        return std::min(t, to);
    };
}

#define NEED_DAEMONS()                                                                                        \
    if (!TDaemon::Installed("rigctld") || !TDaemon::Installed("rotctld"))                                      \
    FAIL() << "rigctld and rotctld are needed (libhamlib-utils; scripts/install-deps installs it)"

TRigSettings Duplex(const std::string& address, int periodMs = 100) {
    TRigSettings s = TRigSettings::ForType(TRigType::kFullDuplex);
    s.radio.port = address;
    s.periodMs = periodMs;
    return s;
}

double ReadFrequency(const std::string& address, const std::string& vfo) {
    TRadioDevice dev({kNetRadioModel, address, 0});
    double hz = 0.0;
    if (!dev.Open().empty() || !dev.GetFrequency(vfo, hz).empty()) return -1.0;
    return hz;
}
}  // namespace

TEST(RigDaemon, ReplayedPassEndsOnTheComputedFrequenciesAndTheRotatorOnItsLastCommand) {
    NEED_DAEMONS();
    TDaemon rig("rigctld", FreePort(), {"--vfo"});
    TDaemon rot("rotctld", FreePort());
    ASSERT_TRUE(rig.Start());
    ASSERT_TRUE(rot.Start());
    const TLinePass pass = FirstPass();
    auto calls = std::make_shared<std::atomic<int>>(0);
    TRigControl control(Duplex(rig.Address()), Iss(), kSite, Repeater(), Replay(pass.aos, pass.los, 20.0, calls));

    TRotatorSettings rs;
    ParseAzimuthRange("0-450", rs.limits);
    rs.parkAz = 90.0;  // near where this pass sets, so the dummy's slow motion ends soon
    const TRotatorPlan plan = PlanPass(PassTrack(Iss(), kSite, pass.aos, pass.los, 1.0), rs, 90.0);
    auto rotCalls = std::make_shared<std::atomic<int>>(0);
    TRotatorControlSettings rcs;
    rcs.rotator.port = rot.Address();
    rcs.periodMs = 100;
    TRotatorControl rotator(rcs, Replay(plan.commands.front().t, plan.commands.back().t, 20.0, rotCalls));
    rotator.SetPlan(plan);

    ASSERT_EQ(control.Engage(), "");
    ASSERT_EQ(rotator.Engage(), "");
    ASSERT_TRUE(WaitUntil([&] { return control.Status().haveTarget && control.Status().target.look.t >= pass.los; }, 30.0))
        << control.Status().message;
    std::this_thread::sleep_for(std::chrono::milliseconds(400));  // the last correction's period
    const TRigStatus st = control.Status();
    EXPECT_EQ(st.state, TLinkState::kEngaged) << st.message;
    EXPECT_GT(st.frequencyCommands, 4u);
    EXPECT_EQ(st.dialMoves, 0u);
    TTuner tuner(Iss(), kSite, Repeater());
    TRadioTarget expected;
    ASSERT_TRUE(tuner.Update(pass.los, expected));
    control.Disengage();
    EXPECT_NEAR(ReadFrequency(rig.Address(), "Main"), expected.downRadio, 300.0);
    EXPECT_NEAR(ReadFrequency(rig.Address(), "Sub"), expected.upRadio, 300.0);

    const TRotatorCommand last = plan.commands.back();
    EXPECT_TRUE(WaitUntil(
        [&] {
            const TRotatorStatus s = rotator.Status();
            return s.haveReading && std::fabs(s.readAz - last.az) < 1.0 && std::fabs(s.readEl - last.el) < 1.0;
        },
        60.0))
        << rotator.Status().readAz << " " << rotator.Status().readEl << " for " << last.az << " " << last.el;
    EXPECT_EQ(rotator.Status().commanded.phase, TRotatorPhase::kPark);
}

TEST(RigDaemon, MissingOrKilledDaemonIsReportedAndReconnected) {
    NEED_DAEMONS();
    TDaemon rig("rigctld", FreePort());
    const TLinePass pass = FirstPass();
    auto calls = std::make_shared<std::atomic<int>>(0);
    TRigSettings s = TRigSettings::ForType(TRigType::kReceiveOnly);
    s.radio.port = rig.Address();
    s.periodMs = 100;
    TRigControl control(s, Iss(), kSite, Repeater(), Replay(pass.aos, pass.los, 1.0, calls));
    ASSERT_EQ(control.Engage(), "");
    const std::string refused = "Cannot reach the radio at " + rig.Address() + ": connection refused";
    ASSERT_TRUE(WaitUntil([&] { return control.Status().message.rfind(refused, 0) == 0; }, 5.0)) << control.Status().message;
    EXPECT_EQ(control.Status().state, TLinkState::kConnecting);

    ASSERT_TRUE(rig.Start());
    ASSERT_TRUE(WaitUntil([&] { return control.Status().state == TLinkState::kEngaged; }, 10.0)) << control.Status().message;
    ASSERT_TRUE(WaitUntil([&] { return control.Status().frequencyCommands > 0; }, 5.0));

    rig.Stop();  // mid-pass
    ASSERT_TRUE(WaitUntil([&] { return control.Status().state == TLinkState::kReconnecting; }, 10.0));
    EXPECT_NE(control.Status().message.find(rig.Address()), std::string::npos) << control.Status().message;
    // Counted before the radio is back: its first tuning may come at once.
    const uint64_t before = control.Status().frequencyCommands;
    ASSERT_TRUE(rig.Start());
    EXPECT_TRUE(WaitUntil([&] { return control.Status().connects == 2 && control.Status().state == TLinkState::kEngaged; }, 15.0))
        << control.Status().message;
    // The reconnected radio is tuned again.
    EXPECT_TRUE(WaitUntil([&] { return control.Status().frequencyCommands > before; }, 5.0));
}

TEST(RigControl, OneDeviceIsDrivenByOneControlOnly) {
    const std::string port = std::to_string(FreePort());
    TRigControl a(Duplex("localhost:" + port), Iss(), kSite, Repeater());
    TRigControl b(Duplex("127.0.0.1:" + port), Iss(), kSite, Repeater());
    ASSERT_EQ(a.Engage(), "");
    EXPECT_NE(a.Engage(), "");  // twice
    EXPECT_NE(b.Engage(), "");  // the same daemon by another name
    a.Disengage();
    EXPECT_EQ(b.Engage(), "");  // free again
    TRigSettings two = TRigSettings::ForType(TRigType::kTwoRadios);
    two.radio.port = two.txRadio.port = "127.0.0.1:" + std::to_string(FreePort());
    TRigControl c(two, Iss(), kSite, Repeater());
    EXPECT_NE(c.Engage(), "");

    // hamlib's in-process dummy radio is tuned as a daemon's would be.
    TRigSettings d = Duplex("");
    d.radio = {kDummyModel, "", 0};
    const TLinePass pass = FirstPass();
    auto calls = std::make_shared<std::atomic<int>>(0);
    TRigControl dummy(d, Iss(), kSite, Repeater(), Replay(pass.aos, pass.los, 10.0, calls));
    ASSERT_EQ(dummy.Engage(), "");
    EXPECT_TRUE(WaitUntil([&] { return dummy.Status().frequencyCommands >= 4; }, 10.0)) << dummy.Status().message;
    EXPECT_EQ(dummy.Status().state, TLinkState::kEngaged);
}

// hamlib shares buffers between all its devices: radios and rotators driven
// from threads of their own at once each keep their own values (and, under
// ThreadSanitizer, nothing races inside hamlib).
TEST(HamlibDevices, RadiosAndARotatorOnThreadsOfTheirOwnAtOnce) {
    std::atomic<int> mismatches{0}, failures{0};
    auto radio = [&](double base) {
        TRadioDevice dev({kDummyModel, "", 0});
        if (!dev.Open().empty()) return ++failures, void();
        // hamlib's dummy takes some 100 ms a round.
        for (int i = 0; i < 8; ++i) {
            const double want = base + i * 1000.0;
            double got = 0.0;
            if (!dev.SetFrequency("currVFO", want).empty() || !dev.SetMode("currVFO", i % 2 ? "USB" : "FM", 0).empty() ||
                !dev.GetFrequency("currVFO", got).empty())
                ++failures;
            else if (got != want)
                ++mismatches;
        }
    };
    auto rotator = [&] {
        TRotatorDevice dev({kDummyModel, "", 0});
        if (!dev.Open().empty()) return ++failures, void();
        for (int i = 0; i < 200; ++i) {
            double az = 0.0, el = 0.0;
            if (!dev.SetPosition(i % 90, 10.0).empty() || !dev.GetPosition(az, el).empty()) ++failures;
        }
    };
    // A daemon nobody runs: its refusals are worded while the others work.
    const std::string nobody = "127.0.0.1:" + std::to_string(FreePort());
    auto refused = [&] {
        for (int i = 0; i < 20; ++i) {
            TRadioDevice dev({kNetRadioModel, nobody, 0});
            if (dev.Open() != "Cannot reach the radio at " + nobody + ": connection refused") ++mismatches;
        }
    };
    std::vector<std::thread> threads;
    threads.emplace_back(radio, 145.0e6);
    threads.emplace_back(radio, 435.0e6);
    threads.emplace_back(rotator);
    threads.emplace_back(refused);
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(mismatches.load(), 0);
}

namespace {
// The command lines the relay saw that start with prefix.
std::vector<TRecordingRelay::Line> Starting(const std::vector<TRecordingRelay::Line>& lines, const std::string& prefix) {
    std::vector<TRecordingRelay::Line> out;
    for (const auto& l : lines)
        if (l.text.rfind(prefix, 0) == 0) out.push_back(l);
    return out;
}

double Value(const std::string& line) { return std::atof(line.substr(line.rfind(' ') + 1).c_str()); }
}  // namespace

TEST(RigRelay, EngageSendsModeAndToneAndDuplexWritesGoToTheNamedVfos) {
    NEED_DAEMONS();
    TDaemon rig("rigctld", FreePort(), {"--vfo"});
    ASSERT_TRUE(rig.Start());
    TRecordingRelay relay(rig.Port());
    const TLinePass pass = FirstPass();
    auto calls = std::make_shared<std::atomic<int>>(0);
    TRigControl control(Duplex(relay.Address()), Iss(), kSite, Repeater(), Replay(pass.aos, pass.los, 15.0, calls));
    ASSERT_EQ(control.Engage(), "");
    ASSERT_TRUE(WaitUntil([&] { return Starting(relay.Lines(), "F ").size() >= 10; }, 20.0)) << control.Status().message;
    control.Disengage();
    const auto lines = relay.Lines();
    EXPECT_EQ(Starting(lines, "M Main FM").size(), 1u);
    EXPECT_EQ(Starting(lines, "M Sub FM").size(), 1u);
    const auto tones = Starting(lines, "C ");
    ASSERT_EQ(tones.size(), 1u);
    EXPECT_EQ(Value(tones[0].text), 670.0);  // tenths of a hertz
    std::size_t main = 0, sub = 0;
    auto firstWrite = lines.end();
    for (auto it = lines.begin(); it != lines.end(); ++it) {
        if (it->text.rfind("F ", 0) != 0) continue;
        if (firstWrite == lines.end()) firstWrite = it;
        const double hz = Value(it->text);
        if (it->text.rfind("F Main ", 0) == 0) {
            ++main;
            EXPECT_NEAR(hz, 437.8e6, 12e3) << it->text;  // the downlink, never the uplink
        } else if (it->text.rfind("F Sub ", 0) == 0) {
            ++sub;
            EXPECT_NEAR(hz, 145.99e6, 5e3) << it->text;
        } else {
            ADD_FAILURE() << "a write to no named VFO: " << it->text;
        }
    }
    EXPECT_GT(main, 3u);
    EXPECT_GT(sub, 3u);
    // Once tuning, the radio's VFOs are never switched over.
    for (auto it = firstWrite; it != lines.end(); ++it) EXPECT_NE(it->text.rfind("V ", 0), 0u) << it->text;
}

TEST(RigRelay, OneFrequencyCommandInFlightAndTheLatestWins) {
    NEED_DAEMONS();
    TDaemon rig("rigctld", FreePort(), {"--vfo"});
    ASSERT_TRUE(rig.Start());
    TRecordingRelay relay(rig.Port());
    static constexpr int kDelayMs = 250;  // a slow radio: longer than the period
    relay.SetRule([](const std::string& line) {
        if (line.rfind("F ", 0) == 0) std::this_thread::sleep_for(std::chrono::milliseconds(kDelayMs));
        return std::string();
    });
    const TLinePass pass = FirstPass();
    auto calls = std::make_shared<std::atomic<int>>(0);
    TRigSettings s = TRigSettings::ForType(TRigType::kReceiveOnly);
    s.radio.port = relay.Address();
    s.downVfo = "Main";
    s.periodMs = 100;
    s.ignoreDial = true;  // no read-backs between the writes
    TRigControl control(s, Iss(), kSite, Linear(), Replay(pass.aos + 200.0 / kSecondsPerDay, pass.los, 10.0, calls));
    ASSERT_EQ(control.Engage(), "");
    ASSERT_TRUE(WaitUntil([&] { return control.Status().frequencyCommands > 0; }, 10.0)) << control.Status().message;
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    control.Disengage();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const auto writes = Starting(relay.Lines(), "F Main ");
    ASSERT_GE(writes.size(), 4u);
    for (std::size_t i = 1; i < writes.size(); ++i) {
        // The next write only after the last one's reply.
        EXPECT_GE(writes[i].at - writes[i - 1].at, std::chrono::milliseconds(kDelayMs - 5));
        // Each write is a fresh correction: the downlink only falls through the pass.
        EXPECT_LE(Value(writes[i].text), Value(writes[i - 1].text));
    }
    // Nothing queued up behind the slow replies.
    EXPECT_LE(static_cast<double>(writes.size()), (seconds + 1.0) * 1000.0 / kDelayMs + 2.0);
}

TEST(RigRelay, SettleTimeKeepsOwnWritesFromCountingAsTheDial) {
    NEED_DAEMONS();
    TDaemon rig("rigctld", FreePort(), {"--vfo"});
    ASSERT_TRUE(rig.Start());
    TRecordingRelay relay(rig.Port());
    // A radio that reports its old frequency for 300 ms after each write.
    struct Lag {
        std::mutex m;
        std::chrono::steady_clock::time_point at{};
        std::string before = "0", last = "0";
    };
    auto lag = std::make_shared<Lag>();
    relay.SetRule([lag](const std::string& line) -> std::string {
        std::lock_guard<std::mutex> lock(lag->m);
        if (line.rfind("F Main ", 0) == 0) {
            lag->before = lag->last;
            lag->last = line.substr(7);
            lag->at = std::chrono::steady_clock::now();
        } else if (line == "f Main" && lag->before != "0" &&
                   std::chrono::steady_clock::now() - lag->at < std::chrono::milliseconds(300)) {
            return std::to_string(std::llround(std::atof(lag->before.c_str()))) + "\n";
        }
        return {};
    });
    const TLinePass pass = FirstPass();
    // Deadlines are generous and nothing waits a fixed time: a loaded machine
    // only makes this slower. A run lasts until the control has read its
    // dial back `reads` times.
    auto readBacks = [&] { return Starting(relay.Lines(), "f Main").size(); };
    auto run = [&](int settleMs, std::size_t reads, auto&& during) {
        auto calls = std::make_shared<std::atomic<int>>(0);
        TRigSettings s = Duplex(relay.Address());
        s.settleMs = settleMs;
        TRigControl control(s, Iss(), kSite, Linear(), Replay(pass.aos + 200.0 / kSecondsPerDay, pass.los, 2.0, calls));
        EXPECT_EQ(control.Engage(), "");
        EXPECT_TRUE(WaitUntil([&] { return control.Status().frequencyCommands > 4; }, 60.0));
        const std::size_t from = readBacks();
        EXPECT_TRUE(WaitUntil([&] { return readBacks() >= from + reads; }, 60.0));
        during(control);
        const TRigStatus st = control.Status();
        control.Disengage();
        return st;
    };
    // Without a settle time the radio's lag reads as the user's dial.
    EXPECT_GT(run(0, 1, [](TRigControl& control) { WaitUntil([&] { return control.Status().dialMoves > 0; }, 60.0); })
                  .dialMoves,
              0u);
    TRadioTarget before;
    const TRigStatus st = run(350, 6, [&](TRigControl& control) {
        EXPECT_EQ(control.Status().dialMoves, 0u);
        // Now the user turns the dial 5 kHz up. A correction written after the
        // turn overwrites it unseen, as it would on a real radio: then turn again.
        before = control.Status().target;
        TRadioDevice knob({kNetRadioModel, rig.Address(), 0});
        ASSERT_EQ(knob.Open(), "");
        for (int turn = 0; turn < 10 && control.Status().dialMoves == 0; ++turn) {
            double hz = 0.0;
            ASSERT_EQ(knob.GetFrequency("Main", hz), "");
            ASSERT_EQ(knob.SetFrequency("Main", hz + 5000.0), "");
            const double sent = control.Status().sentDown;
            WaitUntil(
                [&] {
                    const TRigStatus now = control.Status();
                    return now.dialMoves > 0 || now.sentDown != sent;
                },
                60.0);
        }
        EXPECT_EQ(control.Status().dialMoves, 1u) << control.Status().message;
    });
    EXPECT_EQ(st.dialMoves, 1u);
    // The turn less the correction that came between the knob's read and its write.
    EXPECT_NEAR(st.target.downSat - before.downSat, 5000.0, 1500.0);
    // Inverting: the uplink mirrors it.
    EXPECT_NEAR(st.target.upSat - before.upSat, -(st.target.downSat - before.downSat), 1.0);
}
