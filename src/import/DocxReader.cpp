#include "import/DocxReader.h"

#include "data/TextRules.h"
#include "import/ColumnMap.h"
#include "import/PictureBytes.h"

#include <QDir>
#include <QFileInfo>

namespace kaoshi {

namespace {

constexpr int kMostNesting = 64;

QString attribute(const QXmlStreamReader &xml, QLatin1String name)
{
    // The value of w:val, r:embed and the like, whatever the prefix.
    for (const QXmlStreamAttribute &a : xml.attributes())
        if (a.name() == name)
            return a.value().toString();
    return QString();
}

QString partOfTarget(const QString &target)
{
    if (target.startsWith(u'/'))
        return target.mid(1);
    return QDir::cleanPath(QStringLiteral("word/") + target);
}

QString roman(int value, bool upper)
{
    static const std::pair<int, const char *> digits[] = {{1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"},
                                                          {90, "xc"},  {50, "l"},   {40, "xl"}, {10, "x"},   {9, "ix"},
                                                          {5, "v"},    {4, "iv"},   {1, "i"}};
    QString text;
    for (const auto &[amount, letters] : digits)
        for (; value >= amount; value -= amount)
            text += QLatin1String(letters);
    return upper ? text.toUpper() : text;
}

QString letters(int value, char16_t first)
{
    // A … Z, then AA … ZZ, as Word counts.
    const int repeat = (value - 1) / 26 + 1;
    return QString(repeat, QChar(char16_t(first + (value - 1) % 26)));
}

QString chinese(int value)
{
    static const QString digits = QStringLiteral("零一二三四五六七八九");
    if (value < 10)
        return digits.mid(value, 1);
    if (value < 100) {
        const QString tens = value / 10 == 1 ? QString() : digits.mid(value / 10, 1);
        return tens + u'十' + (value % 10 ? digits.mid(value % 10, 1) : QString());
    }
    return QString::number(value);
}

QString wrapped(const QString &part)
{
    if (part.size() <= 1)
        return part;
    for (const QChar c : part)
        if (!c.isLetterOrNumber() && c != u'.')
            return u'(' + part + u')';
    return part;
}

// Symbols that Chinese documents take from symbol fonts for √ and ×.
QString symbolText(const QString &font, const QString &code)
{
    const ushort value = code.toUShort(nullptr, 16);
    if (font.contains(QLatin1String("Wingdings"), Qt::CaseInsensitive)) {
        if (value == 0xF0FC || value == 0xF0FE)
            return QStringLiteral("√");
        if (value == 0xF0FB || value == 0xF0FD)
            return QStringLiteral("×");
    } else if (font.contains(QLatin1String("Symbol"), Qt::CaseInsensitive)) {
        if (value == 0xF0D6)
            return QStringLiteral("√");
        if (value == 0xF0B4)
            return QStringLiteral("×");
    }
    return QString();
}

struct MathPart {
    QString name;
    QString text;
};

QString part(const QList<MathPart> &parts, QLatin1String name)
{
    for (const MathPart &p : parts)
        if (p.name == name)
            return p.text;
    return QString();
}

QString joined(const QList<MathPart> &parts, QLatin1String name, const QString &separator)
{
    QStringList texts;
    for (const MathPart &p : parts)
        if (p.name == name)
            texts << p.text;
    return texts.join(separator);
}

// A formula element as linear text, from its parts and properties.
QString linearMath(const QString &element, const QList<MathPart> &parts, const QHash<QString, QString> &props)
{
    const auto prop = [&](const char *name, const QString &fallback) {
        return props.contains(QLatin1String(name)) ? props.value(QLatin1String(name)) : fallback;
    };
    const QString base = part(parts, QLatin1String("e"));
    if (element == u"f")
        return wrapped(part(parts, QLatin1String("num"))) + u'/' + wrapped(part(parts, QLatin1String("den")));
    if (element == u"sSup")
        return base + u'^' + wrapped(part(parts, QLatin1String("sup")));
    if (element == u"sSub")
        return base + u'_' + wrapped(part(parts, QLatin1String("sub")));
    if (element == u"sSubSup")
        return base + u'_' + wrapped(part(parts, QLatin1String("sub"))) + u'^' + wrapped(part(parts, QLatin1String("sup")));
    if (element == u"sPre")
        return u'_' + wrapped(part(parts, QLatin1String("sub"))) + u'^' + wrapped(part(parts, QLatin1String("sup"))) + base;
    if (element == u"rad") {
        const QString degree = part(parts, QLatin1String("deg"));
        return (degree.isEmpty() ? QString() : wrapped(degree)) + u'√' + wrapped(base);
    }
    if (element == u"d")
        return prop("begChr", QStringLiteral("(")) + joined(parts, QLatin1String("e"), prop("sepChr", QStringLiteral("|"))) +
               prop("endChr", QStringLiteral(")"));
    if (element == u"nary") {
        QString text = prop("chr", QStringLiteral("∫"));
        if (const QString sub = part(parts, QLatin1String("sub")); !sub.isEmpty())
            text += u'_' + wrapped(sub);
        if (const QString sup = part(parts, QLatin1String("sup")); !sup.isEmpty())
            text += u'^' + wrapped(sup);
        return text + base;
    }
    if (element == u"func") {
        const QString name = part(parts, QLatin1String("fName"));
        return base.startsWith(u'(') ? name + base : name + u'(' + base + u')';
    }
    if (element == u"limLow")
        return base + u'_' + wrapped(part(parts, QLatin1String("lim")));
    if (element == u"limUpp")
        return base + u'^' + wrapped(part(parts, QLatin1String("lim")));
    if (element == u"eqArr")
        return joined(parts, QLatin1String("e"), QStringLiteral("; "));
    if (element == u"mr")
        return joined(parts, QLatin1String("e"), QStringLiteral(","));
    if (element == u"m")
        return u'[' + joined(parts, QLatin1String("mr"), QStringLiteral(";")) + u']';
    QString text;
    for (const MathPart &p : parts)
        text += p.text;
    return text;
}

} // namespace

QString formatListNumber(int value, const QString &format)
{
    if (format == u"decimal" || format.isEmpty())
        return QString::number(value);
    if (format == u"decimalZero")
        return value < 10 ? u'0' + QString::number(value) : QString::number(value);
    if (format == u"upperLetter")
        return letters(value, u'A');
    if (format == u"lowerLetter")
        return letters(value, u'a');
    if (format == u"upperRoman")
        return roman(value, true);
    if (format == u"lowerRoman")
        return roman(value, false);
    if (format.startsWith(u"decimalFullWidth")) {
        QString text = QString::number(value);
        for (QChar &c : text)
            c = QChar(char16_t(c.unicode() - u'0' + u'０'));
        return text;
    }
    if (format == u"decimalEnclosedCircle" || format == u"decimalEnclosedCircleChinese")
        return value >= 1 && value <= 20 ? QString(QChar(char16_t(u'①' + value - 1))) : QString::number(value);
    if (format == u"decimalEnclosedParen")
        return u'(' + QString::number(value) + u')';
    if (format.startsWith(u"chinese") || format.startsWith(u"ideograph") || format.startsWith(u"japanese") ||
        format.startsWith(u"taiwanese"))
        return chinese(value);
    if (format == u"bullet" || format == u"none")
        return QString();
    return QString::number(value);
}

bool DocxReader::fail(const QString &message)
{
    if (m_error.isEmpty())
        m_error = message;
    return false;
}

bool DocxReader::open(const QString &path, QString *error)
{
    if (!m_package.open(path, error))
        return false;
    QByteArray bytes;
    const QString relations = QStringLiteral("word/_rels/document.xml.rels");
    if (m_package.contains(relations)) {
        if (!m_package.read(relations, bytes, error))
            return false;
        readRelations(bytes);
    }
    for (const auto &[name, reader] : {std::pair{QStringLiteral("word/numbering.xml"), &DocxReader::readNumbering},
                                       std::pair{QStringLiteral("word/styles.xml"), &DocxReader::readStyles}}) {
        if (!m_package.contains(name))
            continue;
        if (!m_package.read(name, bytes, error))
            return false;
        (this->*reader)(bytes);
        if (!m_error.isEmpty()) {
            *error = m_error;
            return false;
        }
    }
    if (!m_package.read(QStringLiteral("word/document.xml"), m_document, error, kMostDocumentBytes))
        return false;
    m_xml.addData(m_document);
    return true;
}

void DocxReader::readRelations(const QByteArray &bytes)
{
    for (QXmlStreamReader xml(bytes); !xml.atEnd();) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"Relationship")
            continue;
        if (attribute(xml, QLatin1String("TargetMode")) == u"External")
            continue;
        m_relations.insert(attribute(xml, QLatin1String("Id")), partOfTarget(attribute(xml, QLatin1String("Target"))));
    }
}

void DocxReader::readNumbering(const QByteArray &bytes)
{
    QXmlStreamReader xml(bytes);
    QString abstractId, numId;
    Level *level = nullptr;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = xml.name();
        if (name == u"abstractNum") {
            abstractId = attribute(xml, QLatin1String("abstractNumId"));
            numId.clear();
            level = nullptr; // the insert may move the levels read before
            m_abstract.insert(abstractId, Levels());
        } else if (name == u"num") {
            numId = attribute(xml, QLatin1String("numId"));
            abstractId.clear();
            level = nullptr;
        } else if (name == u"abstractNumId" && !numId.isEmpty()) {
            m_numToAbstract.insert(numId, attribute(xml, QLatin1String("val")));
        } else if (name == u"lvl" && !abstractId.isEmpty()) {
            const int index = attribute(xml, QLatin1String("ilvl")).toInt();
            level = index >= 0 && index < 9 ? &m_abstract[abstractId][size_t(index)] : nullptr;
        } else if (name == u"lvlOverride" && !numId.isEmpty()) {
            level = nullptr;
            m_startOverrides[numId].insert(attribute(xml, QLatin1String("ilvl")).toInt(), -1);
        } else if (name == u"startOverride" && !numId.isEmpty()) {
            auto &overrides = m_startOverrides[numId];
            for (auto it = overrides.begin(); it != overrides.end(); ++it)
                if (it.value() == -1)
                    it.value() = attribute(xml, QLatin1String("val")).toInt();
        } else if (level && name == u"start") {
            level->start = attribute(xml, QLatin1String("val")).toInt();
        } else if (level && name == u"numFmt") {
            level->format = attribute(xml, QLatin1String("val"));
        } else if (level && name == u"lvlText") {
            level->text = attribute(xml, QLatin1String("val"));
        } else if (level && name == u"isLgl") {
            level->legal = true;
        } else if (level && name == u"suff") {
            level->suffix = attribute(xml, QLatin1String("val")) != u"nothing";
        }
    }
    if (xml.hasError())
        fail(QStringLiteral("Word文档的编号定义（numbering.xml）已损坏"));
}

void DocxReader::readStyles(const QByteArray &bytes)
{
    QXmlStreamReader xml(bytes);
    QString style;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"style")
            style = attribute(xml, QLatin1String("styleId"));
        else if (xml.name() == u"numId" && !style.isEmpty())
            m_styleNumbers[style].numId = attribute(xml, QLatin1String("val"));
        else if (xml.name() == u"ilvl" && !style.isEmpty())
            m_styleNumbers[style].level = attribute(xml, QLatin1String("val")).toInt();
    }
    if (xml.hasError())
        fail(QStringLiteral("Word文档的样式（styles.xml）已损坏"));
}

QString DocxReader::numberLabel(const NumberRef &number)
{
    if (number.numId.isEmpty() || number.numId == u"0" || number.level < 0 || number.level >= 9)
        return QString();
    const auto abstract = m_abstract.constFind(m_numToAbstract.value(number.numId));
    if (abstract == m_abstract.constEnd())
        return QString();
    const Levels &levels = abstract.value();
    Counter &counter = m_counters[number.numId];
    const size_t at = size_t(number.level);
    if (counter.started[at]) {
        ++counter.values[at];
    } else {
        const int override = m_startOverrides.value(number.numId).value(number.level, -1);
        counter.values[at] = override >= 0 ? override : levels[at].start;
        counter.started[at] = true;
    }
    for (size_t deeper = at + 1; deeper < 9; ++deeper)
        counter.started[deeper] = false;
    const Level &level = levels[at];
    if (level.format == u"bullet" || level.format == u"none")
        return QString();
    QString label = level.text;
    for (size_t i = 0; i <= at; ++i) {
        const QString format = level.legal ? QStringLiteral("decimal") : levels[i].format;
        label.replace(u'%' + QString::number(i + 1), formatListNumber(counter.values[i], format));
    }
    return level.suffix ? label + u' ' : label;
}

bool DocxReader::nextStartInside(int &depth)
{
    while (depth > 0 && !m_xml.atEnd()) {
        const QXmlStreamReader::TokenType token = m_xml.readNext();
        if (token == QXmlStreamReader::EndElement)
            --depth;
        else if (token == QXmlStreamReader::StartElement) {
            ++depth;
            return true;
        }
    }
    return false;
}

void DocxReader::skipElement(int &depth)
{
    m_xml.skipCurrentElement();
    --depth;
}

void DocxReader::readParagraphProperties(NumberRef &number, QString &style)
{
    for (int depth = 1; nextStartInside(depth);) {
        if (m_xml.name() == u"pStyle")
            style = attribute(m_xml, QLatin1String("val"));
        else if (m_xml.name() == u"numId")
            number.numId = attribute(m_xml, QLatin1String("val"));
        else if (m_xml.name() == u"ilvl")
            number.level = attribute(m_xml, QLatin1String("val")).toInt();
        else if (m_xml.name() == u"rPr" || m_xml.name() == u"sectPr" || m_xml.name() == u"pPrChange")
            skipElement(depth);
    }
}

RawPicture DocxReader::picture(const QString &relationId, bool linked, const QString &summary) const
{
    RawPicture picture;
    picture.summary = trimSpaces(summary);
    picture.entry = m_relations.value(relationId);
    const QString name = picture.entry.isEmpty() ? relationId : QFileInfo(picture.entry).fileName();
    if (linked)
        picture.problem = QStringLiteral("图片“%1”链接在文档之外，无法导入").arg(name);
    else if (picture.entry.isEmpty() || !m_package.contains(picture.entry))
        picture.problem = QStringLiteral("图片“%1”在文档中缺失").arg(name);
    else if ((picture.extension = pictureFormat(m_package.head(picture.entry, kPictureHeadBytes))).isEmpty())
        picture.problem = QStringLiteral("图片“%1”不是PNG、JPEG、GIF或BMP图片，无法导入").arg(name);
    return picture;
}

void DocxReader::readPictures(SourceParagraph &paragraph)
{
    QString summary;
    for (int depth = 1; nextStartInside(depth);) {
        const QStringView name = m_xml.name();
        if (name == u"Fallback") {
            skipElement(depth); // the same picture again, for older readers
        } else if (name == u"docPr") {
            summary = attribute(m_xml, QLatin1String("descr"));
            if (summary.isEmpty())
                summary = attribute(m_xml, QLatin1String("title"));
        } else if (name == u"blip") {
            const QString embedded = attribute(m_xml, QLatin1String("embed"));
            const QString linked = attribute(m_xml, QLatin1String("link"));
            paragraph.pictures.append(picture(embedded.isEmpty() ? linked : embedded, embedded.isEmpty(), summary));
        } else if (name == u"imagedata") {
            paragraph.pictures.append(picture(attribute(m_xml, QLatin1String("id")), false,
                                              attribute(m_xml, QLatin1String("title"))));
        }
    }
}

QString DocxReader::readMath(int nesting)
{
    const QString element = m_xml.name().toString();
    QList<MathPart> parts;
    QHash<QString, QString> props;
    while (!m_xml.atEnd()) {
        const QXmlStreamReader::TokenType token = m_xml.readNext();
        if (token == QXmlStreamReader::EndElement)
            break;
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QString name = m_xml.name().toString();
        if (name.endsWith(u"Pr")) {
            // Properties: the characters of delimiters and operators.
            for (int depth = 1; depth > 0 && !m_xml.atEnd();) {
                const QXmlStreamReader::TokenType inner = m_xml.readNext();
                if (inner == QXmlStreamReader::StartElement) {
                    ++depth;
                    const QString value = attribute(m_xml, QLatin1String("val"));
                    props.insert(m_xml.name().toString(), value);
                } else if (inner == QXmlStreamReader::EndElement) {
                    --depth;
                }
            }
        } else if (name == u"t") {
            parts.append({name, m_xml.readElementText(QXmlStreamReader::IncludeChildElements)});
        } else if (nesting >= kMostNesting) {
            m_xml.skipCurrentElement();
        } else {
            parts.append({name, readMath(nesting + 1)});
        }
    }
    return linearMath(element, parts, props);
}

bool DocxReader::readParagraph(SourceParagraph &paragraph)
{
    paragraph = SourceParagraph();
    paragraph.number = ++m_paragraphs;
    NumberRef number;
    QString style;
    bool inText = false;
    for (int depth = 1; depth > 0 && !m_xml.atEnd();) {
        const QXmlStreamReader::TokenType token = m_xml.readNext();
        if (token == QXmlStreamReader::Characters) {
            if (inText)
                paragraph.text += m_xml.text();
            if (paragraph.text.size() > kMostRowBytes)
                return fail(QStringLiteral("第%1段超过1 MB，文件无法读取").arg(paragraph.number));
            continue;
        }
        if (token == QXmlStreamReader::EndElement) {
            --depth;
            if (m_xml.name() == u"t")
                inText = false;
            else if (m_xml.name() == u"p" && depth > 0)
                paragraph.text += u'\n'; // a paragraph inside this one, as in a text box
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        ++depth;
        const QStringView name = m_xml.name();
        if (name == u"t") {
            inText = true;
        } else if (name == u"tab") {
            paragraph.text += u'\t';
        } else if (name == u"br" || name == u"cr") {
            paragraph.text += u'\n';
        } else if (name == u"noBreakHyphen") {
            paragraph.text += u'-';
        } else if (name == u"sym") {
            paragraph.text += symbolText(attribute(m_xml, QLatin1String("font")), attribute(m_xml, QLatin1String("char")));
        } else if (name == u"pPr" && depth == 2) {
            readParagraphProperties(number, style);
            --depth;
        } else if (name == u"drawing" || name == u"pict" || name == u"object") {
            readPictures(paragraph);
            --depth;
        } else if (name == u"oMath") {
            paragraph.text += readMath(0);
            --depth;
        } else if (name == u"rPr" || name == u"delText" || name == u"instrText" || name == u"Fallback" ||
                   name == u"del" || name == u"pPr") {
            m_xml.skipCurrentElement();
            --depth;
        }
    }
    if (m_xml.hasError() && m_xml.error() != QXmlStreamReader::PrematureEndOfDocumentError)
        return fail(QStringLiteral("Word文档的正文已损坏，无法读取"));
    if (number.numId.isEmpty() && m_styleNumbers.contains(style))
        number = m_styleNumbers.value(style);
    paragraph.text.prepend(numberLabel(number));
    return true;
}

bool DocxReader::readTable(int nesting)
{
    std::vector<std::vector<Cell>> rows;
    std::vector<Cell> *row = nullptr;
    Cell *cell = nullptr;
    for (int depth = 1; nextStartInside(depth);) {
        const QStringView name = m_xml.name();
        if (name == u"tr" && depth == 2) {
            rows.emplace_back();
            row = &rows.back();
            cell = nullptr;
        } else if (name == u"tc" && row) {
            row->emplace_back();
            cell = &row->back();
        } else if (name == u"p" && cell) {
            SourceParagraph paragraph;
            if (!readParagraph(paragraph))
                return false;
            --depth;
            cell->paragraphs.push_back(std::move(paragraph));
        } else if (name == u"tbl" && nesting < kMostNesting) {
            // A table inside a cell is read as the cell's paragraphs.
            const size_t before = m_pending.size();
            if (!readTable(nesting + 1))
                return false;
            --depth;
            if (cell)
                for (size_t i = before; i < m_pending.size(); ++i)
                    cell->paragraphs.push_back(std::move(m_pending[i]));
            m_pending.resize(before);
        } else if (name == u"tblPr" || name == u"tblGrid" || name == u"trPr" || name == u"tcPr") {
            skipElement(depth);
        }
    }
    queueTable(rows);
    return m_error.isEmpty();
}

void DocxReader::queueTable(const std::vector<std::vector<Cell>> &rows)
{
    const auto cellTexts = [](const std::vector<Cell> &row) {
        QStringList texts;
        for (const Cell &cell : row) {
            QStringList lines;
            for (const SourceParagraph &p : cell.paragraphs)
                lines << p.text;
            texts << lines.join(u'\n');
        }
        return texts;
    };
    std::optional<ColumnMap> columns;
    if (!rows.empty()) {
        const ColumnMap header = ColumnMap::fromHeader(cellTexts(rows.front()));
        if (header.missing().isEmpty())
            columns = header;
    }
    for (size_t r = 0; r < rows.size(); ++r) {
        if (!columns) {
            for (const Cell &cell : rows[r])
                for (const SourceParagraph &p : cell.paragraphs)
                    m_pending.push_back(p);
            continue;
        }
        if (r == 0 || rows[r].empty() || rows[r].front().paragraphs.empty())
            continue;
        const QStringList cells = cellTexts(rows[r]);
        if (trimSpaces(cells.join(QString())).isEmpty())
            continue;
        SourceParagraph paragraph;
        paragraph.number = rows[r].front().paragraphs.front().number;
        RawQuestion question = columns->question(cells, paragraph.number);
        for (const Cell &cell : rows[r])
            for (const SourceParagraph &p : cell.paragraphs)
                question.pictures += p.pictures;
        paragraph.tableQuestion = std::move(question);
        m_pending.push_back(std::move(paragraph));
    }
}

bool DocxReader::nextParagraph(SourceParagraph &paragraph)
{
    while (m_pending.empty()) {
        if (!m_error.isEmpty() || m_ended)
            return false;
        const QXmlStreamReader::TokenType token = m_xml.readNext();
        if (m_xml.hasError())
            return fail(QStringLiteral("Word文档的正文已损坏，无法读取"));
        if (token == QXmlStreamReader::EndDocument) {
            m_ended = true;
            return false;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (m_xml.name() == u"p") {
            SourceParagraph read;
            if (!readParagraph(read))
                return false;
            m_pending.push_back(std::move(read));
        } else if (m_xml.name() == u"tbl") {
            if (!readTable(0))
                return false;
        } else if (m_xml.name() == u"sectPr") {
            m_xml.skipCurrentElement();
        }
    }
    paragraph = std::move(m_pending.front());
    m_pending.pop_front();
    return true;
}

double DocxReader::progress() const
{
    if (m_ended)
        return 1.0;
    return m_document.isEmpty() ? 0.0 : double(m_xml.characterOffset()) / double(m_document.size());
}

} // namespace kaoshi
