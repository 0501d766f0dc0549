#include "ui/QtPlatform.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace kaoshi {

namespace {

QMessageBox::Icon boxIcon(Message::Icon icon)
{
    switch (icon) {
    case Message::Icon::Information: return QMessageBox::Information;
    case Message::Icon::Warning: return QMessageBox::Warning;
    case Message::Icon::Question: return QMessageBox::Question;
    case Message::Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

int runBox(const Message &message, QMessageBox::StandardButtons buttons)
{
    QMessageBox box(boxIcon(message.icon), message.caption, message.text, buttons);
    box.setWindowModality(Qt::ApplicationModal);
    box.setAccessibleName(message.caption);
    if (!message.okText.isEmpty() && box.button(QMessageBox::Ok)) {
        box.button(QMessageBox::Ok)->setText(message.okText);
        if (QAbstractButton *cancel = box.button(QMessageBox::Cancel))
            cancel->setText(QStringLiteral("关闭"));
    }
    return box.exec();
}

// The font dialog with a colour choice, as the desktop's common font dialog has.
class FontAndColourDialog : public QDialog
{
public:
    explicit FontAndColourDialog(const FontChoice &initial)
    {
        setWindowTitle(QStringLiteral("字体"));
        m_fonts = new QFontDialog(this);
        m_fonts->setWindowFlags(Qt::Widget);
        m_fonts->setOptions(QFontDialog::NoButtons);
        // A Windows face name such as 宋体 is shown as the face it maps to.
        QFont font(QFontInfo(QFont(initial.family)).family());
        font.setPointSize(initial.pointSize);
        font.setBold(initial.bold);
        font.setItalic(initial.italic);
        font.setUnderline(initial.underline);
        font.setStrikeOut(initial.strikeOut);
        m_fonts->setCurrentFont(font);
        m_colour = initial.colour;

        auto *colourButton = new QPushButton(QStringLiteral("颜色…"), this);
        colourButton->setObjectName(QStringLiteral("颜色按钮"));
        m_swatch = new QLabel(this);
        m_swatch->setFixedSize(40, 20);
        m_swatch->setAccessibleName(QStringLiteral("颜色"));
        showSwatch();
        connect(colourButton, &QPushButton::clicked, this, [this] {
            const QColor chosen = QColorDialog::getColor(m_colour.isValid() ? m_colour : Qt::black, this,
                                                         QStringLiteral("颜色"));
            if (chosen.isValid()) {
                m_colour = chosen;
                showSwatch();
            }
        });
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

        auto *colourRow = new QHBoxLayout;
        colourRow->addWidget(colourButton);
        colourRow->addWidget(m_swatch);
        colourRow->addStretch();
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(m_fonts);
        layout->addLayout(colourRow);
        layout->addWidget(buttons);
    }

    FontChoice choice() const
    {
        const QFont font = m_fonts->currentFont();
        return {font.family(), font.pointSize(), font.bold(), font.italic(), font.underline(),
                font.strikeOut(), m_colour};
    }

private:
    void showSwatch()
    {
        m_swatch->setStyleSheet(QStringLiteral("background:%1; border:1px solid gray;")
                                    .arg(m_colour.isValid() ? m_colour.name() : QStringLiteral("black")));
    }

    QFontDialog *m_fonts;
    QLabel *m_swatch;
    QColor m_colour;
};

} // namespace

QString qtFileFilter(const QString &pipeFilter)
{
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return filters.join(QStringLiteral(";;"));
}

void QtPlatform::notify(const Message &message) { runBox(message, QMessageBox::Ok); }

bool QtPlatform::confirm(const Message &message)
{
    return runBox(message, QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

QString QtPlatform::openFileName(const QString &title, const QString &filter)
{
    return QFileDialog::getOpenFileName(nullptr, title, QString(), qtFileFilter(filter));
}

QString QtPlatform::saveFileName(const QString &title, const QString &filter, const QString &suggested)
{
    return QFileDialog::getSaveFileName(nullptr, title, suggested, qtFileFilter(filter));
}

std::optional<FontChoice> QtPlatform::chooseFont(const FontChoice &initial)
{
    FontAndColourDialog dialog(initial);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}

bool QtPlatform::openWithDesktop(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

qint64 QtPlatform::millisecondsSinceStart()
{
    QElapsedTimer timer; // monotonic: counted from system start
    timer.start();
    return timer.msecsSinceReference();
}

QDateTime QtPlatform::now() { return QDateTime::currentDateTime(); }

void QtPlatform::wait(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace kaoshi
