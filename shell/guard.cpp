#include "shell/guard.h"

#include "shell/exception.h"
#include "shell/exceptiondisplay.h"

#include <QCoreApplication>

#include <exception>

bool Guard::run(const std::function<void()> &handler) noexcept
{
    QString message;
    try {
        handler();
        return true;
    } catch (const EAbort &) {
        return false;
    } catch (const Exception &e) {
        message = e.message();
    } catch (const std::exception &e) {
        message = QString::fromLocal8Bit(e.what());
    } catch (...) {
        message = QCoreApplication::translate("Guard", "An unexpected error occurred");
    }
    // Shown after the catch block has ended, so the box's own event loop runs
    // with no exception in flight.
    try {
        ExceptionDisplay::show(message);
    } catch (...) {
    }
    return false;
}
