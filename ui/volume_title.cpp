#include "ui/volume_title.h"

#include "model/rebuild_cancellation.h"

std::string volumeTitle(const MarvellRAIDSet& set) {
    return volumeDisplayName(set);
}
