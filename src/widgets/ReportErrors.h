#pragma once

#include "widgets/Dialogs.h"

#include <QString>

#include <exception>
#include <utility>

// Runs an event handler as the application runs every handler: an error the
// handler does not catch itself reaches the user in a message box with the
// error's own message, and the window stays usable.
template <typename Handler> void ReportErrors(Dialogs& dialogs, Handler&& handler)
{
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception& error) {
        dialogs.ShowMessage(QString::fromUtf8(error.what()));
    }
}
