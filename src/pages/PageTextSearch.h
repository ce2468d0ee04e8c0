#pragma once
// Finds a text on the recorded pages of a page store. Each page's searchable text (PageText)
// is made on first need and kept until the store holds another document; matches are counted
// page by page, so that the first match near the page shown can be reported before the rest
// of a long document has been looked at.

#include <QString>
#include <optional>
#include <vector>

class TPrintPreview;

struct TextMatch {
    int page = 0;        // 0-based
    qsizetype start = 0; // in the page's PageText
    bool operator==(const TextMatch&) const = default;
};

class PageTextSearch {
public:
    explicit PageTextSearch(const TPrintPreview& store) : store_(store) {}

    // A new query (any form; it is folded here). Counts start again; page texts are kept.
    void setQuery(const QString& query);
    const QString& foldedQuery() const { return query_; }
    qsizetype matchLength() const { return query_.size(); }

    // False while the store records a document (pages cannot be read then).
    bool available() const;

    // The starts of the matches on page (0-based), searching it on first need.
    const std::vector<qsizetype>& matchesOn(int page);
    // Searches pages not yet searched, in page order from start, until deadlineMs of the
    // monotonic clock has passed (or, with untilMatch, a page with a match was searched).
    // True when every page has been searched.
    bool searchSome(int start, qint64 deadlineMs, bool untilMatch = false);
    bool complete() const;
    // All matches (complete() only).
    int total() const;
    // The place of match among all, from 1 (complete() only).
    int ordinal(const TextMatch& match) const;

    // The first match on page from or any later page, going round to page 0; none when the
    // document holds no match. Searches the pages it passes.
    std::optional<TextMatch> firstFrom(int page);
    // The same from the pages searched so far: decided is false when a page not yet searched
    // comes before any match.
    struct Found {
        bool decided = false;
        std::optional<TextMatch> match;
    };
    Found firstSearchedFrom(int page) const;
    // The match after (before) match, going round at the end (the start).
    std::optional<TextMatch> next(const TextMatch& match);
    std::optional<TextMatch> previous(const TextMatch& match);

    // Bytes of text kept for the pages searched so far.
    std::size_t cachedBytes() const;

private:
    // Forgets everything when the store began another document since.
    void follow();
    int pageCount() const;

    const TPrintPreview& store_;
    unsigned document_ = 0;
    bool followed_ = false;
    QString query_;
    std::vector<QString> texts_;                  // per page
    std::vector<char> made_;                      // per page: texts_ holds its text
    std::vector<std::vector<qsizetype>> matches_; // per page, for query_
    std::vector<char> searched_;                  // per page, for query_
    int searchedCount_ = 0;
};
