#pragma once
// The thin layer over the platform that every window uses: message boxes,
// file and font dialogs, the desktop's programs, the clock and waits. Windows
// get a Qt implementation; tests get the scripted one (ScriptedPlatform.h).
#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QString>
#include <optional>

namespace kaoshi {

struct Message {
    enum class Icon { None, Information, Warning, Question };
    QString text;
    QString caption;
    Icon icon = Icon::None;
    // A confirmation's OK button says this when it is not "确定"; its Cancel
    // button then says "关闭".
    QString okText = {};
    bool operator==(const Message &) const = default;
};

// Modal message boxes without an owner window.
class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    // A notice with the OK button.
    virtual void notify(const Message &message) = 0;
    // OK and Cancel; true only on OK.
    virtual bool confirm(const Message &message) = 0;

    // The system's usual forms: a notice "系统消息" with the information icon,
    // and a confirmation "注意".
    void notice(const QString &text)
    {
        notify({text, QStringLiteral("系统消息"), Message::Icon::Information});
    }
    bool ask(const QString &text, Message::Icon icon = Message::Icon::None)
    {
        return confirm({text, QStringLiteral("注意"), icon});
    }
    // A change that did not happen: what was not done, and the engine's reason.
    void failure(const QString &what, const QString &reason)
    {
        notify({reason.isEmpty() ? what : what + QStringLiteral("\n") + reason, QStringLiteral("失败"),
                Message::Icon::Warning});
    }
};

class FileDialogs
{
public:
    virtual ~FileDialogs() = default;
    // filter: description and pattern pairs separated by "|", as
    // "图片文件(*.jpg)|*.jpg|位图(*.bmp)|*.bmp". "" when the user cancels.
    virtual QString openFileName(const QString &title, const QString &filter) = 0;
    // The file to write, proposed as `suggested`; "" when the user cancels.
    virtual QString saveFileName(const QString &title, const QString &filter, const QString &suggested) = 0;
};

struct FontChoice {
    QString family;
    int pointSize = 9;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QColor colour; // invalid: the automatic colour
};

class FontDialogs
{
public:
    virtual ~FontDialogs() = default;
    virtual std::optional<FontChoice> chooseFont(const FontChoice &initial) = 0;
};

class Desktop
{
public:
    virtual ~Desktop() = default;
    // Opens the file (or folder) with the program the desktop associates
    // with it; false when no program opened it.
    virtual bool openWithDesktop(const QString &path) = 0;
};

class Clock
{
public:
    virtual ~Clock() = default;
    virtual qint64 millisecondsSinceStart() = 0;
    virtual QDateTime now() = 0;
};

class Waits
{
public:
    virtual ~Waits() = default;
    // Waits while still processing window messages.
    virtual void wait(int milliseconds) = 0;
};

struct Platform {
    MessageBoxes &messages;
    FileDialogs &files;
    FontDialogs &fonts;
    Desktop &desktop;
    Clock &clock;
    Waits &waits;
};

} // namespace kaoshi
