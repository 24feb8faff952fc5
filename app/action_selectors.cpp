// The actions the interface sends to the delegate, under their selector names.
#include "app/app_delegate.h"

platform::Selector AppDelegate::changeDeviceAction() {
    return platform::makeSelector<AppDelegate>("changeDevice:", &AppDelegate::changeDevice);
}
platform::Selector AppDelegate::changeVolumeAction() {
    return platform::makeSelector<AppDelegate>("changeVolume:", &AppDelegate::changeVolume);
}
platform::Selector AppDelegate::configureDeviceAction() {
    return platform::makeSelector<AppDelegate>("configureDevice:", &AppDelegate::configureDevice);
}
platform::Selector AppDelegate::configureMatrixActionAction() {
    return platform::makeSelector<AppDelegate>("configureMatrixAction:",
                                               &AppDelegate::configureMatrixAction);
}
platform::Selector AppDelegate::doConfigureAction() {
    return platform::makeSelector<AppDelegate>("doConfigure:", &AppDelegate::doConfigure);
}
platform::Selector AppDelegate::doCancelAction() {
    return platform::makeSelector<AppDelegate>("doCancel:", &AppDelegate::doCancel);
}
platform::Selector AppDelegate::doRebuildAction() {
    return platform::makeSelector<AppDelegate>("doRebuild:", &AppDelegate::doRebuild);
}
