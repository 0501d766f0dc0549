#pragma once
// The pages of a printed exam: the paper, its answer sheet, its key and the
// teacher's copy (the paper with each answer below its question), laid out
// in 0.1 mm from the paper's top-left corner. Every line of text is broken
// here, with the widths a TextMeasure gives, so what is painted is exactly
// what was paginated: a question that fits on a page never runs across a
// page break, and a painter only draws the lines and pictures it is given.
#include "exam/PrintedPaper.h"

#include <QLineF>
#include <QList>
#include <QMarginsF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <vector>

namespace kaoshi {

struct PaperFont {
    enum Face { Song, Hei }; // 宋体 for the text, 黑体 for titles and headings
    Face face = Song;
    double size = 37; // em height in 0.1 mm (10.5 pt)
    bool bold = false;
    bool operator==(const PaperFont &) const = default;
};

// What the layout needs to know of fonts and pictures.
class TextMeasure
{
public:
    virtual ~TextMeasure() = default;
    // The width of a text on one line, in 0.1 mm.
    virtual double advance(const QString &text, const PaperFont &font) const = 0;
    // A picture's natural size in 0.1 mm; empty when it cannot be read.
    virtual QSizeF pictureSize(const QString &file) const = 0;
};

struct PlacedText {
    QRectF rect; // one line, set in the rect as aligned
    QString text;
    PaperFont font;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    int question = 0; // the question's number through the paper; 0 for other texts
};

struct PlacedPicture {
    QRectF rect;
    QString file;
    int question = 0;
};

struct LaidPage {
    QList<PlacedText> texts;
    QList<PlacedPicture> pictures;
    QList<QLineF> lines;
    QList<QRectF> boxes;
};

enum class PaperKind { Paper, AnswerSheet, Key, TeacherCopy };
// "试卷", "答题卡", "答案", "教师用卷".
QString paperKindName(PaperKind kind);
// What a plan produces for each variant, in order.
QList<PaperKind> kindsOf(const PaperPlan &plan);

struct LaidDocument {
    PaperKind kind = PaperKind::Paper;
    int variant = 0;
    QList<LaidPage> pages;
};

// A4 portrait with 20 mm margins; the page number stands in the bottom margin.
struct PaperPageGeometry {
    QSizeF paper{2100, 2970};
    QMarginsF margins{200, 180, 200, 200};
    QRectF body() const
    {
        return QRectF(margins.left(), margins.top(), paper.width() - margins.left() - margins.right(),
                      paper.height() - margins.top() - margins.bottom());
    }
};

// One document of one variant.
LaidDocument layoutPaperDocument(PaperKind kind, const PaperPlan &plan, const PaperQuestions &questions,
                                 const PrintedVariant &variant, const TextMeasure &measure,
                                 const PaperPageGeometry &geometry = {});

// Every document of a run: variant by variant, each variant's kinds in the
// plan's order.
QList<LaidDocument> layoutPaperRun(const PaperPlan &plan, const PaperQuestions &questions, const PrintedRun &run,
                                   const TextMeasure &measure, const PaperPageGeometry &geometry = {});
// The documents of one kind, in variant order.
QList<LaidDocument> documentsOfKind(const QList<LaidDocument> &documents, PaperKind kind);

// Breaks a text into lines no wider than width (the first line `firstWidth`
// wide): anywhere between Chinese characters, at spaces between Latin words,
// and at every line break of the text.
QStringList breakLines(const QString &text, const PaperFont &font, double firstWidth, double width,
                       const TextMeasure &measure);

// "第 n 页 共 m 页".
QString pageNumberText(int page, int count);

} // namespace kaoshi
