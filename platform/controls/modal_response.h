#pragma once

namespace platform {

// The answer of a modal session: the pressed button of an alert, or how the
// session ended.
using ModalResponse = long;

inline constexpr ModalResponse kAlertFirstButtonReturn = 1000;
inline constexpr ModalResponse kAlertSecondButtonReturn = 1001;
inline constexpr ModalResponse kAlertThirdButtonReturn = 1002;
inline constexpr ModalResponse kModalResponseStop = -1000;
// The session was ended by Application::abortModal (or could not be shown).
inline constexpr ModalResponse kModalResponseAbort = -1001;

}  // namespace platform
