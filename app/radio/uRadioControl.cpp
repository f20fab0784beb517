#include "uRadioControl.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <set>

#include "uFormat.h"
#include "uText.h"

using namespace std::chrono;

namespace {
// Devices driven now, by TDeviceAddress::Key, so that two windows never drive one.
std::mutex gDevicesMutex;
std::set<std::string> gDevices;

// "" when every key could be taken (and they are), else the message.
std::string TakeDevices(const std::vector<std::string>& keys, const std::vector<std::string>& names) {
    std::lock_guard<std::mutex> lock(gDevicesMutex);
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (!keys[i].empty() && gDevices.count(keys[i])) return names[i] + " is already engaged by another control";
    for (const std::string& k : keys)
        if (!k.empty()) gDevices.insert(k);
    return {};
}

void ReleaseDevices(const std::vector<std::string>& keys) {
    std::lock_guard<std::mutex> lock(gDevicesMutex);
    for (const std::string& k : keys)
        if (!k.empty()) gDevices.erase(k);
}

std::string Seconds(milliseconds ms) { return FormatGeneral(static_cast<double>(ms.count()) / 1000.0) + " s"; }
}  // namespace

TRadioClock SystemRadioClock() {
    return [] {
        const double unix = duration<double>(system_clock::now().time_since_epoch()).count();
        return unix / kSecondsPerDay + kUnixEpochDay;
    };
}

milliseconds NextBackoff(milliseconds last) {
    if (last < milliseconds(500)) return milliseconds(500);
    return std::min(last * 2, milliseconds(30000));
}

template <class TStatus>
template <class TDevice>
bool TLinkLoop<TStatus>::ReopenLater(TDevice& dev, milliseconds& backoff) {
    std::string why;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        why = status_.message;
    }
    dev.Close();
    backoff = NextBackoff(backoff);
    SetState(TLinkState::kReconnecting, why + "; reconnecting in " + Seconds(backoff));
    return WaitFor(backoff);
}

template <class TStatus>
template <class TDevice, class TSetup>
bool TLinkLoop<TStatus>::Connect(TDevice& dev, milliseconds& backoff, bool& everOpen, bool& stopped, TSetup setup) {
    std::string e = dev.Open();
    if (e.empty()) {
        e = setup(dev);
        if (!e.empty()) dev.Close();
    }
    if (!e.empty()) {
        backoff = NextBackoff(backoff);
        SetState(everOpen ? TLinkState::kReconnecting : TLinkState::kConnecting, e + "; trying again in " + Seconds(backoff));
        stopped = !WaitFor(backoff);
        return false;
    }
    everOpen = true;
    backoff = milliseconds(0);
    std::lock_guard<std::mutex> lock(mutex_);
    status_.state = TLinkState::kEngaged;
    ++status_.connects;
    return true;
}

template <class TStatus>
std::string TLinkLoop<TStatus>::Begin(const std::vector<std::string>& keys, const std::vector<std::string>& names) {
    if (std::string e = TakeDevices(keys, names); !e.empty()) return e;
    keys_ = keys;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        status_ = TStatus{};
        status_.state = TLinkState::kConnecting;
    }
    stop_ = false;
    return {};
}

template <class TStatus>
void TLinkLoop<TStatus>::End() {
    ReleaseDevices(keys_);
    keys_.clear();
    std::lock_guard<std::mutex> lock(mutex_);
    status_.state = TLinkState::kIdle;
}

const char* RigTypeName(TRigType type) {
    switch (type) {
        case TRigType::kReceiveOnly: return "rx";
        case TRigType::kTransmitOnly: return "tx";
        case TRigType::kSimplexPtt: return "simplex";
        case TRigType::kFullDuplex: return "duplex";
        case TRigType::kTwoRadios: return "two";
    }
    return "duplex";
}

bool ParseRigType(const std::string& name, TRigType& type) {
    for (TRigType t : {TRigType::kReceiveOnly, TRigType::kTransmitOnly, TRigType::kSimplexPtt, TRigType::kFullDuplex,
                       TRigType::kTwoRadios})
        if (name == RigTypeName(t)) {
            type = t;
            return true;
        }
    return false;
}

TRigSettings TRigSettings::ForType(TRigType type) {
    TRigSettings s;
    s.type = type;
    switch (type) {
        case TRigType::kFullDuplex: s.downVfo = "Main", s.upVfo = "Sub"; break;
        case TRigType::kSimplexPtt: s.downVfo = "VFOA", s.upVfo = "VFOB"; break;
        default: s.downVfo = "currVFO", s.upVfo = "currVFO"; break;
    }
    return s;
}

const char* LinkStateName(TLinkState state) {
    switch (state) {
        case TLinkState::kIdle: return "Idle";
        case TLinkState::kConnecting: return "Connecting";
        case TLinkState::kEngaged: return "Engaged";
        case TLinkState::kReconnecting: return "Reconnecting";
    }
    return "Idle";
}

std::string RadioMode(const std::string& mode, bool uplinkOfInverting) {
    const std::string m = UpperText(mode);
    if (m == "USB" || m == "LSB") {
        if (!uplinkOfInverting) return m;
        return m == "USB" ? "LSB" : "USB";
    }
    if (m == "CW" || m == "AM") return m;
    if (m == "FM" || m == "FMN" || m == "AFSK" || m == "APRS" || m == "SSTV" || m.empty()) return "FM";
    return uplinkOfInverting ? "LSB" : "USB";
}

// ---- radio ------------------------------------------------------------------

struct TRigControl::Channel {
    bool downlink = true;
    std::string vfo;
    std::string mode;          // hamlib's
    bool watchDial = false;
    double commanded = 0.0;    // Hz, 0: nothing written on this link yet
    steady_clock::time_point lastWrite{};
};

TRigControl::TRigControl(const TRigSettings& settings, const TSatRec& sat, const TSite& site,
                         const TTransponder& transponder, TRadioClock clock)
    : settings_(settings), clock_(std::move(clock)), tuner_(sat, site, transponder) {
    settings_.periodMs = std::clamp(settings_.periodMs, 100, 2000);
    settings_.settleMs = std::clamp(settings_.settleMs, 0, 10000);
    downMode_ = RadioMode(transponder.mode, false);
    upMode_ = RadioMode(transponder.mode, transponder.inverting && transponder.IsLinear());
    for (const TModeOffset& o : settings_.offsets)
        if (UpperText(o.mode) == UpperText(transponder.mode)) tuner_.SetOffsets(o.down, o.up);
    devices_.push_back(settings_.radio);
    if (settings_.type == TRigType::kTwoRadios) devices_.push_back(settings_.txRadio);
}

TRigControl::~TRigControl() { Disengage(); }

std::string TRigControl::Engage() {
    if (Engaged()) return "The radio control is engaged already";
    std::vector<std::string> keys, names;
    for (const TDeviceAddress& d : devices_) {
        keys.push_back(d.Key());
        names.push_back("The radio at " + d.Text());
    }
    if (devices_.size() == 2 && !keys[0].empty() && keys[0] == keys[1])
        return "The two radios must be two devices, not " + devices_[0].Text() + " twice";
    if (std::string e = Begin(keys, names); !e.empty()) return e;
    for (std::size_t i = 0; i < devices_.size(); ++i) threads_.emplace_back([this, i] { Run(i); });
    return {};
}

void TRigControl::Disengage() {
    RequestStop();
    for (std::thread& t : threads_) t.join();
    threads_.clear();
    End();
}

TRigStatus TRigControl::Status() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return status_;
}

void TRigControl::TuneDownlink(double downSat) {
    std::lock_guard<std::mutex> lock(mutex_);
    tuner_.TuneDownlink(downSat);
}

void TRigControl::TuneUplink(double upSat) {
    std::lock_guard<std::mutex> lock(mutex_);
    tuner_.TuneUplink(upSat);
}

bool TRigControl::Setup(TRadioDevice& dev, std::vector<Channel>& channels) {
    const TTransponder& tp = tuner_.Transponder();
    auto note = [&](const std::string& e) {
        if (e.empty() || dev.LastWasUnsupported()) return true;
        SetState(TLinkState::kConnecting, e);
        return !dev.Lost();
    };
    if (settings_.type == TRigType::kFullDuplex && !note(dev.SetSatelliteMode(true))) return false;
    if (settings_.type == TRigType::kSimplexPtt && !note(dev.SetSplit(settings_.upVfo))) return false;
    for (const Channel& c : channels) {
        if (!note(dev.SetMode(c.vfo, c.mode, settings_.passband))) return false;
        if (!c.downlink && tp.ctcss > 0.0 && !note(dev.SetTone(c.vfo, tp.ctcss))) return false;
    }
    return true;
}

void TRigControl::Run(std::size_t device) {
    const TTransponder tp = tuner_.Transponder();
    std::vector<Channel> channels;
    auto add = [&](bool downlink, const std::string& vfo) {
        if (downlink ? !tp.HasDownlink() : !tp.HasUplink()) return;
        Channel c;
        c.downlink = downlink;
        c.vfo = vfo;
        c.mode = downlink ? downMode_ : upMode_;
        channels.push_back(c);
    };
    switch (settings_.type) {
        case TRigType::kReceiveOnly: add(true, settings_.downVfo); break;
        case TRigType::kTransmitOnly: add(false, settings_.upVfo); break;
        case TRigType::kSimplexPtt:
        case TRigType::kFullDuplex:
            add(true, settings_.downVfo);
            add(false, settings_.upVfo);
            break;
        case TRigType::kTwoRadios: add(device == 0, device == 0 ? settings_.downVfo : settings_.upVfo); break;
    }
    // The dial the user turns: the downlink's, or the uplink's when there is none.
    if (!channels.empty() && (settings_.type != TRigType::kTwoRadios || device == 0 || !tp.HasDownlink()))
        channels.front().watchDial = true;

    TRadioDevice dev(devices_[device]);
    milliseconds backoff{0};
    const milliseconds period(settings_.periodMs), settle(settings_.settleMs);
    bool everOpen = false;
    while (true) {
        if (!dev.IsOpen()) {
            bool stopped = false;
            const bool open = Connect(dev, backoff, everOpen, stopped, [&](TRadioDevice& d) {
                if (Setup(d, channels)) return std::string();
                std::lock_guard<std::mutex> lock(mutex_);
                return status_.message;
            });
            if (stopped) break;
            if (!open) continue;
            for (Channel& c : channels) c.commanded = 0.0;
        }
        const auto tickStart = steady_clock::now();
        TRadioTarget target;
        bool have = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            have = tuner_.Update(clock_(), target);
            if (have) status_.target = target, status_.haveTarget = true;
        }
        bool ptt = false;
        if (have && settings_.type == TRigType::kSimplexPtt) dev.GetPtt(ptt);
        for (Channel& c : channels) {
            if (!have || dev.Lost()) break;
            // No receive corrections while transmitting on a simplex radio.
            if (ptt && c.downlink) continue;
            double want = c.downlink ? target.downRadio : target.upRadio;
            const double deadband = settings_.deadbands.For(c.mode);
            const auto now = steady_clock::now();
            const bool watching = c.watchDial && !settings_.ignoreDial && c.commanded > 0.0;
            // The next correction waits for the last one's trusted read-back, so a
            // turn of the dial meanwhile is seen, never written over.
            if (watching && now - c.lastWrite < settle) continue;
            if (watching) {
                double read = 0.0;
                if (dev.GetFrequency(c.vfo, read).empty()) {
                    std::lock_guard<std::mutex> lock(mutex_);
                    (c.downlink ? status_.readDown : status_.readUp) = read;
                    if (std::fabs(read - c.commanded) > deadband) {
                        // Trusted only after the settle time: the user's dial.
                        if (c.downlink) tuner_.DownlinkDialAt(read, target.look.rangeRate);
                        else tuner_.UplinkDialAt(read, target.look.rangeRate);
                        ++status_.dialMoves;
                        c.commanded = read;
                        if (tuner_.Update(target.look.t, target)) status_.target = target;
                        want = c.downlink ? target.downRadio : target.upRadio;
                    }
                }
                if (dev.Lost()) break;
            }
            if (!(want > 0.0) || !NeedsCorrection(c.commanded, want, deadband)) continue;
            const std::string e = dev.SetFrequency(c.vfo, want);
            c.lastWrite = steady_clock::now();
            std::lock_guard<std::mutex> lock(mutex_);
            if (!e.empty()) {
                status_.message = e;
                continue;
            }
            c.commanded = want;
            (c.downlink ? status_.sentDown : status_.sentUp) = want;
            ++status_.frequencyCommands;
        }
        if (dev.Lost()) {
            if (!ReopenLater(dev, backoff)) break;
            continue;
        }
        const auto spent = duration_cast<milliseconds>(steady_clock::now() - tickStart);
        if (!WaitFor(std::max(milliseconds(1), period - spent))) break;
    }
    dev.Close();
}

// ---- rotator ----------------------------------------------------------------

TRotatorControl::TRotatorControl(const TRotatorControlSettings& settings, TRadioClock clock)
    : settings_(settings), clock_(std::move(clock)) {
    settings_.periodMs = std::clamp(settings_.periodMs, 100, 5000);
}

TRotatorControl::~TRotatorControl() { Disengage(); }

std::string TRotatorControl::Engage() {
    if (Engaged()) return "The rotator control is engaged already";
    if (std::string e = Begin({settings_.rotator.Key()}, {"The rotator at " + settings_.rotator.Text()}); !e.empty())
        return e;
    thread_ = std::thread([this] { Run(); });
    return {};
}

void TRotatorControl::Disengage() {
    RequestStop();
    if (thread_.joinable()) thread_.join();
    End();
}

void TRotatorControl::SetPlan(TRotatorPlan plan) {
    std::lock_guard<std::mutex> lock(mutex_);
    plan_ = std::move(plan);
}

TRotatorStatus TRotatorControl::Status() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return status_;
}

void TRotatorControl::Run() {
    TRotatorDevice dev(settings_.rotator);
    milliseconds backoff{0};
    const milliseconds period(settings_.periodMs);
    bool everOpen = false, sent = false;
    TRotatorCommand last;
    while (true) {
        if (!dev.IsOpen()) {
            bool stopped = false;
            const bool open = Connect(dev, backoff, everOpen, stopped, [](TRotatorDevice&) { return std::string(); });
            if (stopped) break;
            if (!open) continue;
            sent = false;
        }
        const auto tickStart = steady_clock::now();
        bool have = false;
        TRotatorCommand command;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (const TRotatorCommand* c = plan_.At(clock_())) command = *c, have = true;
        }
        if (have && (!sent || std::fabs(command.az - last.az) >= settings_.deadband ||
                     std::fabs(command.el - last.el) >= settings_.deadband)) {
            const std::string e = dev.SetPosition(command.az, command.el);
            std::lock_guard<std::mutex> lock(mutex_);
            if (e.empty()) {
                last = command;
                sent = true;
                status_.commanded = command;
                status_.haveCommand = true;
                ++status_.positionCommands;
            } else {
                status_.message = e;
            }
        }
        if (!dev.Lost()) {
            double az = 0.0, el = 0.0;
            const std::string e = dev.GetPosition(az, el);
            std::lock_guard<std::mutex> lock(mutex_);
            if (e.empty()) status_.readAz = az, status_.readEl = el, status_.haveReading = true;
            else status_.message = e;
        }
        if (dev.Lost()) {
            if (!ReopenLater(dev, backoff)) break;
            continue;
        }
        const auto spent = duration_cast<milliseconds>(steady_clock::now() - tickStart);
        if (!WaitFor(std::max(milliseconds(1), period - spent))) break;
    }
    dev.Close();
}
