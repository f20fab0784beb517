#include "frCommon.h"

#include <QEvent>
#include <QListView>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "Zenora.h"

#include "uDataFiles.h"
#include "uFileIO.h"

namespace {

QMessageBox* Box(QWidget* parent, const std::string& text, const std::string& title,
                 QMessageBox::StandardButtons buttons) {
    auto* box = new QMessageBox(QMessageBox::NoIcon, WidgetText(title), WidgetText(text), buttons, parent);
    box->setObjectName("MessageBox");
    box->setAttribute(Qt::WA_DeleteOnClose);
    return box;
}

// Keeps the grid width a share of the viewport's.
class TColumnFitter : public QObject {
public:
    TColumnFitter(QListView* view, int columns) : QObject(view), View(view), Columns(columns) {
        view->viewport()->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize) {
            const int w = std::max(40, View->viewport()->width() / Columns);
            View->setGridSize(QSize(w, View->fontMetrics().height() + 6));
        }
        return false;
    }

private:
    QListView* View;
    int Columns;
};

}  // namespace

// Opened from the event loop: a box opened inside a key press would take the
// dialog's Return handling (which looks for a default button among all its
// children) and close at once.
void OpenSoon(QMessageBox* box) {
    QMetaObject::invokeMethod(box, [box] { box->open(); }, Qt::QueuedConnection);
}

QMessageBox* ShowMessageBox(QWidget* parent, const std::string& text, const std::string& title) {
    QMessageBox* box = Box(parent, text, title, QMessageBox::Ok);
    OpenSoon(box);
    return box;
}

QMessageBox* AskYesNo(QWidget* parent, const std::string& text, const std::string& title,
                      std::function<void()> yes) {
    QMessageBox* box = Box(parent, text, title, QMessageBox::Yes | QMessageBox::No);
    QObject::connect(box, &QMessageBox::finished, box, [box, yes = std::move(yes)](int) {
        if (box->clickedButton() == box->button(QMessageBox::Yes) && yes) yes();
    });
    OpenSoon(box);
    return box;
}

bool AskFromWorker(const std::function<void(std::function<void()>)>& post, QWidget* parent, const std::string& text,
                   const std::string& title, const std::atomic<bool>* stop) {
    struct TAnswer {
        std::mutex mutex;
        std::condition_variable answered;
        bool done = false, yes = false;
    };
    auto answer = std::make_shared<TAnswer>();
    QPointer<QWidget> owner(parent);
    post([answer, owner, text, title] {
        QMessageBox* box = Box(owner.data(), text, title, QMessageBox::Yes | QMessageBox::No);
        QObject::connect(box, &QMessageBox::finished, box, [box, answer](int) {
            std::lock_guard<std::mutex> lock(answer->mutex);
            answer->yes = box->clickedButton() == box->button(QMessageBox::Yes);
            answer->done = true;
            answer->answered.notify_all();
        });
        OpenSoon(box);
    });
    std::unique_lock<std::mutex> lock(answer->mutex);
    // Checked now and then: a window that closes drops the question unanswered.
    while (!answer->done) {
        if (stop && stop->load()) return false;
        answer->answered.wait_for(lock, std::chrono::milliseconds(100));
    }
    return answer->yes;
}

void ShowMessagesInOrder(QWidget* parent, std::vector<TNetMessage> messages) {
    if (messages.empty()) return;
    const TNetMessage first = messages.front();
    messages.erase(messages.begin());
    QMessageBox* box = ShowMessageBox(parent, first.text, first.title.empty() ? kPlainTitle : first.title);
    if (!messages.empty())
        QObject::connect(box, &QMessageBox::finished, parent,
                         [parent, rest = std::move(messages)]() mutable { ShowMessagesInOrder(parent, std::move(rest)); });
}

bool ReadListFile(QWidget* parent, const std::string& path, std::vector<std::string>& lines, bool complainWhenMissing) {
    bool truncated = false;
    if (!ReadFileLines(path, kMaxDataFileBytes, lines, &truncated)) {
        const std::string problem = FileProblem(path);
        if (complainWhenMissing || problem != "not found") ShowMessageBox(parent, "File: " + path + " " + problem);
        return false;
    }
    if (truncated) {
        ShowMessageBox(parent, "File: " + path + " is larger than " + std::to_string(kMaxDataFileBytes >> 20) +
                                   " MB; only its beginning is shown, and it is left as it is");
        return false;
    }
    return true;
}

QPushButton* NewButton(QWidget* parent, const char* name, const QString& text, const QString& tip) {
    auto* b = Named<QPushButton>(parent, name, text);
    b->setAutoDefault(false);
    if (!tip.isEmpty()) b->setToolTip(tip);
    return b;
}

QString WidgetText(std::string_view latin1) {
    return QString::fromLatin1(latin1.data(), static_cast<qsizetype>(latin1.size()));
}

std::string ProgramText(const QString& text) { return text.toLatin1().toStdString(); }

namespace {
// The frame around the client area: known once shown, else room for a title bar.
QSize FrameExtra(const QWidget* window) {
    if (window->isVisible()) return window->frameGeometry().size() - window->size();
    return QSize(8, 32);
}
}  // namespace

void FitToScreen(QWidget* window) {
    const QScreen* screen = window->screen();
    if (!screen) return;
    const QSize room = screen->availableGeometry().size() - FrameExtra(window);
    window->resize(window->size().boundedTo(room).expandedTo(window->minimumSize()));
}

void CentreOnScreen(QWidget* window) {
    const QScreen* screen = window->screen();
    if (!screen) return;
    FitToScreen(window);
    const QRect area = screen->availableGeometry();
    QRect frame(QPoint(0, 0), window->size() + FrameExtra(window));
    frame.moveCenter(area.center());
    // Larger than the area (a minimum size): the top left corner stays on it.
    frame.moveLeft(std::max(frame.left(), area.left()));
    frame.moveTop(std::max(frame.top(), area.top()));
    window->move(frame.topLeft());
}

void FlowInColumns(QListView* view, int columns) {
    view->setFlow(QListView::TopToBottom);
    view->setWrapping(true);
    view->setResizeMode(QListView::Adjust);
    view->setUniformItemSizes(true);
    new TColumnFitter(view, std::max(1, columns));
}

QString AngleText(double radians) {
    constexpr double kArcsecondsPerRadian = 206264.80624709636;
    const double seconds = std::round(std::fabs(radians) * kArcsecondsPerRadian);
    // A quarter second into the rounded second: splitting it into degrees,
    // minutes and seconds never meets a boundary.
    const double degrees = (seconds + 0.25) / 3600.0;
    return WidgetText(Conv_to_str_deg(false, 0, seconds > 0.0 && radians < 0.0 ? -degrees : degrees));
}
