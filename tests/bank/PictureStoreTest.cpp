// Pictures kept by a database server: written with their rows in one unit,
// fetched into a seat's folder image when first shown and fetched again when
// the server's bytes differ; dropped with the last question that shows them.
// The file engine's pictures stay plain files.
#include "TestDatabase.h"
#include "../import/DocxFiles.h"
#include "../import/ImportRuns.h"
#include "bank/EditedQuestion.h"
#include "bank/BankDocument.h"
#include "bank/PictureFiles.h"
#include "bank/QuestionBank.h"
#include "data/BankTable.h"
#include "data/PictureTable.h"
#include "exam/PrintedPaper.h"
#include "import/ImportStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kaoshi;
using namespace kaoshi::test;

namespace {

constexpr QuestionType kSingle = QuestionType::SingleChoice;

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The bytes the server keeps under a location; "-" when it keeps none.
QByteArray serverBytes(DataStore &store, const QString &location)
{
    RowSet rows = store.query(QStringLiteral("select 内容 from 图片文件 where 文件名=?"), {location});
    return rows.atEnd() ? QByteArray("-") : rows.value(1).toBytes();
}

// A picture stored through the editor's path on one seat: the question's
// row, its 图片 row and the bytes, in one unit.
bool storePicture(DataStore &store, const QString &dataDir, qint64 number, const QString &location,
                  const QByteArray &bytes)
{
    const QTemporaryDir sources;
    const QString source = QDir(sources.path()).filePath(QStringLiteral("chosen.png"));
    writeBytes(source, bytes);
    const qint64 rowId =
        store.query(QStringLiteral("select rowid from 单选 where 题号=?"), {number}).value(1).toInteger();
    return saveEditedQuestion(store, dataDir, kSingle, rowId, number,
                              {QStringLiteral("单选题%1").arg(number), QStringLiteral("A"), QString(), 1, QString()},
                              {{QStringLiteral("图"), source, location}}, {});
}

// A seat of its own: another data folder on the same database.
struct Seat {
    QTemporaryDir dir;
    std::unique_ptr<DataStore> store;
    std::unique_ptr<PictureFiles> pictures;
    explicit Seat(const TestDatabase &db) : store(db.anotherStore()), pictures(pictureFilesFor(*store, dir.path())) {}
    QString copyOf(const QString &name) const { return QDir(dir.path()).filePath(QStringLiteral("image/") + name); }
};

struct ServerPictures : ::testing::Test {
    TestDatabase db{TestEngine::Server};
    void SetUp() override
    {
        ASSERT_TRUE(db.isReady()) << db.reason().toStdString();
        db.addQuestions(kSingle, 3);
    }
};

} // namespace

TEST_F(ServerPictures, ASecondSeatFetchesOnceAndFetchesAgainWhenTheBytesDiffer)
{
    const QString location = QStringLiteral("\\image\\p.png");
    ASSERT_TRUE(storePicture(db.store(), db.programDir(), 1, location, "AAAA"));
    EXPECT_EQ(serverBytes(db.store(), location), "AAAA");
    EXPECT_EQ(bytesOf(QDir(db.programDir()).filePath("image/p.png")), "AAAA"); // the writing seat's own copy

    Seat other(db);
    const QString copy = other.copyOf("p.png");
    EXPECT_EQ(other.pictures->fileToShow(location), QDir::toNativeSeparators(copy));
    EXPECT_EQ(bytesOf(copy), "AAAA");
    // Shown again, the copy is read as it is.
    const QDateTime old(QDate(2020, 1, 1), QTime(0, 0));
    {
        QFile file(copy);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
    }
    EXPECT_FALSE(other.pictures->fileToShow(location).isEmpty());
    EXPECT_EQ(QFileInfo(copy).lastModified(), old);

    // Changed on the first seat (same size, longer, and the copy spoiled
    // locally): every time the second seat gets the server's bytes.
    for (const QByteArray &bytes : {QByteArray("BBBB"), QByteArray("CCCCCCCC")}) {
        ASSERT_TRUE(storePicture(db.store(), db.programDir(), 1, location, bytes));
        EXPECT_FALSE(other.pictures->fileToShow(location).isEmpty());
        EXPECT_EQ(bytesOf(copy), bytes);
    }
    writeBytes(copy, "XXXXXXXX");
    EXPECT_FALSE(other.pictures->fileToShow(location).isEmpty());
    EXPECT_EQ(bytesOf(copy), "CCCCCCCC");

    // A picture the server does not hold, or a location outside image: nothing to show.
    ASSERT_TRUE(db.store().execute(QStringLiteral("delete from 图片文件")));
    EXPECT_EQ(other.pictures->fileToShow(location), QString());
    EXPECT_EQ(other.pictures->fileToShow(QStringLiteral("\\image\\..\\考试修改.mdb")), QString());
    EXPECT_EQ(other.pictures->fileToShow(QStringLiteral("\\image\\never.png")), QString());
}

TEST(ServerPictureUnit, RefusedBytesOrRowLeaveNeither)
{
    const QString location = QStringLiteral("\\image\\p.png");
    for (const char *table : {"图片", "图片文件"}) {
        TestDatabase server(TestEngine::Server);
        ASSERT_TRUE(server.isReady()) << server.reason().toStdString();
        server.addQuestions(kSingle, 1);
        server.refuse(QString::fromUtf8(table), QStringLiteral("insert"));
        EXPECT_FALSE(storePicture(server.store(), server.programDir(), 1, location, "AAAA")) << table;
        EXPECT_EQ(server.store().errorString(), QStringLiteral("拒绝写入")) << table;
        EXPECT_EQ(server.count(QStringLiteral("图片")), 0) << table;
        EXPECT_EQ(server.count(QStringLiteral("图片文件")), 0) << table;
        EXPECT_EQ(QDir(server.programDir() + "/image").entryList(QDir::Files), QStringList()) << table;
    }
}

TEST_F(ServerPictures, FilesGoWithTheLastQuestionThatShowsThem)
{
    ASSERT_TRUE(storePicture(db.store(), db.programDir(), 1, QStringLiteral("\\image\\a.png"), "a"));
    ASSERT_TRUE(storePicture(db.store(), db.programDir(), 2, QStringLiteral("\\image\\b.png"), "b"));
    ASSERT_TRUE(storePicture(db.store(), db.programDir(), 3, QStringLiteral("\\image\\c.png"), "c"));
    db.addPicture(kSingle, 3, QStringLiteral("同一张"), QStringLiteral("\\image\\b.png"));
    db.addPicture(QuestionType::MultipleChoice, 1, QStringLiteral("别的题库"), QStringLiteral("\\image\\a.png"));
    const auto files = [this] { return db.text(QStringLiteral("select string_agg(文件名, ',' order by 文件名) from 图片文件")); };
    EXPECT_EQ(files(), QStringLiteral("\\image\\a.png,\\image\\b.png,\\image\\c.png"));

    const auto rowOf = [this](qint64 number) {
        return db.store().query(QStringLiteral("select rowid from 单选 where 题号=?"), {number}).value(1).toInteger();
    };
    ASSERT_TRUE(deleteQuestion(db.store(), kSingle, rowOf(1))); // 多选 still shows a
    EXPECT_EQ(files(), QStringLiteral("\\image\\a.png,\\image\\b.png,\\image\\c.png"));
    ASSERT_TRUE(deleteQuestion(db.store(), kSingle, rowOf(1))); // the old 2; the old 3 shows b as well
    EXPECT_EQ(files(), QStringLiteral("\\image\\a.png,\\image\\b.png,\\image\\c.png"));

    db.refuse(QStringLiteral("图片文件"), QStringLiteral("delete"));
    EXPECT_FALSE(clearBank(db.store(), kSingle));
    EXPECT_EQ(db.count(kSingle), 1);
    EXPECT_EQ(db.text(QStringLiteral("select 图片 from 图片 where 题型='单选' order by 图片 limit 1")),
              QStringLiteral("\\image\\b.png"));
    db.store().execute(QStringLiteral("drop trigger refuse_图片文件_delete on 图片文件"));
    ASSERT_TRUE(clearBank(db.store(), kSingle));
    EXPECT_EQ(files(), QStringLiteral("\\image\\a.png"));
}

TEST_F(ServerPictures, ImportedPicturesAreKeptByTheServer)
{
    const QTemporaryDir folder;
    const QString document = QDir(folder.path()).filePath(QStringLiteral("d.docx"));
    ASSERT_TRUE(writeDocx(document,
                          paragraphs({"一、单选题", "1. 看图A.是B.否"}) + paragraph(pictureRun("rId1", "图一")) +
                              paragraphs({"答案：A"}),
                          {{"word/_rels/document.xml.rels", relationsXml({{"rId1", "media/a.png"}})},
                           {"word/media/a.png", tinyPng()}}));
    const QDateTime now(QDate(2026, 3, 5), QTime(9, 7, 2));
    const QString location = QStringLiteral("\\image\\20260305090702-1.png");
    const auto import = [&] { return importFile(db.store(), db.programDir(), document, kSingle, now).outcome; };

    db.refuse(QStringLiteral("图片文件"), QStringLiteral("insert"));
    StoreOutcome outcome = import();
    EXPECT_FALSE(outcome.stored);
    EXPECT_EQ(outcome.reason, QStringLiteral("拒绝写入"));
    EXPECT_EQ(db.count(kSingle), 3);
    EXPECT_EQ(QDir(db.programDir() + "/image").entryList(QDir::Files), QStringList());

    db.store().execute(QStringLiteral("drop trigger refuse_图片文件_insert on 图片文件"));
    outcome = import();
    ASSERT_TRUE(outcome.stored) << outcome.reason.toStdString();
    EXPECT_EQ(db.text(QStringLiteral("select 题号 || 图片 from 图片")), QStringLiteral("4") + location);
    EXPECT_EQ(serverBytes(db.store(), location), tinyPng());
    // A name the server holds is taken, even where this seat has no copy.
    QFile::remove(QDir(db.programDir()).filePath("image/20260305090702-1.png"));
    ASSERT_TRUE(importFile(db.store(), db.programDir(), document, kSingle, now, true).outcome.stored);
    EXPECT_EQ(db.text(QStringLiteral("select 图片 from 图片 where 题号=5")), QStringLiteral("\\image\\20260305090702-1-2.png"));
}

TEST_F(ServerPictures, WordExportAndPrintedPaperOfAnotherSeatHoldThePictures)
{
    const QByteArray png = tinyPng();
    ASSERT_TRUE(storePicture(db.store(), db.programDir(), 1, QStringLiteral("\\image\\r.png"), png));
    db.addPicture(kSingle, 2, QStringLiteral("服务器上没有"), QStringLiteral("\\image\\gone.png"));

    Seat other(db);
    const std::vector<qint64> rows = bank::listRowIds(*other.store, kSingle, QString()).value();
    const auto questions = documentQuestions(*other.store, other.dir.path(), kSingle, rows);
    ASSERT_TRUE(questions.has_value());
    const QString path = QDir(other.dir.path()).filePath(QStringLiteral("单选.docx"));
    const WrittenDocument written = writeQuestionDocument(path, kSingle, *questions, other.dir.path());
    ASSERT_TRUE(written.written) << written.reason.toStdString();
    EXPECT_EQ(written.missingPictures, 1); // the one the server does not hold
    int code = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    ASSERT_TRUE(archive);
    EXPECT_GE(zip_name_locate(archive, "word/media/image1.png", 0), 0);
    zip_close(archive);

    PaperPlan plan;
    plan.counts = {3, 0, 0, 0};
    QFile::remove(other.copyOf("r.png"));
    const PaperRunDraw draw = drawPaperRun(*other.store, other.dir.path(), plan, 1, QString());
    ASSERT_FALSE(draw.failed);
    QMap<qint64, QStringList> files;
    for (const PaperQuestion &question : draw.questions)
        files.insert(question.number, question.pictureFiles);
    EXPECT_EQ(files.value(1), QStringList{QDir::toNativeSeparators(other.copyOf("r.png"))});
    EXPECT_EQ(bytesOf(other.copyOf("r.png")), png);
    EXPECT_EQ(files.value(2), QStringList{QString()}); // printed as a picture that cannot be read
}

TEST(FolderPictures, TheFilesAreThePictures)
{
    TestDatabase db;
    db.addQuestions(kSingle, 1);
    ASSERT_TRUE(storePicture(db.store(), db.programDir(), 1, QStringLiteral("\\image\\p.png"), "AAAA"));
    const QString file = QDir(db.programDir()).filePath(QStringLiteral("image/p.png"));
    EXPECT_EQ(bytesOf(file), "AAAA");
    const std::unique_ptr<PictureFiles> pictures = pictureFilesFor(db.store(), db.programDir());
    EXPECT_EQ(pictures->fileToShow(QStringLiteral("\\image\\p.png")), QDir::toNativeSeparators(file));
    // A missing file is still named, as before; its reader finds nothing.
    EXPECT_EQ(pictures->fileToShow(QStringLiteral("\\image\\none.png")),
              QDir::toNativeSeparators(QDir(db.programDir()).filePath(QStringLiteral("image/none.png"))));
    EXPECT_TRUE(pictures->isTaken(QStringLiteral("\\image\\p.png")));
    EXPECT_FALSE(pictures->isTaken(QStringLiteral("\\image\\none.png")));
}
