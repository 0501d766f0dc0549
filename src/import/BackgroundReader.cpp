#include "import/BackgroundReader.h"

namespace kaoshi {

BackgroundReader::BackgroundReader(QString path, int sheet, bool listSheets) : m_path(std::move(path))
{
    m_thread = std::thread([this, sheet, listSheets] { run(sheet, listSheets); });
}

BackgroundReader::~BackgroundReader()
{
    stop();
    m_thread.join();
}

void BackgroundReader::stop()
{
    {
        // Under the lock, so that a thread about to wait for room sees it.
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_room.notify_all();
}

void BackgroundReader::run(int sheet, bool listSheets)
{
    const StopWhen stopping(m_stop);
    const auto finish = [this](const QString &error) {
        const std::lock_guard lock(m_mutex);
        m_error = error;
        m_finished = true;
    };
    if (listSheets) {
        QString error;
        QStringList names = worksheetNames(m_path, &error);
        const std::lock_guard lock(m_mutex);
        m_sheets = std::move(names);
    }
    OpenedSource opened = openQuestionSource(m_path, sheet);
    if (!opened.source) {
        finish(opened.error);
        return;
    }
    RawQuestion question;
    while (!m_stop && opened.source->next(question)) {
        std::unique_lock lock(m_mutex);
        m_room.wait(lock, [this] { return m_stop || m_waiting.size() < kMostWaiting; });
        m_waiting.push_back(std::move(question));
        m_progress = opened.source->progress();
    }
    finish(m_stop ? kStoppedReading : opened.source->error());
}

BackgroundReader::Taken BackgroundReader::take(size_t most)
{
    Taken taken;
    {
        const std::lock_guard lock(m_mutex);
        const size_t count = std::min(most, m_waiting.size());
        taken.questions.reserve(count);
        for (size_t i = 0; i < count; ++i) {
            taken.questions.push_back(std::move(m_waiting.front()));
            m_waiting.pop_front();
        }
        taken.sheets = std::exchange(m_sheets, std::nullopt);
        taken.finished = m_finished && m_waiting.empty();
        taken.error = taken.finished ? m_error : QString();
        taken.progress = m_progress;
    }
    m_room.notify_all();
    return taken;
}

} // namespace kaoshi
