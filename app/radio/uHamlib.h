// Radios and rotators through hamlib: the network daemons (rigctld and
// rotctld, also what SDR programs speak) or any model hamlib drives directly
// on a serial or USB port. One object belongs to one thread at a time.
// Every call returns "" or a message naming the device, the command and
// hamlib's reason; Lost() tells when the connection is gone.
#pragma once
#include <memory>
#include <string>

// hamlib's models of the network daemons and of its in-process dummies.
inline constexpr int kNetRadioModel = 2;    // rigctld
inline constexpr int kNetRotatorModel = 2;  // rotctld
inline constexpr int kDummyModel = 1;

struct TDeviceAddress {
    int model = kNetRadioModel;
    std::string port;       // "localhost:4532", "/dev/ttyUSB0"
    int serialSpeed = 0;    // baud, 0: the model's default
    // What messages call it: the port, with the model when it is not a daemon.
    std::string Text() const;
    // Two addresses with the same key drive the same device; "" for one
    // that is never shared (hamlib's in-process dummy).
    std::string Key() const;
};

class TRadioDevice {
public:
    explicit TRadioDevice(TDeviceAddress address);
    ~TRadioDevice();
    TRadioDevice(const TRadioDevice&) = delete;
    TRadioDevice& operator=(const TRadioDevice&) = delete;

    // "Cannot reach the radio at ADDRESS: REASON" when it fails.
    std::string Open();
    void Close();
    bool IsOpen() const;
    bool Lost() const { return lost_; }
    const TDeviceAddress& Address() const { return address_; }

    // VFOs by hamlib's names: "Main", "Sub", "VFOA", "VFOB", "currVFO".
    std::string SetFrequency(const std::string& vfo, double hz);
    std::string GetFrequency(const std::string& vfo, double& hz);
    // Mode by hamlib's name ("FM", "USB", "PKTUSB"...); passband Hz, 0: the radio's normal one.
    std::string SetMode(const std::string& vfo, const std::string& mode, int passband);
    std::string SetTone(const std::string& vfo, double hz);
    std::string SetSplit(const std::string& txVfo);
    std::string SetSatelliteMode(bool on);
    std::string GetPtt(bool& on);
    // The radio does not have the function at all (a call to leave out, not an error).
    bool LastWasUnsupported() const { return unsupported_; }

private:
    std::string Check(int code, const std::string& command);
    TDeviceAddress address_;
    struct s_rig* rig_ = nullptr;
    bool open_ = false, lost_ = false, unsupported_ = false;
};

class TRotatorDevice {
public:
    explicit TRotatorDevice(TDeviceAddress address);
    ~TRotatorDevice();
    TRotatorDevice(const TRotatorDevice&) = delete;
    TRotatorDevice& operator=(const TRotatorDevice&) = delete;

    // "Cannot reach the rotator at ADDRESS: REASON" when it fails.
    std::string Open();
    void Close();
    bool IsOpen() const;
    bool Lost() const { return lost_; }
    const TDeviceAddress& Address() const { return address_; }

    std::string SetPosition(double az, double el);  // degrees
    std::string GetPosition(double& az, double& el);

private:
    std::string Check(int code, const std::string& command);
    TDeviceAddress address_;
    struct s_rot* rot_ = nullptr;
    bool open_ = false, lost_ = false;
};
