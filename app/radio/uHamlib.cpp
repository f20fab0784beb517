#include "uHamlib.h"

#include <hamlib/rig.h>
#include <hamlib/rotator.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace {
// hamlib is not thread-safe: besides its backend registry and debug level,
// every call may write buffers shared by all rigs and rotators (the messages
// it keeps, conf and token lookups, parsing). Every call into it goes one at
// a time, through Hamlib(); a device that stalls holds the others up to its
// timeout.
std::mutex gHamlibMutex;

template <class F>
auto Hamlib(F&& call) {
    std::lock_guard<std::mutex> lock(gHamlibMutex);
    return call();
}

void Quiet() {
    static std::once_flag once;
    std::call_once(once, [] { Hamlib([] { rig_set_debug(RIG_DEBUG_NONE); }); });
}

std::string Lower(std::string s) {
    if (!s.empty()) s[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(s[0])));
    return s;
}

// hamlib's text for a code, without its line end; under gHamlibMutex.
std::string HamlibText(int code) {
    std::string s = rigerror2(code);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
    return s;
}

// Why an open failed: the system's reason for an I/O error (a refused
// connection, a missing port), else hamlib's text; under gHamlibMutex.
std::string OpenReason(int code, int savedErrno) {
    const int c = code < 0 ? -code : code;
    if (c == RIG_EIO && savedErrno != 0) return Lower(std::strerror(savedErrno));
    return Lower(HamlibText(code));
}

// Codes after which the link is to be opened again.
bool IsLinkLost(int code) {
    const int c = code < 0 ? -code : code;
    return c == RIG_EIO || c == RIG_ETIMEOUT || c == RIG_EPROTO || c == RIG_EINTERNAL || c == RIG_EDOM;
}

bool IsUnsupported(int code) {
    const int c = code < 0 ? -code : code;
    return c == RIG_ENIMPL || c == RIG_ENAVAIL || c == RIG_ENTARGET;
}

std::string LockedText(int code) {
    return Lower(Hamlib([code] { return HamlibText(code); }));
}

std::string MhzText(double hz) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6f MHz", hz / 1.0e6);
    return buf;
}
}  // namespace

std::string TDeviceAddress::Text() const {
    if (model == kNetRadioModel || model == kNetRotatorModel) return port;
    return port.empty() ? "model " + std::to_string(model) : port + " (model " + std::to_string(model) + ")";
}

std::string TDeviceAddress::Key() const {
    std::string p = port;
    // localhost and 127.0.0.1 are one daemon.
    if (p.rfind("localhost:", 0) == 0) p = "127.0.0.1:" + p.substr(10);
    // An in-process dummy is its own device each time: never shared.
    if (model == kDummyModel) return {};
    return std::to_string(model) + "@" + p;
}

// ---- radio ------------------------------------------------------------------

TRadioDevice::TRadioDevice(TDeviceAddress address) : address_(std::move(address)) { Quiet(); }
TRadioDevice::~TRadioDevice() { Close(); }

bool TRadioDevice::IsOpen() const { return open_; }

std::string TRadioDevice::Open() {
    Close();
    std::lock_guard<std::mutex> lock(gHamlibMutex);
    lost_ = false;
    rig_ = rig_init(address_.model);
    if (!rig_) return "Cannot reach the radio at " + address_.Text() + ": hamlib has no model " + std::to_string(address_.model);
    // The in-process dummy has no port (given one, hamlib would try to open it).
    if (!address_.port.empty() && address_.model != kDummyModel)
        rig_set_conf(rig_, rig_token_lookup(rig_, "rig_pathname"), address_.port.c_str());
    if (address_.serialSpeed > 0)
        rig_set_conf(rig_, rig_token_lookup(rig_, "serial_speed"), std::to_string(address_.serialSpeed).c_str());
    // A daemon that stops answering is noticed within a second, not after hamlib's retries.
    rig_set_conf(rig_, rig_token_lookup(rig_, "timeout"), "1000");
    rig_set_conf(rig_, rig_token_lookup(rig_, "retry"), "0");
    errno = 0;
    const int code = rig_open(rig_);
    const int savedErrno = errno;
    if (code != RIG_OK) {
        rig_cleanup(rig_);
        rig_ = nullptr;
        return "Cannot reach the radio at " + address_.Text() + ": " + OpenReason(code, savedErrno);
    }
    // Every read-back asks the radio: hamlib's cache would answer with our own
    // last write and hide a turn of the dial.
    rig_set_cache_timeout_ms(rig_, HAMLIB_CACHE_ALL, 0);
    open_ = true;
    return {};
}

void TRadioDevice::Close() {
    if (!rig_) return;
    std::lock_guard<std::mutex> lock(gHamlibMutex);
    if (open_) rig_close(rig_);
    rig_cleanup(rig_);
    rig_ = nullptr;
    open_ = false;
}

std::string TRadioDevice::Check(int code, const std::string& command) {
    unsupported_ = false;
    if (code == RIG_OK) return {};
    if (IsUnsupported(code)) unsupported_ = true;
    if (IsLinkLost(code)) {
        lost_ = true;
        return "Lost the radio at " + address_.Text() + " (" + command + "): " + LockedText(code);
    }
    return "The radio at " + address_.Text() + " did not take " + command + ": " + LockedText(code);
}

std::string TRadioDevice::SetFrequency(const std::string& vfo, double hz) {
    if (!open_) return "The radio at " + address_.Text() + " is not open";
    const int code = Hamlib([&] { return rig_set_freq(rig_, rig_parse_vfo(vfo.c_str()), hz); });
    return Check(code, "set_freq " + vfo + " " + MhzText(hz));
}

std::string TRadioDevice::GetFrequency(const std::string& vfo, double& hz) {
    if (!open_) return "The radio at " + address_.Text() + " is not open";
    freq_t f = 0;
    const int code = Hamlib([&] { return rig_get_freq(rig_, rig_parse_vfo(vfo.c_str()), &f); });
    const std::string e = Check(code, "get_freq " + vfo);
    if (e.empty()) hz = f;
    return e;
}

std::string TRadioDevice::SetMode(const std::string& vfo, const std::string& mode, int passband) {
    if (!open_) return "The radio at " + address_.Text() + " is not open";
    const rmode_t m = Hamlib([&] { return rig_parse_mode(mode.c_str()); });
    if (m == RIG_MODE_NONE) return "The radio at " + address_.Text() + " did not take set_mode " + vfo + " " + mode + ": hamlib has no such mode";
    const int code = Hamlib([&] {
        return rig_set_mode(rig_, rig_parse_vfo(vfo.c_str()), m, passband > 0 ? passband : RIG_PASSBAND_NORMAL);
    });
    return Check(code, "set_mode " + vfo + " " + mode);
}

std::string TRadioDevice::SetTone(const std::string& vfo, double hz) {
    if (!open_) return "The radio at " + address_.Text() + " is not open";
    // hamlib counts tones in tenths of a hertz.
    const auto tenths = static_cast<tone_t>(hz * 10.0 + 0.5);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.1f Hz", hz);
    const int code = Hamlib([&] { return rig_set_ctcss_tone(rig_, rig_parse_vfo(vfo.c_str()), tenths); });
    return Check(code, "set_ctcss_tone " + vfo + " " + buf);
}

std::string TRadioDevice::SetSplit(const std::string& txVfo) {
    if (!open_) return "The radio at " + address_.Text() + " is not open";
    const int code = Hamlib([&] { return rig_set_split_vfo(rig_, RIG_VFO_CURR, RIG_SPLIT_ON, rig_parse_vfo(txVfo.c_str())); });
    return Check(code, "set_split_vfo on " + txVfo);
}

std::string TRadioDevice::SetSatelliteMode(bool on) {
    if (!open_) return "The radio at " + address_.Text() + " is not open";
    const int code = Hamlib([&] { return rig_set_func(rig_, RIG_VFO_CURR, RIG_FUNC_SATMODE, on ? 1 : 0); });
    return Check(code, std::string("set_func SATMODE ") + (on ? "1" : "0"));
}

std::string TRadioDevice::GetPtt(bool& on) {
    if (!open_) return "The radio at " + address_.Text() + " is not open";
    ptt_t p = RIG_PTT_OFF;
    const int code = Hamlib([&] { return rig_get_ptt(rig_, RIG_VFO_CURR, &p); });
    const std::string e = Check(code, "get_ptt");
    if (e.empty()) on = p != RIG_PTT_OFF;
    return e;
}

// ---- rotator ----------------------------------------------------------------

TRotatorDevice::TRotatorDevice(TDeviceAddress address) : address_(std::move(address)) { Quiet(); }
TRotatorDevice::~TRotatorDevice() { Close(); }

bool TRotatorDevice::IsOpen() const { return open_; }

std::string TRotatorDevice::Open() {
    Close();
    std::lock_guard<std::mutex> lock(gHamlibMutex);
    lost_ = false;
    rot_ = rot_init(address_.model);
    if (!rot_) return "Cannot reach the rotator at " + address_.Text() + ": hamlib has no model " + std::to_string(address_.model);
    if (!address_.port.empty() && address_.model != kDummyModel)
        rot_set_conf(rot_, rot_token_lookup(rot_, "rot_pathname"), address_.port.c_str());
    if (address_.serialSpeed > 0)
        rot_set_conf(rot_, rot_token_lookup(rot_, "serial_speed"), std::to_string(address_.serialSpeed).c_str());
    rot_set_conf(rot_, rot_token_lookup(rot_, "timeout"), "1000");
    rot_set_conf(rot_, rot_token_lookup(rot_, "retry"), "0");
    // The planner keeps the commands inside the rotator's own ranges; hamlib's
    // limits must not refuse them (a 450 or flipping rotator).
    rot_set_conf(rot_, rot_token_lookup(rot_, "min_az"), "-360");
    rot_set_conf(rot_, rot_token_lookup(rot_, "max_az"), "720");
    rot_set_conf(rot_, rot_token_lookup(rot_, "min_el"), "-90");
    rot_set_conf(rot_, rot_token_lookup(rot_, "max_el"), "180");
    errno = 0;
    const int code = rot_open(rot_);
    const int savedErrno = errno;
    if (code != RIG_OK) {
        rot_cleanup(rot_);
        rot_ = nullptr;
        return "Cannot reach the rotator at " + address_.Text() + ": " + OpenReason(code, savedErrno);
    }
    open_ = true;
    return {};
}

void TRotatorDevice::Close() {
    if (!rot_) return;
    std::lock_guard<std::mutex> lock(gHamlibMutex);
    if (open_) rot_close(rot_);
    rot_cleanup(rot_);
    rot_ = nullptr;
    open_ = false;
}

std::string TRotatorDevice::Check(int code, const std::string& command) {
    if (code == RIG_OK) return {};
    if (IsLinkLost(code)) {
        lost_ = true;
        return "Lost the rotator at " + address_.Text() + " (" + command + "): " + LockedText(code);
    }
    return "The rotator at " + address_.Text() + " did not take " + command + ": " + LockedText(code);
}

std::string TRotatorDevice::SetPosition(double az, double el) {
    if (!open_) return "The rotator at " + address_.Text() + " is not open";
    char buf[48];
    std::snprintf(buf, sizeof buf, "set_pos %.1f %.1f", az, el);
    const int code = Hamlib([&] { return rot_set_position(rot_, static_cast<azimuth_t>(az), static_cast<elevation_t>(el)); });
    return Check(code, buf);
}

std::string TRotatorDevice::GetPosition(double& az, double& el) {
    if (!open_) return "The rotator at " + address_.Text() + " is not open";
    azimuth_t a = 0;
    elevation_t e = 0;
    const int code = Hamlib([&] { return rot_get_position(rot_, &a, &e); });
    const std::string r = Check(code, "get_pos");
    if (r.empty()) az = a, el = e;
    return r;
}
