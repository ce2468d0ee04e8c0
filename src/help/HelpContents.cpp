#include "help/HelpContents.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QTextDocumentFragment>
#include <algorithm>

#include "platform/Cp932.h"

namespace {

QString attribute(const QString& tag, const QString& name) {
    const QRegularExpression re(
        QStringLiteral("\\b%1\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))").arg(name),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(tag);
    if (!m.hasMatch())
        return {};
    for (int i = 1; i <= 3; ++i)
        if (m.capturedStart(i) >= 0)
            return QTextDocumentFragment::fromHtml(m.captured(i)).toPlainText();
    return {};
}

bool isPage(const QString& path) {
    return path.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive) ||
           path.endsWith(QLatin1String(".html"), Qt::CaseInsensitive);
}

QString firstFileWithExtension(const QHash<QString, ChmFileData>& files, const QString& ext) {
    QStringList found;
    for (const ChmFileData& f : files)
        if (f.path.endsWith(ext, Qt::CaseInsensitive))
            found << f.path;
    // A file at the top level first, then by name, so the choice does not depend on hashing.
    std::sort(found.begin(), found.end(), [](const QString& a, const QString& b) {
        return std::pair(a.count(QLatin1Char('/')), a) < std::pair(b.count(QLatin1Char('/')), b);
    });
    return found.value(0);
}

QString firstPage(const QList<SitemapItem>& items) {
    for (const SitemapItem& item : items) {
        if (!item.local.isEmpty())
            return item.local;
        const QString inner = firstPage(item.children);
        if (!inner.isEmpty())
            return inner;
    }
    return {};
}

} // namespace

QString DecodeHelpText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return cp932::decode(bytes);
}

QList<SitemapItem> ParseSitemap(const QString& html) {
    // Items nest by <UL>; an item is an <OBJECT type="text/sitemap"> with <param> children.
    static const QRegularExpression tagRe(QStringLiteral("<\\s*(/?)\\s*([a-zA-Z]+)([^>]*)>"));
    QList<SitemapItem> roots;
    QList<QList<SitemapItem>*> levels{&roots};
    SitemapItem* lastItem = nullptr;
    bool inObject = false;
    SitemapItem current;
    constexpr int MaxDepth = 64;
    QList<bool> openedLevel; // per open <UL>: whether it holds the children of an item
    auto it = tagRe.globalMatch(html);
    while (it.hasNext()) {
        const auto m = it.next();
        const bool closing = !m.captured(1).isEmpty();
        const QString name = m.captured(2).toLower();
        const QString rest = m.captured(3);
        if (name == QLatin1String("ul")) {
            if (!closing) {
                const bool opens = lastItem && levels.size() < MaxDepth;
                if (opens)
                    levels.append(&lastItem->children);
                openedLevel.append(opens);
                lastItem = nullptr;
            } else if (!openedLevel.isEmpty()) {
                if (openedLevel.takeLast())
                    levels.removeLast();
                lastItem = nullptr;
            }
        } else if (name == QLatin1String("object")) {
            if (!closing) {
                inObject = attribute(rest, QStringLiteral("type"))
                               .compare(QLatin1String("text/sitemap"), Qt::CaseInsensitive) == 0;
                current = SitemapItem();
            } else if (inObject) {
                inObject = false;
                if (!current.name.isEmpty() || !current.local.isEmpty()) {
                    levels.last()->append(current);
                    lastItem = &levels.last()->last();
                }
            }
        } else if (name == QLatin1String("param") && inObject) {
            const QString paramName = attribute(rest, QStringLiteral("name")).toLower();
            const QString value = attribute(rest, QStringLiteral("value"));
            if (paramName == QLatin1String("name") && current.name.isEmpty())
                current.name = value;
            else if (paramName == QLatin1String("local") && current.local.isEmpty())
                current.local = value;
        }
    }
    return roots;
}

QString HelpContents::key(const QString& path) {
    QString k = path.toLower();
    if (!k.startsWith(QLatin1Char('/')))
        k.prepend(QLatin1Char('/'));
    return k;
}

HelpContents::HelpContents(const QList<ChmFileData>& files) {
    for (const ChmFileData& f : files)
        files_.insert(key(f.path), f);
    const QString hhc = firstFileWithExtension(files_, QStringLiteral(".hhc"));
    if (!hhc.isEmpty())
        toc_ = ParseSitemap(DecodeHelpText(file(hhc)));
    const QString hhk = firstFileWithExtension(files_, QStringLiteral(".hhk"));
    if (!hhk.isEmpty())
        index_ = ParseSitemap(DecodeHelpText(file(hhk)));

    static const QRegularExpression titleRe(QStringLiteral("<title[^>]*>(.*?)</title>"),
                                            QRegularExpression::CaseInsensitiveOption |
                                                QRegularExpression::DotMatchesEverythingOption);
    // The search covers the pages of an ordinary help file; a file with absurdly many or
    // large pages is searched in part rather than making the first help request slow.
    constexpr qsizetype MaxSearchedPages = 2000;
    constexpr qsizetype MaxSearchedPageBytes = 1 << 20;
    for (const ChmFileData& f : files) {
        if (!isPage(f.path) || f.bytes.size() > MaxSearchedPageBytes ||
            pages_.size() >= MaxSearchedPages)
            continue;
        const QString html = DecodeHelpText(f.bytes);
        Page page;
        page.path = f.path;
        page.title = QTextDocumentFragment::fromHtml(titleRe.match(html).captured(1))
                         .toPlainText()
                         .simplified();
        if (page.title.isEmpty())
            page.title = f.path.mid(1);
        page.text = QTextDocumentFragment::fromHtml(html).toPlainText();
        pages_.append(page);
    }
    std::sort(pages_.begin(), pages_.end(),
              [](const Page& a, const Page& b) { return a.title < b.title; });
}

QByteArray HelpContents::file(const QString& path) const {
    const auto it = files_.constFind(key(path));
    return it == files_.cend() ? QByteArray() : it->bytes;
}

bool HelpContents::contains(const QString& path) const {
    return files_.contains(key(path));
}

QString HelpContents::defaultPage() const {
    const QString fromToc = firstPage(toc_);
    if (!fromToc.isEmpty())
        return fromToc;
    return pages_.isEmpty() ? QString() : pages_.first().path;
}

QString HelpContents::pageTitle(const QString& path) const {
    for (const Page& p : pages_)
        if (key(p.path) == key(path))
            return p.title;
    return path;
}

QList<QPair<QString, QString>> HelpContents::search(const QString& query) const {
    const QStringList words =
        query.split(QRegularExpression(QStringLiteral("[\\s\\x{3000}]+")), Qt::SkipEmptyParts);
    QList<QPair<QString, QString>> found;
    if (words.isEmpty())
        return found;
    for (const Page& p : pages_) {
        const bool all = std::all_of(words.begin(), words.end(), [&](const QString& w) {
            return p.text.contains(w, Qt::CaseInsensitive) ||
                   p.title.contains(w, Qt::CaseInsensitive);
        });
        if (all)
            found.append({p.path, p.title});
    }
    return found;
}
