#pragma once
#include "ui/Platform.h"

namespace kaoshi {

// The real platform: Qt message boxes and dialogs, QDesktopServices, the
// monotonic clock and event-processing waits.
class QtPlatform final : public MessageBoxes,
                         public FileDialogs,
                         public FontDialogs,
                         public Desktop,
                         public Clock,
                         public Waits
{
public:
    void notify(const Message &message) override;
    bool confirm(const Message &message) override;
    QString openFileName(const QString &title, const QString &filter) override;
    QString saveFileName(const QString &title, const QString &filter, const QString &suggested) override;
    std::optional<FontChoice> chooseFont(const FontChoice &initial) override;
    bool openWithDesktop(const QString &path) override;
    qint64 millisecondsSinceStart() override;
    QDateTime now() override;
    void wait(int milliseconds) override;

    Platform platform() { return {*this, *this, *this, *this, *this, *this}; }
};

// "图片(*.jpg)|*.jpg|位图(*.bmp)|*.bmp" → "图片(*.jpg) (*.jpg);;位图(*.bmp) (*.bmp)"
QString qtFileFilter(const QString &pipeFilter);

} // namespace kaoshi
