// Turning a controller's disks into one RAID 0 volume, one RAID 1 volume or
// individual disks: the rules that make the change safe, its two warnings,
// and the change itself.
#pragma once

#include <memory>
#include <string>

#include "model/marvell_controller.h"
#include "model/planned_change.h"

class VolumeConfiguration {
  public:
    // The layout codes, as the configuration sheet's cells are tagged.
    static constexpr int kLayoutRAID0 = 1;
    static constexpr int kLayoutRAID1 = 2;
    static constexpr int kLayoutIndividualDisks = 3;

    // Refused when a RAID layout would have fewer than two disks (a missing
    // controller has none). Individual disks need no disk at all.
    static Planned<VolumeConfiguration> plan(std::shared_ptr<MarvellController> controller,
                                             int layout,
                                             std::string name);
    // The change as the user confirmed it, not checked again: the layout
    // and name are read after the warnings, and that is what is done.
    static VolumeConfiguration asConfirmed(std::shared_ptr<MarvellController> controller,
                                           int layout,
                                           std::string name);

    const std::shared_ptr<MarvellController>& controller() const { return controller_; }
    int layout() const { return layout_; }
    bool individualDisks() const { return layout_ == kLayoutIndividualDisks; }
    // The name the volume gets: a blank name gives the default one; the
    // controller stores at most 15 bytes of it.
    const std::string& name() const { return name_; }

    // Individual disks only lose their volumes; the RAID layouts erase the disks too.
    ChangeWarnings warnings() const;
    // Deletes the volumes, or makes the new one (with its pauses). The
    // library's status: 255 when it raised, or when there is no controller.
    MV_U8 execute() const;
    LocalizedText successInformation() const;
    static LocalizedText failureInformation(MV_U8 status);

  private:
    VolumeConfiguration(std::shared_ptr<MarvellController> controller,
                        int layout,
                        std::string name);

    std::shared_ptr<MarvellController> controller_;
    int layout_;
    std::string name_;
};
