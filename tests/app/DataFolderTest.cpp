// Where the data lives: the rule as a table of cases, the facts read from
// real folders, the per-user folder prepared with the sample bank, and the
// server settings file looked for system-wide first.
#include "FileContents.h"

#include "app/DataFolder.h"
#include "data/Schema.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace kaoshi;
using kaoshi::test::readFile;
using kaoshi::test::writeFile;

namespace {

// A temporary root with an installation (<root>/usr/bin and the sample bank
// in <root>/usr/share/kaoshi), a copied program folder and a home.
struct Folders {
    QTemporaryDir root;
    QString bin = root.filePath("usr/bin");
    QString sample = root.filePath("usr/share/kaoshi");
    QString copied = root.filePath("copied");
    QString user = root.filePath("home/.local/share/kaoshi");

    Folders()
    {
        QDir().mkpath(bin);
        QDir().mkpath(copied);
        writeFile(QDir(sample).filePath(kDatabaseFileName), "sample bank");
        writeFile(QDir(sample).filePath("image/1.png"), "sample picture");
    }
    QString userFile(const QString &name) const { return QDir(user).filePath(name); }
};

} // namespace

TEST(DataFolder, RuleTable)
{
    using K = DataFolderKind;
    struct Case {
        const char *what;
        DataFolderFacts facts; // writable, has database, installed, per-user data present
        K expected;
    };
    const Case cases[] = {
        {"copied folder with a database", {true, true, false, false}, K::ProgramDir},
        {"copied folder with a database, per-user data too", {true, true, false, true}, K::ProgramDir},
        {"writable folder without a database, first start", {true, false, false, false}, K::ProgramDir},
        {"writable folder without a database, per-user data present", {true, false, false, true}, K::UserData},
        {"read-only folder with a database", {false, true, false, false}, K::UserData},
        {"read-only folder without a database", {false, false, false, false}, K::UserData},
        {"read-only install, first start", {false, false, true, false}, K::UserData},
        {"read-only install, per-user data present", {false, false, true, true}, K::UserData},
        {"install the superuser may write, first start", {true, false, true, false}, K::UserData},
        {"installed folder holding a database", {true, true, true, false}, K::ProgramDir},
    };
    for (const Case &c : cases)
        EXPECT_EQ(chooseDataFolder(c.facts), c.expected) << c.what;
}

TEST(DataFolder, SystemPrefixes)
{
    for (const char *path : {"/usr/bin", "/usr/local/bin", "/opt/kaoshi", "/usr/bin/../local/bin"})
        EXPECT_TRUE(isUnderSystemPrefix(path)) << path;
    for (const char *path : {"/home/teacher/kaoshi", "/media/usb/kaoshi", "/usrx/bin", "/tmp/usr/bin", "/"})
        EXPECT_FALSE(isUnderSystemPrefix(path)) << path;
}

TEST(DataFolder, FactsFromTheFolders)
{
    Folders f;
    // An installation is known by its layout, wherever its root is, not by
    // permissions (which do not bind the superuser).
    DataFolderFacts installed = dataFolderFacts(f.bin, f.user);
    EXPECT_TRUE(installed.installed);
    EXPECT_FALSE(installed.programDirHasDatabase);
    EXPECT_FALSE(installed.userDataPresent);

    DataFolderFacts copied = dataFolderFacts(f.copied, f.user);
    EXPECT_FALSE(copied.installed);
    EXPECT_TRUE(copied.programDirWritable);
    writeFile(QDir(f.copied).filePath(kDatabaseFileName), "db");
    writeFile(f.userFile(kDatabaseFileName), "db");
    copied = dataFolderFacts(f.copied, f.user);
    EXPECT_TRUE(copied.programDirHasDatabase);
    EXPECT_TRUE(copied.userDataPresent);
    // A bin folder without the installed sample bank is a copied folder.
    const QString bareBin = f.root.filePath("stick/bin");
    QDir().mkpath(bareBin);
    EXPECT_FALSE(dataFolderFacts(bareBin, f.user).installed);
}

TEST(DataFolder, ReadOnlyFolderIsNotWritable)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "file permissions do not bind the superuser (the package test runs this case as nobody)";
    Folders f;
    ASSERT_TRUE(QFile::setPermissions(f.copied, QFile::ReadOwner | QFile::ExeOwner));
    EXPECT_FALSE(dataFolderFacts(f.copied, f.user).programDirWritable);
    EXPECT_EQ(prepareDataFolder(f.copied, f.user).kind, DataFolderKind::UserData);
    QFile::setPermissions(f.copied, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(DataFolder, InstalledProgramGetsTheSampleBankInTheUserFolderOnce)
{
    Folders f;
    DataFolder folder = prepareDataFolder(f.bin, f.user);
    EXPECT_EQ(folder.kind, DataFolderKind::UserData);
    EXPECT_EQ(folder.path, f.user);
    EXPECT_EQ(folder.problem, QString());
    EXPECT_EQ(readFile(f.userFile(kDatabaseFileName)), "sample bank");
    EXPECT_EQ(readFile(f.userFile("image/1.png")), "sample picture");
    EXPECT_EQ(QDir(f.bin).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    EXPECT_EQ(QDir(f.user).entryList({"*.part"}, QDir::Files), QStringList());

    // The user's own data is never replaced by the sample again.
    writeFile(f.userFile(kDatabaseFileName), "the user's questions");
    writeFile(f.userFile("image/1.png"), "the user's picture");
    folder = prepareDataFolder(f.bin, f.user);
    EXPECT_EQ(folder.path, f.user);
    EXPECT_EQ(readFile(f.userFile(kDatabaseFileName)), "the user's questions");
    EXPECT_EQ(readFile(f.userFile("image/1.png")), "the user's picture");
}

TEST(DataFolder, MissingDatabaseInTheUserFolderIsPlacedWithoutTouchingPictures)
{
    Folders f;
    writeFile(f.userFile("image/1.png"), "kept picture");
    writeFile(f.userFile(kDatabaseFileName + ".part"), "a copy cut short");
    EXPECT_EQ(prepareDataFolder(f.bin, f.user).problem, QString());
    EXPECT_EQ(readFile(f.userFile(kDatabaseFileName)), "sample bank");
    EXPECT_EQ(readFile(f.userFile("image/1.png")), "kept picture");
    EXPECT_FALSE(QFile::exists(f.userFile(kDatabaseFileName + ".part")));
}

TEST(DataFolder, CopiedFolderKeepsEverythingBesideTheProgram)
{
    Folders f;
    // First start of a fresh copy: the folder itself, nothing per-user made.
    DataFolder folder = prepareDataFolder(f.copied, f.user);
    EXPECT_EQ(folder.kind, DataFolderKind::ProgramDir);
    EXPECT_EQ(folder.path, f.copied);
    EXPECT_FALSE(QFileInfo::exists(f.user));
    // With its database, even when per-user data exists.
    writeFile(QDir(f.copied).filePath(kDatabaseFileName), "db");
    writeFile(f.userFile(kDatabaseFileName), "db");
    EXPECT_EQ(prepareDataFolder(f.copied, f.user).path, f.copied);
}

TEST(DataFolder, UserFolderThatCannotBeMadeIsTold)
{
    Folders f;
    const QString blocked = f.root.filePath("home/file");
    writeFile(blocked, "a file where the folder should be");
    const DataFolder folder = prepareDataFolder(f.bin, blocked + "/kaoshi");
    EXPECT_EQ(folder.kind, DataFolderKind::UserData);
    EXPECT_FALSE(folder.problem.isEmpty());
}

TEST(DataFolder, ServerSettingsAreReadSystemWideFirst)
{
    QTemporaryDir root;
    const QString system = root.filePath("etc/kaoshi");
    const QString data = root.filePath("data");
    EXPECT_EQ(serverSettingsFile(data, system), QDir(data).filePath("数据库.ini"));
    writeFile(QDir(system).filePath("数据库.ini"), "[server]\n");
    EXPECT_EQ(serverSettingsFile(data, system), QDir(system).filePath("数据库.ini"));
    EXPECT_EQ(kSystemSettingsDir, "/etc/kaoshi");
}
