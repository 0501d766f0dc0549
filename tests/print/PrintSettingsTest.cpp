// The print settings file: defaults, what is written when, other sections
// and keys kept, files of other programs in GB18030.
#include "print/PrintSettings.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kaoshi;

namespace {

struct SettingsFile {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("题库.ini"));

    void write(const QByteArray &bytes) const
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray bytes() const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString text() const { return QString::fromUtf8(bytes()); }
};

PrintSettings someSettings()
{
    PrintSettings s;
    s.title = QStringLiteral("  期末成绩 ");
    s.fieldList = QStringLiteral("5,1,2,4,6");
    s.titleFont = QStringLiteral("宋体,12");
    s.paper = 4;
    s.orientation = 0;
    s.rowsPerPage = QStringLiteral("20");
    s.lineStyle = 3;
    s.bodyFontSize = QStringLiteral("35");
    s.serialColumn = true;
    s.keep = true;
    return s;
}

} // namespace

TEST(PrintSettings, aMissingFileGivesTheDefaults)
{
    SettingsFile f;
    const PrintSettings read = readPrintSettings(f.path);
    EXPECT_EQ(read, PrintSettings());
    EXPECT_EQ(read.titleFont, QStringLiteral("黑体,22"));
    EXPECT_EQ(read.paper, 1);
    EXPECT_EQ(read.orientation, 1);
    EXPECT_EQ(read.lineStyle, 1);
    EXPECT_FALSE(read.serialColumn);
    EXPECT_FALSE(read.keep);
}

TEST(PrintSettings, keptSettingsRoundTripInKeyOrderAndLeaveTheRestOfTheFile)
{
    SettingsFile f;
    f.write("; 别的程序的说明\n[其他]\n键=值\n[高级表格打印]\n别的键=保留\n标题=旧标题\n");
    QString error;
    ASSERT_TRUE(storePrintSettings(f.path, someSettings(), &error)) << error.toStdString();

    PrintSettings expected = someSettings();
    expected.title = QStringLiteral("期末成绩"); // written trimmed
    EXPECT_EQ(readPrintSettings(f.path), expected);

    const QString text = f.text();
    for (const char *kept : {"; 别的程序的说明", "[其他]", "键=值", "别的键=保留"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(kept))) << kept;
    EXPECT_FALSE(text.contains(QStringLiteral("旧标题")));
    // One line per key, "key=value", in the order they are written.
    const QStringList keys{"标题", "打印字段", "字体", "纸型", "打印方向", "行数", "线型", "字体大小", "是否序号", "保存配置"};
    qsizetype previous = -1;
    for (const QString &key : keys) {
        const qsizetype at = text.indexOf(QLatin1Char('\n') + key + QLatin1Char('='));
        EXPECT_GT(at, previous) << key.toStdString();
        previous = at;
    }
    EXPECT_TRUE(text.contains(QStringLiteral("\n打印字段=5,1,2,4,6\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\n是否序号=真\n")));
}

TEST(PrintSettings, withoutKeepingOnlyTheFlagIsWritten)
{
    SettingsFile f;
    ASSERT_TRUE(storePrintSettings(f.path, someSettings()));
    PrintSettings changed;
    changed.title = QStringLiteral("别的标题");
    changed.fieldList = QStringLiteral("1");
    changed.keep = false;
    ASSERT_TRUE(storePrintSettings(f.path, changed));

    PrintSettings expected = someSettings();
    expected.title = QStringLiteral("期末成绩");
    expected.keep = false;
    EXPECT_EQ(readPrintSettings(f.path), expected);
    EXPECT_TRUE(f.text().contains(QStringLiteral("\n保存配置=假")));
}

TEST(PrintSettings, aFileOfAnotherProgramInGb18030IsReadAndRewrittenInUtf8)
{
    SettingsFile f;
    QStringEncoder gb("GB18030");
    ASSERT_TRUE(gb.isValid());
    const QByteArray legacy =
        gb.encode(QStringLiteral("[别处]\r\n名字=张三\r\n[高级表格打印]\r\n标题=成绩单\r\n线型=3\r\n是否序号=真\r\n"));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString asUtf8 = utf8.decode(legacy);
    ASSERT_TRUE(utf8.hasError()); // really not UTF-8
    f.write(legacy);

    const PrintSettings read = readPrintSettings(f.path);
    EXPECT_EQ(read.title, QStringLiteral("成绩单"));
    EXPECT_EQ(read.lineStyle, 3);
    EXPECT_TRUE(read.serialColumn);

    PrintSettings s = read;
    s.keep = true;
    ASSERT_TRUE(storePrintSettings(f.path, s));
    QStringDecoder check(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = check.decode(f.bytes());
    EXPECT_FALSE(check.hasError());
    EXPECT_TRUE(text.contains(QStringLiteral("名字=张三")));
    EXPECT_EQ(readPrintSettings(f.path), s);
}

TEST(PrintSettings, valuesAreTrimmedAndUnusableOnesFallBack)
{
    struct Case {
        const char *line;
        PrintSettings (*expect)();
    };
    const Case cases[] = {
        {"纸型=abc", [] { PrintSettings s; s.paper = 0; return s; }},
        {"纸型= 3 ", [] { PrintSettings s; s.paper = 3; return s; }},
        {"纸型=9", [] { PrintSettings s; s.paper = 0; return s; }},
        {"纸型=99999999999", [] { PrintSettings s; s.paper = 0; return s; }},
        {"纸型=-99999999999", [] { PrintSettings s; s.paper = 0; return s; }},
        {"打印方向=99999999999999999999", [] { PrintSettings s; s.orientation = 0; return s; }},
        {"打印方向=横", [] { PrintSettings s; s.orientation = 0; return s; }},
        {"线型=5", [] { return PrintSettings(); }},
        {"线型= 4", [] { PrintSettings s; s.lineStyle = 4; return s; }},
        {"标题=　全角空格　", [] { PrintSettings s; s.title = QStringLiteral("全角空格"); return s; }},
        {"是否序号=是", [] { return PrintSettings(); }},
        {"保存配置=真", [] { PrintSettings s; s.keep = true; return s; }},
    };
    for (const Case &c : cases) {
        SettingsFile f;
        f.write(QByteArray("[高级表格打印]\n") + c.line + "\n");
        EXPECT_EQ(readPrintSettings(f.path), c.expect()) << c.line;
    }
}

TEST(PrintSettings, aFileThatCannotBeReadFaithfullyIsNeverRewritten)
{
    const QByteArray good = QByteArray("[别处]\n名字=张三\n[高级表格打印]\n标题=成绩单\n线型=3\n");
    const struct {
        const char *what;
        QByteArray bytes;
    } cases[] = {
        // One damaged byte in a UTF-8 file: read as GB18030 every name would be garbled.
        {"damaged UTF-8", QByteArray(good).replace("成绩单", "成绩\xff单")},
        // The keys after a NUL would be lost.
        {"NUL", QByteArray(good).insert(good.indexOf("标题"), QByteArray("x\0y\n", 4))},
    };
    for (const auto &c : cases) {
        SettingsFile f;
        f.write(c.bytes);
        QString problem;
        EXPECT_EQ(readPrintSettings(f.path, &problem), PrintSettings()) << c.what;
        EXPECT_FALSE(problem.isEmpty()) << c.what;
        QString error;
        EXPECT_FALSE(storePrintSettings(f.path, someSettings(), &error)) << c.what;
        EXPECT_FALSE(error.isEmpty()) << c.what;
        EXPECT_EQ(f.bytes(), c.bytes) << c.what;
    }
    // A sound file reads without a problem.
    SettingsFile f;
    f.write(good);
    QString problem = QStringLiteral("未读");
    EXPECT_EQ(readPrintSettings(f.path, &problem).lineStyle, 3);
    EXPECT_EQ(problem, QString());
}

TEST(PrintSettings, aFileThatCannotBeWrittenIsReportedWithItsReason)
{
    SettingsFile f;
    // A folder where the file should be: it can be neither read nor replaced.
    ASSERT_TRUE(QDir().mkpath(f.path));
    QString error;
    EXPECT_FALSE(storePrintSettings(f.path, someSettings(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(storePrintSettings(f.dir.filePath(QStringLiteral("无此文件夹/题库.ini")), someSettings(), &error));
    EXPECT_FALSE(error.isEmpty());
}
