#pragma once
// A settings file in the INI format, read and written whole with SimpleIni so
// that the sections and keys of other programs stay as they were. Files are
// written in UTF-8; a file that is not valid UTF-8 is read as GB18030, the
// encoding such files have when a Chinese Windows program wrote them.
#include <QString>
#include <memory>

namespace kaoshi {

class IniFile
{
public:
    // Reads the file; a missing or unreadable file reads as empty. A file
    // that cannot be read faithfully (see readProblem) is never written.
    explicit IniFile(const QString &path);
    ~IniFile();

    // Why an existing file could not be read, or could not be read as
    // text without losing or garbling some of it; empty when it was read.
    QString readProblem() const { return m_unreadable; }

    // The key's value with ASCII and full-width spaces removed at both ends
    // and cut to at most 10239 bytes; fallback when the key is missing.
    QString value(const QString &section, const QString &key, const QString &fallback = QString()) const;
    // Adds the key after the section's other keys, or replaces its value.
    void setValue(const QString &section, const QString &key, const QString &value);
    // Replaces the file by the current contents, in UTF-8. false, with the
    // reason in *error, when the file could not be written, or when it exists
    // but could not be read (writing would lose its other contents); the
    // file is then left as it was.
    bool save(QString *error = nullptr) const;

    // Longest value read, in bytes.
    static constexpr int kMaxValueBytes = 10239;

private:
    QString m_path;
    QString m_unreadable; // why an existing file could not be read
    struct Contents;
    std::unique_ptr<Contents> m_contents;
};

} // namespace kaoshi
