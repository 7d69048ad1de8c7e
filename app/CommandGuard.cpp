// SPDX-License-Identifier: MIT
// RunCommand: the edge of every window command, where errors become the error box.
#include "app/CommandGuard.h"

#include "common/Errors.h"
#include "app/ApplicationTitle.h"
#include "app/Services.h"

#include <QString>

namespace kameola {

namespace {

void ShowErrorBox(Services& services, QWidget* parent, const std::string& message)
{
    services.ShowError(parent, QString::fromStdString(WithFullStop(message)), ApplicationTitle());
}

} // namespace

void RunCommand(Services& services, QWidget* parent, const std::function<void()>& command)
{
    // The box is shown after the handler has been left, so that objects the command
    // held are released before the user sees it.
    std::string message;
    try {
        command();
        return;
    } catch (const EAbort&) {
        return;
    } catch (const Exception& e) {
        message = e.Message();
    } catch (const std::exception& e) {
        message = e.what();
    } catch (...) {
        message = TextsOf(MessageId::UnknownError).Japanese;
    }
    try {
        ShowErrorBox(services, parent, message);
    } catch (...) {
        // Nothing more can be told; the command stays ended.
    }
}

} // namespace kameola
