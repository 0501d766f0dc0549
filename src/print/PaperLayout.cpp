#include "print/PaperLayout.h"

#include "data/TextRules.h"

#include <algorithm>
#include <cmath>

namespace kaoshi {

namespace {

const PaperFont kTitleFont{PaperFont::Hei, 64, true};
const PaperFont kHeadingFont{PaperFont::Hei, 42, true};
const PaperFont kBodyFont{PaperFont::Song, 37, false};
const PaperFont kSmallFont{PaperFont::Song, 32, false};
const PaperFont kLabelFont{PaperFont::Hei, 37, false};

constexpr double kLineFactor = 1.6;     // line height per em
constexpr double kOptionGap = 40;       // between option columns
constexpr double kQuestionGap = 25;     // below a question
constexpr double kSectionGap = 30;      // below a section
constexpr double kAnswerLineHeight = 90; // a ruled line for a written answer
constexpr double kFieldLineWidth = 280;
constexpr double kBoxWidth = 55;
constexpr double kBoxHeight = 45;
constexpr double kBoxGap = 18;
constexpr double kPictureShare = 0.45; // of the body height at most

double lineHeight(const PaperFont &font)
{
    return font.size * kLineFactor;
}

const QString kNoLineStart = QStringLiteral("，。、；：？！）》」』”’,.;:?!)");

bool isWordCharacter(QChar c)
{
    return c.unicode() < 0x80 && !c.isSpace();
}

// One slice of a page: what it shows, placed from its own top-left corner
// at the left edge of the text area.
struct Row {
    double height = 0;
    LaidPage items;
};
// Rows that stay on one page when they fit there.
using Block = std::vector<Row>;

void append(Block &to, Block rows)
{
    for (Row &row : rows)
        to.push_back(std::move(row));
}

LaidPage movedBy(const LaidPage &items, QPointF by)
{
    LaidPage moved = items;
    for (PlacedText &text : moved.texts)
        text.rect.translate(by);
    for (PlacedPicture &picture : moved.pictures)
        picture.rect.translate(by);
    for (QLineF &line : moved.lines)
        line.translate(by);
    for (QRectF &box : moved.boxes)
        box.translate(by);
    return moved;
}

void addItems(LaidPage &page, const LaidPage &items)
{
    page.texts += items.texts;
    page.pictures += items.pictures;
    page.lines += items.lines;
    page.boxes += items.boxes;
}

// Puts blocks on pages one after the other. A block that does not fit in
// what is left of a page starts the next one; one taller than a whole page
// runs on from there and breaks between rows.
class Pager
{
public:
    explicit Pager(const PaperPageGeometry &geometry) : m_body(geometry.body()), m_geometry(geometry) { newPage(); }

    void place(const Block &block)
    {
        // Space below the last thing shown needs no room on the page.
        double height = 0;
        double shown = 0;
        for (const Row &row : block) {
            height += row.height;
            if (!isSpace(row))
                shown = height;
        }
        // Also a block taller than a page starts on a page of its own, so
        // that it breaks as few times as it must.
        if (!atTop() && m_y + shown > m_body.bottom())
            newPage();
        for (const Row &row : block) {
            // Space is dropped at a page's top and where it would break the page.
            if (isSpace(row) && (atTop() || m_y + row.height > m_body.bottom()))
                continue;
            if (!atTop() && m_y + row.height > m_body.bottom())
                newPage();
            addItems(m_pages.back(), movedBy(row.items, QPointF(m_body.left(), m_y)));
            m_y += row.height;
        }
    }

    QList<LaidPage> finish()
    {
        const double top = m_geometry.paper.height() - m_geometry.margins.bottom() + 60;
        for (int i = 0; i < m_pages.size(); ++i)
            m_pages[i].texts.append({QRectF(m_body.left(), top, m_body.width(), lineHeight(kSmallFont)),
                                     pageNumberText(i + 1, int(m_pages.size())), kSmallFont, Qt::AlignCenter, 0});
        return m_pages;
    }

private:
    static bool isSpace(const Row &row)
    {
        return row.items.texts.isEmpty() && row.items.pictures.isEmpty() && row.items.lines.isEmpty() &&
               row.items.boxes.isEmpty();
    }
    bool atTop() const { return m_y <= m_body.top(); }
    void newPage()
    {
        m_pages.append(LaidPage());
        m_y = m_body.top();
    }

    QRectF m_body;
    PaperPageGeometry m_geometry;
    QList<LaidPage> m_pages;
    double m_y = 0;
};

// A question of the variant with its number through the paper.
struct NumberedItem {
    int number = 0;
    const PaperQuestion *question = nullptr;
    PresentedQuestion shown;
};

struct Section {
    QuestionType type = QuestionType::SingleChoice;
    std::vector<NumberedItem> items;
};

std::vector<Section> sectionsOf(const PaperQuestions &questions, const PrintedVariant &variant)
{
    std::vector<Section> sections;
    int number = 0;
    for (const PrintedItem &item : variant.items) {
        const PaperQuestion *question = findQuestion(questions, item);
        if (!question)
            continue;
        if (sections.empty() || sections.back().type != item.type)
            sections.push_back({item.type, {}});
        sections.back().items.push_back({++number, question, presentQuestion(*question, item)});
    }
    return sections;
}

QString scoreText(double score)
{
    return QStringLiteral("（%1分）").arg(numberToText(score));
}

// Builds the rows of one kind of document.
class Composer
{
public:
    Composer(const TextMeasure &measure, const PaperPageGeometry &geometry)
        : m_measure(measure), m_width(geometry.body().width())
    {
    }

    double width(const QString &text, const PaperFont &font) const { return m_measure.advance(text, font); }

    // A text broken into lines from `left`; lines after the first start at `hanging`.
    Block paragraph(const QString &text, const PaperFont &font, double left, double hanging, int question = 0) const
    {
        Block rows;
        const QStringList lines = breakLines(text, font, m_width - left, m_width - hanging, m_measure);
        for (int i = 0; i < lines.size(); ++i) {
            const double x = i == 0 ? left : hanging;
            Row row{lineHeight(font), {}};
            row.items.texts.append({QRectF(x, 0, m_width - x, row.height), lines[i], font,
                                    Qt::AlignLeft | Qt::AlignVCenter, question});
            rows.push_back(std::move(row));
        }
        return rows;
    }

    Row centred(const QString &text, const PaperFont &font) const
    {
        Row row{lineHeight(font), {}};
        row.items.texts.append({QRectF(0, 0, m_width, row.height), text, font, Qt::AlignCenter, 0});
        return row;
    }

    Row gap(double height) const { return Row{height, {}}; }

    // The title, the variant and 场次, the fields for the candidate, a rule.
    Block header(const QString &title, const PaperPlan &plan, int variant, bool withFields) const
    {
        Block rows{centred(title, kTitleFont)};
        QString subtitle = variantLetter(variant) + QStringLiteral("卷");
        if (!plan.occasion.trimmed().isEmpty())
            subtitle += QStringLiteral("　　场次：") + plan.occasion.trimmed();
        rows.push_back(centred(subtitle, kBodyFont));
        rows.push_back(gap(20));
        if (withFields)
            rows.push_back(fields({QStringLiteral("考号"), QStringLiteral("姓名"), QStringLiteral("班级"),
                                   QStringLiteral("总分")}));
        Row rule{30, {}};
        rule.items.lines.append(QLineF(0, 15, m_width, 15));
        rows.push_back(rule);
        return rows;
    }

    // "考号：____  姓名：____ …" spread over the width.
    Row fields(const QStringList &labels) const
    {
        Row row{lineHeight(kBodyFont) * 1.5, {}};
        const double step = m_width / labels.size();
        for (int i = 0; i < labels.size(); ++i) {
            const QString label = labels[i] + QStringLiteral("：");
            const double x = i * step;
            const double labelWidth = width(label, kBodyFont);
            row.items.texts.append({QRectF(x, 0, labelWidth + 10, row.height), label, kBodyFont,
                                    Qt::AlignLeft | Qt::AlignVCenter, 0});
            const double lineEnd = std::min(x + step - 30, x + labelWidth + kFieldLineWidth);
            row.items.lines.append(QLineF(x + labelWidth, row.height * 0.75, lineEnd, row.height * 0.75));
        }
        return row;
    }

    Block heading(int ordinal, const Section &section) const
    {
        std::vector<double> scores;
        for (const NumberedItem &item : section.items)
            scores.push_back(item.question->score);
        Block rows = paragraph(sectionHeading(ordinal, section.type, scores), kHeadingFont, 0, 0);
        rows.push_back(gap(10));
        return rows;
    }

    // Number, stem, pictures, options; for 问答 the lines for the answer;
    // in a teacher's copy the answer (and 解析) below.
    Block question(const NumberedItem &item, bool withAnswer, bool explanations) const
    {
        const QString number = QString::number(item.number) + QStringLiteral(". ");
        const double indent = width(number, kBodyFont);
        Block rows = paragraph(number + trimmedStem(item.shown.stem), kBodyFont, 0, indent, item.number);
        append(rows, pictures(item.question->pictureFiles, indent, item.number));
        append(rows, options(item.shown.options, indent, item.number));
        if (withAnswer) {
            append(rows, paragraph(QStringLiteral("【答案】") + item.shown.answer + scoreText(item.question->score),
                                   kLabelFont, indent, indent, item.number));
            if (explanations && !item.question->explanation.trimmed().isEmpty())
                append(rows, paragraph(QStringLiteral("【解析】") + item.question->explanation.trimmed(), kBodyFont,
                                       indent, indent, item.number));
        } else if (item.question->type == QuestionType::FreeAnswer) {
            append(rows, answerLines(answerLineCount(item.question->score), indent));
        }
        rows.push_back(gap(kQuestionGap));
        return rows;
    }

    static QString trimmedStem(const QString &stem)
    {
        QString text = stem;
        while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
            text.chop(1);
        return text;
    }

    Block pictures(const QStringList &files, double left, int question) const
    {
        Block rows;
        const double available = m_width - left;
        for (const QString &file : files) {
            const QSizeF natural = m_measure.pictureSize(file);
            if (natural.isEmpty()) {
                append(rows, paragraph(QStringLiteral("（图片无法读取）"), kSmallFont, left, left, question));
                continue;
            }
            const double scale = std::min({1.0, available / natural.width(),
                                           m_maxPictureHeight / natural.height()});
            Row row{natural.height() * scale + 20, {}};
            row.items.pictures.append({QRectF(left, 10, natural.width() * scale, natural.height() * scale), file,
                                       question});
            rows.push_back(std::move(row));
        }
        return rows;
    }

    // Short options side by side in columns (four or two to a line), else
    // one to a line, a long one wrapped after its label.
    Block options(const QStringList &options, double left, int question) const
    {
        Block rows;
        if (options.isEmpty())
            return rows;
        double widest = 0;
        for (const QString &option : options)
            widest = std::max(widest, width(option.trimmed(), kBodyFont));
        const double available = m_width - left;
        int columns = 1;
        for (const int candidate : {4, 2}) {
            const int used = std::min<int>(candidate, int(options.size()));
            if (used > 1 && widest + kOptionGap <= available / candidate) {
                columns = candidate;
                break;
            }
        }
        if (columns == 1) {
            for (const QString &option : options) {
                const QString text = option.trimmed();
                append(rows, paragraph(text, kBodyFont, left, left + width(text.left(2), kBodyFont), question));
            }
            return rows;
        }
        const double step = available / columns;
        for (int first = 0; first < options.size(); first += columns) {
            Row row{lineHeight(kBodyFont), {}};
            for (int i = first; i < std::min<int>(first + columns, int(options.size())); ++i)
                row.items.texts.append({QRectF(left + (i - first) * step, 0, step, row.height), options[i].trimmed(),
                                        kBodyFont, Qt::AlignLeft | Qt::AlignVCenter, question});
            rows.push_back(std::move(row));
        }
        return rows;
    }

    Block answerLines(int count, double left) const
    {
        Block rows;
        for (int i = 0; i < count; ++i) {
            Row row{kAnswerLineHeight, {}};
            row.items.lines.append(QLineF(left, kAnswerLineHeight - 10, m_width, kAnswerLineHeight - 10));
            rows.push_back(std::move(row));
        }
        return rows;
    }

    // Cells of equal width laid in as many columns as fit, row after row.
    struct Cell {
        double width = 0;
        LaidPage items; // placed from the cell's top-left corner
    };
    Block grid(const std::vector<Cell> &cells, double height) const
    {
        Block rows;
        double widest = 0;
        for (const Cell &cell : cells)
            widest = std::max(widest, cell.width);
        const int columns = std::clamp(int(m_width / (widest + kOptionGap)), 1, 5);
        const double step = m_width / columns;
        for (size_t first = 0; first < cells.size(); first += size_t(columns)) {
            Row row{height, {}};
            for (size_t i = first; i < std::min(first + size_t(columns), cells.size()); ++i)
                addItems(row.items, movedBy(cells[i].items, QPointF(double(i - first) * step, 0)));
            rows.push_back(std::move(row));
        }
        return rows;
    }

    // "12." and a box per letter (or √ and ×) to mark.
    Cell sheetCell(const NumberedItem &item) const
    {
        QStringList marks;
        if (item.question->type == QuestionType::TrueFalse)
            marks = QStringList{QStringLiteral("√"), QStringLiteral("×")};
        else
            for (int i = 0; i < std::max<int>(int(item.shown.options.size()), 4) && i < 7; ++i)
                marks << QString(QChar(u'A' + i));
        const double height = lineHeight(kBodyFont) * 1.4;
        const double numberWidth = width(QStringLiteral("000."), kBodyFont) + 10;
        Cell cell{numberWidth + marks.size() * (kBoxWidth + kBoxGap), {}};
        cell.items.texts.append({QRectF(0, 0, numberWidth, height), QString::number(item.number) + QLatin1Char('.'),
                                 kBodyFont, Qt::AlignLeft | Qt::AlignVCenter, item.number});
        for (int i = 0; i < marks.size(); ++i) {
            const QRectF box(numberWidth + i * (kBoxWidth + kBoxGap), (height - kBoxHeight) / 2, kBoxWidth, kBoxHeight);
            cell.items.boxes.append(box);
            cell.items.texts.append({box, marks[i], kSmallFont, Qt::AlignCenter, item.number});
        }
        return cell;
    }

    Cell keyCell(const NumberedItem &item) const
    {
        const QString text = QString::number(item.number) + QStringLiteral(". ") + item.shown.answer +
                             scoreText(item.question->score);
        Cell cell{width(text, kBodyFont), {}};
        cell.items.texts.append({QRectF(0, 0, cell.width + 10, lineHeight(kBodyFont)), text, kBodyFont,
                                 Qt::AlignLeft | Qt::AlignVCenter, item.number});
        return cell;
    }

    Block keyParagraph(const NumberedItem &item, bool explanations) const
    {
        const QString number = QString::number(item.number) + QStringLiteral(". ");
        const double indent = width(number, kBodyFont);
        Block rows = paragraph(number + scoreText(item.question->score) + item.shown.answer, kBodyFont, 0, indent,
                               item.number);
        if (explanations && !item.question->explanation.trimmed().isEmpty())
            append(rows, paragraph(QStringLiteral("【解析】") + item.question->explanation.trimmed(), kBodyFont,
                                   indent, indent, item.number));
        rows.push_back(gap(10));
        return rows;
    }

    double maxPictureHeight() const { return m_maxPictureHeight; }
    void setMaxPictureHeight(double height) { m_maxPictureHeight = height; }

private:
    const TextMeasure &m_measure;
    double m_width;
    double m_maxPictureHeight = 1000;
};

// A section's heading goes onto the page of its first block.
void placeSection(Pager &pager, Block heading, const std::vector<Block> &blocks)
{
    if (blocks.empty()) {
        pager.place(heading);
        return;
    }
    append(heading, blocks.front());
    pager.place(heading);
    for (size_t i = 1; i < blocks.size(); ++i)
        pager.place(blocks[i]);
    pager.place(Block{Row{kSectionGap, {}}});
}

// A grid's rows, each row a block of its own.
std::vector<Block> rowBlocks(const Block &rows)
{
    std::vector<Block> blocks;
    for (const Row &row : rows)
        blocks.push_back(Block{row});
    return blocks;
}

QString documentTitle(PaperKind kind, const PaperPlan &plan)
{
    const QString title = plan.title.trimmed();
    switch (kind) {
    case PaperKind::Paper: return title;
    case PaperKind::AnswerSheet: return title + QStringLiteral(" 答题卡");
    case PaperKind::Key: return title + QStringLiteral(" 答案");
    case PaperKind::TeacherCopy: return title + QStringLiteral("（教师用卷）");
    }
    return title;
}

} // namespace

QString paperKindName(PaperKind kind)
{
    switch (kind) {
    case PaperKind::Paper: return QStringLiteral("试卷");
    case PaperKind::AnswerSheet: return QStringLiteral("答题卡");
    case PaperKind::Key: return QStringLiteral("答案");
    case PaperKind::TeacherCopy: return QStringLiteral("教师用卷");
    }
    return {};
}

QList<PaperKind> kindsOf(const PaperPlan &plan)
{
    QList<PaperKind> kinds;
    if (plan.paper)
        kinds << PaperKind::Paper;
    if (plan.answerSheet)
        kinds << PaperKind::AnswerSheet;
    if (plan.key)
        kinds << (plan.keyPlacement == KeyPlacement::AtEnd ? PaperKind::Key : PaperKind::TeacherCopy);
    return kinds;
}

QString pageNumberText(int page, int count)
{
    return QStringLiteral("第 %1 页 共 %2 页").arg(page).arg(count);
}

QStringList breakLines(const QString &text, const PaperFont &font, double firstWidth, double width,
                       const TextMeasure &measure)
{
    QStringList lines;
    const QStringList paragraphs =
        QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'))
            .split(QLatin1Char('\n'));
    double limit = firstWidth;
    for (const QString &paragraph : paragraphs) {
        QString line;
        double used = 0;
        for (qsizetype i = 0; i < paragraph.size(); ++i) {
            const qsizetype length = paragraph[i].isHighSurrogate() && i + 1 < paragraph.size() ? 2 : 1;
            const QString character = paragraph.mid(i, length);
            i += length - 1;
            const double advance = measure.advance(character, font);
            // Closing punctuation never starts a line: it stands out into the margin.
            const bool hangs = kNoLineStart.contains(character);
            if (used + advance > limit && !line.isEmpty() && !hangs) {
                QString carried;
                const qsizetype space = line.lastIndexOf(QLatin1Char(' '));
                // A Latin word moves to the next line whole.
                if (space > 0 && isWordCharacter(character[0]) && isWordCharacter(line.back())) {
                    carried = line.mid(space + 1);
                    line.truncate(space);
                }
                lines << line;
                limit = width;
                line = carried;
                used = carried.isEmpty() ? 0 : measure.advance(carried, font);
                if (character == QStringLiteral(" ") && line.isEmpty())
                    continue;
            }
            line += character;
            used += advance;
        }
        lines << line;
        limit = width;
    }
    return lines;
}

LaidDocument layoutPaperDocument(PaperKind kind, const PaperPlan &plan, const PaperQuestions &questions,
                                 const PrintedVariant &variant, const TextMeasure &measure,
                                 const PaperPageGeometry &geometry)
{
    Composer composer(measure, geometry);
    composer.setMaxPictureHeight(geometry.body().height() * kPictureShare);
    Pager pager(geometry);
    const bool sheetOrPaper = kind != PaperKind::Key;
    pager.place(composer.header(documentTitle(kind, plan), plan, variant.index,
                                sheetOrPaper && kind != PaperKind::TeacherCopy));
    int ordinal = 0;
    for (const Section &section : sectionsOf(questions, variant)) {
        std::vector<Block> blocks;
        const bool choice = section.type != QuestionType::FreeAnswer;
        switch (kind) {
        case PaperKind::Paper:
        case PaperKind::TeacherCopy:
            for (const NumberedItem &item : section.items)
                blocks.push_back(composer.question(item, kind == PaperKind::TeacherCopy, plan.explanations));
            break;
        case PaperKind::AnswerSheet:
            if (choice) {
                std::vector<Composer::Cell> cells;
                for (const NumberedItem &item : section.items)
                    cells.push_back(composer.sheetCell(item));
                blocks = rowBlocks(composer.grid(cells, lineHeight(kBodyFont) * 1.4));
            } else {
                for (const NumberedItem &item : section.items) {
                    Block rows = composer.paragraph(QString::number(item.number) + QLatin1Char('.'), kBodyFont, 0, 0,
                                                    item.number);
                    append(rows, composer.answerLines(answerLineCount(item.question->score), 0));
                    rows.push_back(composer.gap(kQuestionGap));
                    blocks.push_back(std::move(rows));
                }
            }
            break;
        case PaperKind::Key:
            if (choice && !plan.explanations) {
                std::vector<Composer::Cell> cells;
                for (const NumberedItem &item : section.items)
                    cells.push_back(composer.keyCell(item));
                blocks = rowBlocks(composer.grid(cells, lineHeight(kBodyFont)));
            } else {
                for (const NumberedItem &item : section.items)
                    blocks.push_back(composer.keyParagraph(item, plan.explanations));
            }
            break;
        }
        placeSection(pager, composer.heading(ordinal++, section), blocks);
    }
    return {kind, variant.index, pager.finish()};
}

QList<LaidDocument> layoutPaperRun(const PaperPlan &plan, const PaperQuestions &questions, const PrintedRun &run,
                                   const TextMeasure &measure, const PaperPageGeometry &geometry)
{
    QList<LaidDocument> documents;
    for (const PrintedVariant &variant : run.variants)
        for (const PaperKind kind : kindsOf(plan))
            documents.append(layoutPaperDocument(kind, plan, questions, variant, measure, geometry));
    return documents;
}

QList<LaidDocument> documentsOfKind(const QList<LaidDocument> &documents, PaperKind kind)
{
    QList<LaidDocument> ofKind;
    for (const LaidDocument &document : documents)
        if (document.kind == kind)
            ofKind.append(document);
    return ofKind;
}

} // namespace kaoshi
