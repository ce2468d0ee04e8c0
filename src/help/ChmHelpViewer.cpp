#include "help/ChmHelpViewer.h"

#include <QApplication>
#include <QFileInfo>

#include "help/ChmLoader.h"
#include "help/HelpContents.h"
#include "help/HelpWindow.h"

namespace {
std::unique_ptr<HelpViewer>& viewerOfProcess() {
    static std::unique_ptr<HelpViewer> viewer;
    return viewer;
}
} // namespace

HelpViewer& CurrentHelpViewer() {
    auto& viewer = viewerOfProcess();
    if (!viewer)
        viewer = std::make_unique<ChmHelpViewer>();
    return *viewer;
}

std::unique_ptr<HelpViewer> InstallHelpViewer(std::unique_ptr<HelpViewer> viewer) {
    auto& current = viewerOfProcess();
    if (current)
        current->ShutDown();
    std::swap(current, viewer);
    return viewer;
}

ChmHelpViewer::ChmHelpViewer() = default;

ChmHelpViewer::~ChmHelpViewer() {
    ShutDown();
}

void ChmHelpViewer::DisplayTopic(const QString& helpFile, const QString& page) {
    show(helpFile, page);
}

void ChmHelpViewer::ShowTableOfContents(const QString& helpFile) {
    show(helpFile, QString());
}

void ChmHelpViewer::ShutDown() {
    // Without the application object (the static viewer outlives it) the window system is gone
    // and the window must not be touched.
    if (window_ && QCoreApplication::instance())
        delete window_.data();
}

std::shared_ptr<const HelpContents> ChmHelpViewer::load(const QString& helpFile) {
    const QFileInfo info(helpFile);
    if (!info.isFile())
        return nullptr;
    if (loaded_ && loadedFile_ == info.absoluteFilePath() && loadedSize_ == info.size() &&
        loadedTime_ == info.lastModified())
        return loaded_;
    const auto files = LoadChmFiles(info.absoluteFilePath());
    if (!files)
        return nullptr;
    auto contents = std::make_shared<const HelpContents>(*files);
    loadedFile_ = info.absoluteFilePath();
    loadedSize_ = info.size();
    loadedTime_ = info.lastModified();
    loaded_ = contents;
    return contents;
}

void ChmHelpViewer::show(const QString& helpFile, const QString& page) {
    // Help never disturbs the tool: whatever goes wrong, nothing is shown.
    try {
        const auto contents = load(helpFile);
        if (!contents)
            return;
        if (!window_) {
            window_ = new HelpWindow;
            window_->setAttribute(Qt::WA_DeleteOnClose);
            if (auto* app = QCoreApplication::instance())
                QObject::connect(app, &QCoreApplication::aboutToQuit, window_.data(),
                                 [this] { ShutDown(); });
        }
        // A modal window blocks every window but its own: help asked from a modal window
        // belongs to it, so that it can be used while that window is open.
        QWidget* owner = QApplication::activeModalWidget();
        if (window_->parentWidget() != owner) {
            window_->setParent(owner, Qt::Window);
            window_->setAttribute(Qt::WA_QuitOnClose, false);
        }
        window_->showPage(QFileInfo(helpFile).absoluteFilePath(), contents, page);
        window_->show();
        window_->raise();
        window_->activateWindow();
    } catch (...) {
    }
}
