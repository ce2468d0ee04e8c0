#include "help/HelpWindow.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

namespace {

constexpr int PageRole = Qt::UserRole;
const QString Scheme = QStringLiteral("chm");

void addItems(QTreeWidgetItem* parent, QTreeWidget* tree, const QList<SitemapItem>& items,
              int depth) {
    for (const SitemapItem& item : items) {
        auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
        node->setText(0, item.name);
        node->setData(0, PageRole, item.local);
        if (depth < 64)
            addItems(node, tree, item.children, depth + 1);
    }
}

void addIndex(QListWidget* list, const QList<SitemapItem>& items, const QString& prefix,
              int depth) {
    for (const SitemapItem& item : items) {
        const QString text =
            prefix.isEmpty() ? item.name : prefix + QStringLiteral(", ") + item.name;
        if (!item.local.isEmpty()) {
            auto* row = new QListWidgetItem(text, list);
            row->setData(PageRole, item.local);
        }
        if (depth < 64)
            addIndex(list, item.children, text, depth + 1);
    }
}

} // namespace

QUrl HelpBrowser::pageUrl(const QString& page) {
    QUrl url;
    url.setScheme(Scheme);
    QString path = page;
    QString fragment;
    if (const qsizetype hash = path.indexOf(QLatin1Char('#')); hash >= 0) {
        fragment = path.mid(hash + 1);
        path.truncate(hash);
    }
    if (!path.startsWith(QLatin1Char('/')))
        path.prepend(QLatin1Char('/'));
    url.setPath(path);
    if (!fragment.isEmpty())
        url.setFragment(fragment);
    return url;
}

void HelpBrowser::doSetSource(const QUrl& name, QTextDocument::ResourceType type) {
    QTextBrowser::doSetSource(name.isRelative() ? source().resolved(name) : name, type);
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
    // Style sheets and images of a page are named relative to the page.
    const QUrl url = name.isRelative() ? source().resolved(name) : name;
    if (!contents_ || url.scheme() != Scheme)
        return {};
    const QByteArray bytes = contents_->file(url.path());
    if (bytes.isNull())
        return {};
    switch (type) {
    case QTextDocument::HtmlResource:
    case QTextDocument::StyleSheetResource:
        return DecodeHelpText(bytes);
    case QTextDocument::ImageResource:
        return QImage::fromData(bytes);
    default:
        return bytes;
    }
}

HelpWindow::HelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), Browser(new HelpBrowser), Contents(new QTreeWidget),
      IndexFilter(new QLineEdit), Index(new QListWidget), SearchText(new QLineEdit),
      SearchResults(new QListWidget), BackButton(new QPushButton(QStringLiteral("戻る"))),
      ForwardButton(new QPushButton(QStringLiteral("進む"))), Tabs(new QTabWidget) {
    setWindowTitle(QStringLiteral("Folioscope ヘルプ"));
    resize(900, 640);
    // The tool ends with its main window, whether or not help is open.
    setAttribute(Qt::WA_QuitOnClose, false);

    QPushButton* searchButton = createTabs();
    layOutWindow();
    connectBrowser();
    connectLists(searchButton);
}

// The contents, index and search tabs; returns the search page's button.
QPushButton* HelpWindow::createTabs() {
    Contents->setHeaderHidden(true);
    auto* indexPage = new QWidget;
    auto* indexLayout = new QVBoxLayout(indexPage);
    indexLayout->addWidget(new QLabel(QStringLiteral("キーワードを入力してください:")));
    indexLayout->addWidget(IndexFilter);
    indexLayout->addWidget(Index);
    auto* searchPage = new QWidget;
    auto* searchLayout = new QVBoxLayout(searchPage);
    searchLayout->addWidget(new QLabel(QStringLiteral("検索する語句:")));
    auto* searchRow = new QHBoxLayout;
    auto* searchButton = new QPushButton(QStringLiteral("検索"));
    searchRow->addWidget(SearchText);
    searchRow->addWidget(searchButton);
    searchLayout->addLayout(searchRow);
    searchLayout->addWidget(SearchResults);
    Tabs->addTab(Contents, QStringLiteral("目次"));
    Tabs->addTab(indexPage, QStringLiteral("キーワード"));
    Tabs->addTab(searchPage, QStringLiteral("検索"));
    return searchButton;
}

// Back and forward above the tabs and the browser, side by side.
void HelpWindow::layOutWindow() {
    Browser->setOpenLinks(true);
    Browser->setOpenExternalLinks(false);
    auto* splitter = new QSplitter;
    splitter->addWidget(Tabs);
    splitter->addWidget(Browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({260, 640});

    auto* buttons = new QHBoxLayout;
    BackButton->setEnabled(false);
    ForwardButton->setEnabled(false);
    buttons->addWidget(BackButton);
    buttons->addWidget(ForwardButton);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);
}

// Back and forward follow the browser's history; the title and the contents follow its page.
void HelpWindow::connectBrowser() {
    connect(BackButton, &QPushButton::clicked, Browser, &QTextBrowser::backward);
    connect(ForwardButton, &QPushButton::clicked, Browser, &QTextBrowser::forward);
    connect(Browser, &QTextBrowser::backwardAvailable, BackButton, &QWidget::setEnabled);
    connect(Browser, &QTextBrowser::forwardAvailable, ForwardButton, &QWidget::setEnabled);
    connect(Browser, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        // Links out of the help file go to the user's browser; the page stays.
        if (url.scheme() != Scheme && !url.isRelative()) {
            QDesktopServices::openUrl(url);
            Browser->setSource(Browser->source());
        }
    });
    connect(Browser, &QTextBrowser::sourceChanged, this, [this](const QUrl& url) {
        const QString title = contents_ ? contents_->pageTitle(url.path()) : QString();
        setWindowTitle(title.isEmpty() ? QStringLiteral("Folioscope ヘルプ")
                                       : QStringLiteral("Folioscope ヘルプ - ") + title);
        // The contents show where the reader is: the first entry of the page.
        const QString key = HelpContents::key(url.path());
        for (QTreeWidgetItemIterator it(Contents); *it; ++it) {
            const QString local =
                (*it)->data(0, PageRole).toString().section(QLatin1Char('#'), 0, 0);
            if (!local.isEmpty() && HelpContents::key(local) == key) {
                const QSignalBlocker quiet(Contents);
                Contents->setCurrentItem(*it);
                break;
            }
        }
    });
}

// The contents, the index (with its filter box) and the search open the page of the entry chosen.
void HelpWindow::connectLists(QPushButton* searchButton) {
    connect(Contents, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { openLocal(item->data(0, PageRole).toString()); });
    connect(Contents, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { openLocal(item->data(0, PageRole).toString()); });
    connect(IndexFilter, &QLineEdit::textChanged, this, [this](const QString& text) {
        QListWidgetItem* first = nullptr;
        for (int i = 0; i < Index->count(); ++i) {
            QListWidgetItem* row = Index->item(i);
            const bool match = row->text().contains(text.trimmed(), Qt::CaseInsensitive);
            row->setHidden(!match);
            if (match && !first)
                first = row;
        }
        Index->setCurrentItem(first);
    });
    connect(IndexFilter, &QLineEdit::returnPressed, this, [this] {
        if (QListWidgetItem* row = Index->currentItem())
            openLocal(row->data(PageRole).toString());
    });
    connect(Index, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* row) { openLocal(row->data(PageRole).toString()); });
    connect(Index, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* row) { openLocal(row->data(PageRole).toString()); });
    connect(SearchText, &QLineEdit::returnPressed, this, &HelpWindow::runSearch);
    connect(searchButton, &QPushButton::clicked, this, &HelpWindow::runSearch);
    connect(SearchResults, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* row) { openLocal(row->data(PageRole).toString()); });
    connect(SearchResults, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* row) { openLocal(row->data(PageRole).toString()); });
}

void HelpWindow::showPage(const QString& helpFile, std::shared_ptr<const HelpContents> contents,
                          const QString& page) {
    if (contents != contents_) {
        helpFile_ = helpFile;
        contents_ = std::move(contents);
        Browser->setContents(contents_);
        Browser->clearHistory();
        Browser->clear();
        fillContents();
        fillIndex();
        SearchResults->clear();
    }
    QString target = page;
    if (target.isEmpty() || !contents_->contains(target.section(QLatin1Char('#'), 0, 0)))
        target = contents_->defaultPage();
    if (!target.isEmpty())
        openLocal(target);
}

QString HelpWindow::currentPage() const {
    return Browser->source().path();
}

void HelpWindow::openLocal(const QString& local) {
    if (local.isEmpty() || !contents_)
        return;
    const QUrl url = HelpBrowser::pageUrl(local);
    if (url.path() == Browser->source().path() && url.fragment().isEmpty())
        Browser->reload();
    else
        Browser->setSource(url);
}

void HelpWindow::fillContents() {
    Contents->clear();
    addItems(nullptr, Contents, contents_->tableOfContents(), 0);
    Contents->expandAll();
}

void HelpWindow::fillIndex() {
    Index->clear();
    IndexFilter->clear();
    addIndex(Index, contents_->index(), QString(), 0);
    Index->sortItems();
}

void HelpWindow::runSearch() {
    SearchResults->clear();
    if (!contents_)
        return;
    const auto found = contents_->search(SearchText->text());
    for (const auto& [path, title] : found) {
        auto* row = new QListWidgetItem(title, SearchResults);
        row->setData(PageRole, path);
    }
    if (found.isEmpty())
        new QListWidgetItem(QStringLiteral("該当するページはありません。"), SearchResults);
}
