// A window's commands as one table: each row makes one QAction with its id
// (objectName), caption, key, tips, icon and what it does; the window's
// menus and toolbar then lay out those actions.
#pragma once
#include <functional>
#include <span>
#include <string>

class QAction;
class QWidget;

struct TCommand {
    QAction** field;          // where the window keeps the action
    const char* name;         // id: the action's objectName
    const char* caption;
    const char* key = "";     // shortcut, "" for none
    const char* hint = "";    // tool tip and status tip; "" for the caption
    const char* icon = "";    // file in the program's icons folder (no ".png"), "" for none
    const char* theme = "";   // freedesktop icon name, preferred when the theme has it
    bool checkable = false;
    std::function<void()> handler = {};  // run on triggered; none when the window connects it itself
};

// Makes every command's action on window (added to it, so its key works
// whichever menus show) and connects its handler.
void MakeCommands(QWidget* window, std::span<const TCommand> commands, const std::string& iconFolder);
