#pragma once
// Small files for the import tests, written by the tests themselves: text
// files in any encoding and .xlsx workbooks through libxlsxwriter.
#include "import/QuestionSource.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QStringEncoder>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <ostream>
#include <xlsxwriter.h>
#include <zip.h>

// Texts in failure output as text.
inline void PrintTo(const QString &text, std::ostream *out) { *out << '"' << text.toStdString() << '"'; }

namespace kaoshi::test {

class ImportFiles
{
public:
    QString path(const QString &name) const { return QDir(m_dir.path()).filePath(name); }

    QString writeBytes(const QString &name, const QByteArray &bytes) const
    {
        QFile file(path(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return file.fileName();
    }
    QString writeText(const QString &name, const QString &text) const { return writeBytes(name, text.toUtf8()); }
    QString writeGb18030(const QString &name, const QString &text) const
    {
        QStringEncoder encoder("GB18030");
        return writeBytes(name, encoder.encode(text));
    }

    // A workbook whose first (or only) sheet holds `rows` as text cells;
    // `more` may add cells, formulas, merges or further sheets.
    QString writeXlsx(const QString &name, const QList<QStringList> &rows,
                      const std::function<void(lxw_workbook *, lxw_worksheet *)> &more = {},
                      bool inlineStrings = false) const
    {
        const QByteArray file = QFile::encodeName(path(name));
        lxw_workbook_options options{};
        options.constant_memory = inlineStrings ? LXW_TRUE : LXW_FALSE;
        lxw_workbook *book = workbook_new_opt(file.constData(), &options);
        lxw_worksheet *sheet = workbook_add_worksheet(book, nullptr);
        for (int r = 0; r < rows.size(); ++r)
            for (int c = 0; c < rows[r].size(); ++c)
                if (!rows[r][c].isEmpty())
                    worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c), rows[r][c].toUtf8().constData(), nullptr);
        if (more)
            more(book, sheet);
        workbook_close(book);
        return path(name);
    }

    // A workbook written part by part, for files no spreadsheet program
    // would write: the sheet's XML and the shared texts' XML as given.
    QString writeRawXlsx(const QString &name, const QByteArray &sheetXml, const QByteArray &sharedXml = {}) const
    {
        const QByteArray file = QFile::encodeName(path(name));
        QFile::remove(path(name));
        int error = 0;
        zip_t *archive = zip_open(file.constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        QList<QPair<QByteArray, QByteArray>> parts{
            {"xl/workbook.xml", "<workbook xmlns:r=\"urn:r\"><sheets><sheet name=\"表\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
            {"xl/_rels/workbook.xml.rels",
             "<Relationships><Relationship Id=\"rId1\" Target=\"worksheets/sheet1.xml\" Type=\"x/worksheet\"/>"
             "<Relationship Id=\"rId2\" Target=\"sharedStrings.xml\" Type=\"x/sharedStrings\"/></Relationships>"},
            {"xl/worksheets/sheet1.xml", sheetXml}};
        if (!sharedXml.isEmpty())
            parts.append({"xl/sharedStrings.xml", sharedXml});
        for (const auto &[entry, bytes] : parts) {
            void *copy = malloc(size_t(bytes.size()));
            memcpy(copy, bytes.constData(), size_t(bytes.size()));
            zip_source_t *source = zip_source_buffer(archive, copy, zip_uint64_t(bytes.size()), 1);
            zip_file_add(archive, entry.constData(), source, ZIP_FL_OVERWRITE);
        }
        zip_close(archive);
        return path(name);
    }

private:
    QTemporaryDir m_dir;
};

// Every question of a file; `error` receives the reader's failure.
inline QList<RawQuestion> readAll(const QString &path, QString *error = nullptr, int sheet = 0)
{
    QList<RawQuestion> questions;
    OpenedSource opened = openQuestionSource(path, sheet);
    if (!opened.source) {
        if (error)
            *error = opened.error;
        return questions;
    }
    RawQuestion question;
    while (opened.source->next(question))
        questions << question;
    if (error)
        *error = opened.source->error();
    return questions;
}

} // namespace kaoshi::test
