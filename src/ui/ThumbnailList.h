#pragma once
// The "サムネイル" tab of the preview's side panel: one small picture per recorded page, in a
// column. A picture is drawn from the page store once its row is on screen, on a worker thread
// so that a page with a large figure never holds up scrolling, and kept in a cache of bounded
// size; rows not drawn yet show a blank sheet. When the rows on screen are drawn, the rows of
// one screen above and below them follow, so that scrolling on finds them ready. The page
// shown is the current row; a click asks for a page.

#include <QAbstractListModel>
#include <QCache>
#include <QListView>
#include <QPixmap>
#include <QThreadPool>
#include <QTimer>
#include <vector>

class PageRecording;
class TPrintPreview;
struct TPrinterInfo;

// The rows: page numbers and their pictures.
class ThumbnailModel : public QAbstractListModel {
    Q_OBJECT
public:
    // Width of a picture in pixels (sheet and shadow); the height follows the paper.
    static constexpr int PictureWidth = 96;
    // Pictures kept, in kilobytes (about 300 A4 pictures).
    static constexpr int CacheKiB = 16 * 1024;

    explicit ThumbnailModel(const TPrintPreview& store, QObject* parent = nullptr);

    // Takes the store's pages as they are now (after a layout); drops every picture.
    void refresh();
    QSize pictureSize() const { return size_; }
    bool hasPicture(int row) const { return cache_.contains(row); }
    // Whether row is one of the pages taken and has no picture yet.
    bool wants(int row) const;
    // Draws the picture of row now, unless it is drawn or the pages are not this model's.
    void draw(int row);
    // The picture of row, drawn elsewhere from the same pages (a null image: a blank sheet).
    void setPicture(int row, const QImage& picture);
    // The picture of page at pictureSize(), for pages laid out for printer. Any thread.
    static QImage render(const PageRecording& page, const TPrinterInfo& printer);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

signals:
    // A row without picture was asked for its picture (it is being painted).
    void wanted(int row) const;

private:
    bool pagesValid() const;

    const TPrintPreview& store_;
    unsigned document_ = 0;
    int count_ = 0;
    QSize size_;
    QPixmap blank_;
    mutable QCache<int, QPixmap> cache_;
};

class ThumbnailList : public QListView {
    Q_OBJECT
public:
    explicit ThumbnailList(const TPrintPreview& store, QWidget* parent = nullptr);
    // Waits for the picture being drawn.
    ~ThumbnailList() override;

    ThumbnailModel& thumbnails() { return model_; }
    // After a layout: the new pages, no pictures yet.
    void refresh();
    // Makes page (from 1) the current row and scrolls it into view.
    void markPage(int page);
    // True while rows on screen, or the rows of a screen around them, wait for pictures.
    bool drawing() const { return timer_.isActive() || drawingRow_ >= 0; }

signals:
    void pageChosen(int page);

private:
    void want(int row);
    // Starts the picture of nextRow() on the worker unless one is being drawn.
    void drawNext();
    void pictureDone(unsigned refreshes, int row, const QImage& picture);
    bool onScreen(int row) const;
    // The next row to draw: one asked for that is still on screen, else the nearest row of a
    // screen below, then above, the rows on screen without picture; -1 when none.
    int nextRow();
    // First and last row on screen (first > last when none).
    std::pair<int, int> rowsOnScreen() const;

    const TPrintPreview& store_;
    ThumbnailModel model_;
    std::vector<int> waiting_; // rows asked for, the latest last
    QTimer timer_;
    QThreadPool worker_; // one thread
    int drawingRow_ = -1;
    unsigned refreshes_ = 0; // a picture started before the last refresh is of other pages
};
