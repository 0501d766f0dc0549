#pragma once
// The paragraphs of a Word document (.docx) for the conventions parser:
// text runs, Word's automatic list numbering (word/numbering.xml) written
// out as the reader sees it ("1.", "A."), soft line breaks as "\n", formulas
// (OMML) as a linear text such as "x^2+(a+b)/2", pictures (w:drawing →
// word/_rels/document.xml.rels → word/media) and tables. A table whose
// first row names the question columns (题目, 答案, …) gives a question per
// row, as a sheet does; any other table is read cell by cell as paragraphs.
#include "import/DocxPackage.h"
#include "import/QuestionConventions.h"

#include <QHash>
#include <QXmlStreamReader>
#include <array>
#include <deque>

namespace kaoshi {

class DocxReader final : public ParagraphSource
{
public:
    bool open(const QString &path, QString *error);
    bool nextParagraph(SourceParagraph &paragraph) override;
    QString error() const override { return m_error; }
    double progress() const override;
    QString positionName() const override { return QStringLiteral("段"); }

    // The most a document's text part may unpack to.
    static constexpr qint64 kMostDocumentBytes = qint64(256) * 1024 * 1024;

private:
    struct Level {
        QString format = QStringLiteral("decimal");
        QString text;
        int start = 1;
        bool legal = false;
        bool suffix = true; // a tab or space after the number
    };
    using Levels = std::array<Level, 9>;
    struct Counter {
        std::array<int, 9> values{};
        std::array<bool, 9> started{};
    };
    struct NumberRef {
        QString numId;
        int level = 0;
    };
    struct Cell {
        std::vector<SourceParagraph> paragraphs;
    };

    // Moves to the next start element inside the element being read (depth
    // counts its open elements, from 1); false at its end.
    bool nextStartInside(int &depth);
    void skipElement(int &depth);
    bool readParagraph(SourceParagraph &paragraph);
    void readParagraphProperties(NumberRef &number, QString &style);
    void readPictures(SourceParagraph &paragraph);
    RawPicture picture(const QString &relationId, bool linked, const QString &summary) const;
    QString readMath(int nesting);
    bool readTable(int nesting);
    void queueTable(const std::vector<std::vector<Cell>> &rows);
    QString numberLabel(const NumberRef &number);
    void readRelations(const QByteArray &bytes);
    void readNumbering(const QByteArray &bytes);
    void readStyles(const QByteArray &bytes);
    bool fail(const QString &message);

    DocxPackage m_package;
    QByteArray m_document;
    QXmlStreamReader m_xml;
    qint64 m_paragraphs = 0;
    std::deque<SourceParagraph> m_pending;
    QHash<QString, QString> m_relations; // Id → part
    QHash<QString, Levels> m_abstract;   // abstractNumId → levels
    QHash<QString, QString> m_numToAbstract;
    QHash<QString, QHash<int, int>> m_startOverrides;
    QHash<QString, NumberRef> m_styleNumbers;
    QHash<QString, Counter> m_counters;
    bool m_ended = false;
    QString m_error;
};

// A counter value in one of Word's number formats ("decimal", "upperLetter",
// "chineseCounting", …); "" for a bullet or no number.
QString formatListNumber(int value, const QString &format);

} // namespace kaoshi
