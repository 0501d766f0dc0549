#pragma once
// The examination state of the run: the candidate signed in last.
#include <QString>

namespace kaoshi {

struct Candidate {
    QString number;   // 考号
    QString occasion; // 场次
    QString name;     // 姓名
};

struct ExamState {
    Candidate candidate; // kept until the next sign-in
};

} // namespace kaoshi
