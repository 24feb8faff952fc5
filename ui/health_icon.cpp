#include "ui/health_icon.h"

#include "model/library_status.h"

HealthVerdict healthVerdict(bool hasController, const std::vector<int>& setStatuses) {
    if (!hasController) {
        return HealthVerdict::NoEnclosure;
    }
    namespace status = library_status;
    HealthVerdict verdict = HealthVerdict::Healthy;
    for (int s : setStatuses) {
        switch (s) {
            case status::kSetFailed:
            case status::kSetOffline:
            case status::kSetFailedToo:
                verdict = HealthVerdict::Failed;
                break;
            case status::kSetDegraded:
                verdict = HealthVerdict::Degraded;
                break;
            case status::kSetUnreadable:
                // A set that cannot be read is no reason to show all is well.
                verdict = HealthVerdict::NotAnswering;
                break;
            default:  // functional, rebuilding and the rest: no verdict
                break;
        }
    }
    return verdict;
}

std::string healthIconName(HealthVerdict verdict) {
    switch (verdict) {
        case HealthVerdict::Healthy:
            return kIconOk;
        case HealthVerdict::Degraded:
        case HealthVerdict::NotAnswering:
            return kIconWarning;
        case HealthVerdict::Failed:
        case HealthVerdict::NoEnclosure:
            break;
    }
    return kIconWrong;
}

std::string healthDescriptionKey(HealthVerdict verdict) {
    switch (verdict) {
        case HealthVerdict::Healthy:
            return "HEALTH_OK";
        case HealthVerdict::Degraded:
            return "HEALTH_DEGRADED";
        case HealthVerdict::Failed:
            return "HEALTH_FAILED";
        case HealthVerdict::NotAnswering:
            return "HEALTH_NOT_ANSWERING";
        case HealthVerdict::NoEnclosure:
            break;
    }
    return "HEALTH_NO_ENCLOSURE";
}
