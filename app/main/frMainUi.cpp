#include "frMainUi.h"

#include <QActionGroup>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "frMainWidgets.h"
#include "frSatListModel.h"

namespace {

// The toolbar button of a command is named after its icon ("tb_sat").
const TCommand* CommandOf(std::span<const TCommand> commands, const QAction* action) {
    for (const TCommand& c : commands)
        if (*c.field == action) return &c;
    return nullptr;
}

QLabel* Readout(QWidget* parent, const char* name, int chars) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QString(chars, '0')) + 10);
    return label;
}

QLabel* Caption(QWidget* parent, const char* name, const char* text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QPushButton* Button(QWidget* parent, const char* name, const char* text, const char* tip) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setToolTip(tip);
    b->setFocusPolicy(Qt::TabFocus);
    const int w = b->fontMetrics().horizontalAdvance(QString(text)) + 24;
    b->setMinimumWidth(w);
    b->setMaximumWidth(std::max(w, 48));
    return b;
}

void BuildActions(QMainWindow* window, TMainWndUi& ui, std::span<const TCommand> commands,
                  const std::string& iconFolder) {
    MakeCommands(window, commands, iconFolder);
    // The desktop's quit key, and the documented one. Both stay with the main
    // window: the search windows' Close has Alt+F4 too, and two shortcuts on
    // one key would leave it doing nothing.
    ui.menu_exit->setShortcuts({QKeySequence("Ctrl+Q"), QKeySequence("Alt+F4")});
    ui.menu_exit->setShortcutContext(Qt::WindowShortcut);
    QAction* const bodies[10] = {ui.Sun1, ui.Mercury1, ui.Venus1,  ui.Moon1,    ui.Mars1,
                                 ui.Jupiter1, ui.Saturn1, ui.Uranus1, ui.Neptune1, ui.Pluto1};
    std::copy(std::begin(bodies), std::end(bodies), ui.skyBodies);

    auto exclusive = [window](std::initializer_list<QAction*> actions) {
        auto* group = new QActionGroup(window);
        for (QAction* a : actions) group->addAction(a);
    };
    // The home marker shows unless the user hides it.
    ui.menu_displayhomelocation->setChecked(true);
    ui.menu_globelocation->setChecked(true);
    exclusive({ui.menu_map, ui.menu_sky, ui.menu_globe});
    exclusive({ui.menu_sky_tools_orientation_normal, ui.menu_sky_tools_orientation_inverted,
               ui.menu_sky_tools_orientation_mirror_ew, ui.menu_sky_tools_orientation_mirror_ns});
    exclusive({ui.menu_skyviewradec, ui.menu_skyviewaltaz});
    exclusive({ui.menu_skyviewfixradec, ui.menu_skyviewfixaltaz, ui.menu_skyviewfixsatellite});
}

void BuildMenus(QMainWindow* window, TMainWndUi& ui) {
    QMenuBar* bar = window->menuBar();
    QMenu* file = bar->addMenu("&File");
    file->setObjectName("mn_file");
    file->addActions({ui.menu_satellite, ui.menu_location, ui.menu_satdata});
    file->addSeparator();
    file->addActions({ui.menu_reset, ui.menu_options});
    file->addSeparator();
    file->addAction(ui.menu_exit);

    QMenu* view = bar->addMenu("&View");
    view->setObjectName("mn_view");
    view->addActions({ui.menu_map, ui.menu_sky, ui.menu_globe});
    view->addSeparator();
    view->addActions({ui.menu_displaynumber, ui.menu_showLabel});

    ui.mn_map = bar->addMenu("&Map");
    ui.mn_map->setObjectName("mn_map");
    ui.mn_map->addActions({ui.menu_sat_vis, ui.menu_loc_vis, ui.menu_tracks, ui.menu_grids});
    ui.mn_map->addSeparator();
    ui.mn_map->addActions({ui.menu_displaycities, ui.menu_displayhomelocation});

    ui.mn_sky = bar->addMenu("&Sky");
    ui.mn_sky->setObjectName("mn_sky");
    QMenu* goTo = ui.mn_sky->addMenu("Go To");
    goTo->addActions({ui.Sun1, ui.Moon1, ui.Mercury1, ui.Venus1, ui.Mars1, ui.Jupiter1, ui.Saturn1, ui.Uranus1,
                      ui.Neptune1, ui.Pluto1});
    goTo->addSeparator();
    goTo->addAction(ui.menu_gotozenith);
    QMenu* compass = ui.mn_sky->addMenu("Compass");
    compass->addActions({ui.North1, ui.South1, ui.East1, ui.West1});
    QMenu* orientation = ui.mn_sky->addMenu("Orientation");
    orientation->addActions({ui.menu_sky_tools_orientation_normal, ui.menu_sky_tools_orientation_inverted,
                             ui.menu_sky_tools_orientation_mirror_ew, ui.menu_sky_tools_orientation_mirror_ns});
    QMenu* skyView = ui.mn_sky->addMenu("Sky View");
    skyView->addActions({ui.menu_skyviewradec, ui.menu_skyviewaltaz});
    skyView->addSeparator();
    skyView->addActions({ui.menu_skyviewfixradec, ui.menu_skyviewfixaltaz, ui.menu_skyviewfixsatellite});
    ui.mn_sky->addSeparator();
    ui.mn_sky->addActions(
        {ui.menu_constellations, ui.menu_constellationNames, ui.menu_starames, ui.menu_startohorizon});
    ui.mn_sky->addSeparator();
    ui.mn_sky->addActions({ui.menu_mag, ui.menu_showmagnitude, ui.tb_plus, ui.tb_minus});
    ui.mn_sky->setToolTipsVisible(true);
    ui.mn_sky->addSeparator();
    ui.mn_sky->addActions({ui.menu_showskysat, ui.menu_createskyfile});

    ui.mn_globe = bar->addMenu("&Globe");
    ui.mn_globe->setObjectName("mn_globe");
    ui.mn_globe->addActions({ui.menu_sat_vis, ui.menu_loc_vis, ui.menu_tracks, ui.menu_grids});
    ui.mn_globe->addSeparator();
    ui.mn_globe->addAction(ui.menu_globelocation);

    QMenu* time = bar->addMenu("&Time");
    time->setObjectName("mn_time");
    time->addAction(ui.menu_utctime);
    time->addSeparator();
    time->addActions({ui.menu_settimelocal, ui.menu_setusertime});
    time->addSeparator();
    time->addActions({ui.menu_forward, ui.menu_backward, ui.menu_stop, ui.menu_faster, ui.menu_slower});
    time->addSeparator();
    time->addAction(ui.menu_epochtime);

    QMenu* predictions = bar->addMenu("&Predictions");
    predictions->setObjectName("mn_predictions");
    predictions->addActions({ui.menu_linetabular, ui.menu_analysis, ui.menu_planets, ui.menu_info});
    predictions->addSeparator();
    predictions->addAction(ui.menu_alerts);

    QMenu* tools = bar->addMenu("T&ools");
    tools->setObjectName("mn_tools");
    tools->addActions({ui.menu_conversion, ui.menu_webupdate});
    tools->addSeparator();
    tools->addActions({ui.menu_radio, ui.menu_rotator});
    tools->addSeparator();
    tools->addAction(ui.menu_importmag);
    tools->addSeparator();
    tools->addActions({ui.mn_UpdateMainList, ui.mn_UpdateIridiList, ui.nm_createIrid});

    QMenu* help = bar->addMenu("&Help");
    help->setObjectName("mn_help");
    help->addActions({ui.menu_contents, ui.menu_about});
}

void BuildToolbar(QMainWindow* window, TMainWndUi& ui, std::span<const TCommand> commands) {
    ui.MainToolbar = window->addToolBar("Toolbar");
    ui.MainToolbar->setObjectName("MainToolbar");
    ui.MainToolbar->setMovable(false);
    ui.MainToolbar->setIconSize(QSize(24, 24));
    const std::initializer_list<std::initializer_list<QAction*>> groups = {
        {ui.menu_exit},
        {ui.menu_satellite, ui.menu_location, ui.menu_reset},
        {ui.menu_map, ui.menu_sky, ui.menu_globe},
        {ui.menu_sat_vis, ui.menu_loc_vis, ui.menu_tracks, ui.menu_grids},
        {ui.menu_constellations, ui.menu_constellationNames, ui.menu_starames, ui.tb_plus, ui.tb_minus},
        {ui.menu_utctime},
        {ui.menu_linetabular, ui.menu_analysis, ui.menu_planets, ui.menu_info},
    };
    for (const auto& group : groups) {
        if (!ui.MainToolbar->actions().isEmpty()) ui.MainToolbar->addSeparator();
        for (QAction* a : group) {
            ui.MainToolbar->addAction(a);
            ui.MainToolbar->widgetForAction(a)->setObjectName(CommandOf(commands, a)->icon);
        }
    }
}

// The left panel: the first satellite and its readouts, the second satellite
// and the range to it, the clock and its buttons.
QWidget* BuildControlPanel(QWidget* parent, TMainWndUi& ui) {
    auto* panel = new QWidget(parent);
    panel->setObjectName("ControlPanel");
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(6, 6, 6, 6);

    ui.SatList = new TSatListModel(panel);
    ui.cb_sat1 = new QComboBox(panel);
    ui.cb_sat1->setObjectName("cb_sat1");
    ui.cb_sat1->setModel(ui.SatList);
    ui.cb_sat1->setToolTip("Select satellite for data display");
    ui.cb_sat1->setMinimumContentsLength(20);
    column->addWidget(ui.cb_sat1);

    auto* readouts = new QGridLayout;
    struct TRow {
        QLabel** caption;
        const char* captionName;
        const char* captionText;
        QLabel** value;
        const char* valueName;
        int chars;
    };
    const TRow rows[] = {
        {&ui.lb_ra, "lb_ra", "RA", &ui.stxt_ra, "stxt_ra", 12},
        {&ui.lb_dec, "lb_dec", "DEC", &ui.stxt_dec, "stxt_dec", 12},
        {&ui.lb_az, "lb_az", "AZ", &ui.stxt_az, "stxt_az", 12},
        {&ui.lb_alt, "lb_alt", "ALT", &ui.stxt_alt, "stxt_alt", 12},
        {&ui.lb_ht, "lb_ht", "HGT", &ui.stxt_hgt, "stxt_hgt", 12},
        {&ui.lb_range, "lb_range", "RNG", &ui.stxt_rng, "stxt_rng", 12},
    };
    int r = 0;
    for (const TRow& row : rows) {
        *row.caption = Caption(panel, row.captionName, row.captionText);
        *row.value = Readout(panel, row.valueName, row.chars);
        readouts->addWidget(*row.caption, r, 0);
        readouts->addWidget(*row.value, r, 1);
        ++r;
    }
    readouts->setColumnStretch(1, 1);
    column->addLayout(readouts);
    column->addSpacing(8);

    ui.cb_sat2 = new QComboBox(panel);
    ui.cb_sat2->setObjectName("cb_sat2");
    ui.cb_sat2->setModel(ui.SatList);
    ui.cb_sat2->setToolTip("Select a satellite for range calculation");
    ui.cb_sat2->setMinimumContentsLength(20);
    column->addWidget(ui.cb_sat2);
    auto* range = new QHBoxLayout;
    range->addWidget(Caption(panel, "lb_2sat_range", "RNG"));
    ui.stxt_2sat_range = Readout(panel, "stxt_2sat_range", 12);
    ui.stxt_2sat_range->setToolTip("Range between 2 selected satellites");
    range->addWidget(ui.stxt_2sat_range, 1);
    column->addLayout(range);
    column->addSpacing(8);

    ui.stxt_time = new QLabel(panel);
    ui.stxt_time->setObjectName("stxt_time");
    ui.stxt_time->setAlignment(Qt::AlignCenter);
    ui.stxt_time->setFrameShape(QFrame::Panel);
    ui.stxt_time->setFrameShadow(QFrame::Sunken);
    QFont clockFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    clockFont.setBold(true);
    ui.stxt_time->setFont(clockFont);
    ui.stxt_time->setMinimumWidth(ui.stxt_time->fontMetrics().horizontalAdvance("0000 Mmm 00   00:00:00") + 12);
    column->addWidget(ui.stxt_time);

    auto* states = new QHBoxLayout;
    ui.stxt_utc = new TClickLabel("LOC", panel);
    ui.stxt_utc->setObjectName("stxt_utc");
    ui.stxt_utc->setToolTip("Click to change time from Local to UTC");
    ui.stxt_utc->setCursor(Qt::PointingHandCursor);
    ui.stxt_step = new QLabel(panel);
    ui.stxt_step->setObjectName("stxt_step");
    ui.stxt_step->setAlignment(Qt::AlignCenter);
    ui.stxt_info1 = new QLabel(panel);
    ui.stxt_info1->setObjectName("stxt_info1");
    ui.stxt_info1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (QLabel* l : {static_cast<QLabel*>(ui.stxt_utc), ui.stxt_step, ui.stxt_info1}) {
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
    }
    states->addWidget(ui.stxt_utc);
    states->addWidget(ui.stxt_step, 1);
    states->addWidget(ui.stxt_info1, 2);
    column->addLayout(states);

    auto* pickers = new QHBoxLayout;
    ui.dt_main_date = new QDateEdit(panel);
    ui.dt_main_date->setObjectName("dt_main_date");
    ui.dt_main_date->setDisplayFormat("yyyy-MM-dd");
    ui.dt_main_date->setCalendarPopup(true);
    ui.dt_main_hour = new QDateTimeEdit(panel);
    ui.dt_main_hour->setObjectName("dt_main_hour");
    ui.dt_main_hour->setDisplayFormat("HH:mm:ss");
    // Wall-clock numbers of the observer's place (or UTC), never the computer's zone.
    ui.dt_main_date->setTimeSpec(Qt::UTC);
    ui.dt_main_hour->setTimeSpec(Qt::UTC);
    ui.dt_main_date->setDateRange(QDate(1957, 1, 1), QDate(2049, 12, 31));
    pickers->addWidget(ui.dt_main_date, 1);
    pickers->addWidget(ui.dt_main_hour, 1);
    column->addLayout(pickers);

    auto* setNow = new QHBoxLayout;
    ui.bn_set = Button(panel, "bn_set", "SET", "Set the clock to the date and time above");
    ui.bn_now = Button(panel, "bn_now", "NOW", "Set the clock to the computer's time");
    ui.bn_set->setMaximumWidth(QWIDGETSIZE_MAX);
    ui.bn_now->setMaximumWidth(QWIDGETSIZE_MAX);
    setNow->addWidget(ui.bn_set);
    setNow->addWidget(ui.bn_now);
    column->addLayout(setNow);

    auto* run = new QHBoxLayout;
    run->setSpacing(2);
    ui.bn_timebackward = Button(panel, "bn_timebackward", "<", "Run the clock backwards");
    ui.bn_stop = Button(panel, "bn_stop", "[]", "Stop the clock");
    ui.bn_timeforward = Button(panel, "bn_timeforward", ">", "Run the clock forwards");
    ui.bn_minus = Button(panel, "bn_minus", "-", "Slower: one step down");
    ui.bn_plus = Button(panel, "bn_plus", "+", "Faster: one step up");
    for (QPushButton* b : {ui.bn_timebackward, ui.bn_stop, ui.bn_timeforward, ui.bn_minus, ui.bn_plus})
        run->addWidget(b);
    column->addLayout(run);
    column->addStretch(1);
    return panel;
}

}  // namespace

void SetupMainWndUi(QMainWindow* window, TMainWndUi& ui, const std::string& iconFolder,
                    std::span<const TCommand> commands) {
    BuildActions(window, ui, commands, iconFolder);
    BuildMenus(window, ui);
    BuildToolbar(window, ui, commands);

    auto* central = new QWidget(window);
    central->setObjectName("ClientArea");
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(BuildControlPanel(central, ui));
    auto* viewColumn = new QVBoxLayout;
    viewColumn->setSpacing(0);
    ui.ElementNotice = new TElementNotice(central);
    ui.MainImage = new TViewArea(central);
    viewColumn->addWidget(ui.ElementNotice);
    viewColumn->addWidget(ui.MainImage, 1);
    row->addLayout(viewColumn, 1);
    window->setCentralWidget(central);

    QStatusBar* status = window->statusBar();
    status->setObjectName("Sb_Main");
    status->setSizeGripEnabled(false);
    ui.Sb_Main = new TStatusPanels(status);
    status->addWidget(ui.Sb_Main, 1);
}

QToolButton* ToolbarButton(const TMainWndUi& ui, QAction* action) {
    return qobject_cast<QToolButton*>(ui.MainToolbar->widgetForAction(action));
}
