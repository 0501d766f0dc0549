#pragma once
// A platform for tests: records every message box and desktop request, and
// answers confirmations, file and font dialogs from a script.
#include "ui/Platform.h"

#include <QList>
#include <QQueue>
#include <QStringList>
#include <functional>

namespace kaoshi {

class ScriptedPlatform final : public MessageBoxes,
                               public FileDialogs,
                               public FontDialogs,
                               public Desktop,
                               public Clock,
                               public Waits
{
public:
    // Scripted answers, used in order. Without one, a confirmation answers
    // Cancel, a file dialog is cancelled and a font dialog is cancelled.
    void setNextAnswer(bool ok) { m_answers.enqueue(ok); }
    void setNextFileName(const QString &path) { m_fileNames.enqueue(path); }
    void setNextFont(const std::optional<FontChoice> &choice) { m_fonts.enqueue(choice); }
    // Whether the next request to open a file with the desktop's program
    // finds one; without a script every request does.
    void setNextOpenResult(bool opened) { m_openResults.enqueue(opened); }
    void setClock(qint64 milliseconds, const QDateTime &now = {})
    {
        m_milliseconds = milliseconds;
        m_now = now;
    }
    // Lets time pass on the clock (milliseconds since start).
    void advanceClock(qint64 milliseconds) { m_milliseconds += milliseconds; }

    // Everything shown so far, in order (notices and confirmations).
    QList<Message> messages;
    QStringList openedFiles;
    QStringList fileDialogTitles;
    int fontDialogs = 0;
    qint64 waitedMilliseconds = 0;
    // Runs inside every wait, as the user's input would.
    std::function<void()> duringWait;

    Message lastMessage() const { return messages.isEmpty() ? Message() : messages.last(); }
    void clear()
    {
        messages.clear();
        openedFiles.clear();
        fileDialogTitles.clear();
    }

    void notify(const Message &message) override;
    bool confirm(const Message &message) override;
    QString openFileName(const QString &title, const QString &filter) override;
    // Answers from the same script as openFileName.
    QString saveFileName(const QString &title, const QString &filter, const QString &suggested) override;
    std::optional<FontChoice> chooseFont(const FontChoice &initial) override;
    bool openWithDesktop(const QString &path) override;
    qint64 millisecondsSinceStart() override { return m_milliseconds; }
    QDateTime now() override { return m_now.isValid() ? m_now : QDateTime::currentDateTime(); }
    void wait(int milliseconds) override;

    Platform platform() { return {*this, *this, *this, *this, *this, *this}; }

private:
    QQueue<bool> m_answers;
    QQueue<QString> m_fileNames;
    QQueue<std::optional<FontChoice>> m_fonts;
    QQueue<bool> m_openResults;
    qint64 m_milliseconds = 0;
    QDateTime m_now;
};

} // namespace kaoshi
