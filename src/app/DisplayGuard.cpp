#include "app/DisplayGuard.h"

#include <QList>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

namespace display_guard {
namespace {

struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};

QtMessageHandler previousHandler = nullptr;
QList<HeldMessage> held;

bool fromPlatformPlugin(const QMessageLogContext& context) {
    return context.category && qstrncmp(context.category, "qt.qpa", 6) == 0;
}

void handler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        // qFatal would abort right after this returns: end here with the tool's own line.
        reportNoWindow(held.isEmpty() ? text.section(QLatin1Char('\n'), 0, 0) : held.front().text);
        std::fflush(stdout);
        std::_Exit(1);
    }
    if (fromPlatformPlugin(context)) {
        held.append({type, QByteArray(context.category), text});
        return;
    }
    if (previousHandler)
        previousHandler(type, context, text);
}

} // namespace

QString missingDisplay() {
    // A platform chosen by name (offscreen, vnc, ...) is the user's call; the guard still
    // catches it failing.
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return QString();
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return QStringLiteral("no display (neither DISPLAY nor WAYLAND_DISPLAY is set)");
    return QString();
}

int reportNoWindow(const QString& reason) {
    std::fprintf(stderr,
                 "folioscope: cannot open the window: %s; --pdf and --print work without one\n",
                 reason.toLocal8Bit().constData());
    return 1;
}

Guard::Guard() {
    held.clear();
    previousHandler = qInstallMessageHandler(handler);
}

Guard::~Guard() {
    qInstallMessageHandler(previousHandler);
    // The application started after all: what the plugins said is shown as usual.
    for (const HeldMessage& message : std::as_const(held)) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
        qt_message_output(message.type, context, message.text);
    }
    held.clear();
}

} // namespace display_guard
