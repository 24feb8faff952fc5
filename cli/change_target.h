// Which controller and which volume a change is about: what the command line
// named, or the only one that fits.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/marvell_controller.h"

namespace cli {

// There is nothing the change could be made to; said in words, exit status 1.
class NothingToDo : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Every controller the library lists, with its disks and volumes read.
std::vector<std::shared_ptr<MarvellController>> readControllers();

// The controller numbered `asked`, or the only one. Throws UsageError for a
// number that names none or when several are there to choose from (naming
// them), NothingToDo when there is none.
std::shared_ptr<MarvellController> chooseController(
    const std::vector<std::shared_ptr<MarvellController>>& controllers,
    const std::optional<std::string>& asked);

// The volume with ID `asked`, or the only one whose status `fits`. Throws
// UsageError for an ID that names none or when several fit (naming them),
// and NothingToDo with `noneFitsKey`'s text when none does.
std::shared_ptr<MarvellRAIDSet> chooseVolume(const MarvellController& controller,
                                             const std::optional<std::string>& asked,
                                             const std::function<bool(int status)>& fits,
                                             const char* noneFitsKey);

}  // namespace cli
