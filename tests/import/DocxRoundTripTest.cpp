// A bank written by "导出Word" reads back as the same questions, pictures
// included.
#include "DocxFiles.h"
#include "ImportFiles.h"
#include "ImportRuns.h"
#include "TestDatabase.h"
#include "bank/BankDocument.h"
#include "data/BankTable.h"
#include "import/ImportStore.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace kaoshi;
using namespace kaoshi::test;

namespace {

QString bankRows(TestDatabase &db, const QString &type)
{
    return db.text(QStringLiteral("select group_concat(题号||'|'||题目||'|'||标准答案||'|'||解析||'|'||分值||'|'||章节, "
                                  "'#') from (select * from %1 order by 题号)")
                       .arg(type));
}

// The pictures of a bank as summary and file contents, in order.
QStringList bankPictures(TestDatabase &db, const QString &type)
{
    QStringList pictures;
    const QStringList rows =
        db.text(QStringLiteral("select group_concat(题号||'|'||摘要||'|'||图片, '#') from (select * from 图片 where "
                               "题型='%1' order by 题号, rowid)")
                    .arg(type))
            .split(u'#', Qt::SkipEmptyParts);
    for (const QString &row : rows) {
        const QStringList parts = row.split(u'|');
        QFile file(QDir(db.programDir()).filePath(QString(parts[2]).replace(u'\\', u'/').mid(1)));
        file.open(QIODevice::ReadOnly);
        pictures << parts[0] + u'|' + parts[1] + u'|' + QString::fromLatin1(file.readAll().toBase64());
    }
    return pictures;
}

QString writeBank(TestDatabase &db, const QString &bank, const QString &folder)
{
    const QuestionType type = questionTypeOf(bank).value();
    const std::vector<qint64> ids = bank::listRowIds(db.store(), type, QString()).value();
    const auto questions = documentQuestions(db.store(), type, ids);
    EXPECT_TRUE(questions.has_value());
    const QString path = QDir(folder).filePath(bank + QStringLiteral(".docx"));
    const WrittenDocument written = writeQuestionDocument(path, type, *questions, db.programDir());
    EXPECT_TRUE(written.written) << written.reason.toStdString();
    EXPECT_EQ(written.missingPictures, 0);
    return path;
}

bool importInto(TestDatabase &db, const QString &path)
{
    // The bank comes from the document's heading, whatever the dialog's choice.
    const FileImport imported =
        importFile(db.store(), db.programDir(), path, QuestionType::FreeAnswer, QDateTime::currentDateTime());
    EXPECT_EQ(imported.outcome.reason, QString());
    EXPECT_EQ(imported.preview.count(RowStatus::Refused), 0);
    return imported.outcome.stored;
}

} // namespace

TEST(DocxRoundTrip, EveryBankReadsBackUnchanged)
{
    TestDatabase source;
    ImportFiles files;
    QDir(source.programDir()).mkpath("image");
    const QByteArray gif("GIF89a\x02\0\x03\0", 10);
    for (const auto &[name, bytes] : {std::pair{"a.png", tinyPng()}, std::pair{"b.gif", gif}}) {
        QFile file(source.programDir() + "/image/" + name);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    }
    source.addQuestion("单选", {1, "我国的首都是哪座城市？A.上海B.北京C.广州", "B", "北京是首都。", 2, "地理"});
    source.addQuestion("单选", {2, "看图：哪个是电阻？（  ）A.甲B.乙", "A", "", 2, ""});
    source.addQuestion("单选", {3, "选项写在题目里A.一 B.二", "A", "", 2, ""}); // a space before B
    source.addQuestion("单选", {4, "维生素A.维生素B、C都有B.没有", "A", "", 2, ""});
    source.addPicture("单选", 2, "电路图", "\\image\\a.png");
    source.addPicture("单选", 2, "", "\\image\\b.gif");
    source.addPicture("单选", 4, "再用一次", "\\image\\a.png");
    source.addQuestion("多选", {1, "哺乳动物有A.鲸B.鲨鱼C.猫D.蛇", "AC", "", 1.5, "生物"});
    source.addQuestion("多选", {2, "第二题A.一B.二", "AB", "多行\n解析", 3, ""});
    source.addQuestion("判断", {1, "地球是圆的。", "√", "", 1, ""});
    source.addQuestion("判断", {2, "1.5是整数。", "×", "", 1, "数学"});
    source.addQuestion("问答", {1, "简述光合作用。\n（10分）", "光能转化为化学能。\n见第三章。", "要点两条", 10, "生物"});
    source.addQuestion("问答", {2, "A.B.C. 是什么的缩写？", "美国广播公司", "", 5, ""});

    TestDatabase target;
    for (const QString &type : {"单选", "多选", "判断", "问答"}) {
        ASSERT_TRUE(importInto(target, writeBank(source, type, files.path(""))));
        EXPECT_EQ(bankRows(target, type), bankRows(source, type)) << type.toStdString();
        EXPECT_EQ(bankPictures(target, type), bankPictures(source, type)) << type.toStdString();
    }
    EXPECT_EQ(target.count("图片"), 3);
}

TEST(DocxRoundTrip, HeadingCountsAndScores)
{
    std::vector<DocumentQuestion> questions(3);
    for (DocumentQuestion &q : questions)
        q.values.score = 2;
    EXPECT_EQ(documentHeading(QuestionType::SingleChoice, questions), QStringLiteral("一、单项选择题（共3题，每题2分）"));
    questions[1].values.score = 2.5;
    EXPECT_EQ(documentHeading(QuestionType::TrueFalse, questions), QStringLiteral("一、判断题（共3题，共6.5分）"));
}
