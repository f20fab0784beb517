#include "uVarDef.h"

std::vector<TSatRec> MainSats;
std::vector<TSatRec> IridiumSats;
std::vector<TSatRec> SkySats;
uint8_t ActiveIndex[15] = {};
std::vector<TSatState> SatStates;
std::vector<TSatState> BodyStates;
uint8_t BodyCount = 1;
uint8_t Sat1Main = 0, Sat1State = 0;
double CurrentTime = 0.0;
double CurrentGHA = 0.0;
int32_t ClockStep = 500;
double DistanceFactor = 1.0;
double TrackStart = 0.0, TrackAnchor = 0.0;
double NextRise = 0.0, NextSet = 0.0;
uint8_t TickReady = 1;
std::string ProgramFolder;
std::string DataFolder;
TObserver Observer{};
TOptions Options{};
TMenuSettings MenuSettings{};
TDownloadSettings DownloadSettings{};
