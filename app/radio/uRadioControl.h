// The control loops: each device is driven from a worker thread of its own,
// never from the UI thread. A loop sends one command at a time and reads
// every reply (hamlib does); the frequency it sends is computed afresh each
// period, so at most one frequency command is in flight and a stale
// correction is dropped, never queued. Callers read a status snapshot; the
// loops touch nothing of theirs.
#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "uHamlib.h"
#include "uRotatorPlan.h"
#include "uTuning.h"

// UTC day number now; tests replay a pass on a clock of their own.
using TRadioClock = std::function<double()>;
TRadioClock SystemRadioClock();

enum class TRigType {
    kReceiveOnly,   // the downlink on the current VFO
    kTransmitOnly,  // the uplink on the current VFO
    kSimplexPtt,    // one radio, split: receive on one VFO, transmit on the other
    kFullDuplex,    // satellite mode: the downlink on one VFO, the uplink on the other
    kTwoRadios,     // the downlink on one radio, the uplink on another
};
const char* RigTypeName(TRigType type);        // "rx", "tx", "simplex", "duplex", "two"
bool ParseRigType(const std::string& name, TRigType& type);

struct TRigSettings {
    TRigType type = TRigType::kFullDuplex;
    TDeviceAddress radio{kNetRadioModel, "localhost:4532", 0};
    TDeviceAddress txRadio{kNetRadioModel, "localhost:4534", 0};  // kTwoRadios: the uplink's
    // VFOs by name, never by swapping: full duplex Main/Sub, simplex VFOA/VFOB.
    std::string downVfo = "Main";
    std::string upVfo = "Sub";
    int periodMs = 500;   // 100 to 2000
    // A read-back is trusted this long after a write; the dial's radio is not
    // written again before its read-back (ignoreDial: no read-backs at all).
    int settleMs = 350;
    bool ignoreDial = false;
    TDeadbands deadbands;
    std::vector<TModeOffset> offsets;
    int passband = 0;     // Hz, 0: the radio's normal one for the mode
    // The defaults of a rig type's VFOs.
    static TRigSettings ForType(TRigType type);
};

enum class TLinkState { kIdle, kConnecting, kEngaged, kReconnecting };
const char* LinkStateName(TLinkState state);

struct TRigStatus {
    TLinkState state = TLinkState::kIdle;
    std::string message;          // the last problem, "" when none since engaging
    bool haveTarget = false;
    TRadioTarget target;          // the latest engine update
    double sentDown = 0.0, sentUp = 0.0;  // last written (Hz)
    double readDown = 0.0, readUp = 0.0;  // last read back (Hz)
    uint64_t frequencyCommands = 0;
    uint64_t dialMoves = 0;       // read-backs taken as the user's dial
    uint64_t connects = 0;        // successful opens, the first included
};

// What a device loop shares: its status under a lock, and a stop that ends
// its waits at once.
template <class TStatus>
class TLinkLoop {
protected:
    void SetState(TLinkState state, const std::string& message) {
        std::lock_guard<std::mutex> lock(mutex_);
        status_.state = state;
        if (!message.empty()) status_.message = message;
    }
    // False when asked to stop while waiting.
    bool WaitFor(std::chrono::milliseconds ms) {
        std::unique_lock<std::mutex> lock(stopMutex_);
        return !stopCv_.wait_for(lock, ms, [this] { return stop_; });
    }
    void RequestStop() {
        {
            std::lock_guard<std::mutex> lock(stopMutex_);
            stop_ = true;
        }
        stopCv_.notify_all();
    }
    // A device the loop has lost is closed, the loss told with its reason,
    // and the next back-off waited; false when asked to stop meanwhile.
    template <class TDevice>
    bool ReopenLater(TDevice& dev, std::chrono::milliseconds& backoff);
    // Opens dev and runs setup(dev) ("" or why not) on it: true when both
    // went well (the loop is engaged), else the reason is told, the next
    // back-off waited and false returned (stopped: asked to stop meanwhile).
    // everOpen: the device's thread's own, whether it was open since engaging.
    template <class TDevice, class TSetup>
    bool Connect(TDevice& dev, std::chrono::milliseconds& backoff, bool& everOpen, bool& stopped, TSetup setup);
    // Takes the devices of keys (names: what messages call them) and sets
    // the status to connecting; "" or why not (one is engaged already).
    std::string Begin(const std::vector<std::string>& keys, const std::vector<std::string>& names);
    // After the loop's threads have ended: frees the devices, idle.
    void End();

    mutable std::mutex mutex_;
    TStatus status_;
    std::mutex stopMutex_;
    std::condition_variable stopCv_;
    bool stop_ = false;
    std::vector<std::string> keys_;  // the devices taken while engaged
};

class TRigControl : private TLinkLoop<TRigStatus> {
public:
    TRigControl(const TRigSettings& settings, const TSatRec& sat, const TSite& site,
                const TTransponder& transponder, TRadioClock clock = SystemRadioClock());
    ~TRigControl();
    TRigControl(const TRigControl&) = delete;
    TRigControl& operator=(const TRigControl&) = delete;

    // Starts the loops; "" or why not (engaged already, or a device that
    // another control drives).
    std::string Engage();
    // Stops the loops and frees the devices; returns when they have ended.
    void Disengage();
    bool Engaged() const { return !threads_.empty(); }

    TRigStatus Status() const;
    // The user's frequency at the satellite, from the window; the loops
    // take the latest at their next period.
    void TuneDownlink(double downSat);
    void TuneUplink(double upSat);

private:
    struct Channel;
    void Run(std::size_t device);
    bool Setup(TRadioDevice& dev, std::vector<Channel>& channels);

    TRigSettings settings_;
    TRadioClock clock_;
    // mutex_ guards tuner_ as well as status_.
    TTuner tuner_;
    std::string downMode_, upMode_;
    std::vector<TDeviceAddress> devices_;
    std::vector<std::thread> threads_;
};

struct TRotatorControlSettings {
    TDeviceAddress rotator{kNetRotatorModel, "localhost:4533", 0};
    int periodMs = 500;
    double deadband = 0.1;  // degrees: a command this close to the last sent is not sent again
};

struct TRotatorStatus {
    TLinkState state = TLinkState::kIdle;
    std::string message;
    bool haveCommand = false;
    TRotatorCommand commanded;     // last sent
    bool haveReading = false;
    double readAz = 0.0, readEl = 0.0;
    uint64_t positionCommands = 0;
    uint64_t connects = 0;
};

class TRotatorControl : private TLinkLoop<TRotatorStatus> {
public:
    explicit TRotatorControl(const TRotatorControlSettings& settings, TRadioClock clock = SystemRadioClock());
    ~TRotatorControl();
    TRotatorControl(const TRotatorControl&) = delete;
    TRotatorControl& operator=(const TRotatorControl&) = delete;

    std::string Engage();
    void Disengage();
    bool Engaged() const { return thread_.joinable(); }
    // The plan to follow from now on (the latest wins).
    void SetPlan(TRotatorPlan plan);
    TRotatorStatus Status() const;

private:
    void Run();

    TRotatorControlSettings settings_;
    TRadioClock clock_;
    TRotatorPlan plan_;  // under mutex_
    std::thread thread_;
};

// hamlib's mode for a transponder's mode: FM and its data modes on FM, the
// sidebands and CW as they are, other data on USB. The uplink of an
// inverting transponder takes the other sideband.
std::string RadioMode(const std::string& mode, bool uplinkOfInverting);

// Reconnect delays: 0.5 s, doubling to 30 s.
std::chrono::milliseconds NextBackoff(std::chrono::milliseconds last);
