// The readers: what each kind of file gives as questions, and the clear
// refusal of files that cannot be read.
#include "ImportFiles.h"
#include "import/ImportPreview.h"
#include "import/SpilledTexts.h"
#include "import/XlsxReader.h"

#include <gtest/gtest.h>

using namespace kaoshi;
using namespace kaoshi::test;

namespace {

QStringList texts(const QList<RawQuestion> &questions)
{
    QStringList result;
    for (const RawQuestion &q : questions)
        result << q.text;
    return result;
}

// A question as one line of text, for compact comparisons.
QString joined(const RawQuestion &q)
{
    return QStringList{q.text, q.answer, q.explanation, q.score, q.chapter}.join(u'|');
}

} // namespace

TEST(ImportCsv, HeaderAliasesAndOptionColumnsMakeTheQuestionText)
{
    ImportFiles files;
    // 题号 and unknown columns are not read; options join in as "A.…B.…".
    const QString path = files.writeText(
        "aliases.csv",
        "题号,试题,选项A,选项B,选项C,备注,正确答案,分数,科目,解析\n"
        "7,首都是？,上海,B.北京,,无关,B,2,地理,北京\n"
        ",,,,,,,,,\n"
        "8,  水是  ,H2O,CO2,NaCl,,a,,化学,\n");
    QString error;
    const QList<RawQuestion> questions = readAll(path, &error);
    EXPECT_EQ(error, QString());
    ASSERT_EQ(questions.size(), 2); // the blank row is passed over
    EXPECT_EQ(joined(questions[0]), "首都是？A.上海B.北京|B|北京|2|地理");
    EXPECT_EQ(joined(questions[1]), "水是A.H2OB.CO2C.NaCl|a|||化学");
    EXPECT_EQ(questions[0].line, 2);
    EXPECT_EQ(questions[1].line, 4);

    // A title row above the header is passed over.
    const QList<RawQuestion> titled = readAll(files.writeText("titled.csv", "单选题库,,\n\n题目,答案\n甲,A\n"));
    ASSERT_EQ(titled.size(), 1);
    EXPECT_EQ(titled[0].line, 4);
    for (const char *header : {"题干,答案", "题目,标准答案", "试题 , 正确答案"}) {
        const QString other = files.writeText("h.csv", QString::fromUtf8(header) + "\n甲,乙\n");
        ASSERT_EQ(readAll(other).size(), 1) << header;
    }
}

TEST(ImportCsv, QuotesSeparatorsLineBreaksAndEncodings)
{
    ImportFiles files;
    const QString quoted = QStringLiteral("题目,标准答案,解析\r\n"
                                          "\"他说：\"\"对\"\"，A.是B.否\",A,\"第一行\r\n第二行,带逗号\"\r\n"
                                          "第二题,B,\n"
                                          "\"未结束的最后一行\",A,x");
    QString error;
    QList<RawQuestion> questions = readAll(files.writeText("q.csv", quoted), &error);
    EXPECT_EQ(error, QString());
    ASSERT_EQ(questions.size(), 3);
    EXPECT_EQ(questions[0].text, QStringLiteral("他说：\"对\"，A.是B.否"));
    EXPECT_EQ(questions[0].explanation, QStringLiteral("第一行\r\n第二行,带逗号"));
    EXPECT_EQ(questions[1].line, 4); // the quoted line break counts
    EXPECT_EQ(questions[2].explanation, "x");

    // A quote inside a field that does not start with one is text, as is
    // what follows a closing quote.
    questions = readAll(files.writeText("inner.csv", "题目,标准答案\n屏幕5\"寸A.是B.否,A\n\"\"\"引\"\"\"号,B\n"));
    ASSERT_EQ(questions.size(), 2);
    EXPECT_EQ(questions[0].text, QStringLiteral("屏幕5\"寸A.是B.否"));
    EXPECT_EQ(questions[1].text, QStringLiteral("\"引\"号"));

    // Tabs in the header make a tab-separated file; commas are then text.
    questions = readAll(files.writeText("t.csv", "题目\t标准答案\n一，二,三\tC\n"));
    ASSERT_EQ(questions.size(), 1);
    EXPECT_EQ(questions[0].text, QStringLiteral("一，二,三"));

    // UTF-8 with a byte order mark, and GB18030 from a Chinese spreadsheet program.
    const QString chinese = QStringLiteral("题目,标准答案,章节\n我国的首都是哪座城市？A.上海B.北京,B,地理\n");
    const QString expected = QStringLiteral("我国的首都是哪座城市？A.上海B.北京|B|||地理");
    for (const QString &path : {files.writeBytes("bom.csv", "\xEF\xBB\xBF" + chinese.toUtf8()),
                                files.writeGb18030("gb.csv", chinese)}) {
        questions = readAll(path, &error);
        EXPECT_EQ(error, QString()) << path.toStdString();
        ASSERT_EQ(questions.size(), 1) << path.toStdString();
        EXPECT_EQ(joined(questions[0]), expected);
    }
    // A GB18030 file whose first megabyte is plain ASCII is still recognised.
    QString longFile = QStringLiteral("题目,标准答案\n");
    for (int i = 0; i < 40000; ++i)
        longFile += QStringLiteral("question %1 A.x B.y,A\n").arg(i);
    longFile += QStringLiteral("最后一题A.甲B.乙,B\n");
    questions = readAll(files.writeGb18030("late.csv", longFile));
    ASSERT_EQ(questions.size(), 40001);
    EXPECT_EQ(questions.last().text, QStringLiteral("最后一题A.甲B.乙"));
}

TEST(ImportText, NumberedLayoutVariants)
{
    ImportFiles files;
    const QString text = QStringLiteral(
        "一、单选题\n"
        "1. 我国的首都是哪座城市？\n"
        "A. 上海\n"
        "B. 北京\n"
        "答案：B\n"
        "解析：北京是中华人民共和国的首都。\n"
        "\n"
        "2、下列属于哺乳动物的是\n"
        "（请选一项）\n"
        "Ａ．鲸\n"
        "Ｂ、鲨鱼\n"
        "正确答案: a\n"
        "分值：2\n"
        "章节：生物\n"
        "（3）地球是圆的。\n"
        "答案：对\n"
        "解析：第一行\n"
        "第二行\n"
        "(4) 没有答案的题\n"
        "5.最后一题A.甲B.乙\r\n"
        "答案：A");
    QString error;
    const QList<RawQuestion> questions = readAll(files.writeText("q.txt", text), &error);
    EXPECT_EQ(error, QString());
    ASSERT_EQ(questions.size(), 5);
    EXPECT_EQ(joined(questions[0]), QStringLiteral("我国的首都是哪座城市？A.上海B.北京|B|北京是中华人民共和国的首都。||"));
    EXPECT_EQ(joined(questions[1]), QStringLiteral("下列属于哺乳动物的是\n（请选一项）A.鲸B.鲨鱼|a||2|生物"));
    EXPECT_EQ(joined(questions[2]), QStringLiteral("地球是圆的。|对|第一行\n第二行||"));
    EXPECT_EQ(joined(questions[3]), QStringLiteral("没有答案的题||||"));
    EXPECT_EQ(joined(questions[4]), QStringLiteral("最后一题A.甲B.乙|A|||"));
    EXPECT_EQ(questions[0].line, 2);
    EXPECT_EQ(questions[2].line, 15);

    // The same in GB18030.
    EXPECT_EQ(texts(readAll(files.writeGb18030("gb.txt", text))), texts(questions));
}

TEST(ImportXlsx, CellKindsFormulasMergesAndSheets)
{
    ImportFiles files;
    {
        const QString path = files.writeXlsx(
            "shared.xlsx",
            {{"题号", "题目", "A", "B", "标准答案", "分值", "章节"},
             {"1", "首都是？", "上海", "北京", "B", "", "地理"},
             {"2", "地球是圆的", "", "", "", "", ""},
             {"3", "水是", "H2O", "CO2", "A", "", ""}},
            [](lxw_workbook *book, lxw_worksheet *sheet) {
                worksheet_write_number(sheet, 1, 5, 2.5, nullptr);
                worksheet_write_boolean(sheet, 2, 4, 1, nullptr);
                // Cached formula results are read, not the formulas.
                worksheet_write_formula_num(sheet, 2, 5, "=1+1", nullptr, 2);
                worksheet_write_formula_str(sheet, 3, 4, "=\"A\"", nullptr, "A");
                // 章节 merged over rows 2–4 reads as 地理 in each.
                worksheet_merge_range(sheet, 1, 6, 3, 6, "地理", nullptr);
                lxw_worksheet *second = workbook_add_worksheet(book, "第二张");
                worksheet_write_string(second, 0, 0, "题目", nullptr);
                worksheet_write_string(second, 0, 1, "答案", nullptr);
                worksheet_write_string(second, 1, 0, "另一张表的题", nullptr);
                worksheet_write_string(second, 1, 1, "√", nullptr);
            });
        EXPECT_EQ(worksheetNames(path), (QStringList{"Sheet1", "第二张"}));
        QString error;
        const QList<RawQuestion> questions = readAll(path, &error);
        EXPECT_EQ(error, QString());
        ASSERT_EQ(questions.size(), 3);
        EXPECT_EQ(joined(questions[0]), QStringLiteral("首都是？A.上海B.北京|B||2.5|地理"));
        EXPECT_EQ(joined(questions[1]), QStringLiteral("地球是圆的|TRUE||2|地理"));
        EXPECT_EQ(joined(questions[2]), QStringLiteral("水是A.H2OB.CO2|A|||地理"));
        EXPECT_EQ(questions[2].line, 4);

        const QList<RawQuestion> second = readAll(path, &error, 1);
        ASSERT_EQ(second.size(), 1);
        EXPECT_EQ(joined(second[0]), QStringLiteral("另一张表的题|√|||"));
    }
    // Texts written inline in the cells instead of in the shared table.
    const QString inlined = files.writeXlsx("inline.xlsx", {{"题目", "答案"}, {"内联的题A.是B.否", "B"}}, {}, true);
    const QList<RawQuestion> questions = readAll(inlined);
    ASSERT_EQ(questions.size(), 1);
    EXPECT_EQ(joined(questions[0]), QStringLiteral("内联的题A.是B.否|B|||"));
}

TEST(ImportXls, FixtureMadeByASpreadsheetProgram)
{
    const QString path = QStringLiteral(KAOSHI_IMPORT_FIXTURES "/questions.xls");
    EXPECT_EQ(worksheetNames(path).size(), 1);
    QString error;
    const QList<RawQuestion> questions = readAll(path, &error);
    EXPECT_EQ(error, QString());
    ASSERT_EQ(questions.size(), 2);
    EXPECT_EQ(joined(questions[0]), QStringLiteral("我国的首都是哪座城市？A.上海B.北京C.广州|b||2.5|地理"));
    EXPECT_EQ(joined(questions[1]), QStringLiteral("水的化学式是A.H2OB.CO2|A||1|化学"));
}

TEST(ImportBadInput, EachRefusedWithAClearMessage)
{
    ImportFiles files;
    const QByteArray compound("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + QByteArray(504, '\0'));
    const QString good = files.writeXlsx("good.xlsx", {{"题目", "答案"}, {"题", "A"}});
    QFile goodFile(good);
    goodFile.open(QIODevice::ReadOnly);
    const QByteArray workbook = goodFile.readAll();

    // An archive whose directory says its entries unpack to about 4 GB.
    QByteArray bomb = workbook;
    const qsizetype central = bomb.indexOf("PK\x01\x02");
    ASSERT_GT(central, 0);
    bomb.replace(central + 24, 4, QByteArray("\xF0\xFF\xFF\xFF", 4));

    QString header100 = QStringLiteral("题目,标准答案");
    QString row100 = QStringLiteral("题A.一B.二,B");
    for (int c = 0; c < 98; ++c) {
        header100 += QStringLiteral(",列%1").arg(c);
        row100 += QStringLiteral(",值");
    }

    const struct {
        const char *name;
        QByteArray bytes;
        const char *message; // a part of the message; "" when the file reads
    } cases[] = {
        {"empty.csv", "", "文件是空的"},
        {"empty.xlsx", "", "文件是空的"},
        {"blank.csv", "\n\n  \n", "没有任何内容"},
        {"text.xlsx", "题目,答案\n题,A\n", "不是xlsx工作簿"},
        {"encrypted.xlsx", compound, "已加密"},
        {"truncated.xlsx", workbook.left(workbook.size() / 2), "已损坏"},
        {"bomb.xlsx", bomb, "超过1 GB"},
        {"zip.csv", workbook, "不是文本文件"},
        {"zip.txt", workbook, "不是文本文件"},
        {"text.xls", "题目,答案\n", "不是xls工作簿"},
        {"compound.xls", compound, "已损坏或已加密"},
        {"noanswer.csv", "题目,解析\n题,说明\n", "没有“标准答案”列"},
        {"notext.csv", "题号,答案\n1,A\n", "没有“题目”列"},
        {"long.csv", "题目,答案\n\"" + QByteArray(kMostRowBytes + 10, 'x') + "\",A\n", "超过1 MB"},
        {"long.txt", "1. " + QByteArray(kMostRowBytes + 10, 'x') + "\n答案：A\n", "超过1 MB"},
        {"wide.csv", (header100 + u'\n' + row100 + u'\n').toUtf8(), ""},
        {"other.doc", "题目,答案\n", "另存为 .docx"},
        {"other.pdf", "题目,答案\n", "只能导入"},
    };
    for (const auto &c : cases) {
        const QString path = files.writeBytes(QString::fromLatin1(c.name), c.bytes);
        QString error;
        const QList<RawQuestion> questions = readAll(path, &error);
        if (*c.message == 0) {
            EXPECT_EQ(error, QString()) << c.name;
            ASSERT_EQ(questions.size(), 1) << c.name;
            EXPECT_EQ(questions[0].answer, "B");
        } else {
            EXPECT_TRUE(error.contains(QString::fromUtf8(c.message))) << c.name << ": " << error.toStdString();
        }
    }
    // The sheet list of a workbook that cannot be read is empty, with the reason.
    QString error;
    EXPECT_TRUE(worksheetNames(files.path("bomb.xlsx"), &error).isEmpty());
    EXPECT_TRUE(error.contains(QStringLiteral("超过1 GB")));
}

TEST(ImportXlsx, SharedTextsComeBackFromTheirFileInAnyOrder)
{
    // A row asks for its own new text and for old ones that many rows share;
    // some texts are longer than what is read of the file at a time.
    SpilledTexts texts;
    QStringList written;
    for (int i = 0; i < 30000; ++i) {
        written << (i % 997 == 0 ? QString(200000, QChar(u'长')) + QString::number(i) : QStringLiteral("第%1条").arg(i));
        ASSERT_TRUE(texts.append(written.last()));
    }
    for (int i = 0; i < 30000; i += 7) {
        for (const int index : {i, i % 3, 29999 - i, i / 2}) {
            ASSERT_EQ(texts.at(index), written[index]) << index;
        }
    }
    EXPECT_EQ(texts.at(30000), QString());
    EXPECT_TRUE(texts.append(QStringLiteral("最后")));
    EXPECT_EQ(texts.at(30000), QStringLiteral("最后"));
    EXPECT_EQ(texts.at(29999), written.last());
}

TEST(ImportXlsx, CellReferences)
{
    int column = -1;
    qint64 row = -1;
    EXPECT_TRUE(parseCellReference(u"A1", column, row));
    EXPECT_EQ(column, 0);
    EXPECT_EQ(row, 1);
    EXPECT_TRUE(parseCellReference(u"AB12", column, row));
    EXPECT_EQ(column, 27);
    EXPECT_EQ(row, 12);
    for (const char16_t *bad : {u"", u"12", u"A", u"A0", u"ZZZZ1"})
        EXPECT_FALSE(parseCellReference(bad, column, row));
}

TEST(ImportText, EncodingsAndLineEndsAreDecidedPerFile)
{
    ImportFiles files;
    const QString text = QStringLiteral("题目,标准答案\n第一题A.是B.否,A\n第二题A.是B.否,B\n第三题A.是B.否,A\n");
    // One damaged byte in a UTF-8 file marks its row; the others read as written.
    QByteArray damaged = text.toUtf8();
    damaged.insert(damaged.indexOf("第二题") + 3, '\xFF');
    // The same for a byte that GB18030 cannot decode.
    QStringEncoder gb("GB18030");
    QByteArray gbDamaged = gb.encode(text);
    gbDamaged.insert(gbDamaged.indexOf(QByteArray(gb.encode(QStringLiteral("第二题")))), '\xFF');
    for (const QString &path : {files.writeBytes("damaged.csv", damaged), files.writeBytes("gb.csv", gbDamaged)}) {
        QString error;
        const QList<RawQuestion> questions = readAll(path, &error);
        EXPECT_EQ(error, QString()) << path.toStdString();
        ASSERT_EQ(questions.size(), 3) << path.toStdString();
        EXPECT_EQ(questions[0].text, QStringLiteral("第一题A.是B.否"));
        EXPECT_EQ(questions[2].text, QStringLiteral("第三题A.是B.否"));
        EXPECT_EQ(checkQuestion(QuestionType::SingleChoice, questions[0]).status, RowStatus::Ready);
        const PreviewRow marked = checkQuestion(QuestionType::SingleChoice, questions[1]);
        EXPECT_EQ(marked.status, RowStatus::Refused);
        EXPECT_EQ(marked.line, 3);
        EXPECT_TRUE(marked.note.contains(QStringLiteral("无法识别的字节")));
    }

    // A spreadsheet's "Unicode text": UTF-16 with a byte order mark, tab-separated.
    const QString unicode = QStringLiteral("题目\t标准答案\r\n第一题A.是B.否\tB\r\n");
    QByteArray little("\xFF\xFE");
    little.append(reinterpret_cast<const char *>(unicode.utf16()), unicode.size() * 2);
    QByteArray big("\xFE\xFF");
    for (const QChar c : unicode)
        big.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
    // Lines ended by CR alone, in a CSV file and in numbered text.
    const QString crOnly = files.writeText("cr.csv", QStringLiteral("题目,标准答案\r第一题A.是B.否,B\r\r第二题A.是B.否,A\r"));
    for (const QString &path : {files.writeBytes("le.csv", little), files.writeBytes("be.csv", big), crOnly}) {
        QString error;
        const QList<RawQuestion> questions = readAll(path, &error);
        EXPECT_EQ(error, QString()) << path.toStdString();
        ASSERT_GE(questions.size(), 1) << path.toStdString();
        EXPECT_EQ(joined(questions[0]), QStringLiteral("第一题A.是B.否|B|||")) << path.toStdString();
        EXPECT_EQ(questions[0].line, 2);
    }
    const QList<RawQuestion> cr = readAll(crOnly);
    ASSERT_EQ(cr.size(), 2);
    EXPECT_EQ(cr[1].line, 4);
    const QList<RawQuestion> numbered =
        readAll(files.writeText("cr.txt", QStringLiteral("1. 第一题\rA. 是\rB. 否\r答案：B\r\r2. 第二题\r答案：对\r")));
    ASSERT_EQ(numbered.size(), 2);
    EXPECT_EQ(joined(numbered[0]), QStringLiteral("第一题A.是B.否|B|||"));
    EXPECT_EQ(numbered[1].line, 6);
}

TEST(ImportXlsx, HostileWorkbooksAreRefusedOrReadInBoundedWork)
{
    ImportFiles files;
    const auto inlineCell = [](const char *reference, const QByteArray &text) {
        return "<c r=\"" + QByteArray(reference) + "\" t=\"inlineStr\"><is><t>" + text + "</t></is></c>";
    };
    const QByteArray header = "<row r=\"1\">" + inlineCell("A1", "题目") + inlineCell("B1", "标准答案") +
                              inlineCell("C1", "章节") + "</row>";
    const auto sheet = [&](const QByteArray &rows, const QByteArray &after = {}) {
        return "<worksheet><sheetData>" + header + rows + "</sheetData>" + after + "</worksheet>";
    };
    const QByteArray huge(3 * 1024 * 1024, 'x');

    // Rows below the header naming the merged range's own tag in their text,
    // then the real ranges: 章节 of row 2 covers row 3.
    const QByteArray mergeText = "<row r=\"2\">" + inlineCell("A2", "提到&lt;mergeCell ref=&quot;A1:B9&quot;/&gt;的题A.是B.否") +
                                 inlineCell("B2", "A") + inlineCell("C2", "第一章") + "</row>" + "<row r=\"3\">" +
                                 inlineCell("A3", "第二题A.是B.否") + inlineCell("B3", "B") + "</row>";
    // 20,000 rows, each with a merged range reaching the last column XFD.
    QByteArray wideRows, wideMerges;
    for (int r = 2; r <= 20001; ++r) {
        const QByteArray n = QByteArray::number(r);
        wideRows += "<row r=\"" + n + "\">" + inlineCell("A" + n, "题" + n + "A.是B.否") + inlineCell("B" + n, "A") + "</row>";
        wideMerges += "<mergeCell ref=\"C" + n + ":XFD" + n + "\"/>";
    }
    QByteArray deep = "<row r=\"2\">";
    for (int i = 0; i < 200000; ++i)
        deep += "<x>";

    const struct {
        const char *name;
        QByteArray sheetXml;
        QByteArray sharedXml;
        const char *message; // a part of the refusal; "" when the file reads
        int questions;
    } cases[] = {
        // A shared text too long for any cell is refused as it is read, even when no cell uses it.
        {"shared.xlsx", sheet("<row r=\"2\">" + inlineCell("A2", "题A.是B.否") + inlineCell("B2", "A") + "</row>"),
         "<sst><si><t>" + huge + "</t></si></sst>", "超过1 MB", 0},
        {"cell.xlsx", sheet("<row r=\"2\">" + inlineCell("A2", huge) + "</row>"), {}, "超过1 MB", 0},
        {"deep.xlsx", sheet(deep), {}, "嵌套过深", 0},
        {"mergetext.xlsx", sheet(mergeText, "<mergeCells count=\"1\"><mergeCell ref=\"C2:C3\"/></mergeCells>"), {}, "", 2},
        {"merges.xlsx", sheet(wideRows, "<mergeCells>" + wideMerges + "</mergeCells>"), {}, "", 20000},
    };
    for (const auto &c : cases) {
        const QString path = files.writeRawXlsx(QString::fromLatin1(c.name), c.sheetXml, c.sharedXml);
        QString error;
        const QList<RawQuestion> questions = readAll(path, &error);
        if (*c.message == 0) {
            EXPECT_EQ(error, QString()) << c.name;
            EXPECT_EQ(questions.size(), c.questions) << c.name;
        } else {
            EXPECT_TRUE(error.contains(QString::fromUtf8(c.message))) << c.name << ": " << error.toStdString();
        }
    }
    const QList<RawQuestion> merged = readAll(files.path("mergetext.xlsx"));
    ASSERT_EQ(merged.size(), 2);
    EXPECT_EQ(merged[1].chapter, QStringLiteral("第一章"));
}
