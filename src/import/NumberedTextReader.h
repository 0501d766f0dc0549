#pragma once
// Questions written as numbered text, as teachers keep them in documents:
//
//   1. 我国的首都是哪座城市？
//   A. 上海
//   B. 北京
//   答案：B
//   解析：北京是中华人民共和国的首都。
//
// Numbers "1." "1、" "（1）"; options "A." "A、" "A．" "Ａ."; the keys 答案 or
// 正确答案, 解析, 分值 and 章节 followed by "：" or ":". A blank line or the
// next number ends a question; other lines continue the part above them.
#include "import/QuestionSource.h"
#include "import/TextFileStream.h"

namespace kaoshi {

class NumberedTextReader final : public QuestionSource
{
public:
    bool open(const QString &path, QString *error) { return m_in.open(path, error); }
    bool next(RawQuestion &question) override;
    QString error() const override { return m_error; }
    double progress() const override { return m_in.progress(); }

private:
    bool nextLine(QString &line);

    TextFileStream m_in;
    QString m_buffer;
    qsizetype m_pos = 0;
    qint64 m_lineNumber = 0;
    // A numbered line read while finishing the question before it.
    QString m_heldLine;
    bool m_holding = false;
    QString m_error;
};

} // namespace kaoshi
