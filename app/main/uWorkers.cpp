#include "uWorkers.h"

#include <QMetaObject>

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

void TWorkers::Start(int code, TBody body, bool* busy) {
    Reap();
    if (busy) *busy = true;
    ++Pending;
    int* pending = &Pending;
    auto done = std::make_shared<std::atomic<bool>>(false);
    QObject* owner = Owner.data();
    bool* dropping = &Dropping;
    std::thread thread([owner, body = std::move(body), busy, done, dropping, pending] {
        TApply apply = body();
        // The owner outlives the thread (its destructor joins), so posting to it
        // is safe; Qt drops the call if the owner is destroyed before it runs.
        QMetaObject::invokeMethod(
            owner,
            [apply = std::move(apply), busy, dropping, pending] {
                // Cleared first, so the result may start the next job of its kind.
                if (busy) *busy = false;
                --*pending;
                if (!*dropping && apply) apply();
            },
            Qt::QueuedConnection);
        done->store(true);
    });
    Jobs.push_back(TJob{code, std::move(thread), done});
}

bool TWorkers::Running(int code) const {
    for (const TJob& job : Jobs)
        if (job.code == code && !job.done->load()) return true;
    return false;
}
