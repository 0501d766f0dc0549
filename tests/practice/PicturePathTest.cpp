#include "data/PictureLocation.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using kaoshi::pictureFile;

TEST(PicturePath, OnlyFilesInsideTheImageFolder)
{
    QTemporaryDir dir;
    const QString program = dir.path();
    QDir(program).mkdir(QStringLiteral("image"));
    const QString image = QDir(program).filePath(QStringLiteral("image"));

    EXPECT_EQ(pictureFile(program, QStringLiteral("\\image\\1.png")), QDir::toNativeSeparators(image + "/1.png"));
    EXPECT_EQ(pictureFile(program, QStringLiteral("\\image\\sub\\..\\2.jpg")),
              QDir::toNativeSeparators(image + "/2.jpg"));
    for (const char *outside : {"", "\\", "\\image", "\\image\\", "\\image\\..\\考试修改.mdb", "\\..\\x.png",
                                "/etc/passwd", "\\image\\..\\..\\x.png", "\\imagex\\1.png", "\\题库.ini"})
        EXPECT_EQ(pictureFile(program, QString::fromUtf8(outside)), QString()) << outside;
}

TEST(PicturePath, LinksLeadingOutOfTheFolderAreRefused)
{
    QTemporaryDir dir;
    QTemporaryDir elsewhere;
    QFile target(QDir(elsewhere.path()).filePath(QStringLiteral("secret.png")));
    ASSERT_TRUE(target.open(QIODevice::WriteOnly));
    target.close();
    QDir(dir.path()).mkdir(QStringLiteral("image"));
    const QString link = QDir(dir.path()).filePath(QStringLiteral("image/link.png"));
    ASSERT_TRUE(QFile::link(target.fileName(), link));
    EXPECT_EQ(pictureFile(dir.path(), QStringLiteral("\\image\\link.png")), QString());
}
