#include "ui/volume_title.h"

#include "ui/localized.h"

std::string volumeTitle(const MarvellRAIDSet& set) {
    const auto name = set.name();
    if (!name) {
        return localizedFormat("VOLUME_NAME_UNREADABLE", {set.vdid()});
    }
    if (name->empty()) {
        return localizedFormat("VOLUME_NAME_EMPTY", {set.vdid()});
    }
    return *name;
}
