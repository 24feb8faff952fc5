#include "ui/library_problem_alert.h"

#include "ui/localized.h"
#include "ui/warning_alert.h"

void alertLibraryProblem(const std::string& problem) {
    if (problem.empty()) {
        return;
    }
    runWarningAlert({"OK"}, localized("LIBRARY_PROBLEM_TITLE"),
                    localizedFormat("LIBRARY_PROBLEM_BODY", {problem}));
}
