#pragma once
// Which column of a sheet or CSV file holds which part of a question, found
// by the header texts: 题目 (题干, 试题), 标准答案 (答案, 正确答案), 解析,
// 分值 (分数), 章节 (章, 科目) and the options A … G (选项A … 选项G).
// Other columns, 题号 among them, are not read.
#include "import/QuestionSource.h"

#include <array>
#include <optional>

namespace kaoshi {

class ColumnMap
{
public:
    static ColumnMap fromHeader(const QStringList &header);
    // "" when 题目 and 标准答案 were both found; otherwise why the file cannot be read.
    QString missing() const;
    // The question of a row; the options are joined into 题目 as "A.…B.…".
    RawQuestion question(const QStringList &cells, qint64 row) const;

private:
    int m_text = -1;
    int m_answer = -1;
    int m_explanation = -1;
    int m_score = -1;
    int m_chapter = -1;
    std::array<int, 7> m_options{-1, -1, -1, -1, -1, -1, -1};
};

// Questions from the rows of a table: the header is the first row that names
// the 题目 and 标准答案 columns, among the first few rows that hold any text;
// rows without any text are passed over.
class TableQuestionSource final : public QuestionSource
{
public:
    explicit TableQuestionSource(std::unique_ptr<TableReader> reader) : m_reader(std::move(reader)) {}
    bool next(RawQuestion &question) override;
    QString error() const override { return m_error.isEmpty() ? m_reader->error() : m_error; }
    double progress() const override { return m_reader->progress(); }

private:
    std::unique_ptr<TableReader> m_reader;
    QStringList m_cells; // of the row being read, its room kept for the next
    static constexpr int kMostRowsBeforeHeader = 5;
    std::optional<ColumnMap> m_columns;
    int m_rowsBeforeHeader = 0;
    QString m_firstMissing;
    QString m_error;
};

} // namespace kaoshi
