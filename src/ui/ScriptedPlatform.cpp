#include "ui/ScriptedPlatform.h"

#include <QCoreApplication>

namespace kaoshi {

void ScriptedPlatform::notify(const Message &message) { messages << message; }

bool ScriptedPlatform::confirm(const Message &message)
{
    messages << message;
    return !m_answers.isEmpty() && m_answers.dequeue();
}

QString ScriptedPlatform::openFileName(const QString &title, const QString &)
{
    fileDialogTitles << title;
    return m_fileNames.isEmpty() ? QString() : m_fileNames.dequeue();
}

QString ScriptedPlatform::saveFileName(const QString &title, const QString &filter, const QString &)
{
    return openFileName(title, filter);
}

std::optional<FontChoice> ScriptedPlatform::chooseFont(const FontChoice &)
{
    ++fontDialogs;
    return m_fonts.isEmpty() ? std::nullopt : m_fonts.dequeue();
}

bool ScriptedPlatform::openWithDesktop(const QString &path)
{
    openedFiles << path;
    return m_openResults.isEmpty() || m_openResults.dequeue();
}

void ScriptedPlatform::wait(int milliseconds)
{
    waitedMilliseconds += milliseconds;
    if (duringWait)
        duringWait();
    QCoreApplication::processEvents();
}

} // namespace kaoshi
