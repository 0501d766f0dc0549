#include "import/DocxWriter.h"

#include "data/PictureLocation.h"
#include "data/TextRules.h"
#include "import/PictureBytes.h"
#include "import/QuestionConventions.h"

#include <QFile>
#include <QHash>
#include <QXmlStreamWriter>
#include <cmath>
#include <zip.h>

namespace kaoshi {

namespace {

const QString kW = QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");
const QString kR = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
const QString kWp = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing");
const QString kA = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/main");
const QString kPic = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/picture");

constexpr qint64 kEmuPerPixel = 9525;          // at 96 pixels per inch
constexpr qint64 kMostPictureWidth = 5400000;  // 15 cm
constexpr qint64 kFallbackPictureSide = 1080000; // 3 cm, when the size is unknown

QString bankHeadingName(QuestionType type)
{
    switch (type) {
    case QuestionType::SingleChoice:
        return QStringLiteral("单项选择题");
    case QuestionType::MultipleChoice:
        return QStringLiteral("多项选择题");
    case QuestionType::TrueFalse:
        return QStringLiteral("判断题");
    case QuestionType::FreeAnswer:
        break;
    }
    return QStringLiteral("问答题");
}

// The same score for every question, or nothing.
std::optional<double> commonScore(const std::vector<DocumentQuestion> &questions)
{
    if (questions.empty())
        return std::nullopt;
    const double first = questions.front().values.score;
    for (const DocumentQuestion &q : questions)
        if (!numberIsZero(q.values.score - first))
            return std::nullopt;
    return first;
}

// The stem and the options of a stored text "…A.…B.…", when writing them on
// lines of their own reads back as the very same text; otherwise nothing,
// and the text is written as one paragraph.
std::optional<std::pair<QString, QList<QPair<QChar, QString>>>> splitStoredText(const QString &text)
{
    QList<qsizetype> starts;
    qsizetype from = 0;
    for (const QChar letter : QStringLiteral("ABCDEFG")) {
        const qsizetype at = text.indexOf(QString(letter) + u'.', from);
        if (at < 0)
            break;
        starts << at;
        from = at + 2;
    }
    if (starts.isEmpty())
        return std::nullopt;
    const QString stem = text.left(starts[0]);
    QList<QPair<QChar, QString>> options;
    for (qsizetype i = 0; i < starts.size(); ++i) {
        const qsizetype end = i + 1 < starts.size() ? starts[i + 1] : text.size();
        const QChar letter(char16_t(u'A' + i));
        const QString option = text.mid(starts[i] + 2, end - starts[i] - 2);
        const auto read = splitOptions(QString(letter) + QStringLiteral(". ") + option);
        if (option != trimSpaces(option) || option.contains(u'\n') || read.size() != 1 ||
            trimSpaces(read[0].second) != option)
            return std::nullopt;
        options.append({letter, option});
    }
    if (stem != trimSpaces(stem))
        return std::nullopt;
    return std::pair{stem, options};
}

struct Media {
    QString part;     // "media/image1.png"
    QString relation; // "rId5"
    QString file;     // where the picture is read from
    qint64 width = 0, height = 0; // EMU
};

class DocumentXml
{
public:
    DocumentXml() : m_xml(&m_bytes)
    {
        m_xml.writeStartDocument(QStringLiteral("1.0"), true);
        m_xml.writeNamespace(kW, QStringLiteral("w"));
        m_xml.writeNamespace(kR, QStringLiteral("r"));
        m_xml.writeNamespace(kWp, QStringLiteral("wp"));
        m_xml.writeNamespace(kA, QStringLiteral("a"));
        m_xml.writeNamespace(kPic, QStringLiteral("pic"));
        m_xml.writeStartElement(kW, QStringLiteral("document"));
        m_xml.writeStartElement(kW, QStringLiteral("body"));
    }

    // One paragraph; "\n" in the text becomes a line break within it.
    void paragraph(const QString &text, const QString &style = QString())
    {
        m_xml.writeStartElement(kW, QStringLiteral("p"));
        if (!style.isEmpty()) {
            m_xml.writeStartElement(kW, QStringLiteral("pPr"));
            m_xml.writeEmptyElement(kW, QStringLiteral("pStyle"));
            m_xml.writeAttribute(kW, QStringLiteral("val"), style);
            m_xml.writeEndElement();
        }
        if (!text.isEmpty()) {
            m_xml.writeStartElement(kW, QStringLiteral("r"));
            const QStringList lines = QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).split(u'\n');
            for (qsizetype i = 0; i < lines.size(); ++i) {
                if (i > 0)
                    m_xml.writeEmptyElement(kW, QStringLiteral("br"));
                m_xml.writeStartElement(kW, QStringLiteral("t"));
                m_xml.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
                m_xml.writeCharacters(lines[i]);
                m_xml.writeEndElement();
            }
            m_xml.writeEndElement();
        }
        m_xml.writeEndElement();
    }

    void picture(const Media &media, const QString &summary)
    {
        const QString id = QString::number(++m_pictures);
        const QString cx = QString::number(media.width), cy = QString::number(media.height);
        m_xml.writeStartElement(kW, QStringLiteral("p"));
        m_xml.writeStartElement(kW, QStringLiteral("r"));
        m_xml.writeStartElement(kW, QStringLiteral("drawing"));
        m_xml.writeStartElement(kWp, QStringLiteral("inline"));
        m_xml.writeEmptyElement(kWp, QStringLiteral("extent"));
        m_xml.writeAttribute(QStringLiteral("cx"), cx);
        m_xml.writeAttribute(QStringLiteral("cy"), cy);
        m_xml.writeEmptyElement(kWp, QStringLiteral("docPr"));
        m_xml.writeAttribute(QStringLiteral("id"), id);
        m_xml.writeAttribute(QStringLiteral("name"), QStringLiteral("图片") + id);
        m_xml.writeAttribute(QStringLiteral("descr"), summary);
        m_xml.writeStartElement(kA, QStringLiteral("graphic"));
        m_xml.writeStartElement(kA, QStringLiteral("graphicData"));
        m_xml.writeAttribute(QStringLiteral("uri"), kPic);
        m_xml.writeStartElement(kPic, QStringLiteral("pic"));
        m_xml.writeStartElement(kPic, QStringLiteral("nvPicPr"));
        m_xml.writeEmptyElement(kPic, QStringLiteral("cNvPr"));
        m_xml.writeAttribute(QStringLiteral("id"), id);
        m_xml.writeAttribute(QStringLiteral("name"), media.part.section(u'/', -1));
        m_xml.writeEmptyElement(kPic, QStringLiteral("cNvPicPr"));
        m_xml.writeEndElement(); // nvPicPr
        m_xml.writeStartElement(kPic, QStringLiteral("blipFill"));
        m_xml.writeEmptyElement(kA, QStringLiteral("blip"));
        m_xml.writeAttribute(kR, QStringLiteral("embed"), media.relation);
        m_xml.writeStartElement(kA, QStringLiteral("stretch"));
        m_xml.writeEmptyElement(kA, QStringLiteral("fillRect"));
        m_xml.writeEndElement();
        m_xml.writeEndElement(); // blipFill
        m_xml.writeStartElement(kPic, QStringLiteral("spPr"));
        m_xml.writeStartElement(kA, QStringLiteral("xfrm"));
        m_xml.writeEmptyElement(kA, QStringLiteral("off"));
        m_xml.writeAttribute(QStringLiteral("x"), QStringLiteral("0"));
        m_xml.writeAttribute(QStringLiteral("y"), QStringLiteral("0"));
        m_xml.writeEmptyElement(kA, QStringLiteral("ext"));
        m_xml.writeAttribute(QStringLiteral("cx"), cx);
        m_xml.writeAttribute(QStringLiteral("cy"), cy);
        m_xml.writeEndElement(); // xfrm
        m_xml.writeStartElement(kA, QStringLiteral("prstGeom"));
        m_xml.writeAttribute(QStringLiteral("prst"), QStringLiteral("rect"));
        m_xml.writeEmptyElement(kA, QStringLiteral("avLst"));
        m_xml.writeEndElement();
        m_xml.writeEndElement(); // spPr
        for (int i = 0; i < 6; ++i) // pic, graphicData, graphic, inline, drawing, r
            m_xml.writeEndElement();
        m_xml.writeEndElement(); // p
    }

    QByteArray finish()
    {
        // An A4 page with margins of 2.5 cm.
        m_xml.writeStartElement(kW, QStringLiteral("sectPr"));
        m_xml.writeEmptyElement(kW, QStringLiteral("pgSz"));
        m_xml.writeAttribute(kW, QStringLiteral("w"), QStringLiteral("11906"));
        m_xml.writeAttribute(kW, QStringLiteral("h"), QStringLiteral("16838"));
        m_xml.writeEmptyElement(kW, QStringLiteral("pgMar"));
        for (const char *side : {"top", "right", "bottom", "left"})
            m_xml.writeAttribute(kW, QString::fromLatin1(side), QStringLiteral("1417"));
        m_xml.writeEndElement();
        m_xml.writeEndDocument();
        return m_bytes;
    }

private:
    QByteArray m_bytes;
    QXmlStreamWriter m_xml;
    int m_pictures = 0;
};

const char kContentTypes[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Default Extension=\"png\" ContentType=\"image/png\"/>"
    "<Default Extension=\"jpg\" ContentType=\"image/jpeg\"/>"
    "<Default Extension=\"gif\" ContentType=\"image/gif\"/>"
    "<Default Extension=\"bmp\" ContentType=\"image/bmp\"/>"
    "<Override PartName=\"/word/document.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
    "<Override PartName=\"/word/styles.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml\"/>"
    "</Types>";

const char kPackageRelations[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
    "Target=\"word/document.xml\"/></Relationships>";

// Song (宋体) for the text, a bold heading.
const char kStyles[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<w:styles xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
    "<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii=\"Times New Roman\" w:hAnsi=\"Times New Roman\" "
    "w:eastAsia=\"宋体\"/><w:sz w:val=\"24\"/><w:lang w:eastAsia=\"zh-CN\"/></w:rPr></w:rPrDefault>"
    "<w:pPrDefault><w:pPr><w:spacing w:after=\"60\"/></w:pPr></w:pPrDefault></w:docDefaults>"
    "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Heading1\"><w:name w:val=\"heading 1\"/><w:basedOn w:val=\"Normal\"/>"
    "<w:pPr><w:keepNext/><w:spacing w:before=\"240\" w:after=\"120\"/><w:outlineLvl w:val=\"0\"/></w:pPr>"
    "<w:rPr><w:rFonts w:eastAsia=\"黑体\"/><w:b/><w:sz w:val=\"28\"/></w:rPr></w:style>"
    "</w:styles>";

QByteArray documentRelations(const std::vector<Media> &media)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.writeStartDocument(QStringLiteral("1.0"), true);
    xml.writeDefaultNamespace(QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships"));
    xml.writeStartElement(QStringLiteral("Relationships"));
    xml.writeEmptyElement(QStringLiteral("Relationship"));
    xml.writeAttribute(QStringLiteral("Id"), QStringLiteral("rId1"));
    xml.writeAttribute(QStringLiteral("Type"), kR + QStringLiteral("/styles"));
    xml.writeAttribute(QStringLiteral("Target"), QStringLiteral("styles.xml"));
    for (const Media &m : media) {
        xml.writeEmptyElement(QStringLiteral("Relationship"));
        xml.writeAttribute(QStringLiteral("Id"), m.relation);
        xml.writeAttribute(QStringLiteral("Type"), kR + QStringLiteral("/image"));
        xml.writeAttribute(QStringLiteral("Target"), m.part);
    }
    xml.writeEndDocument();
    return bytes;
}

// The package being written; libzip writes it to a temporary file beside the
// target and renames it over the target only when the whole file is written.
class Package
{
public:
    explicit Package(const QString &path)
    {
        int code = 0;
        m_zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
        if (!m_zip) {
            zip_error_t error;
            zip_error_init_with_code(&error, code);
            m_reason = QString::fromLocal8Bit(zip_error_strerror(&error));
            zip_error_fini(&error);
        }
    }
    ~Package()
    {
        if (m_zip)
            zip_discard(m_zip);
    }
    bool isOpen() const { return m_zip; }
    QString reason() const { return m_reason; }

    bool addBytes(const char *name, QByteArray bytes)
    {
        m_kept.push_back(std::move(bytes));
        const QByteArray &kept = m_kept.back();
        zip_source_t *source = zip_source_buffer(m_zip, kept.constData(), zip_uint64_t(kept.size()), 0);
        return add(name, source, ZIP_CM_DEFLATE);
    }
    bool addFile(const QString &name, const QString &file)
    {
        // Pictures are compressed already: stored as they are.
        zip_source_t *source = zip_source_file(m_zip, QFile::encodeName(file).constData(), 0, 0);
        return add(name.toUtf8().constData(), source, ZIP_CM_STORE);
    }
    bool close()
    {
        if (zip_close(m_zip) != 0) {
            m_reason = QString::fromLocal8Bit(zip_strerror(m_zip));
            return false;
        }
        m_zip = nullptr;
        return true;
    }

private:
    bool add(const char *name, zip_source_t *source, zip_int32_t method)
    {
        const zip_int64_t index = source ? zip_file_add(m_zip, name, source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (source)
                zip_source_free(source);
            m_reason = QString::fromLocal8Bit(zip_strerror(m_zip));
            return false;
        }
        zip_set_file_compression(m_zip, zip_uint64_t(index), method, method == ZIP_CM_DEFLATE ? 1 : 0);
        return true;
    }

    zip_t *m_zip = nullptr;
    std::vector<QByteArray> m_kept; // buffers libzip reads when it closes
    QString m_reason;
};

// The picture file as a part of the document, once per file; nothing when
// the file is missing or no picture.
const Media *mediaOf(const QString &programDir, const QString &location, std::vector<Media> &media,
                     QHash<QString, size_t> &byFile)
{
    const QString file = pictureFile(programDir, location);
    if (file.isEmpty())
        return nullptr;
    if (const auto found = byFile.constFind(file); found != byFile.constEnd())
        return &media[found.value()];
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return nullptr;
    const QByteArray head = in.read(64 * 1024);
    const QString format = pictureFormat(head);
    if (format.isEmpty())
        return nullptr;
    Media m;
    m.file = file;
    m.part = QStringLiteral("media/image%1%2").arg(media.size() + 1).arg(format);
    m.relation = QStringLiteral("rIdImage%1").arg(media.size() + 1);
    const QSize pixels = pictureSize(head);
    if (pixels.isValid() && !pixels.isEmpty()) {
        m.width = qint64(pixels.width()) * kEmuPerPixel;
        m.height = qint64(pixels.height()) * kEmuPerPixel;
        if (m.width > kMostPictureWidth) {
            m.height = qint64(std::llround(double(m.height) * double(kMostPictureWidth) / double(m.width)));
            m.width = kMostPictureWidth;
        }
    } else {
        m.width = m.height = kFallbackPictureSide;
    }
    byFile.insert(file, media.size());
    media.push_back(m);
    return &media.back();
}

void writeQuestion(DocumentXml &xml, int number, const DocumentQuestion &q, bool withScore,
                   const QString &programDir, std::vector<Media> &media, QHash<QString, size_t> &byFile,
                   int &missing)
{
    const auto split = splitStoredText(q.values.text);
    xml.paragraph(QString::number(number) + QStringLiteral(". ") + (split ? split->first : q.values.text));
    for (const PictureRecord &picture : q.pictures) {
        if (const Media *m = mediaOf(programDir, picture.location, media, byFile))
            xml.picture(*m, picture.summary);
        else
            ++missing;
    }
    if (split)
        for (const auto &[letter, option] : split->second)
            xml.paragraph(QString(letter) + QStringLiteral(". ") + option);
    xml.paragraph(QStringLiteral("答案：") + q.values.answer);
    if (!q.values.explanation.isEmpty())
        xml.paragraph(QStringLiteral("解析：") + q.values.explanation);
    if (withScore)
        xml.paragraph(QStringLiteral("分值：") + numberToText(q.values.score));
    if (!q.values.chapter.isEmpty())
        xml.paragraph(QStringLiteral("章节：") + q.values.chapter);
    xml.paragraph(QString());
}

} // namespace

QString documentHeading(QuestionType type, const std::vector<DocumentQuestion> &questions)
{
    QString heading = QStringLiteral("一、") + bankHeadingName(type) + QStringLiteral("（共%1题，").arg(questions.size());
    if (const std::optional<double> score = commonScore(questions))
        return heading + QStringLiteral("每题%1分）").arg(numberToText(*score));
    double total = 0;
    for (const DocumentQuestion &q : questions)
        total += q.values.score;
    return heading + QStringLiteral("共%1分）").arg(numberToText(total));
}

WrittenDocument writeQuestionDocument(const QString &path, QuestionType type,
                                      const std::vector<DocumentQuestion> &questions, const QString &programDir)
{
    WrittenDocument result;
    DocumentXml xml;
    xml.paragraph(documentHeading(type, questions), QStringLiteral("Heading1"));
    const bool scoreEach = !commonScore(questions).has_value();
    std::vector<Media> media;
    QHash<QString, size_t> byFile;
    int number = 0;
    for (const DocumentQuestion &q : questions)
        writeQuestion(xml, ++number, q, scoreEach, programDir, media, byFile, result.missingPictures);

    Package package(path);
    bool ok = package.isOpen() && package.addBytes("[Content_Types].xml", QByteArray(kContentTypes)) &&
              package.addBytes("_rels/.rels", QByteArray(kPackageRelations)) &&
              package.addBytes("word/document.xml", xml.finish()) &&
              package.addBytes("word/styles.xml", QByteArray(kStyles)) &&
              package.addBytes("word/_rels/document.xml.rels", documentRelations(media));
    for (size_t i = 0; ok && i < media.size(); ++i)
        ok = package.addFile(QStringLiteral("word/") + media[i].part, media[i].file);
    if (!ok || !package.close()) {
        result.reason = package.reason();
        return result;
    }
    result.written = true;
    return result;
}

} // namespace kaoshi
