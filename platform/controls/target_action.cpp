#include "platform/controls/target_action.h"

#include "platform/controls/application.h"

namespace platform {

bool TargetAction::sendAction(Object* sender) const {
    return Application::sharedApplication().sendAction(action_, target_, sender);
}

}  // namespace platform
