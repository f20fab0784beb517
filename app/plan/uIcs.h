// Calendar files (iCalendar, RFC 5545) of passes, flares and transits,
// written from the search records: one event each, UTC times, a UID made
// from the catalogue number and the event's minute so that exporting again
// updates the entries instead of adding new ones.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "SatTypes.h"
#include "uReport.h"
#include "uSearchTypes.h"

struct TIcsEvent {
    std::string uid;
    double start = 0, end = 0;  // UTC day numbers
    std::string summary;        // UTF-8
    std::string description;    // UTF-8, lines separated by '\n'
};

struct TIcsCalendar {
    double stamp = 0;           // DTSTAMP: when the file is made (UTC day number)
    bool haveGeo = false;
    double latitude = 0, longitude = 0;  // degrees, east positive
    std::string location;       // UTF-8: the observer's name
    int alarmMinutes = -1;      // a VALARM this long before each start; -1: none
    std::vector<TIcsEvent> events;
};

// The whole file: CRLF line ends, lines folded at 75 octets.
std::string IcsText(const TIcsCalendar& calendar);
// TEXT value escaping: backslash, ';', ',' and line breaks.
std::string IcsEscape(std::string_view text);
// A content line folded to at most 75 octets a line (never inside a UTF-8
// character), each line ended with CRLF.
std::string IcsFold(std::string_view line);
// "20180122T231502Z".
std::string IcsTime(double utc);

// Flares and transits are moments: their events last this long, so a
// calendar shows them.
inline constexpr double kIcsMomentDays = 1.0 / 1440.0;

std::vector<TIcsEvent> LinePassEvents(const TPredictionResult& result, const std::vector<TSatRec>& sats);
std::vector<TIcsEvent> FlareEvents(const TFlareResult& result, const std::vector<TSatRec>& iridium);
std::vector<TIcsEvent> TransitEvents(const TTransitResult& result, const std::vector<TSatRec>& sats,
                                     const std::string& target);

// The calendar of a search's events for the observer of its report: GEO and
// LOCATION from it, DTSTAMP stamp, alarms alarmMinutes before (-1: none).
std::string ObserverCalendarText(std::vector<TIcsEvent> events, const TReportSettings& settings, double stamp,
                                 int alarmMinutes = -1);
