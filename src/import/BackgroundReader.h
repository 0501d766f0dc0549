#pragma once
// Reads a file's questions on a thread of its own, so that the window that
// shows them answers the user at all times, however long a workbook takes to
// open or a sheet of blank rows takes to pass. The window takes what has been
// read in batches; stop() ends the reading within moments.
#include "import/QuestionSource.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace kaoshi {

class BackgroundReader
{
public:
    // listSheets: the worksheet names of a workbook are read first.
    BackgroundReader(QString path, int sheet, bool listSheets);
    ~BackgroundReader(); // stops and waits for the thread
    BackgroundReader(const BackgroundReader &) = delete;
    BackgroundReader &operator=(const BackgroundReader &) = delete;

    void stop();

    struct Taken {
        std::vector<RawQuestion> questions;
        std::optional<QStringList> sheets; // once, when asked for
        bool finished = false;             // nothing more will come
        QString error;                     // why reading ended early ("" at the end of the file)
        double progress = 0;
    };
    // What has been read since the last call, up to `most` questions.
    Taken take(size_t most);

    // Questions held for the window at most: the thread waits beyond.
    static constexpr size_t kMostWaiting = 4096;

private:
    void run(int sheet, bool listSheets);

    QString m_path;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::condition_variable m_room;
    std::deque<RawQuestion> m_waiting;
    std::optional<QStringList> m_sheets;
    bool m_finished = false;
    QString m_error;
    double m_progress = 0;
    std::thread m_thread;
};

} // namespace kaoshi
