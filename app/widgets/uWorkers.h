// The window's background jobs. A job runs on its own thread with copies of
// what it reads and returns the step that applies its result; that step
// runs later on the UI thread, the only thread that touches widgets and the
// session. Busy flags are set when a job starts and cleared on the UI thread
// when its result is applied.
//
// Results travel through a queue under a std::mutex, and the UI thread is
// only woken through Qt's event queue: the hand-over is a plain C++ one, so
// ThreadSanitizer sees it too.
#pragma once
#include <QObject>

#include <atomic>
#include <deque>
#include <exception>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "uStatus.h"

// Worker codes.
enum TWorkerCode : int {
    kWorkerStartUp = 1,
    kWorkerAutoDownload = 2,
    kWorkerConversion = 25,
    kWorkerMagImport = 27,
    kWorkerSkyRefresh = 33,
    kWorkerPredictionSearch = 40,  // the mode is its request's
    kWorkerAnalysisFile = 60,
    kWorkerAnalysisSearch = 61,  // the mode is its request's
    kWorkerIridiumUpdate = 69,
    kWorkerSkyFile = 91,
    kWorkerIridiumFile = 98,
    kWorkerMainUpdate = 99,
    kWorkerNextPass = 100,
    kWorkerRadarSave = 101,
    kWorkerUpcoming = 102,
    kWorkerAlertPlan = 110,
    kWorkerAlertAction = 111,
    kWorkerMapSwitch = 501,
    kWorkerSkySwitch = 502,
    kWorkerGlobeSwitch = 503,
};

class TWorkers : public QObject {
    Q_OBJECT
public:
    using TApply = std::function<void()>;
    using TBody = std::function<TApply()>;

    TWorkers();
    // Waits for every job still running; their results are dropped.
    ~TWorkers() override;

    // StartWorker: sets *busy, runs body on a new thread; the step it returns
    // runs on the UI thread right after *busy is cleared (EndWorker). busy
    // must outlive this object. A body that throws ends its job like any
    // other: the failure handler gets the code and the reason on the UI thread.
    void Start(int code, TBody body, bool* busy = nullptr);
    // What a failed job does on the UI thread; without a handler the reason
    // goes to the diagnostics ("The background job failed: <why>").
    using TFailure = std::function<void(int code, const std::string& why)>;
    void SetFailureHandler(TFailure handler) { Failure = std::move(handler); }
    // Where this owner's texts for the user go, told on the UI thread; by
    // default a message box with no parent window.
    void SetDiagnostics(TDiagnostics diagnostics) { Tell = std::move(diagnostics); }
    const TDiagnostics& Diagnostics() const { return Tell; }
    // The reason an exception gives (its what(), or "unknown error").
    static std::string Reason(std::exception_ptr error);
    // Runs step on the UI thread soon; callable from any thread.
    void Post(TApply step);
    // No job running and no result waiting to be applied.
    bool Idle() const { return Pending == 0; }
    // Results that arrive from now on are dropped (the window is closing).
    void DropResults() { Dropping = true; }

private slots:
    void Deliver();

private:
    struct TResult {
        TApply apply;
        bool* busy = nullptr;
        bool job = false;  // ends a job (Start), not a plain Post
    };
    struct TJob {
        int code = 0;
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    void Push(TResult result);
    void Reap();

    std::mutex QueueMutex;
    std::deque<TResult> Queue;  // under QueueMutex
    std::list<TJob> Jobs;       // UI thread only
    bool Dropping = false;      // UI thread only
    TFailure Failure;           // UI thread only
    TDiagnostics Tell;          // UI thread only
    int Pending = 0;            // UI thread only: jobs whose result was not applied yet
};
