#include "app/AppIcons.h"

// The resources sit in a static library: register them explicitly, or the linker drops them.
static void initResources() {
    Q_INIT_RESOURCE(app);
}

namespace app_icons {
namespace {

QIcon fromResource(const char* name) {
    static const bool registered = (initResources(), true);
    Q_UNUSED(registered);
    return QIcon(QStringLiteral(":/app/icons/%1.svg").arg(QLatin1String(name)));
}

} // namespace

QIcon tool() {
    return fromResource("folioscope");
}

QIcon fileOpen() {
    return fromResource("open");
}

QIcon help() {
    QIcon icon = fromResource("help");
    icon.addFile(QStringLiteral(":/app/icons/help-disabled.svg"), QSize(), QIcon::Disabled);
    return icon;
}

QIcon exit() {
    return fromResource("exit");
}

} // namespace app_icons
