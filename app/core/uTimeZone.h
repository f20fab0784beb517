// UTC offsets of the system's time zones (the IANA database under TZDIR or
// /usr/share/zoneinfo), daylight saving included, for reports in a place's
// own time. The C library does the conversion; it reads the zone through the
// process environment, so these calls are for the thread that owns the
// environment (the command line, the UI thread), never for search workers.
#pragma once
#include <string>

#include "uStatus.h"

// Success for a zone name the database holds ("Europe/Berlin", "UTC"); else
// invalid (not a name) or notFound (no such zone), the message the reason.
TStatus CheckZoneName(const std::string& name);

// The zone's offset (days, local = UTC + offset) at the UTC day number t.
// The status of CheckZoneName for an unknown zone.
TStatus ZoneOffsetAt(const std::string& name, double utc, double& offsetDays);

// The UTC day number of a local time of the zone. A local time that occurs
// twice (the hour the clocks go back) gives the first; one that does not
// occur (the hour skipped) is read with the offset before the change.
TStatus ZoneLocalToUtc(const std::string& name, double local, double& utc);
