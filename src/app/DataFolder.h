#pragma once
// Where the program keeps its data: the database 考试修改.mdb, the folder
// image, the settings files and 导出. A copied program folder (a room's seats,
// a USB stick) keeps them beside the executable, as it always has; an
// installed program, whose folder nobody may write to, keeps them in the
// user's own data folder, which receives the installed sample bank the first
// time.
#include <QString>

namespace kaoshi {

enum class DataFolderKind {
    ProgramDir, // beside the executable
    UserData,   // the per-user data folder, e.g. ~/.local/share/kaoshi
};

// What the choice depends on, found out once at start.
struct DataFolderFacts {
    bool programDirWritable = false;
    bool programDirHasDatabase = false;
    // The executable is an installed one: under a system prefix, or the bin
    // folder of an installation that ships the sample bank beside it.
    bool installed = false;
    // The per-user data folder already holds a database.
    bool userDataPresent = false;
};

// The rule: the program directory when it is writable and holds the
// database, or when it is writable, not installed and no per-user data
// exists yet; otherwise the per-user data folder.
DataFolderKind chooseDataFolder(const DataFolderFacts &facts);

DataFolderFacts dataFolderFacts(const QString &programDir, const QString &userDataDir);

// /usr, /usr/local, /opt and what lies below them.
bool isUnderSystemPrefix(const QString &path);
// The sample bank an installation ships: <prefix>/share/kaoshi beside
// <prefix>/bin.
QString installedSampleDir(const QString &programDir);

struct DataFolder {
    QString path;
    DataFolderKind kind = DataFolderKind::ProgramDir;
    // Empty when the folder is ready; otherwise what could not be done. The
    // database of a folder that could not be prepared fails to open, and the
    // program says so then.
    QString problem;
};

// Decides, and prepares the per-user folder: creates it, and places the
// installed sample bank in it while it has no database yet (never over
// anything already there).
DataFolder prepareDataFolder(const QString &programDir, const QString &userDataDir);

// The server settings file 数据库.ini: a system-wide one in systemDir, set up
// once for a whole room, is read before the one of the data folder.
inline const QString kSystemSettingsDir = QStringLiteral("/etc/kaoshi");
inline const QString kServerSettingsFileName = QStringLiteral("数据库.ini");
QString serverSettingsFile(const QString &dataDir, const QString &systemDir = kSystemSettingsDir);

} // namespace kaoshi
