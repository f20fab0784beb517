#include "uTuning.h"

#include <algorithm>
#include <cmath>

#include "uText.h"

double ClampDownlink(const TTransponder& t, double downSat) {
    if (!t.HasDownlink()) return downSat;
    return std::clamp(downSat, t.downlinkLow, std::max(t.downlinkLow, t.downlinkHigh));
}

namespace {
double ClampUplink(const TTransponder& t, double upSat) {
    if (!t.HasUplink()) return upSat;
    return std::clamp(upSat, t.uplinkLow, std::max(t.uplinkLow, t.uplinkHigh));
}
}  // namespace

double PairedUplink(const TTransponder& t, double downSat) {
    if (!t.IsLinear()) return t.uplinkLow;
    const double d = ClampDownlink(t, downSat);
    // The offset into the downlink passband, from its low edge or (inverting) its high edge.
    return t.inverting ? t.uplinkLow + (t.downlinkHigh - d) : t.uplinkLow + (d - t.downlinkLow);
}

double PairedDownlink(const TTransponder& t, double upSat) {
    if (!t.IsLinear()) return t.downlinkLow;
    const double u = ClampUplink(t, upSat);
    return t.inverting ? t.downlinkHigh - (u - t.uplinkLow) : t.downlinkLow + (u - t.uplinkLow);
}

double TDeadbands::For(const std::string& mode) const {
    const std::string m = UpperText(mode);
    if (m == "FM" || m == "FMN" || m == "WFM") return fm;
    if (m == "USB" || m == "LSB" || m == "CW" || m == "CWR" || m == "SSB") return linear;
    return data;
}

TTuner::TTuner(const TSatRec& sat, const TSite& site, const TTransponder& transponder)
    : sat_(sat), site_(site), transponder_(transponder) {
    // A linear transponder starts in the middle of its passband.
    if (transponder_.HasDownlink())
        TuneDownlink(transponder_.IsLinear() ? (transponder_.downlinkLow + transponder_.downlinkHigh) / 2.0
                                             : transponder_.downlinkLow);
    else
        TuneUplink(transponder_.uplinkLow);
}

void TTuner::TuneDownlink(double downSat) {
    if (!transponder_.HasDownlink()) return TuneUplink(downSat);
    downSat_ = ClampDownlink(transponder_, downSat);
    upSat_ = PairedUplink(transponder_, downSat_);
}

void TTuner::TuneUplink(double upSat) {
    upSat_ = ClampUplink(transponder_, upSat);
    downSat_ = transponder_.HasDownlink() ? PairedDownlink(transponder_, upSat_) : 0.0;
}

void TTuner::DownlinkDialAt(double radioHz, double rangeRate) {
    TuneDownlink(DownlinkAtSatellite(radioHz - downOffset_, rangeRate));
}

void TTuner::UplinkDialAt(double radioHz, double rangeRate) {
    TuneUplink(UplinkAtSatellite(radioHz - upOffset_, rangeRate));
}

bool TTuner::Update(double t, TRadioTarget& out) {
    if (!LookAt(sat_, t, site_, out.look)) return false;
    out.downSat = downSat_;
    out.upSat = transponder_.HasUplink() ? upSat_ : 0.0;
    out.downRadio = downSat_ > 0.0 ? DownlinkAtRadio(downSat_, out.look.rangeRate) + downOffset_ : 0.0;
    out.upRadio = out.upSat > 0.0 ? UplinkAtRadio(out.upSat, out.look.rangeRate) + upOffset_ : 0.0;
    return true;
}
