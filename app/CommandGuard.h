// SPDX-License-Identifier: MIT
// RunCommand: the edge of every window command, where errors become the error box.
#pragma once

#include <functional>

class QWidget;

namespace kameola {

class Services;

// Runs a command so that no exception leaves it into Qt's frames. An EAbort is dropped
// silently; any other error is shown in a box with its message and the "." rule, the
// application title as caption, the stop icon and OK.
void RunCommand(Services& services, QWidget* parent, const std::function<void()>& command);

} // namespace kameola
