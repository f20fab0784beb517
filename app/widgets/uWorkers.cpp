#include "uWorkers.h"

#include <QMetaObject>

#include "frCommon.h"
#include "uLoadSave.h"

TWorkers::TWorkers() : Tell([](const std::string& text) { ShowMessageBox(nullptr, text); }) {}

TWorkers::~TWorkers() {
    for (TJob& job : Jobs)
        if (job.thread.joinable()) job.thread.join();
}

void TWorkers::Reap() {
    for (auto it = Jobs.begin(); it != Jobs.end();) {
        if (it->done->load()) {
            if (it->thread.joinable()) it->thread.join();
            it = Jobs.erase(it);
        } else {
            ++it;
        }
    }
}

void TWorkers::Push(TResult result) {
    {
        std::lock_guard<std::mutex> lock(QueueMutex);
        Queue.push_back(std::move(result));
    }
    // This object lives until every thread is joined, so waking it is safe;
    // a wake-up that arrives after it is gone is dropped by Qt.
    QMetaObject::invokeMethod(this, "Deliver", Qt::QueuedConnection);
}

std::string TWorkers::Reason(std::exception_ptr error) {
    try {
        if (error) std::rethrow_exception(error);
    } catch (const std::exception& e) {
        if (*e.what()) return e.what();
    } catch (...) {
    }
    return "unknown error";
}

void TWorkers::Post(TApply step) { Push(TResult{std::move(step), nullptr, false}); }

void TWorkers::Start(int code, TBody body, bool* busy) {
    Reap();
    if (busy) *busy = true;
    ++Pending;
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::thread thread([this, code, body = std::move(body), busy, done] {
        TApply apply;
        try {
            apply = body();
        } catch (...) {
            // Left to escape, it would end the whole program.
            apply = [this, code, why = Reason(std::current_exception())] {
                if (Failure) Failure(code, why);
                else Tell.Tell("The background job failed: " + why);
            };
        }
        Push(TResult{std::move(apply), busy, true});
        done->store(true);
    });
    Jobs.push_back(TJob{code, std::move(thread), done});
}

void TWorkers::Deliver() {
    for (;;) {
        TResult r;
        {
            std::lock_guard<std::mutex> lock(QueueMutex);
            if (Queue.empty()) return;
            r = std::move(Queue.front());
            Queue.pop_front();
        }
        // Cleared first, so the result may start the next job of its kind.
        if (r.busy) *r.busy = false;
        if (r.job) --Pending;
        if (!Dropping && r.apply) r.apply();
    }
}
