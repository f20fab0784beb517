// What the dialogs share: their message boxes and the 8-bit text at the
// edge where the program's texts meet the widgets.
#pragma once
#include <QString>

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "uNetFiles.h"

class QListView;
class QMessageBox;
class QPushButton;
class QWidget;

// The title of a plain message (the application's).
inline constexpr const char* kPlainTitle = "Skyvane";

// An OK-only box without icon, modal to parent's window but not blocking
// (workers and the clock go on). Its object name is "MessageBox".
QMessageBox* ShowMessageBox(QWidget* parent, const std::string& text, const std::string& title = kPlainTitle);
// A Yes/No question in the same manner; yes runs only when Yes is pressed.
QMessageBox* AskYesNo(QWidget* parent, const std::string& text, const std::string& title,
                      std::function<void()> yes);

// A Yes/No question asked by a worker: post runs a step on the UI thread (the
// box opens there) and the worker waits for the answer. No when stop is set
// before the user answers.
bool AskFromWorker(const std::function<void(std::function<void()>)>& post, QWidget* parent, const std::string& text,
                   const std::string& title, const std::atomic<bool>* stop);

// Messages one after the other: each opens when the one before is closed.
void ShowMessagesInOrder(QWidget* parent, std::vector<TNetMessage> messages);

// The lines of one of the program's text files. False (with the message
// shown) when it cannot be read, or when it is too large to read whole:
// lines then holds its beginning, and the caller must not write it back.
bool ReadListFile(QWidget* parent, const std::string& path, std::vector<std::string>& lines,
                  bool complainWhenMissing = true);

// 8-bit program text to a widget and back (characters beyond Latin-1 become '?').
// A child of parent under the name the window and its tests find it by.
template <typename W, typename... Args>
W* Named(QWidget* parent, const char* name, Args&&... args) {
    W* w = new W(std::forward<Args>(args)..., parent);
    w->setObjectName(name);
    return w;
}
// A named button that Return in one of the dialog's fields never presses.
QPushButton* NewButton(QWidget* parent, const char* name, const QString& text, const QString& tip = {});

QString WidgetText(std::string_view latin1);
// An angle as degrees, minutes and whole seconds, rounded to the second
// before it is split, so that the seconds never read 60.
QString AngleText(double radians);
std::string ProgramText(const QString& text);

// Centres a window on the screen it is on (the primary one before it is
// shown) and keeps it inside the screen's available area: no larger than
// that area (its minimum size permitting), its title bar and menus on it.
void CentreOnScreen(QWidget* window);
// The same for a dialog's size only (a dialog is placed when it is shown).
void FitToScreen(QWidget* window);

// The list's items flow top to bottom in `columns` columns that share its
// width (scrolling sideways when there are more), as a multi-column list box.
void FlowInColumns(QListView* view, int columns);
