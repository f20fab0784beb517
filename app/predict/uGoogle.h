// KML export of ground paths (from the ground-path search's records) and of
// Iridium flare centre lines (recomputed from the flare pass records), for
// viewing in a globe viewer.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "uPassSearch.h"
#include "uReport.h"

inline constexpr const char* kKmlFileName = "Orbisk_Google_Tracks.kml";
inline constexpr const char* kKmlNamespace = "http://earth.google.com/kml/2.0";
inline constexpr const char* kKmlExportFailed =
    " Failed to find Tracks or Error in producing the Google file.";
inline constexpr const char* kKmlLaunchFailed = "Failed to load Program Google Earth";

// Writes the ground-path document of a ground-path search to path (replaced
// atomically): per listed path its centre line, its start point and, where
// the strip is wider than 0.2 (distance unit of the report), its right and
// left limits. sats: the searched list; title: the report's title (the
// target's name and " Transit"); displayOffset: added to the start time
// shown; distanceFactor: the report's unit per km. The write's failure when
// the file cannot be written.
TStatus ExportGroundPathKml(const TGroundPathResult& result, const std::vector<TSatRec>& sats,
                            const std::string& title, const std::string& path,
                            const TSite& site, double displayOffset, double distanceFactor);

// Writes the flare document: per record the centre line over the 20 s of
// the record, 2 s apart, and its start point. KmlNothingToExport() when the
// list is empty or no track point could be computed (nothing is written);
// the write's failure when the file cannot be written.
TStatus ExportFlareKml(const std::vector<TPassRecord>& passes, const std::string& path,
                       const TSite& site, double displayOffset);

// The notFound status of an export with no track.
TStatus KmlNothingToExport();

// "lon,lat" in degrees, "###0.0000" and "##0.0000".
std::string KmlCoordinate(double lonDeg, double latDeg);
// Program text (8-bit Latin-1) as XML character data in UTF-8.
std::string KmlText(std::string_view latin1);
