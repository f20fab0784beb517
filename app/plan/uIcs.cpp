#include "uIcs.h"

#include <cmath>
#include <utility>

#include "uAlerts.h"
#include "uCatNumber.h"
#include "uFormat.h"
#include "uMagFile.h"
#include "uText.h"
#include "uUnits.h"

namespace {
constexpr std::size_t kFoldOctets = 75;
constexpr const char* kDegreeSign = "\xC2\xB0";  // UTF-8

std::string Uid(const TSatRec& sat, const char* kind, double t) {
    const long long minute = static_cast<long long>(std::floor(t * kMinutesPerDay + 1e-9));
    return std::to_string(CatalogueNumberValue(sat.catNo.view())) + "-" +
           FormatDateTime("yyyymmdd'T'HHnn'Z'", minute / kMinutesPerDay) + "-" + kind + "@orbisk";
}

std::string Name(const TSatRec& sat) { return Latin1ToUtf8(TrimText(sat.name.view())); }

std::string Angle(double degrees) { return FormatFloat("0.0", degrees) + kDegreeSign; }

std::string Moment(const char* what, double t, double az, double el) {
    return std::string(what) + " " + FormatDateTime("yyyy-mm-dd HH:nn:ss", t) + " UTC, azimuth " + Angle(az) +
           ", elevation " + Angle(el);
}

std::string Magnitude(double m) {
    const std::string text = FormatFloat("0.0", std::fabs(m));
    return (m < 0.0 && text != "0.0" ? "\xE2\x88\x92" : "") + text;
}
// As the text reports mark a magnitude worked out from no standard magnitude.
std::string Estimated(bool estimated) {
    return estimated ? " est (estimated: no standard magnitude is known)" : "";
}
}  // namespace

std::string IcsTime(double utc) { return FormatDateTime("yyyymmdd'T'HHnnss'Z'", utc); }

std::string IcsEscape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' || c == ';' || c == ',') {
            out += '\\';
            out += c;
        } else if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += "\\n";
        } else if (c == '\n') {
            out += "\\n";
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            // Other control characters are not allowed in a TEXT value.
        } else {
            out += c;
        }
    }
    return out;
}

std::string IcsFold(std::string_view line) {
    std::string out;
    std::size_t limit = kFoldOctets;  // the first line; continuations lose one to the leading blank
    while (line.size() > limit) {
        std::size_t cut = limit;
        // Back off over UTF-8 continuation bytes so no character is split.
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
        out.append(line.substr(0, cut));
        out += "\r\n ";
        line.remove_prefix(cut);
        limit = kFoldOctets - 1;
    }
    out.append(line);
    out += "\r\n";
    return out;
}

std::string IcsText(const TIcsCalendar& cal) {
    std::string s;
    auto put = [&](const std::string& line) { s += IcsFold(line); };
    put("BEGIN:VCALENDAR");
    put("VERSION:2.0");
    put("PRODID:-//Orbisk//Skyvane//EN");
    put("CALSCALE:GREGORIAN");
    put("METHOD:PUBLISH");
    for (const TIcsEvent& e : cal.events) {
        put("BEGIN:VEVENT");
        put("UID:" + e.uid);
        put("DTSTAMP:" + IcsTime(cal.stamp));
        put("DTSTART:" + IcsTime(e.start));
        put("DTEND:" + IcsTime(e.end));
        put("SUMMARY:" + IcsEscape(e.summary));
        if (!e.description.empty()) put("DESCRIPTION:" + IcsEscape(e.description));
        if (!cal.location.empty()) put("LOCATION:" + IcsEscape(cal.location));
        if (cal.haveGeo)
            put("GEO:" + FormatFloat("0.000000", cal.latitude) + ";" + FormatFloat("0.000000", cal.longitude));
        put("TRANSP:TRANSPARENT");
        if (cal.alarmMinutes >= 0) {
            put("BEGIN:VALARM");
            put("ACTION:DISPLAY");
            put("TRIGGER:-PT" + std::to_string(cal.alarmMinutes) + "M");
            put("DESCRIPTION:" + IcsEscape(e.summary));
            put("END:VALARM");
        }
        put("END:VEVENT");
    }
    put("END:VCALENDAR");
    return s;
}

std::vector<TIcsEvent> LinePassEvents(const TPredictionResult& result, const std::vector<TSatRec>& sats) {
    std::vector<TIcsEvent> events;
    for (const TLinePass& p : result.linePasses) {
        const TSatRec& sat = sats[p.satellite];
        const TAlertPass a = AlertPassOf(p, sat);
        TIcsEvent e;
        e.uid = Uid(sat, "pass", p.aos);
        e.start = p.aos;
        e.end = p.los;
        e.summary = PassSummary(a);
        e.description = Moment("AOS", p.aos, p.aosAzimuth, p.aosElevation) + "\n" +
                        Moment("Max", p.middle, p.maxAzimuth, p.maxElevation) + "\n" +
                        Moment("LOS", p.los, p.losAzimuth, p.losElevation) + "\n" +
                        (p.shadowed ? std::string("In the Earth's shadow at its highest")
                                    : "Magnitude " + Magnitude(p.magnitude) + Estimated(a.estimated)) +
                        "\nCatalogue number " + a.number;
        events.push_back(std::move(e));
    }
    return events;
}

std::vector<TIcsEvent> FlareEvents(const TFlareResult& result, const std::vector<TSatRec>& iridium) {
    std::vector<TIcsEvent> events;
    for (const TFlare& f : result.flares) {
        const TSatRec& sat = iridium[f.satellite];
        TIcsEvent e;
        e.uid = Uid(sat, "flare", f.row.t);
        e.start = f.row.t;
        e.end = f.row.t + kIcsMomentDays;
        e.summary = Name(sat) + " flare mag " + Magnitude(f.row.magnitude) + " " +
                    std::to_string(static_cast<int>(std::lround(f.row.elevation))) + kDegreeSign;
        e.description = Moment("Flare", f.row.t, f.row.azimuth, f.row.elevation) + "\nMagnitude " +
                        Magnitude(f.row.magnitude) + ", at the centre line " + Magnitude(f.row.centreMagnitude) +
                        "\nCatalogue number " + std::string(TrimText(sat.catNo.view()));
        events.push_back(std::move(e));
    }
    return events;
}

std::vector<TIcsEvent> TransitEvents(const TTransitResult& result, const std::vector<TSatRec>& sats,
                                     const std::string& target) {
    std::vector<TIcsEvent> events;
    const std::string targetText = Latin1ToUtf8(target);
    for (const TTransit& t : result.transits) {
        const TSatRec& sat = sats[t.satellite];
        TIcsEvent e;
        e.uid = Uid(sat, "transit", t.row.t);
        e.start = t.row.t;
        e.end = t.row.t + kIcsMomentDays;
        e.summary = Name(sat) + " near " + targetText + " " + FormatFloat("0.0", t.row.separation) + "\xE2\x80\xB2";
        e.description = Moment("Closest", t.row.t, t.row.azimuth, t.row.elevation) + "\nSeparation " +
                        FormatFloat("0.0", t.row.separation) + " arc minutes from " + targetText +
                        (t.row.sunlit ? "\nSunlit, magnitude " + Magnitude(t.row.magnitude) +
                                            Estimated(!SatMagnitudeKnown(sat))
                                      : std::string()) +
                        "\nCatalogue number " + std::string(TrimText(sat.catNo.view()));
        events.push_back(std::move(e));
    }
    return events;
}

std::string ObserverCalendarText(std::vector<TIcsEvent> events, const TReportSettings& settings, double stamp,
                                 int alarmMinutes) {
    TIcsCalendar cal;
    cal.stamp = stamp;
    cal.haveGeo = true;
    cal.latitude = settings.latitude * kRadToDeg;
    cal.longitude = settings.longitude * kRadToDeg;
    cal.location = Latin1ToUtf8(settings.observerName);
    cal.alarmMinutes = alarmMinutes;
    cal.events = std::move(events);
    return IcsText(cal);
}
