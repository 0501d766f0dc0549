#pragma once
// The signed-in candidate of the mock examination: kept by the application
// from a successful sign-in until the next one.
#include <QString>

namespace kaoshi {

struct Candidate {
    QString number;   // 考号
    QString occasion; // 场次
    QString name;     // 姓名

    bool operator==(const Candidate &) const = default;
};

// The candidate as signed in: every half-width and full-width space removed
// from the three texts, inside as well as at the ends.
Candidate signedInCandidate(const QString &number, const QString &occasion, const QString &name);

// The line of the first status-bar part: "考号:…  场次:…  姓名:…".
QString candidateStatusLine(const Candidate &candidate);

} // namespace kaoshi
