#include "pages/OutputError.h"

#include "pages/PagesErrors.h"

namespace {

QString windowText(EOutputError::Kind kind, const QString& subject, const QString& reason) {
    using Kind = EOutputError::Kind;
    switch (kind) {
    case Kind::FileNotWritten:
        return QString::fromUtf8(pages_errors::PdfNotWritten).arg(subject, reason);
    case Kind::SpoolNotWritten:
        return QString::fromUtf8(pages_errors::SpoolNotWritten).arg(subject, reason);
    case Kind::SchedulerUnreachable:
        return QString::fromUtf8(pages_errors::SchedulerUnreachable).arg(subject, reason);
    case Kind::JobNotSent:
        return QString::fromUtf8(pages_errors::JobNotSent).arg(subject, reason);
    case Kind::JobInterrupted:
        return QString::fromUtf8(pages_errors::JobInterrupted).arg(subject);
    }
    return reason;
}

} // namespace

EOutputError::EOutputError(Kind kind, const QString& subject, const QString& reason)
    : std::runtime_error(windowText(kind, subject, reason).toStdString()), kind_(kind),
      subject_(subject), reason_(reason) {}
