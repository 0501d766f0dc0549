#include "room/BackgroundProbe.h"

#include <QThread>
#include <atomic>

namespace kaoshi {

struct BackgroundProbe::Run {
    std::atomic<bool> answered = false;
    std::function<void(bool)> done;
};

BackgroundProbe::BackgroundProbe(QObject *parent) : QObject(parent) {}

BackgroundProbe::~BackgroundProbe() { giveUp(); }

bool BackgroundProbe::start(std::function<bool()> probe, std::function<void(bool answered)> done)
{
    if (m_thread)
        return false;
    auto run = std::make_shared<Run>();
    run->done = std::move(done);
    m_run = run;
    m_thread = QThread::create([probe = std::move(probe), run] { run->answered = probe && probe(); });
    // Queued to this object: dropped with it, and ignored once given up.
    connect(m_thread, &QThread::finished, this, [this, run] {
        if (run == m_run)
            finish();
    }, Qt::QueuedConnection);
    m_thread->start();
    return true;
}

void BackgroundProbe::finish()
{
    // finished comes from the thread just before it ends.
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    const std::shared_ptr<Run> run = std::move(m_run);
    if (run->done)
        run->done(run->answered);
}

void BackgroundProbe::giveUp()
{
    if (!m_thread)
        return;
    m_run.reset();
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
}

} // namespace kaoshi
