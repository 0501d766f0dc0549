#pragma once
// Word documents made by the tests: the few XML parts a .docx needs, written
// by hand so that each test shows exactly the markup it reads.
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <zip.h>

namespace kaoshi::test {

inline QString escapedXml(QString text)
{
    return text.replace(u'&', QStringLiteral("&amp;")).replace(u'<', QStringLiteral("&lt;")).replace(u'>', QStringLiteral("&gt;"));
}

// A run of text; "\n" becomes a soft line break.
inline QString run(const QString &text)
{
    QString xml = QStringLiteral("<w:r>");
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            xml += QStringLiteral("<w:br/>");
        xml += QStringLiteral("<w:t xml:space=\"preserve\">") + escapedXml(lines[i]) + QStringLiteral("</w:t>");
    }
    return xml + QStringLiteral("</w:r>");
}

inline QString paragraph(const QString &inner) { return QStringLiteral("<w:p>") + inner + QStringLiteral("</w:p>"); }
inline QString textParagraph(const QString &text) { return paragraph(run(text)); }
// A paragraph numbered automatically by list numId at level ilvl.
inline QString listParagraph(int numId, int level, const QString &text)
{
    return QStringLiteral("<w:p><w:pPr><w:numPr><w:ilvl w:val=\"%1\"/><w:numId w:val=\"%2\"/></w:numPr></w:pPr>")
               .arg(level)
               .arg(numId) +
           run(text) + QStringLiteral("</w:p>");
}
// A picture run: an inline drawing of the relationship `id`.
inline QString pictureRun(const QString &id, const QString &description = QString())
{
    return QStringLiteral("<w:r><w:drawing><wp:inline><wp:extent cx=\"100\" cy=\"100\"/><wp:docPr id=\"1\" name=\"p\" "
                          "descr=\"%2\"/><a:graphic><a:graphicData><pic:pic><pic:blipFill><a:blip r:embed=\"%1\"/>"
                          "</pic:blipFill></pic:pic></a:graphicData></a:graphic></wp:inline></w:drawing></w:r>")
        .arg(id, escapedXml(description));
}
inline QString table(const QList<QStringList> &rows)
{
    QString xml = QStringLiteral("<w:tbl><w:tblPr/>");
    for (const QStringList &row : rows) {
        xml += QStringLiteral("<w:tr>");
        for (const QString &cell : row)
            xml += QStringLiteral("<w:tc>") + textParagraph(cell) + QStringLiteral("</w:tc>");
        xml += QStringLiteral("</w:tr>");
    }
    return xml + QStringLiteral("</w:tbl>");
}

inline QByteArray documentXml(const QString &body)
{
    return (QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                           "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
                           "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
                           "xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\" "
                           "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
                           "xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/picture\" "
                           "xmlns:m=\"http://schemas.openxmlformats.org/officeDocument/2006/math\"><w:body>") +
            body + QStringLiteral("</w:body></w:document>"))
        .toUtf8();
}

// Relationships of the document part: id → target inside word/.
inline QByteArray relationsXml(const QMap<QString, QString> &targets)
{
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                                 "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">");
    for (auto it = targets.cbegin(); it != targets.cend(); ++it)
        xml += QStringLiteral("<Relationship Id=\"%1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                              "relationships/image\" Target=\"%2\"/>")
                   .arg(it.key(), it.value());
    return (xml + QStringLiteral("</Relationships>")).toUtf8();
}

// List numbering: one list per entry, numId = index + 1, each with the
// level formats and texts given ("decimal", "%1.").
struct ListLevel {
    QString format;
    QString text;
    int start = 1;
};
inline QByteArray numberingXml(const QList<QList<ListLevel>> &lists)
{
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                                 "<w:numbering xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">");
    for (qsizetype i = 0; i < lists.size(); ++i) {
        xml += QStringLiteral("<w:abstractNum w:abstractNumId=\"%1\">").arg(i);
        for (qsizetype l = 0; l < lists[i].size(); ++l)
            // Built by concatenation: the level text holds "%1" itself.
            xml += QStringLiteral("<w:lvl w:ilvl=\"") + QString::number(l) + QStringLiteral("\"><w:start w:val=\"") +
                   QString::number(lists[i][l].start) + QStringLiteral("\"/><w:numFmt w:val=\"") + lists[i][l].format +
                   QStringLiteral("\"/><w:lvlText w:val=\"") + lists[i][l].text + QStringLiteral("\"/></w:lvl>");
        xml += QStringLiteral("</w:abstractNum>");
    }
    for (qsizetype i = 0; i < lists.size(); ++i)
        xml += QStringLiteral("<w:num w:numId=\"%1\"><w:abstractNumId w:val=\"%2\"/></w:num>").arg(i + 1).arg(i);
    return (xml + QStringLiteral("</w:numbering>")).toUtf8();
}

// A small PNG (1×1 pixel) for pictures.
inline QByteArray tinyPng()
{
    return QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg==");
}

// Writes the parts (name → bytes) as a ZIP package.
inline bool writePackage(const QString &path, const QMap<QString, QByteArray> &parts)
{
    QFile::remove(path);
    int code = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!archive)
        return false;
    for (auto it = parts.cbegin(); it != parts.cend(); ++it) {
        zip_source_t *source = zip_source_buffer(archive, it.value().constData(), zip_uint64_t(it.value().size()), 0);
        if (zip_file_add(archive, it.key().toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            zip_discard(archive);
            return false;
        }
    }
    return zip_close(archive) == 0;
}

// A document of these body paragraphs, with further parts (numbering, relations, media).
inline bool writeDocx(const QString &path, const QString &body, QMap<QString, QByteArray> parts = {})
{
    parts.insert(QStringLiteral("word/document.xml"), documentXml(body));
    parts.insert(QStringLiteral("[Content_Types].xml"),
                 "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>");
    return writePackage(path, parts);
}

// One paragraph per line.
inline QString paragraphs(const QStringList &lines)
{
    QString body;
    for (const QString &line : lines)
        body += textParagraph(line);
    return body;
}

} // namespace kaoshi::test
