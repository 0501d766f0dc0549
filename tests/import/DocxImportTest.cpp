// Word documents and numbered text: the conventions teachers write
// questions in, read alike from .docx and .txt; what only a .docx has
// (automatic numbering, tables, pictures, formulas); hostile documents; and
// the pictures stored with their questions.
#include "DocxFiles.h"
#include "ImportFiles.h"
#include "ImportRuns.h"
#include "TestDatabase.h"
#include "data/Schema.h"
#include "import/DocxReader.h"
#include "import/ImportPreview.h"
#include "import/ImportStore.h"
#include "import/QuestionConventions.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace kaoshi;
using namespace kaoshi::test;

namespace {

// A question as one line: bank|text|answer|explanation|score|chapter, or
// "不属于:<paragraph>:<text>" for an unplaced paragraph.
QString shown(const RawQuestion &q)
{
    if (!q.unplaced.isEmpty())
        return QStringLiteral("不属于:%1:%2").arg(q.line).arg(q.text);
    return QStringList{q.type ? typeCaption(*q.type) : QString(), q.text, q.answer, q.explanation, q.score, q.chapter}
        .join(u'|');
}

QStringList shownAll(const QList<RawQuestion> &questions)
{
    QStringList lines;
    for (const RawQuestion &q : questions)
        lines << shown(q);
    return lines;
}

// The lines read as a .txt file and as a .docx with one paragraph per line
// give the same questions.
QStringList readBothWays(ImportFiles &files, const QStringList &lines)
{
    QString error;
    const QStringList fromText = shownAll(readAll(files.writeText("q.txt", lines.join(u'\n')), &error));
    EXPECT_EQ(error, QString());
    const QString docx = files.path("q.docx");
    EXPECT_TRUE(writeDocx(docx, paragraphs(lines)));
    const QStringList fromDocx = shownAll(readAll(docx, &error));
    EXPECT_EQ(error, QString());
    EXPECT_EQ(fromText, fromDocx);
    return fromDocx;
}

} // namespace

TEST(ImportConventions, HeadingsSetBankAndScore)
{
    ImportFiles files;
    EXPECT_EQ(readBothWays(files, {"一、单项选择题（每题2分，共40分）", "1. 首都是？", "A. 上海", "B. 北京", "答案：B",
                                   "二、多项选择题（每小题 3 分）", "1、哺乳动物有", "A、鲸 B、鲨 C、猫", "正确答案：A,C",
                                   "分值：4", "三、判断题", "1．地球是圆的。", "答案：对", "四、简答题",
                                   "（1）简述光合作用。", "参考答案：光能变为化学能。", "解析：见课本。"}),
              (QStringList{"单选|首都是？A.上海B.北京|B||2|", "多选|哺乳动物有A.鲸B.鲨C.猫|A,C||4|",
                           "判断|地球是圆的。|对|||", "问答|简述光合作用。|光能变为化学能。|见课本。||"}));
    // Other names of the banks; a line that only mentions one is no heading.
    const struct {
        const char *line;
        const char *type; // "" when the line is no heading
        const char *score;
    } headings[] = {
        {"一、单选题", "单选", ""},           {"二、多选题(每题1.5分)", "多选", "1.5"},
        {"三、判断题：每题１分", "判断", "1"}, {"是非题", "判断", ""},
        {"不定项选择题", "多选", ""},         {"四、问答题（共2题）", "问答", ""},
        {"第二部分 论述题", "问答", ""},      {"选择题下列哪个是对的", "", ""},
        {"单选题库的题目", "", ""},           {"判断题。", "", ""},
    };
    for (const auto &h : headings) {
        const auto heading = parseSectionHeading(QString::fromUtf8(h.line));
        EXPECT_EQ(heading ? typeCaption(heading->type) : QString(), QString::fromUtf8(h.type)) << h.line;
        EXPECT_EQ(heading ? heading->score : QString(), QString::fromUtf8(h.score)) << h.line;
    }
}

TEST(ImportConventions, NumberingAndOptionForms)
{
    ImportFiles files;
    EXPECT_EQ(readBothWays(files, {"1. 甲", "2、乙", "3．丙", "(4) 丁", "（5）戊", "第6题 己", "１．庚", "１２、辛",
                                   "第 13 题：壬"}),
              (QStringList{"|甲||||", "|乙||||", "|丙||||", "|丁||||", "|戊||||", "|己||||", "|庚||||", "|辛||||",
                           "|壬||||"}));
    EXPECT_EQ(readBothWays(files, {"1. 题一", "A.一", "B、二", "C．三", "(D) 四", "（E）五", "F) 六", "Ｇ．七",
                                   "2. 题二", "A.甲  B.乙   C.丙　D.丁", "3. 题三", "（A）甲（B）乙", "4. 题四",
                                   "Ａ、甲　Ｂ、乙", "5. 题五", "A.37.8°C B.36.5°C", "6. 题六", "A. 第一行",
                                   "接着一行", "B. 二"}),
              (QStringList{"|题一A.一B.二C.三D.四E.五F.六G.七||||", "|题二A.甲B.乙C.丙D.丁||||", "|题三A.甲B.乙||||",
                           "|题四A.甲B.乙||||", "|题五A.37.8°CB.36.5°C||||", "|题六A.第一行\n接着一行B.二||||"}));
}

TEST(ImportConventions, AnswerForms)
{
    ImportFiles files;
    EXPECT_EQ(readBothWays(files, {"1. 甲", "A.是 B.否", "【答案】B", "2. 乙", "A.是 B.否", "参考答案：A", "【解析】因为",
                                   "3. 丙（ B ）", "A.是 B.否", "4. 地球是圆的。（√）", "5. 丁(Ａ,C)", "A.一", "B.二", "C.三",
                                   "6. 维生素（D）不在选项中", "A.一", "B.二", "答案：", "A", "7. 戊", "答案：B  解析：见书  章节：第一章",
                                   "8. 己", "答案：A", "分值：3", "知识点：力学", "9. 庚", "【答案】", "B"}),
              (QStringList{"|甲A.是B.否|B|||", "|乙A.是B.否|A|因为||", "|丙（ ）A.是B.否|B|||",
                           "|地球是圆的。（ ）|√|||", "|丁( )A.一B.二C.三|Ａ,C|||",
                           "|维生素（D）不在选项中A.一B.二|A|||", "|戊|B|见书||第一章", "|己|A||3|力学", "|庚|B|||"}));
}

TEST(ImportConventions, AnswerKeyAtTheEnd)
{
    ImportFiles files;
    EXPECT_EQ(readBothWays(files, {"一、单选题", "1. 甲A.是B.否", "2. 乙A.是B.否", "3. 丙A.是B.否", "二、判断题",
                                   "1. 丁", "2. 戊", "参考答案", "一、单选题", "1-3 ABA", "二、判断题", "1.√ 2.×"}),
              (QStringList{"单选|甲A.是B.否|A|||", "单选|乙A.是B.否|B|||", "单选|丙A.是B.否|A|||", "判断|丁|√|||",
                           "判断|戊|×|||"}));
    // "参考答案" straight under a question without an answer, with the key's
    // sections in another order: each number goes to its own section. A
    // heading under "【答案】" that numbered questions follow heads them.
    EXPECT_EQ(readBothWays(files, {"一、单选题", "1. 甲A.是B.否", "二、判断题", "1. 丁", "参考答案", "二、判断题", "1.×",
                                   "一、单选题", "1.B"}),
              (QStringList{"单选|甲A.是B.否|B|||", "判断|丁|×|||"}));
    EXPECT_EQ(readBothWays(files, {"一、单选题", "1. 甲A.是B.否", "【答案】", "二、判断题", "1. 丁", "2. 戊", "参考答案",
                                   "1.√ 2.×"}),
              (QStringList{"单选|甲A.是B.否||||", "判断|丁|√|||", "判断|戊|×|||"}));
    // Without the key's headings a number goes to the first question of
    // that number still without an answer; "答案：" alone may head the key.
    EXPECT_EQ(readBothWays(files, {"1. 甲A.是B.否", "2. 乙A.是B.否", "答案：", "1.A 2.B", "随便写的一行"}),
              (QStringList{"|甲A.是B.否|A|||", "|乙A.是B.否|B|||", "不属于:5:随便写的一行"}));
    const struct {
        const char *line;
        const char *entries; // "" when the line is no key
    } keys[] = {
        {"1-5 ABCDA", "1A 2B 3C 4D 5A"}, {"1.A 2.C 3.BD", "1A 2C 3BD"}, {"６～８ √×√", "6√ 7× 8√"},
        {"1、AB 2、A,C,D", "1AB 2A,C,D"}, {"1-3 AB,C,BD", "1AB 2C 3BD"},  {"1-3 AB", ""},
        {"1. 北京是首都", ""},            {"A. 1", ""},
    };
    for (const auto &k : keys) {
        QStringList entries;
        if (const auto parsed = parseAnswerKeyLine(QString::fromUtf8(k.line)))
            for (const KeyEntry &e : *parsed)
                entries << QString::number(e.number) + e.answer;
        EXPECT_EQ(entries.join(u' '), QString::fromUtf8(k.entries)) << k.line;
    }
}

TEST(ImportConventions, LongDocumentWithoutAnswersWaitsOutsideMemory)
{
    // Far more questions without answers than are kept in memory wait for
    // the key at the end; a question answered on the way, a paragraph of no
    // question, pictures' places and the key's sections keep their order
    // and answers; the questions the key does not name stay without one.
    QStringList lines{"一、单选题"};
    QStringList expected;
    const int choices = 1500;
    const int judged = 600;
    for (int i = 1; i <= choices; ++i) {
        lines << QStringLiteral("%1. 选%1A.是B.否").arg(i);
        if (i == 700)
            lines << "答案：B" << "" << "这一段不属于题目";
    }
    lines << "二、判断题";
    for (int i = 1; i <= judged; ++i)
        lines << QStringLiteral("%1. 判%1").arg(i);
    lines << "参考答案" << "一、单选题";
    for (int i = 1; i <= choices; i += 5)
        lines << QStringLiteral("%1-%2 ABABA").arg(i).arg(i + 4);
    lines << "二、判断题";
    for (int i = 1; i <= judged / 2; ++i)
        lines << QStringLiteral("%1.%2").arg(i).arg(i % 2 ? QStringLiteral("√") : QStringLiteral("×"));
    const int unplacedLine = int(lines.indexOf(QStringLiteral("这一段不属于题目"))) + 1;
    for (int i = 1; i <= choices; ++i) {
        // Question 700 keeps its own answer; its key entry finds no question waiting.
        const QChar answer = i == 700 ? QChar(u'B') : QChar(u"ABABA"[(i - 1) % 5]);
        expected << QStringLiteral("单选|选%1A.是B.否|%2|||").arg(i).arg(answer);
        if (i == 700)
            expected << QStringLiteral("不属于:%1:这一段不属于题目").arg(unplacedLine);
    }
    for (int i = 1; i <= judged; ++i)
        expected << QStringLiteral("判断|判%1|%2|||").arg(i).arg(i > judged / 2 ? QString() : i % 2 ? QStringLiteral("√") : QStringLiteral("×"));
    ImportFiles files;
    EXPECT_EQ(readBothWays(files, lines), expected);
}

TEST(ImportConventions, UnplacedParagraphsAreHandedOnWithTheirReason)
{
    ImportFiles files;
    const QString path = files.writeText("q.txt", "2025年期末考试\n1. 甲\n答案：A\n\n这一段不属于题目\n2. 乙\n答案：B\n");
    const QList<RawQuestion> questions = readAll(path);
    EXPECT_EQ(shownAll(questions), (QStringList{"不属于:1:2025年期末考试", "|甲|A|||", "不属于:5:这一段不属于题目", "|乙|B|||"}));
    EXPECT_TRUE(questions[0].unplaced.contains(QStringLiteral("前面没有题号")));
    // In the preview they are refused rows with the paragraph and the reason.
    ImportPreview preview(QuestionType::SingleChoice);
    for (const RawQuestion &q : questions)
        preview.add(checkQuestion(preview.type(), q));
    EXPECT_EQ(preview.count(RowStatus::Refused), 4); // the answers are not among options either
    EXPECT_EQ(preview.rows()[2].line, 5);
    EXPECT_EQ(preview.rows()[2].values.text, QStringLiteral("这一段不属于题目"));
    EXPECT_TRUE(ImportPreview::statusText(preview.rows()[2]).startsWith(QStringLiteral("不导入：不属于任何题目")));
}

TEST(ImportConventions, AnswersStoredInEachBanksForm)
{
    ImportFiles files;
    QStringList lines{"一、多项选择题"};
    for (const char *answer : {"ABD", "A,B,D", "A、B、D", "abd"})
        lines << "1. 多A.一B.二C.三D.四" << QStringLiteral("答案：") + QString::fromUtf8(answer);
    lines << "二、判断题";
    for (const char *answer : {"√", "×", "对", "错", "正确", "错误", "T", "F"})
        lines << "1. 判" << QStringLiteral("答案：") + QString::fromUtf8(answer);
    ImportPreview preview(QuestionType::SingleChoice);
    for (const RawQuestion &q : readAll(files.writeText("q.txt", lines.join(u'\n'))))
        preview.add(checkQuestion(preview.type(), q));
    QStringList stored;
    for (const PreviewRow &row : preview.rows())
        stored << typeCaption(*row.type) + row.values.answer;
    EXPECT_EQ(stored, (QStringList{"多选ABD", "多选ABD", "多选ABD", "多选ABD", "判断√", "判断×", "判断√", "判断×",
                                   "判断√", "判断×", "判断√", "判断×"}));
    EXPECT_EQ(preview.count(RowStatus::Ready), 12);
}

TEST(ImportDocx, NumberingBreaksFormulasAndTables)
{
    ImportFiles files;
    const QString math = QStringLiteral(
        "<m:oMath><m:r><m:t>x</m:t></m:r><m:r><m:t>=</m:t></m:r><m:f><m:num><m:r><m:t>a+b</m:t></m:r></m:num>"
        "<m:den><m:r><m:t>2</m:t></m:r></m:den></m:f><m:r><m:t>+</m:t></m:r><m:sSup><m:e><m:r><m:t>y</m:t></m:r></m:e>"
        "<m:sup><m:r><m:t>2</m:t></m:r></m:sup></m:sSup><m:r><m:t>+</m:t></m:r><m:rad><m:radPr><m:degHide m:val=\"1\"/>"
        "</m:radPr><m:deg/><m:e><m:r><m:t>z</m:t></m:r></m:e></m:rad><m:d><m:dPr><m:begChr m:val=\"[\"/><m:endChr "
        "m:val=\"]\"/></m:dPr><m:e><m:r><m:t>1</m:t></m:r></m:e></m:d></m:oMath>");
    const QString body =
        listParagraph(1, 0, "求值") + paragraph(run("已知") + math + run("，求x。")) + listParagraph(2, 0, "1") +
        listParagraph(2, 0, "2") + textParagraph("答案：A") + listParagraph(1, 0, "第一行\n第二行") +
        textParagraph("答案：B\n另起一行") +
        table({{"题目", "A", "B", "答案", "分值"}, {"表中的题", "是", "否", "B", "2"}, {"", "", "", "", ""}}) +
        table({{"A. 甲", "B. 乙"}}) + textParagraph("答案：A");
    const QString path = files.path("n.docx");
    ASSERT_TRUE(writeDocx(path, body,
                          {{"word/numbering.xml",
                            numberingXml({{{"decimal", "%1."}}, {{"upperLetter", "%1、"}}})}}));
    QString error;
    const QList<RawQuestion> questions = readAll(path, &error);
    EXPECT_EQ(error, QString());
    EXPECT_EQ(shownAll(questions),
              (QStringList{"|求值\n已知x=(a+b)/2+y^2+√z[1]，求x。A.1B.2|A|||", "|第一行\n第二行|B\n另起一行|||",
                           "|表中的题A.是B.否|B||2|", "不属于:23:A. 甲", "不属于:24:B. 乙", "不属于:25:答案：A"}));
    // Paragraphs are counted in document order, those in tables included.
    EXPECT_EQ(questions[0].line, 1);
    EXPECT_EQ(questions[2].line, 13);

    const struct {
        int value;
        const char *format;
        const char *text;
    } formats[] = {{3, "decimal", "3"},           {3, "upperLetter", "C"},           {28, "lowerLetter", "bb"},
                   {14, "upperRoman", "XIV"},     {12, "chineseCounting", "十二"},    {20, "chineseCounting", "二十"},
                   {7, "decimalFullWidth", "７"}, {2, "decimalEnclosedCircle", "②"}, {5, "bullet", ""}};
    for (const auto &f : formats)
        EXPECT_EQ(formatListNumber(f.value, QString::fromLatin1(f.format)), QString::fromUtf8(f.text)) << f.format;
}

TEST(ImportDocx, PicturesFollowTheirQuestion)
{
    ImportFiles files;
    QString five;
    for (int i = 1; i <= 5; ++i)
        five += pictureRun("rId1");
    const QString body = textParagraph("1. 看图选择A.是B.否") + paragraph(pictureRun("rId1", "电路图") + pictureRun("rId2")) +
                         textParagraph("答案：A") + textParagraph("2. 五张图A.是B.否") + paragraph(five) +
                         textParagraph("答案：B") + textParagraph("3. 不是图片A.是B.否") + paragraph(pictureRun("rId3")) +
                         textParagraph("答案：A") + textParagraph("4. 缺图A.是B.否") + paragraph(pictureRun("rId9")) +
                         textParagraph("答案：A");
    const QString path = files.path("p.docx");
    ASSERT_TRUE(writeDocx(path, body,
                          {{"word/_rels/document.xml.rels",
                            relationsXml({{"rId1", "media/a.png"}, {"rId2", "../word/media/b.png"}, {"rId3", "media/c.png"}})},
                           {"word/media/a.png", tinyPng()},
                           {"word/media/b.png", tinyPng()},
                           {"word/media/c.png", "<html>not a picture</html>"}}));
    const QList<RawQuestion> questions = readAll(path);
    ASSERT_EQ(questions.size(), 4);
    ASSERT_EQ(questions[0].pictures.size(), 2);
    EXPECT_EQ(questions[0].pictures[0].entry, "word/media/a.png");
    EXPECT_EQ(questions[0].pictures[0].summary, QStringLiteral("电路图"));
    EXPECT_EQ(questions[0].pictures[1].entry, "word/media/b.png");
    EXPECT_EQ(questions[0].pictures[1].extension, ".png");

    ImportPreview preview(QuestionType::SingleChoice);
    for (const RawQuestion &q : questions)
        preview.add(checkQuestion(preview.type(), q));
    QStringList statuses;
    for (const PreviewRow &row : preview.rows())
        statuses << ImportPreview::statusText(row);
    EXPECT_EQ(statuses, (QStringList{"可导入（分值为空，记为0；2张图片）", "可导入（分值为空，记为0；有5张图片，只导入前4张）",
                                     "不导入：第1张图片：图片“c.png”不是PNG、JPEG、GIF或BMP图片，无法导入",
                                     "不导入：第1张图片：图片“rId9”在文档中缺失"}));
    EXPECT_EQ(preview.rows()[1].pictures.size(), 4);
}

TEST(ImportDocx, HostileDocumentsAreRefusedWithAClearReason)
{
    ImportFiles files;
    const QString good = files.path("good.docx");
    ASSERT_TRUE(writeDocx(good, paragraphs({"1. 题A.是B.否", "答案：A"})));
    QFile goodFile(good);
    ASSERT_TRUE(goodFile.open(QIODevice::ReadOnly));
    const QByteArray document = goodFile.readAll();
    // The directory says a part unpacks to about 4 GB.
    QByteArray bomb = document;
    const qsizetype central = bomb.indexOf("PK\x01\x02");
    ASSERT_GT(central, 0);
    bomb.replace(central + 24, 4, QByteArray("\xF0\xFF\xFF\xFF", 4));
    // A part that unpacks to more than its entry says: the sizes in the
    // directory and the local header claim 10 bytes for 300 KB of text.
    const QString large = files.path("large.docx");
    ASSERT_TRUE(writeDocx(large, textParagraph(QString(300000, u'x'))));
    QFile largeFile(large);
    ASSERT_TRUE(largeFile.open(QIODevice::ReadOnly));
    QByteArray lying = largeFile.readAll();
    for (qsizetype at = lying.indexOf("PK\x01\x02"); at >= 0; at = lying.indexOf("PK\x01\x02", at + 4))
        if (lying.mid(at + 46, 17) == "word/document.xml")
            lying.replace(at + 24, 4, QByteArray("\x0A\0\0\0", 4));
    const QString noBody = files.path("nobody.docx");
    ASSERT_TRUE(writePackage(noBody, {{"[Content_Types].xml", "<Types/>"}}));
    // A small file whose text part inflates to 20 MB of one paragraph.
    const QString inflated = files.path("inflated.docx");
    ASSERT_TRUE(writePackage(inflated, {{"word/document.xml", "<w:document xmlns:w=\"http://schemas.openxmlformats.org/"
                                                                  "wordprocessingml/2006/main\"><w:body><w:p><w:r><w:t>" +
                                                                  QByteArray(20 * 1024 * 1024, ' ') +
                                                                  "</w:t></w:r></w:p></w:body></w:document>"}}));
    EXPECT_LT(QFileInfo(inflated).size(), 100 * 1024);
    const QString brokenXml = files.path("brokenxml.docx");
    ASSERT_TRUE(writePackage(brokenXml, {{"word/document.xml", "<w:document><w:body><w:p><w:r><w:t>1. 题"}}));

    const struct {
        const char *name;
        QByteArray bytes;
        const char *message;
    } cases[] = {
        {"truncated.docx", document.left(document.size() / 2), "已损坏"},
        {"bomb.docx", bomb, "超过1 GB"},
        {"lying.docx", lying, "超过声明的大小"},
        {"old.docx", QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(504, '\0'), "另存为 .docx"},
        {"text.docx", "1. 题\n答案：A\n", "不是.docx文档"},
        {"empty.docx", "", "文件是空的"},
    };
    for (const auto &c : cases) {
        QString error;
        EXPECT_TRUE(readAll(files.writeBytes(QString::fromLatin1(c.name), c.bytes), &error).isEmpty()) << c.name;
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.message))) << c.name << ": " << error.toStdString();
    }
    QString error;
    readAll(noBody, &error);
    EXPECT_TRUE(error.contains(QStringLiteral("没有Word正文"))) << error.toStdString();
    readAll(inflated, &error);
    EXPECT_TRUE(error.contains(QStringLiteral("第1段超过1 MB"))) << error.toStdString();
    readAll(brokenXml, &error);
    EXPECT_TRUE(error.contains(QStringLiteral("正文已损坏"))) << error.toStdString();
    // An old .doc by its name.
    readAll(files.writeBytes("old.doc", "x"), &error);
    EXPECT_EQ(error, QStringLiteral("请在 Word 或 WPS 中另存为 .docx 后再导入"));
}

namespace {

struct StoreFixture {
    TestDatabase db;
    ImportFiles files;
    QString document;

    StoreFixture()
    {
        document = files.path("pictures.docx");
        const QString body = paragraphs({"一、单选题", "1. 看图A.是B.否"}) + paragraph(pictureRun("rId1", "图一") + pictureRun("rId2")) +
                             paragraphs({"答案：A", "二、判断题", "1. 对吗"}) + paragraph(pictureRun("rId1")) +
                             paragraphs({"答案：对"});
        writeDocx(document, body,
                  {{"word/_rels/document.xml.rels", relationsXml({{"rId1", "media/a.png"}, {"rId2", "media/b.gif"}})},
                   {"word/media/a.png", tinyPng()},
                   {"word/media/b.gif", QByteArray("GIF89a\x01\0\x01\0", 10)}});
    }
    StoreOutcome store(const QDateTime &now, bool includeDuplicates = false,
                       const std::function<void()> &betweenPasses = {})
    {
        return importFile(db.store(), db.programDir(), document, QuestionType::FreeAnswer, now, includeDuplicates,
                          betweenPasses)
            .outcome;
    }
    QStringList imageFiles() const { return QDir(db.programDir() + QStringLiteral("/image")).entryList(QDir::Files); }
};

} // namespace

TEST(ImportStoreDocx, PicturesAreCopiedAndStoredInTheSameUnit)
{
    StoreFixture f;
    f.db.addQuestions(QStringLiteral("判断"), 2);
    const QDateTime now(QDate(2026, 3, 5), QTime(9, 7, 2));
    const StoreOutcome outcome = f.store(now);
    ASSERT_TRUE(outcome.stored) << outcome.reason.toStdString();
    EXPECT_EQ(outcome.count, 2);
    EXPECT_EQ(f.db.count(QStringLiteral("单选")), 1);
    EXPECT_EQ(f.db.count(QStringLiteral("判断")), 3);
    EXPECT_EQ(f.db.text("select group_concat(题型||题号||摘要||图片, ';') from 图片"),
              QStringLiteral("单选1图一\\image\\20260305090702-1.png;单选1\\image\\20260305090702-2.gif;"
                             "判断3\\image\\20260305090702-3.png"));
    EXPECT_EQ(f.imageFiles(), (QStringList{"20260305090702-1.png", "20260305090702-2.gif", "20260305090702-3.png"}));
    QFile copied(f.db.programDir() + QStringLiteral("/image/20260305090702-3.png"));
    ASSERT_TRUE(copied.open(QIODevice::ReadOnly));
    EXPECT_EQ(copied.readAll(), tinyPng());
    // A second import (of questions now present) finds the names taken and chooses others.
    ASSERT_TRUE(f.store(now, true).stored);
    EXPECT_EQ(f.imageFiles().size(), 6);
}

TEST(ImportStoreDocx, RefusedStoreLeavesNoPictureBehind)
{
    // The picture rows are refused after the questions went in: the unit is
    // undone and the copied files are removed.
    for (const char *table : {"图片", "判断"}) {
        StoreFixture f;
        f.db.refuse(QString::fromUtf8(table), QStringLiteral("insert"));
        const StoreOutcome outcome =
            f.store(QDateTime::currentDateTime());
        EXPECT_FALSE(outcome.stored) << table;
        EXPECT_TRUE(outcome.reason.contains(QStringLiteral("拒绝写入"))) << outcome.reason.toStdString();
        EXPECT_EQ(f.db.count(QStringLiteral("单选")), 0) << table;
        EXPECT_EQ(f.db.count(QStringLiteral("图片")), 0) << table;
        EXPECT_TRUE(f.imageFiles().isEmpty()) << table;
    }
    // A document that went missing since the preview: nothing stored either.
    StoreFixture f;
    const StoreOutcome outcome = f.store(QDateTime::currentDateTime(), false, [&] { QFile::remove(f.document); });
    EXPECT_FALSE(outcome.stored);
    EXPECT_FALSE(outcome.reason.isEmpty());
    EXPECT_EQ(f.db.count(QStringLiteral("单选")), 0);
    EXPECT_TRUE(f.imageFiles().isEmpty());
}

TEST(ImportDocx, DocumentMadeByLibreOffice)
{
    // See fixtures/README.md: automatic numbering, a picture, a table.
    QString error;
    const QList<RawQuestion> questions = readAll(QStringLiteral(KAOSHI_IMPORT_FIXTURES "/questions.docx"), &error);
    EXPECT_EQ(error, QString());
    EXPECT_EQ(shownAll(questions),
              (QStringList{"不属于:1:2025学年第一学期 期末练习",
                           "单选|我国的首都是哪座城市？A.上海B.北京C.广州|B|北京是中华人民共和国的首都。|2|",
                           "单选|下图中红色的元件是（ ）A.电阻B.电容|A||2|电路", "判断|地球绕太阳转一圈约需一年。|√||1|",
                           "判断|月亮自己会发光。|错||1|", "问答|简述水的三种状态。|固态、液态和气态。\n温度决定状态。||5|"}));
    ASSERT_EQ(questions.size(), 6);
    ASSERT_EQ(questions[2].pictures.size(), 1);
    EXPECT_EQ(questions[2].pictures[0].summary, QStringLiteral("电阻的图"));
    EXPECT_EQ(questions[2].pictures[0].extension, ".png");
    EXPECT_EQ(questions[2].pictures[0].problem, QString());
}
