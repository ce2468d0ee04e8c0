#pragma once
// A PDF file or print job that could not be made. what() is the window's message (Japanese,
// from PagesErrors.h); kind, subject and reason let the command line say the same in its own
// language.

#include <QString>
#include <stdexcept>

class EOutputError : public std::runtime_error {
public:
    enum class Kind {
        FileNotWritten,       // subject: the PDF file; reason: the system's
        SpoolNotWritten,      // subject: the print job's spool file; reason: the system's
        SchedulerUnreachable, // subject: the scheduler's address; reason: why
        JobNotSent,           // subject: the queue; reason: the scheduler's
        JobInterrupted,       // subject: the queue; the connection broke while sending
    };

    EOutputError(Kind kind, const QString& subject, const QString& reason = QString());

    Kind kind() const { return kind_; }
    const QString& subject() const { return subject_; }
    const QString& reason() const { return reason_; }

private:
    Kind kind_;
    QString subject_;
    QString reason_;
};
