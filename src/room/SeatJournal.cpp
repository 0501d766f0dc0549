#include "room/SeatJournal.h"

#include <QDateTime>
#include <QDir>
#include <QSaveFile>
#include <QUrl>

#include <unistd.h>

namespace kaoshi {

namespace {

// A file name from any 考号 and 场次: percent-encoded, so that no character
// of theirs names another folder or another candidate's file.
QString fileNameOf(const PaperOwner &owner)
{
    const auto part = [](const QString &text) { return QString::fromLatin1(QUrl::toPercentEncoding(text)); };
    return part(owner.number) + QLatin1Char('+') + part(owner.occasion) + QStringLiteral(".txt");
}

const QLatin1Char kTab('\t');

} // namespace

SeatJournal::SeatJournal(const QString &dataDir, const PaperOwner &owner)
    : m_path(QDir(QDir(dataDir).filePath(kSeatJournalFolder)).filePath(fileNameOf(owner)))
{
}

SeatJournal::~SeatJournal() = default;

QString SeatJournal::escaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '\t': out += QLatin1String("\\t"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        default: out += c;
        }
    }
    return out;
}

std::optional<QString> SeatJournal::unescaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            return std::nullopt;
        if (c != QLatin1Char('\\')) {
            out += c;
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i].unicode()) {
        case '\\': out += QLatin1Char('\\'); break;
        case 't': out += QLatin1Char('\t'); break;
        case 'n': out += QLatin1Char('\n'); break;
        case 'r': out += QLatin1Char('\r'); break;
        default: return std::nullopt;
        }
    }
    return out;
}

void SeatJournal::dropCutLine()
{
    // A line cut short by a crash is dropped before the next is written, so
    // that it neither swallows that line nor passes for a whole one.
    QFile held(m_path);
    if (!held.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = held.readAll();
    held.close();
    if (!bytes.isEmpty() && !bytes.endsWith('\n'))
        QFile::resize(m_path, bytes.lastIndexOf('\n') + 1);
}

bool SeatJournal::writeLine(const QString &line)
{
    if (!m_file.isOpen()) {
        if (!QDir().mkpath(QFileInfo(m_path).path())) {
            m_error = QStringLiteral("无法建立文件夹 %1").arg(QFileInfo(m_path).path());
            return false;
        }
        dropCutLine();
        m_file.setFileName(m_path);
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append)) {
            m_error = m_file.errorString();
            return false;
        }
    }
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    // One write per line, on the disk before the database is asked.
    if (m_file.write(bytes) != bytes.size() || !m_file.flush() || ::fdatasync(m_file.handle()) != 0) {
        m_error = m_file.errorString();
        m_file.close();
        return false;
    }
    return true;
}

bool SeatJournal::append(int position, const QString &answer)
{
    return writeLine(QStringLiteral("A") + kTab + QString::number(position) + kTab + escaped(answer));
}

bool SeatJournal::queueHandIn(const QString &why)
{
    return writeLine(QStringLiteral("H") + kTab + escaped(why));
}

JournalContents SeatJournal::read() const
{
    JournalContents contents;
    QFile file(m_path);
    if (!file.exists())
        return contents;
    if (!file.open(QIODevice::ReadOnly)) {
        contents.failed = true;
        return contents;
    }
    const QByteArray bytes = file.readAll();
    qsizetype start = 0;
    while (true) {
        const qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            break; // nothing, or a line cut short
        const QString line = QString::fromUtf8(bytes.mid(start, end - start));
        start = end + 1;
        const QStringList fields = line.split(kTab);
        if (fields.size() == 3 && fields[0] == QLatin1String("A")) {
            bool ok = false;
            const int position = fields[1].toInt(&ok);
            const std::optional<QString> answer = unescaped(fields[2]);
            if (ok && position >= 0 && answer)
                contents.answers.push_back({position, *answer});
        } else if (fields.size() == 2 && fields[0] == QLatin1String("H")) {
            if (const std::optional<QString> why = unescaped(fields[1]))
                contents.handIn = *why;
        }
    }
    return contents;
}

bool SeatJournal::clear()
{
    if (m_file.isOpen()) {
        if (m_file.resize(0) && ::fdatasync(m_file.handle()) == 0)
            return true;
        m_file.close();
    }
    if (!QFile::exists(m_path) || QFile::remove(m_path))
        return true;
    m_error = QStringLiteral("无法删除 %1").arg(m_path);
    return false;
}

bool SeatJournal::setAside()
{
    m_file.close();
    if (!QFile::exists(m_path))
        return true;
    const QString aside = m_path + QStringLiteral(".未交上-") + QString::number(QDateTime::currentMSecsSinceEpoch());
    if (QFile::rename(m_path, aside)) {
        m_asidePath = aside;
        return true;
    }
    m_error = QStringLiteral("无法改名 %1").arg(m_path);
    return false;
}

QString SeatJournal::claim() const
{
    QFile file(claimPath());
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll()).trimmed();
}

bool SeatJournal::keepClaim(const QString &claim)
{
    if (!QDir().mkpath(QFileInfo(m_path).path())) {
        m_error = QStringLiteral("无法建立文件夹 %1").arg(QFileInfo(m_path).path());
        return false;
    }
    // Written whole or not at all: a cut write never leaves half a claim.
    QSaveFile file(claimPath());
    const QByteArray bytes = claim.toUtf8() + '\n';
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        m_error = QStringLiteral("%1:%2").arg(claimPath(), file.errorString());
        return false;
    }
    return true;
}

} // namespace kaoshi
