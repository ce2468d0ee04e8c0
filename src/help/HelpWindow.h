#pragma once
// The help window: the pages of one help file in a text browser, with its table of contents,
// its index (with a filter box) and a full-text search beside them, and back and forward.

#include <QTextBrowser>
#include <QWidget>
#include <memory>

#include "help/HelpContents.h"

class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

// Serves pages, style sheets and images from the help file; links leave it only for the
// user's web browser.
class HelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit HelpBrowser(QWidget* parent = nullptr) : QTextBrowser(parent) {}
    void setContents(std::shared_ptr<const HelpContents> contents) {
        contents_ = std::move(contents);
    }
    QVariant loadResource(int type, const QUrl& name) override;

protected:
    // Links of a page are relative to it.
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;

public:
    // The URL of a page path inside the help file.
    static QUrl pageUrl(const QString& page);

private:
    std::shared_ptr<const HelpContents> contents_;
};

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows contents (of the file helpFile) at page, or at its first page when page is empty
    // or absent.
    void showPage(const QString& helpFile, std::shared_ptr<const HelpContents> contents,
                  const QString& page);

    QString helpFile() const { return helpFile_; }
    // The page shown, as a path inside the help file ("/Zeph機能特徴.htm").
    QString currentPage() const;

    HelpBrowser* Browser;
    QTreeWidget* Contents;
    QLineEdit* IndexFilter;
    QListWidget* Index;
    QLineEdit* SearchText;
    QListWidget* SearchResults;
    QPushButton* BackButton;
    QPushButton* ForwardButton;
    QTabWidget* Tabs;

    // Runs the search of SearchText into SearchResults.
    void runSearch();

private:
    QPushButton* createTabs();
    void layOutWindow();
    void connectBrowser();
    void connectLists(QPushButton* searchButton);
    void fillContents();
    void fillIndex();
    void openLocal(const QString& local);

    QString helpFile_;
    std::shared_ptr<const HelpContents> contents_;
};
