// Transits of satellites across a target (closest approaches as seen by the
// observer) and ground paths (where on the ground the satellite is seen
// exactly in front of the target).
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "uPassSearch.h"
#include "uReport.h"
#include "uTargets.h"

inline constexpr double kSunRadius = 696265.0;     // km
inline constexpr double kMoonRadius = 1737.53;     // km
inline constexpr double kOtherPathWidth = 0.1;
inline constexpr double kTransitDaylight = -0.017;  // rad: Sun above this drops a transit
inline constexpr double kPathDaylight = -0.104;     // rad: Sun at or above this skips a path
inline constexpr double kMissesEarth = 1.55;        // rad

// Intervals in which the target is above the minimum elevation, between
// start and stop.
std::vector<TTimeInterval> TargetIntervals(const TTransitTarget& target, double minElevation,
                                           double start, double stop, const TSite& site);

// The transit search: closest approaches within maxSeparation (degrees) of
// every searched satellite (chosen by inputs.chosen, mean motion above
// minRevs and below 20) on `threads` threads, merged in list order. control (may be null):
// cancel and progress.
TTransitResult RunTransitSearch(const TPredictionInputs& inputs, double maxSeparation,
                                const TTransitTarget& target, const std::vector<TSatRec>& sats,
                                const TSite& site, unsigned threads = 0,
                                TSearchControl* control = nullptr);

// Ground-path point at the frame's time: the point of the ellipsoid (height 0) at which
// the line from the target through the satellite arrives; slantRange is
// its distance from the satellite.
// state: the satellite's state (kFillAll with `full`, else position
// only); target: its position (and, with `full`, its direction and
// distance seen from the path point in radec, its altitude and azimuth
// there in altaz). False when the satellite cannot be propagated. A line
// that misses the Earth gives (-observer latitude, observer longitude).
bool ComputePathPoint(TSatState& state, TSatState& target, const TSatRec& satellite, double& slantRange,
                      bool full, TLatLon& pathPoint, const TFrame& frame);

// Half-width (km) of the band on the ground from which the satellite is seen
// against the disc of the Sun or the Moon: from the centre line to either
// edge, across the track (previousPathPoint: where the centre line was a
// moment before). target as ComputePathPoint with `full` leaves it. 0.1 for
// other targets, 0 when the target is not above the path point's horizon.
double PathWidth(const TSatState& state, const TSatState& target, const TLatLon& pathPoint,
                 double slantRange, const TLatLon& previousPathPoint);

// The ground-path search. trackLimit is in the unit of trackUnit units per
// km (1: km, 0.621371: miles), and so are the walk's distance thresholds
// (500 and 250), so a limit given in miles lists what it always did. The
// records are in km.
TGroundPathResult RunGroundPathSearch(const TPredictionInputs& inputs, double trackLimit, double trackUnit,
                                      const TTransitTarget& target,
                                      const std::vector<TSatRec>& sats, const TSite& site,
                                      unsigned threads = 0, TSearchControl* control = nullptr);
