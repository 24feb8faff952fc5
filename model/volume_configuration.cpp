#include "model/volume_configuration.h"

Planned<VolumeConfiguration> VolumeConfiguration::plan(
    std::shared_ptr<MarvellController> controller,
    int layout,
    std::string name) {
    const std::size_t disks = controller ? controller->disks().size() : 0;
    if (layout != kLayoutIndividualDisks && disks < 2) {
        return ChangeRefusal{ChangeRefusal::Reason::NeedsTwoDisks, "ERROR_NEEDTWODISKS_TITLE",
                             "ERROR_NEEDTWODISKS_BODY"};
    }
    return asConfirmed(std::move(controller), layout, std::move(name));
}

VolumeConfiguration VolumeConfiguration::asConfirmed(std::shared_ptr<MarvellController> controller,
                                                     int layout,
                                                     std::string name) {
    return VolumeConfiguration(std::move(controller), layout, std::move(name));
}

VolumeConfiguration::VolumeConfiguration(std::shared_ptr<MarvellController> controller,
                                         int layout,
                                         std::string name)
    : controller_(std::move(controller)), layout_(layout), name_(std::move(name)) {
    // Not trimmed: a name of blanks is what the user typed.
    if (name_.empty()) {
        name_ = LocalizedText("DEFAULTNAME").text();
    }
}

ChangeWarnings VolumeConfiguration::warnings() const {
    const bool individual = individualDisks();
    return {
        {"WARNING1_TITLE", individual ? "WARNING1_INDIVIDUAL_BODY" : "WARNING1_BODY", "CONTINUE"},
        {"WARNING2_TITLE", individual ? "WARNING2_INDIVIDUAL_BODY" : "WARNING2_BODY", "OK"},
    };
}

MV_U8 VolumeConfiguration::execute() const {
    // Nothing was done without a controller, and that must not read as success.
    if (!controller_) {
        return library_status::kRaised;
    }
    return individualDisks() ? controller_->deleteVD() : controller_->createVD(name_, layout_);
}

LocalizedText VolumeConfiguration::successInformation() const {
    return individualDisks() ? "SUCCESS_INDIVIDUAL_BODY" : "SUCCESS_BODY";
}

LocalizedText VolumeConfiguration::failureInformation(MV_U8 status) {
    return {"ERROR_SETCONFIG_BODY", {status}};
}
