#pragma once
// Asks a seat's probe (does the server answer again?) on a thread of its own,
// so that the seat never waits for a server that is gone, and gives the
// answer on the owner's thread. A probe still under way when it is given up,
// or when this is destroyed, is waited for: no thread outlives its owner, and
// an answer that comes after is dropped.
#include <QObject>
#include <functional>
#include <memory>

class QThread;

namespace kaoshi {

class BackgroundProbe : public QObject
{
public:
    explicit BackgroundProbe(QObject *parent = nullptr);
    ~BackgroundProbe() override;
    BackgroundProbe(const BackgroundProbe &) = delete;
    BackgroundProbe &operator=(const BackgroundProbe &) = delete;

    // Starts probe unless one is under way (false then); done gets its
    // answer on this object's thread once it returned.
    bool start(std::function<bool()> probe, std::function<void(bool answered)> done);
    bool isRunning() const { return m_thread != nullptr; }
    // Waits for a probe under way and drops its answer.
    void giveUp();

private:
    struct Run;
    void finish();

    QThread *m_thread = nullptr;
    std::shared_ptr<Run> m_run;
};

} // namespace kaoshi
