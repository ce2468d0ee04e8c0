#include "app/OutputErrorText.h"

#include "app/AppErrors.h"
#include "pages/OutputError.h"

QString OutputErrorText(const EOutputError& error) {
    using Kind = EOutputError::Kind;
    const char* format = app_errors::CannotWrite;
    switch (error.kind()) {
    case Kind::FileNotWritten:
        format = app_errors::CannotWrite;
        break;
    case Kind::SpoolNotWritten:
        format = app_errors::SpoolNotWritten;
        break;
    case Kind::SchedulerUnreachable:
        format = app_errors::SchedulerUnreachable;
        break;
    case Kind::JobNotSent:
        format = app_errors::JobNotSent;
        break;
    case Kind::JobInterrupted:
        return QString::fromUtf8(app_errors::JobInterrupted).arg(error.subject());
    }
    return QString::fromUtf8(format).arg(error.subject(), error.reason());
}
