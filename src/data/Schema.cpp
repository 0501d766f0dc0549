#include "data/Schema.h"

namespace kaoshi {

const QStringList &questionTypes()
{
    static const QStringList types{QStringLiteral("单选"), QStringLiteral("多选"),
                                   QStringLiteral("判断"), QStringLiteral("问答")};
    return types;
}

bool isQuestionType(const QString &text) { return questionTypes().contains(text); }

} // namespace kaoshi
