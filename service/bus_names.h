// Where the controller service lives on the system bus, and the names of its
// errors and of the polkit action that guards every change.
#pragma once

namespace service {

inline constexpr const char* kBusName = "org.norvik.RAIDUtility1";
inline constexpr const char* kObjectPath = "/org/norvik/RAIDUtility1";
inline constexpr const char* kInterface = "org.norvik.RAIDUtility1.Library";
inline constexpr const char* kConfigureAction = "org.norvik.RAIDUtility1.configure";
// The method that only asks polkit, before a series of changes.
inline constexpr const char* kAuthorizeChanges = "AuthorizeChanges";

// The library raised (or could not be loaded); the call did not complete.
inline constexpr const char* kErrorFailed = "org.norvik.RAIDUtility1.Error.Failed";

}  // namespace service
