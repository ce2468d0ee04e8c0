#pragma once
// Finding text in the preview: joins the find bar to the search of the recorded pages
// (PageTextSearch) and to the page shown. Typing finds the first match from the top of the
// page shown at once and counts the rest in short slices between events; Enter, Shift+Enter,
// F3 and Shift+F3 go to the next or previous match across pages; the matches on the page
// shown are marked. After a new layout (settings, fonts, reload) the search starts again on
// the new pages.

#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

#include "pages/PageText.h"
#include "pages/PageTextSearch.h"
#include "ui/MatchHighlight.h"

class FindBar;
class PageImageView;
class QScrollArea;
class TPrintPreview;

class PreviewFind : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<int()> currentPage;  // from 1
        std::function<void(int)> goToPage; // from 1; scrolls to the top
    };
    PreviewFind(FindBar* bar, const TPrintPreview& store, QScrollArea* area, PageImageView* image,
                Hooks hooks);

    // Ctrl+F: shows the bar with the keyboard in it.
    void open();
    // Enter / F3 and Shift+Enter / Shift+F3 (from the bar or anywhere in the window).
    void findNext();
    void findPrevious();

    const std::optional<TextMatch>& currentMatch() const { return current_; }
    const PageTextSearch& search() const { return search_; }
    bool counting() const { return counter_.isActive(); }
    // The marks for page: none unless it is the page shown and the bar is open.
    MatchMarks marksOn(const PageRecording& page);

    // Time given to counting before events are looked at again, and to looking for the first
    // match before the bar answers to events again (the search then goes on in slices).
    static constexpr int SliceMs = 15;
    static constexpr int FirstMs = 60;

private:
    void queryChanged(const QString& text);
    void countSome();
    void closed();
    // The pages are another document's: search it again without moving.
    bool followDocument();
    void restart(bool move);
    void go(const std::optional<TextMatch>& match, bool move);
    // Shows the first match from the start page once the pages before it are searched.
    void settleFirst();
    void updateStatus();
    bool active() const;

    FindBar* bar_;
    const TPrintPreview& store_;
    QScrollArea* area_;
    PageImageView* image_;
    Hooks hooks_;
    MatchHighlight* highlight_;
    PageTextSearch search_;
    QTimer counter_;
    unsigned document_ = 0;
    std::optional<TextMatch> current_;
    int start_ = 0;             // page (0-based) the search started from
    bool firstPending_ = false; // the first match is not known yet
    bool moveToFirst_ = false;
    // The places of the characters of the page shown, made when it is marked.
    std::optional<PageText> places_;
    int placesPage_ = -1;
    unsigned placesDocument_ = 0;
};
