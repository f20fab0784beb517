// Tuning a transponder: the user's frequency is kept fixed in the
// satellite's frame, and both radio frequencies follow the Doppler shift.
// On a linear transponder the uplink follows the downlink across the
// passband (mirrored on an inverting one). Frequencies Hz.
#pragma once
#include <string>

#include "SatTypes.h"
#include "uDoppler.h"
#include "uTransponders.h"
#include "uVarDef.h"

// The uplink at the satellite that comes down at downSat, and the reverse.
// Outside the passband the edge is taken. For a transponder that is not
// linear: its fixed uplink (downlink).
double PairedUplink(const TTransponder& t, double downSat);
double PairedDownlink(const TTransponder& t, double upSat);
// downSat kept inside the downlink passband (unchanged without one).
double ClampDownlink(const TTransponder& t, double downSat);

// Below this difference (Hz) a correction is not sent: per mode, FM about
// 300 Hz, SSB and CW about 20 Hz, data modes as configured.
struct TDeadbands {
    double fm = 300.0;
    double linear = 20.0;  // SSB, CW
    double data = 100.0;   // anything else
    double For(const std::string& mode) const;
};

// A fixed offset (Hz) added at the radio per mode, for a radio whose dial is
// off or a converter in the line.
struct TModeOffset {
    std::string mode;
    double down = 0.0;
    double up = 0.0;
};

// One engine update: where the satellite is and what the radio must be
// tuned to.
struct TRadioTarget {
    TLook look;
    double downSat = 0.0, upSat = 0.0;      // at the satellite
    double downRadio = 0.0, upRadio = 0.0;  // at the radio, offsets included
    double DownShift() const { return downRadio - downSat; }
    double UpShift() const { return upRadio - upSat; }
};

// The tuning of one satellite and transponder for one observer. Not shared
// between threads by itself (the control loops lock around it).
class TTuner {
public:
    TTuner(const TSatRec& sat, const TSite& site, const TTransponder& transponder);
    const TTransponder& Transponder() const { return transponder_; }
    void SetOffsets(double down, double up) { downOffset_ = down, upOffset_ = up; }

    // The user's downlink at the satellite (clamped to the passband); the
    // uplink follows. For a transponder without a downlink, the uplink.
    void TuneDownlink(double downSat);
    void TuneUplink(double upSat);
    double DownlinkSat() const { return downSat_; }
    double UplinkSat() const { return upSat_; }

    // The user turned the dial: a radio frequency read back, with the range
    // rate it was received under, becomes the new satellite-frame frequency.
    void DownlinkDialAt(double radioHz, double rangeRate);
    void UplinkDialAt(double radioHz, double rangeRate);

    // State, range rate and both frequencies at t; false when the satellite
    // is decayed there.
    bool Update(double t, TRadioTarget& out);

private:
    TSatRec sat_;
    TSite site_;
    TTransponder transponder_;
    double downSat_ = 0.0, upSat_ = 0.0;
    double downOffset_ = 0.0, upOffset_ = 0.0;
};

// The deadband decision: a correction is sent when it differs from what the
// radio was last told by at least the deadband.
inline bool NeedsCorrection(double commanded, double target, double deadband) {
    return !(commanded > 0.0) || std::abs(target - commanded) >= deadband;
}
