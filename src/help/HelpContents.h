#pragma once
// The pages of a loaded help file: lookup by path (case-insensitive, as in a .chm), the table of
// contents (.hhc) and the index (.hhk), and a plain-text search over the pages.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include "help/ChmLoader.h"

// One entry of a table of contents or an index: its text, its page and its children.
struct SitemapItem {
    QString name;
    QString local; // page path inside the help file, may carry "#anchor"; empty for a heading
    QList<SitemapItem> children;
};

// Parses the sitemap HTML of a .hhc or .hhk file.
QList<SitemapItem> ParseSitemap(const QString& html);

// Text of help files: UTF-8 where it is valid, else code page 932.
QString DecodeHelpText(const QByteArray& bytes);

class HelpContents {
public:
    explicit HelpContents(const QList<ChmFileData>& files);

    // The bytes of a file by its path inside the help file ("/a.htm" or "a.htm"); null when
    // absent.
    QByteArray file(const QString& path) const;
    bool contains(const QString& path) const;

    const QList<SitemapItem>& tableOfContents() const { return toc_; }
    const QList<SitemapItem>& index() const { return index_; }
    // The first page of the table of contents, or the first page of the file.
    QString defaultPage() const;

    // Pages containing every word of the query (case-insensitive), in title order: path and
    // title.
    QList<QPair<QString, QString>> search(const QString& query) const;
    // Title of a page (its <title>), or its path.
    QString pageTitle(const QString& path) const;

    // The form a path takes as key: leading "/", lower case.
    static QString key(const QString& path);

private:
    struct Page {
        QString path, title, text;
    };
    QHash<QString, ChmFileData> files_;
    QList<SitemapItem> toc_, index_;
    QList<Page> pages_;
};
