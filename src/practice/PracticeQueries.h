#pragma once
// The statements of the practice windows and the reads built on them. Every
// number is checked and every text quoted, so a typed 题号 or an answer with
// a quote can reach no other row or column.
#include <QString>
#include <QStringList>
#include <vector>

namespace kaoshi {

class DataStore;

QString questionQuery(const QString &type, const QString &number);
QString saveAnswerStatement(const QString &type, const QString &answer, const QString &number);
QString clearAnswersStatement(const QString &type);
QString pictureQuery(const QString &type, const QString &number);
QString wrongQuestionQuery(const QString &type);

// The lowest and highest 题号 of a bank, as texts.
struct BankBounds {
    QString lower;
    QString upper;
    // An empty bank, or one that cannot be read, has the upper bound zero.
    bool isEmpty() const;
};
BankBounds readBankBounds(DataStore &store, const QString &type);

// The rows of the wrong-question list: every question of the four banks
// whose practice answer is not empty and differs from its standard answer,
// bank by bank in ascending 题号. Each row has the six grid columns:
// (hidden), 题号, 题型, 题目, 标准答案, 练习答案.
inline constexpr int kWrongListColumns = 6;
const QStringList &wrongListTitles();
const std::vector<int> &wrongListWidths();
std::vector<QStringList> wrongQuestionRows(DataStore &store);

} // namespace kaoshi
