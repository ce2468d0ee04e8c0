#include "ui/MessageBoxes.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSpacerItem>
#include <algorithm>

namespace {

// Room in the title bar besides the caption: window icon and the three title-bar buttons.
constexpr int TitleBarExtra = 160;
// Room in the box besides a text line: the icon column and the margins.
constexpr int TextExtra = 100;
// A box no wider than this when there is no screen to measure.
constexpr int FallbackMaxWidth = 900;

} // namespace

void ShowWarning(QWidget* parent, const QString& text) {
    QMessageBox::warning(parent, QStringLiteral("警告"), text, QMessageBox::Ok);
}

int MessageBoxMinimumWidth(const QFontMetrics& metrics, const QString& caption, const QString& text,
                           int maxWidth) {
    int width = metrics.horizontalAdvance(caption) + TitleBarExtra;
    for (const QString& line : text.split(QLatin1Char('\n')))
        width = std::max(width, metrics.horizontalAdvance(line) + TextExtra);
    return std::min(width, maxWidth);
}

std::unique_ptr<QMessageBox> MakeErrorBox(QWidget* parent, const QString& text) {
    // No application title is set, so this is the program file's name.
    auto box = std::make_unique<QMessageBox>(
        QMessageBox::Critical, QCoreApplication::applicationName(), text, QMessageBox::Ok, parent);
    // QMessageBox picks a narrow width of its own: the caption is cut in the title bar and a
    // long path in the text breaks at arbitrary places. A spacer across the box's grid makes
    // it as wide as both need, within two thirds of the screen.
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const int maxWidth = screen ? screen->availableGeometry().width() * 2 / 3 : FallbackMaxWidth;
    const int width =
        MessageBoxMinimumWidth(box->fontMetrics(), box->windowTitle(), text, maxWidth);
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    return box;
}

void ShowErrorBox(QWidget* parent, const QString& text) {
    MakeErrorBox(parent, text)->exec();
}
