#include "exam/Candidate.h"

#include "data/TextRules.h"

namespace kaoshi {

Candidate signedInCandidate(const QString &number, const QString &occasion, const QString &name)
{
    return {removeAllSpaces(number), removeAllSpaces(occasion), removeAllSpaces(name)};
}

QString candidateStatusLine(const Candidate &candidate)
{
    return QStringLiteral("考号:") + candidate.number + QStringLiteral("  场次:") + candidate.occasion +
           QStringLiteral("  姓名:") + candidate.name;
}

} // namespace kaoshi
