#pragma once
// The examination state of the run: the candidate signed in last.
#include "exam/Candidate.h"

namespace kaoshi {

struct ExamState {
    Candidate candidate; // kept until the next sign-in
};

} // namespace kaoshi
