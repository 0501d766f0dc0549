#include "XlsxCells.h"

#include <QFile>
#include <QXmlStreamReader>
#include <zip.h>

namespace kaoshi::test {

namespace {

QByteArray zipEntry(const QString &path, const char *name)
{
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!archive)
        return {};
    QByteArray bytes;
    zip_stat_t stat;
    if (zip_stat(archive, name, 0, &stat) == 0) {
        if (zip_file_t *file = zip_fopen(archive, name, 0)) {
            bytes.resize(qsizetype(stat.size));
            if (zip_fread(file, bytes.data(), stat.size) != zip_int64_t(stat.size))
                bytes.clear();
            zip_fclose(file);
        }
    }
    zip_close(archive);
    return bytes;
}

QStringList sharedStrings(const QString &path)
{
    QStringList strings;
    QXmlStreamReader xml(zipEntry(path, "xl/sharedStrings.xml"));
    QString current;
    bool inItem = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"si") {
            inItem = true;
            current.clear();
        } else if (xml.isStartElement() && xml.name() == u"t" && inItem) {
            current += xml.readElementText();
        } else if (xml.isEndElement() && xml.name() == u"si") {
            strings << current;
            inItem = false;
        }
    }
    return strings;
}

struct Sheet {
    QMap<QString, QString> cells;
    QSet<QString> numbers;
};

Sheet readSheet(const QString &path)
{
    const QStringList shared = sharedStrings(path);
    Sheet sheet;
    QXmlStreamReader xml(zipEntry(path, "xl/worksheets/sheet1.xml"));
    QString reference, type, text;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"c") {
            reference = xml.attributes().value(QStringLiteral("r")).toString();
            type = xml.attributes().value(QStringLiteral("t")).toString();
            text.clear();
        } else if (xml.isStartElement() && (xml.name() == u"t" || xml.name() == u"v")) {
            const QString value = xml.readElementText();
            text += type == u"s" ? shared.value(value.toInt()) : value;
        } else if (xml.isEndElement() && xml.name() == u"c") {
            sheet.cells.insert(reference, text);
            if (type.isEmpty() || type == u"n")
                sheet.numbers.insert(reference);
        }
    }
    return sheet;
}

} // namespace

QMap<QString, QString> worksheetCells(const QString &path) { return readSheet(path).cells; }

QSet<QString> numberCells(const QString &path) { return readSheet(path).numbers; }

} // namespace kaoshi::test
