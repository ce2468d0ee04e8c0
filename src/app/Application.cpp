#include "app/Application.h"

#include <exception>
#include <new>

#include "app/AppErrors.h"
#include "app/TextFileReader.h"
#include "ui/MessageBoxes.h"

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    ReportError = [](const QString& message) {
        ShowErrorBox(QApplication::activeWindow(), message);
    };
}

QString Application::currentExceptionMessage() {
    try {
        throw;
    } catch (const TextFileError& e) {
        return e.message();
    } catch (const std::bad_alloc&) {
        return app_errors::OutOfMemory;
    } catch (const std::exception& e) {
        const QString what = QString::fromUtf8(e.what());
        return what.isEmpty() ? app_errors::UnknownError : what;
    } catch (...) {
        return app_errors::UnknownError;
    }
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        const QString message = currentExceptionMessage();
        if (ReportError)
            ReportError(message);
        return false;
    }
}
