// The seat's journal: what is appended comes back in order and in full,
// whatever characters an answer holds; a line cut short by a crash is
// ignored and does not swallow the next; clearing empties it.
#include "room/SeatJournal.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kaoshi;

namespace {

const PaperOwner kOwner{QStringLiteral("A/01"), QStringLiteral("一+二"), QStringLiteral("张三")};

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

void appendRaw(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Append));
    file.write(bytes);
}

TEST(SeatJournal, answersOfEveryKindComeBackInOrder)
{
    QTemporaryDir dir;
    SeatJournal journal(dir.path(), kOwner);
    // The file stays inside the journal folder, whatever the 考号 and 场次 hold.
    EXPECT_EQ(QFileInfo(journal.path()).path(), QDir(dir.path()).filePath(kSeatJournalFolder));
    const std::vector<JournalAnswer> answers{
        {0, QStringLiteral("A")},
        {1, QStringLiteral("")},
        {2, QStringLiteral("第一行\n第二行\r\n\t缩进 \\n 不是换行\\")},
        {3, QStringLiteral("√")},
        {0, QStringLiteral("BD")},
    };
    for (const JournalAnswer &a : answers)
        ASSERT_TRUE(journal.append(a.position, a.answer)) << journal.error().toStdString();
    ASSERT_TRUE(journal.queueHandIn(QStringLiteral("收卷：请停笔")));
    const JournalContents read = journal.read();
    EXPECT_FALSE(read.failed);
    EXPECT_EQ(read.answers, answers);
    EXPECT_EQ(read.handIn, QStringLiteral("收卷：请停笔"));
    // Another journal object (the program started again) reads the same.
    EXPECT_EQ(SeatJournal(dir.path(), kOwner).read().answers, answers);
    // Another candidate's journal is another file.
    EXPECT_TRUE(SeatJournal(dir.path(), {QStringLiteral("A"), QStringLiteral("01+一+二")}).read().isEmpty());

    ASSERT_TRUE(journal.clear());
    EXPECT_TRUE(journal.read().isEmpty());
    ASSERT_TRUE(journal.append(5, QStringLiteral("C")));
    EXPECT_EQ(journal.read().answers, (std::vector<JournalAnswer>{{5, QStringLiteral("C")}}));
}

TEST(SeatJournal, aLineCutShortIsIgnoredAndDoesNotSwallowTheNext)
{
    QTemporaryDir dir;
    {
        SeatJournal journal(dir.path(), kOwner);
        ASSERT_TRUE(journal.append(0, QStringLiteral("A")));
    }
    const QString path = SeatJournal(dir.path(), kOwner).path();
    appendRaw(path, QByteArray("A\t1\t") + QStringLiteral("半").toUtf8().left(2)); // a crash in mid-line
    EXPECT_EQ(SeatJournal(dir.path(), kOwner).read().answers, (std::vector<JournalAnswer>{{0, QStringLiteral("A")}}));

    SeatJournal again(dir.path(), kOwner);
    ASSERT_TRUE(again.append(2, QStringLiteral("答")));
    EXPECT_EQ(again.read().answers,
              (std::vector<JournalAnswer>{{0, QStringLiteral("A")}, {2, QStringLiteral("答")}}));
    EXPECT_TRUE(contentsOf(path).endsWith("A\t2\t" + QStringLiteral("答").toUtf8() + "\n"));
}

TEST(SeatJournal, linesThatAreNotOursAreIgnored)
{
    QTemporaryDir dir;
    const QString path = SeatJournal(dir.path(), kOwner).path();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    appendRaw(path, "A\t-1\tX\nA\tzwei\tX\nA\t1\tbad\\q\nQ\t1\tX\nA\t1\n\nA\t3\tok\n");
    EXPECT_EQ(SeatJournal(dir.path(), kOwner).read().answers, (std::vector<JournalAnswer>{{3, QStringLiteral("ok")}}));
}

TEST(SeatJournal, escapingRoundTrips)
{
    const struct {
        QString text;
        QString escaped;
    } cases[] = {
        {"", ""},
        {"甲乙", "甲乙"},
        {"a\tb", "a\\tb"},
        {"\n", "\\n"},
        {"\r\n", "\\r\\n"},
        {"\\", "\\\\"},
        {"\\n", "\\\\n"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(SeatJournal::escaped(c.text), c.escaped) << c.text.toStdString();
        EXPECT_EQ(SeatJournal::unescaped(c.escaped), c.text) << c.text.toStdString();
    }
    for (const QString bad : {"\\", "a\\x", "a\tb"})
        EXPECT_FALSE(SeatJournal::unescaped(bad)) << bad.toStdString();
}

TEST(SeatJournal, settingAsideKeepsTheLines)
{
    QTemporaryDir dir;
    SeatJournal journal(dir.path(), kOwner);
    ASSERT_TRUE(journal.append(0, QStringLiteral("A")));
    ASSERT_TRUE(journal.setAside());
    EXPECT_TRUE(journal.read().isEmpty());
    const QStringList kept = QDir(QFileInfo(journal.path()).path()).entryList(QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_TRUE(kept[0].contains(QStringLiteral(".未交上-")));
}

} // namespace
