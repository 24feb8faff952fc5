#include "model/rebuild_cancellation.h"

#include <exception>

Planned<RebuildCancellation> RebuildCancellation::plan(std::shared_ptr<MarvellRAIDSet> set) {
    if (!set || set->status() != library_status::kSetRebuilding) {
        return ChangeRefusal{
            ChangeRefusal::Reason::NotRebuilding,
            "REFUSAL_NOT_REBUILDING_TITLE",
            {"REFUSAL_NOT_REBUILDING_BODY", {set ? volumeDisplayName(*set) : std::string()}}};
    }
    return RebuildCancellation(std::move(set));
}

ChangeWarnings RebuildCancellation::warnings() const {
    return {{{"CANCEL_REBUILD_TITLE", {volumeDisplayName(*set_)}}, "CANCEL_REBUILD_BODY", "OK"}};
}

MV_U8 RebuildCancellation::execute() const {
    try {
        return set_->cancelRebuild();
    } catch (const std::exception&) {
        return library_status::kRaised;
    }
}

LocalizedText RebuildCancellation::failureInformation(MV_U8 status) {
    return {"ERROR_CANCEL_REBUILD_BODY", {status}};
}

std::string volumeDisplayName(const MarvellRAIDSet& set) {
    const auto name = set.name();
    if (!name) {
        return LocalizedText("VOLUME_NAME_UNREADABLE", {set.vdid()}).text();
    }
    if (name->empty()) {
        return LocalizedText("VOLUME_NAME_EMPTY", {set.vdid()}).text();
    }
    return *name;
}
