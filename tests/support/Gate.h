#pragma once
// A gate that threads wait at until it is opened once, for the seats of a
// simulated room that must act in the same instant (all signing in, all
// handing in). Waiting is bounded, so that a test that went wrong still ends.
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace kaoshi::test {

class Gate
{
public:
    void open()
    {
        {
            std::lock_guard lock(m_mutex);
            m_open = true;
        }
        m_opened.notify_all();
    }
    // true once open; false when it stayed shut for timeout.
    bool wait(std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(m_mutex);
        return m_opened.wait_for(lock, timeout, [this] { return m_open; });
    }
    bool isOpen()
    {
        std::lock_guard lock(m_mutex);
        return m_open;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_opened;
    bool m_open = false;
};

} // namespace kaoshi::test
