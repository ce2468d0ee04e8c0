#include "pages/PageTextSearch.h"

#include <QDeadlineTimer>

#include "pages/PageText.h"
#include "pages/PrintPreview.h"
#include "pages/TextFolder.h"

int PageTextSearch::pageCount() const {
    return store_.Printing() ? 0 : store_.PageCount();
}

bool PageTextSearch::available() const {
    return !store_.Printing();
}

void PageTextSearch::follow() {
    if (followed_ && document_ == store_.DocumentNumber() &&
        texts_.size() == std::size_t(pageCount()))
        return;
    followed_ = true;
    document_ = store_.DocumentNumber();
    const std::size_t n = std::size_t(pageCount());
    texts_.assign(n, QString());
    made_.assign(n, 0);
    matches_.assign(n, {});
    searched_.assign(n, 0);
    searchedCount_ = 0;
}

void PageTextSearch::setQuery(const QString& query) {
    follow();
    query_ = TextFolder::fold(query);
    for (auto& m : matches_)
        m.clear();
    std::fill(searched_.begin(), searched_.end(), 0);
    searchedCount_ = 0;
}

const std::vector<qsizetype>& PageTextSearch::matchesOn(int page) {
    static const std::vector<qsizetype> none;
    follow();
    if (page < 0 || std::size_t(page) >= texts_.size())
        return none;
    const std::size_t p = std::size_t(page);
    if (searched_[p])
        return matches_[p];
    if (!made_[p]) {
        texts_[p] = PageText(store_.GetPage(page), PageText::Places::Without).text();
        made_[p] = 1;
    }
    std::vector<qsizetype>& found = matches_[p];
    found.clear();
    if (!query_.isEmpty()) {
        for (qsizetype at = texts_[p].indexOf(query_); at >= 0;
             at = texts_[p].indexOf(query_, at + query_.size()))
            found.push_back(at);
    }
    searched_[p] = 1;
    ++searchedCount_;
    return found;
}

bool PageTextSearch::searchSome(int start, qint64 deadlineMs, bool untilMatch) {
    follow();
    const int n = int(texts_.size());
    for (int i = 0; i < n && searchedCount_ < n; ++i) {
        const int page = (std::max(0, start) + i) % n;
        if (!searched_[std::size_t(page)]) {
            const bool found = !matchesOn(page).empty();
            if ((untilMatch && found) || QDeadlineTimer::current().deadline() >= deadlineMs)
                break;
        }
    }
    return complete();
}

bool PageTextSearch::complete() const {
    return followed_ && document_ == store_.DocumentNumber() &&
           searchedCount_ == int(texts_.size()) && texts_.size() == std::size_t(pageCount());
}

int PageTextSearch::total() const {
    std::size_t sum = 0;
    for (const auto& m : matches_)
        sum += m.size();
    return int(sum);
}

int PageTextSearch::ordinal(const TextMatch& match) const {
    std::size_t before = 0;
    for (int p = 0; p < match.page && std::size_t(p) < matches_.size(); ++p)
        before += matches_[std::size_t(p)].size();
    if (std::size_t(match.page) < matches_.size()) {
        const auto& here = matches_[std::size_t(match.page)];
        before +=
            std::size_t(std::lower_bound(here.begin(), here.end(), match.start) - here.begin());
    }
    return int(before) + 1;
}

std::optional<TextMatch> PageTextSearch::firstFrom(int page) {
    follow();
    const int n = int(texts_.size());
    if (query_.isEmpty() || n == 0)
        return std::nullopt;
    page = std::clamp(page, 0, n - 1);
    for (int i = 0; i < n; ++i) {
        const int p = (page + i) % n;
        if (const auto& m = matchesOn(p); !m.empty())
            return TextMatch{p, m.front()};
    }
    return std::nullopt;
}

PageTextSearch::Found PageTextSearch::firstSearchedFrom(int page) const {
    const int n = int(texts_.size());
    if (query_.isEmpty() || n == 0 || document_ != store_.DocumentNumber() || store_.Printing())
        return {true, std::nullopt};
    page = std::clamp(page, 0, n - 1);
    for (int i = 0; i < n; ++i) {
        const std::size_t p = std::size_t((page + i) % n);
        if (!searched_[p])
            return {false, std::nullopt};
        if (!matches_[p].empty())
            return {true, TextMatch{int(p), matches_[p].front()}};
    }
    return {true, std::nullopt};
}

std::optional<TextMatch> PageTextSearch::next(const TextMatch& match) {
    follow();
    const int n = int(texts_.size());
    if (query_.isEmpty() || n == 0)
        return std::nullopt;
    const int page = std::clamp(match.page, 0, n - 1);
    const auto& here = matchesOn(page);
    const auto after = std::upper_bound(here.begin(), here.end(), match.start);
    if (after != here.end())
        return TextMatch{page, *after};
    for (int i = 1; i <= n; ++i) {
        const int p = (page + i) % n;
        if (const auto& m = matchesOn(p); !m.empty())
            return TextMatch{p, m.front()};
    }
    return std::nullopt;
}

std::optional<TextMatch> PageTextSearch::previous(const TextMatch& match) {
    follow();
    const int n = int(texts_.size());
    if (query_.isEmpty() || n == 0)
        return std::nullopt;
    const int page = std::clamp(match.page, 0, n - 1);
    const auto& here = matchesOn(page);
    const auto before = std::lower_bound(here.begin(), here.end(), match.start);
    if (before != here.begin())
        return TextMatch{page, *(before - 1)};
    for (int i = 1; i <= n; ++i) {
        const int p = ((page - i) % n + n) % n;
        if (const auto& m = matchesOn(p); !m.empty())
            return TextMatch{p, m.back()};
    }
    return std::nullopt;
}

std::size_t PageTextSearch::cachedBytes() const {
    std::size_t bytes = 0;
    for (const QString& t : texts_)
        bytes += std::size_t(t.capacity()) * sizeof(QChar);
    return bytes;
}
