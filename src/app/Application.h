#pragma once
// The application object. Whatever escapes an event handler ends that handler only: it is
// caught here, its message shown in the standard error box, and the tool keeps running in the
// state it was in.

#include <QApplication>
#include <functional>

class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Shows the message of a caught failure; the standard error box unless replaced.
    std::function<void(const QString& message)> ReportError;

    // The message shown for the exception being handled (call inside a catch block).
    static QString currentExceptionMessage();
};
