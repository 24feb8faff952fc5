#include "ui/health_icon.h"

#include <algorithm>

std::string healthIconName(const ControllerVerdict& verdict) {
    const bool noEnclosure =
        std::any_of(verdict.findings.begin(), verdict.findings.end(),
                    [](const Finding& f) { return f.concern == Concern::NoEnclosure; });
    switch (verdict.health) {
        case Health::Ok:
        case Health::Rebuilding:
            return kIconOk;
        case Health::Degraded:
            return kIconWarning;
        case Health::Unknown:
            return noEnclosure ? kIconWrong : kIconWarning;
        case Health::Failed:
            break;
    }
    return kIconWrong;
}

ControllerVerdict noControllerVerdict(bool controllersRead) {
    ControllerVerdict verdict;
    verdict.health = Health::Unknown;
    Finding& f = verdict.findings.emplace_back();
    f.concern = controllersRead ? Concern::NoEnclosure : Concern::ControllersUnreadable;
    return verdict;
}
