// Names and copies of question pictures in the folder "image".
#include "FileContents.h"

#include "bank/QuestionPictures.h"
#include "data/PictureLocation.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kaoshi;
using kaoshi::test::readFile;
using kaoshi::test::writeFile;

TEST(PictureNames, StampIsZeroPaddedAndTakenNamesGetACounter)
{
    const QDateTime moment(QDate(2026, 3, 5), QTime(9, 7, 2));
    EXPECT_EQ(pictureStamp(moment), "20260305090702");
    // 2026-1-11 1:01:01 and 2026-11-1 1:01:01 no longer share a name.
    EXPECT_NE(pictureStamp(QDateTime(QDate(2026, 1, 11), QTime(1, 1, 1))),
              pictureStamp(QDateTime(QDate(2026, 11, 1), QTime(1, 1, 1))));

    EXPECT_EQ(pictureExtension("/home/t/chart.png"), ".png");
    EXPECT_EQ(pictureExtension("/home/t/photo.jpeg"), ".jpeg");

    const QSet<QString> taken{"\\image\\20260305090702.png", "\\image\\20260305090702-2.png"};
    const auto isTaken = [&](const QString &l) { return taken.contains(l); };
    EXPECT_EQ(uniquePictureLocation("20260305090702", ".jpg", isTaken), "\\image\\20260305090702.jpg");
    EXPECT_EQ(uniquePictureLocation("20260305090702", ".png", isTaken), "\\image\\20260305090702-3.png");
}

TEST(PictureNames, OnlyPlainFilesInsideImageAreLocations)
{
    EXPECT_TRUE(isImageLocation("\\image\\20260305090702.png"));
    for (const char *bad : {"", "\\image\\", "\\image\\..", "\\image\\..\\考试修改.mdb", "\\other\\a.png",
                            "\\image\\sub/a.png"})
        EXPECT_FALSE(isImageLocation(QString::fromUtf8(bad))) << bad;
}

TEST(PictureFiles, CopyCreatesTheFolderAndReplacesOnlyItsOwnFile)
{
    QTemporaryDir program;
    QTemporaryDir sources;
    const QString first = sources.filePath("first.png");
    const QString second = sources.filePath("second.png");
    writeFile(first, "first");
    writeFile(second, "second");

    EXPECT_FALSE(QDir(program.path()).exists("image"));
    EXPECT_TRUE(copyPicture(program.path(), first, "\\image\\a.png"));
    EXPECT_EQ(readFile(pictureFile(program.path(), "\\image\\a.png")), "first");
    EXPECT_TRUE(copyPicture(program.path(), second, "\\image\\a.png")); // a stored picture replaced
    EXPECT_EQ(readFile(program.filePath("image/a.png")), "second");

    EXPECT_FALSE(copyPicture(program.path(), sources.filePath("missing.png"), "\\image\\a.png"));
    EXPECT_EQ(readFile(program.filePath("image/a.png")), "second");
    EXPECT_FALSE(copyPicture(program.path(), first, "\\image\\..\\考试修改.mdb"));
    EXPECT_FALSE(QFile::exists(program.filePath("考试修改.mdb")));
}
