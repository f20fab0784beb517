// The main window's controls, menus, toolbar and status bar, built in code
// under the names the program and its tests know them by (objectName).
// Nothing here acts: the window's command table says what each command does.
#pragma once
#include <span>
#include <string>

#include "frCommands.h"

class QAction;
class QActionGroup;
class QComboBox;
class QDateEdit;
class QDateTimeEdit;
class QLabel;
class QMainWindow;
class QMenu;
class QPushButton;
class QToolBar;
class QToolButton;
class TClickLabel;
class TElementNotice;
class TSatListModel;
class TStatusPanels;
class TViewArea;

struct TMainWndUi {
    // Satellite boxes and the first satellite's readouts.
    QComboBox *cb_sat1 = nullptr, *cb_sat2 = nullptr;
    TSatListModel* SatList = nullptr;  // the rows of both boxes
    QLabel *stxt_ra = nullptr, *stxt_dec = nullptr, *stxt_az = nullptr, *stxt_alt = nullptr;
    QLabel *stxt_hgt = nullptr, *stxt_rng = nullptr, *stxt_2sat_range = nullptr;
    QLabel *lb_ra = nullptr, *lb_dec = nullptr, *lb_az = nullptr, *lb_alt = nullptr, *lb_ht = nullptr,
           *lb_range = nullptr;

    // Clock.
    QLabel *stxt_time = nullptr, *stxt_step = nullptr, *stxt_info1 = nullptr;
    TClickLabel* stxt_utc = nullptr;
    QDateEdit* dt_main_date = nullptr;
    QDateTimeEdit* dt_main_hour = nullptr;  // carries the date picked in dt_main_date
    QPushButton *bn_set = nullptr, *bn_now = nullptr, *bn_timebackward = nullptr, *bn_timeforward = nullptr,
                *bn_stop = nullptr, *bn_plus = nullptr, *bn_minus = nullptr;

    TStatusPanels* Sb_Main = nullptr;
    TViewArea* MainImage = nullptr;
    TElementNotice* ElementNotice = nullptr;
    QToolBar* MainToolbar = nullptr;

    // Menus that the view mode shows and hides.
    QMenu *mn_map = nullptr, *mn_sky = nullptr, *mn_globe = nullptr;

    // File.
    QAction *menu_satellite = nullptr, *menu_location = nullptr, *menu_satdata = nullptr, *menu_reset = nullptr,
            *menu_options = nullptr, *menu_exit = nullptr;
    // View.
    QAction *menu_map = nullptr, *menu_sky = nullptr, *menu_globe = nullptr, *menu_displaynumber = nullptr,
            *menu_showLabel = nullptr;
    // Map and globe layers.
    QAction *menu_sat_vis = nullptr, *menu_loc_vis = nullptr, *menu_tracks = nullptr, *menu_grids = nullptr,
            *menu_displaycities = nullptr, *menu_displayhomelocation = nullptr, *menu_globelocation = nullptr;
    // Sky.
    QAction *Sun1 = nullptr, *Moon1 = nullptr, *Mercury1 = nullptr, *Venus1 = nullptr, *Mars1 = nullptr,
            *Jupiter1 = nullptr, *Saturn1 = nullptr, *Uranus1 = nullptr, *Neptune1 = nullptr, *Pluto1 = nullptr;
    QAction *North1 = nullptr, *South1 = nullptr, *East1 = nullptr, *West1 = nullptr, *menu_gotozenith = nullptr;
    QAction *menu_sky_tools_orientation_normal = nullptr, *menu_sky_tools_orientation_inverted = nullptr,
            *menu_sky_tools_orientation_mirror_ew = nullptr, *menu_sky_tools_orientation_mirror_ns = nullptr;
    QAction *menu_skyviewradec = nullptr, *menu_skyviewaltaz = nullptr, *menu_skyviewfixradec = nullptr,
            *menu_skyviewfixaltaz = nullptr, *menu_skyviewfixsatellite = nullptr;
    QAction *menu_constellations = nullptr, *menu_constellationNames = nullptr, *menu_starames = nullptr,
            *menu_startohorizon = nullptr, *menu_mag = nullptr, *menu_showmagnitude = nullptr,
            *menu_showskysat = nullptr, *menu_createskyfile = nullptr;
    // Time.
    QAction *menu_utctime = nullptr, *menu_settimelocal = nullptr, *menu_setusertime = nullptr,
            *menu_forward = nullptr, *menu_backward = nullptr, *menu_stop = nullptr, *menu_epochtime = nullptr,
            *menu_faster = nullptr, *menu_slower = nullptr;
    // Predictions.
    QAction *menu_linetabular = nullptr, *menu_analysis = nullptr, *menu_planets = nullptr, *menu_info = nullptr,
            *menu_alerts = nullptr;
    // Tools.
    QAction *menu_conversion = nullptr, *menu_webupdate = nullptr, *mn_UpdateMainList = nullptr,
            *mn_UpdateIridiList = nullptr, *nm_createIrid = nullptr, *menu_radio = nullptr,
            *menu_rotator = nullptr, *menu_importmag = nullptr;
    // Help.
    QAction *menu_contents = nullptr, *menu_about = nullptr;
    // Toolbar only.
    QAction *tb_plus = nullptr, *tb_minus = nullptr;

    // The go-to items in sky body order (Sun, Mercury, Venus, Moon, Mars ... Pluto).
    QAction* skyBodies[10] = {};
};

// Builds everything into window: the actions from commands (which point into
// ui), then the menus and toolbar that lay them out. Icons come from the
// desktop's icon theme where it has a fitting one, else from iconFolder
// ("tb_map.png", ...); a toolbar button is named after its command's icon.
void SetupMainWndUi(QMainWindow* window, TMainWndUi& ui, const std::string& iconFolder,
                    std::span<const TCommand> commands);

// The toolbar button of a toolbar action (named tb_...), or nullptr.
QToolButton* ToolbarButton(const TMainWndUi& ui, QAction* action);
