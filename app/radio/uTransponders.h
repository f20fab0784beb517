// The transmitters and transponders of satellites, keyed by catalogue number
// (six digits and more), from the public transmitter database's JSON and from
// a plain file of our own that users edit. Frequencies are Hz at the
// satellite. A user's entry overrides an imported one it matches.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TTransponder {
    int64_t catalogue = -1;
    std::string uuid;             // the database's id; "" for our own file
    std::string description;
    double downlinkLow = 0.0;     // Hz; 0: no downlink
    double downlinkHigh = 0.0;    // == low for one frequency
    double uplinkLow = 0.0;       // Hz; 0: no uplink
    double uplinkHigh = 0.0;
    std::string mode;             // "FM", "USB", "LSB", "CW", "AFSK", ...
    bool inverting = false;       // linear: the uplink passband is mirrored
    double baud = 0.0;
    double ctcss = 0.0;           // Hz; 0: no tone
    bool alive = true;
    bool user = false;            // from the user's file

    bool HasDownlink() const { return downlinkLow > 0.0; }
    bool HasUplink() const { return uplinkLow > 0.0; }
    // A passband on both sides: the uplink follows the downlink across it.
    bool IsLinear() const {
        return HasDownlink() && HasUplink() && downlinkHigh > downlinkLow && uplinkHigh > uplinkLow;
    }
};

// What a read did: records taken, records skipped as malformed (with the
// first few reasons), and duplicates merged into an earlier record.
struct TImportCount {
    std::size_t taken = 0;
    std::size_t skipped = 0;
    std::size_t merged = 0;
    std::vector<std::string> problems;  // at most kMaxProblems
    static constexpr std::size_t kMaxProblems = 10;
    void Skip(std::string why);
};

class TTransponderStore {
public:
    // Imported entries: one with the uuid of an earlier one replaces it; one
    // with the same frequencies, mode and sense as an earlier one of the same
    // satellite is merged into it (alive when either is). True when merged.
    bool AddImported(TTransponder t);
    // A user's entry hides the imported entries of its satellite it matches:
    // same uuid, same description (case ignored) or same downlink.
    void AddUser(TTransponder t);
    // The satellite's entries: the user's first, then the imported ones they
    // do not hide, each group in the order added.
    std::vector<TTransponder> For(int64_t catalogue) const;
    std::size_t ImportedCount() const { return imported_.size(); }
    std::size_t UserCount() const { return user_.size(); }
    void Clear();

private:
    std::vector<TTransponder> imported_;
    std::vector<TTransponder> user_;
};

// The database's "transmitters" JSON: an array of objects with uuid,
// description, alive, type, uplink_low, uplink_high, downlink_low,
// downlink_high, mode, invert, baud, norad_cat_id, status (frequencies in
// Hz, null when absent). A record without a catalogue number or a frequency
// is skipped; a file that is not a JSON array counts as one skipped record.
TImportCount ImportTransmitterJson(std::string_view json, TTransponderStore& store);

// Our own file, one entry a line (blank lines and '#' comments ignored):
//   CATALOGUE; DESCRIPTION; down=MHZ[-MHZ]; up=MHZ[-MHZ]; mode=M; ctcss=HZ;
//   baud=B; invert; dead
// Only the catalogue number, the description and one of down/up are needed.
// user: the entries are the user's (they override imported ones).
TImportCount ReadTransponderFile(std::string_view text, TTransponderStore& store, bool user);
// One line of that file for t.
std::string TransponderLine(const TTransponder& t);
