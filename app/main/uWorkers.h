// The window's background jobs. A job runs on its own thread with copies of
// what it reads and returns the step that applies its result; that step
// runs later on the UI thread, the only thread that touches widgets and the
// session. Busy flags are set when a job starts and cleared on the UI thread
// when its result is applied.
#pragma once
#include <QObject>
#include <QPointer>

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <thread>

// Worker codes.
enum TWorkerCode : int {
    kWorkerStartUp = 1,
    kWorkerAutoDownload = 2,
    kWorkerConversion = 25,
    kWorkerSkyRefresh = 33,
    kWorkerIridiumUpdate = 69,
    kWorkerSkyFile = 91,
    kWorkerIridiumFile = 98,
    kWorkerMainUpdate = 99,
    kWorkerNextPass = 100,
    kWorkerMapSwitch = 501,
    kWorkerSkySwitch = 502,
    kWorkerGlobeSwitch = 503,
};

class TWorkers {
public:
    using TApply = std::function<void()>;
    using TBody = std::function<TApply()>;

    // owner receives the results; they are dropped once it is gone.
    explicit TWorkers(QObject* owner) : Owner(owner) {}
    // Waits for every job still running (their results are dropped).
    ~TWorkers();
    TWorkers(const TWorkers&) = delete;
    TWorkers& operator=(const TWorkers&) = delete;

    // StartWorker: sets *busy, runs body on a new thread; the step it returns
    // runs on the owner's thread right after *busy is cleared (EndWorker).
    // busy must live as long as the owner.
    void Start(int code, TBody body, bool* busy = nullptr);
    bool Running(int code) const;
    // No job running and no result waiting to be applied.
    bool Idle() const { return Pending == 0; }
    // Results that arrive from now on are dropped (the window is closing).
    void DropResults() { Dropping = true; }

private:
    struct TJob {
        int code = 0;
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    void Reap();

    QPointer<QObject> Owner;
    std::list<TJob> Jobs;
    bool Dropping = false;
    int Pending = 0;  // started jobs whose result has not been applied (UI thread only)
};
