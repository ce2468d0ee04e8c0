#include "ui/ThumbnailList.h"

#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "pages/PageRecording.h"
#include "pages/PrintPreview.h"
#include "ui/PageImage.h"

namespace {

// Pictures are made at a nominal screen resolution; only their width in pixels matters.
constexpr double NominalDpi = 96;

double zoomForWidth(const TPrinterInfo& printer, int width) {
    const QSize atOne = PageImage::pictureSize(printer, 1.0, NominalDpi, NominalDpi);
    return atOne.width() > 0 ? double(width) / atOne.width() : 0.0;
}

} // namespace

ThumbnailModel::ThumbnailModel(const TPrintPreview& store, QObject* parent)
    : QAbstractListModel(parent), store_(store), cache_(CacheKiB) {}

bool ThumbnailModel::pagesValid() const {
    return !store_.Printing() && store_.DocumentNumber() == document_ &&
           store_.PageCount() == count_;
}

void ThumbnailModel::refresh() {
    beginResetModel();
    cache_.clear();
    document_ = store_.DocumentNumber();
    count_ = store_.Printing() ? 0 : store_.PageCount();
    const TPrinterInfo& printer = store_.referenceDevice();
    size_ = PageImage::pictureSize(printer, zoomForWidth(printer, PictureWidth), NominalDpi,
                                   NominalDpi);
    if (size_.isEmpty())
        size_ = QSize(PictureWidth, PictureWidth);
    blank_ = QPixmap(size_);
    blank_.fill(Qt::white);
    endResetModel();
}

bool ThumbnailModel::wants(int row) const {
    return row >= 0 && row < count_ && !cache_.contains(row) && pagesValid();
}

QImage ThumbnailModel::render(const PageRecording& page, const TPrinterInfo& printer) {
    const PageImage image(page, printer, zoomForWidth(printer, PictureWidth), false, NominalDpi,
                          NominalDpi);
    return image.toImage();
}

void ThumbnailModel::draw(int row) {
    if (wants(row))
        setPicture(row, render(store_.GetPage(row), store_.referenceDevice()));
}

void ThumbnailModel::setPicture(int row, const QImage& picture) {
    if (!wants(row))
        return;
    auto* pixmap =
        picture.isNull() ? new QPixmap(blank_) : new QPixmap(QPixmap::fromImage(picture));
    const int kib = std::max(1, int(qint64(pixmap->width()) * pixmap->height() * 4 / 1024));
    cache_.insert(row, pixmap, kib);
    const QModelIndex at = index(row);
    emit dataChanged(at, at, {Qt::DecorationRole});
}

int ThumbnailModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count_;
}

QVariant ThumbnailModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count_)
        return {};
    if (role == Qt::DisplayRole)
        return QString::number(index.row() + 1);
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignHCenter | Qt::AlignTop);
    if (role != Qt::DecorationRole)
        return {};
    if (const QPixmap* picture = cache_.object(index.row()))
        return *picture;
    if (pagesValid())
        emit wanted(index.row());
    return blank_;
}

ThumbnailList::ThumbnailList(const TPrintPreview& store, QWidget* parent)
    : QListView(parent), store_(store), model_(store) {
    worker_.setMaxThreadCount(1);
    setViewMode(QListView::IconMode);
    setFlow(QListView::TopToBottom);
    setWrapping(false);
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setSpacing(4);
    setModel(&model_);
    timer_.setSingleShot(true);
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, &ThumbnailList::drawNext);
    connect(&model_, &ThumbnailModel::wanted, this, &ThumbnailList::want);
    // Rows ahead are drawn also when every row scrolled to was ready.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (!timer_.isActive())
            timer_.start();
    });
    connect(this, &QListView::clicked, this,
            [this](const QModelIndex& index) { emit pageChosen(index.row() + 1); });
    refresh();
}

ThumbnailList::~ThumbnailList() {
    worker_.clear();
    worker_.waitForDone();
}

void ThumbnailList::refresh() {
    waiting_.clear();
    timer_.stop();
    ++refreshes_;
    drawingRow_ = -1;
    model_.refresh();
    setIconSize(model_.pictureSize());
    verticalScrollBar()->setSingleStep(model_.pictureSize().height() / 4);
}

void ThumbnailList::markPage(int page) {
    const QModelIndex at = model_.index(page - 1);
    if (!at.isValid())
        return;
    if (currentIndex() != at)
        setCurrentIndex(at);
    scrollTo(at);
}

void ThumbnailList::want(int row) {
    waiting_.push_back(row);
    if (!timer_.isActive())
        timer_.start();
}

bool ThumbnailList::onScreen(int row) const {
    return visualRect(model_.index(row)).intersects(viewport()->rect());
}

std::pair<int, int> ThumbnailList::rowsOnScreen() const {
    const int count = model_.rowCount();
    if (count == 0)
        return {0, -1};
    // Rows are of one size: the first row's place and the distance to the second give all.
    const QRect first = visualRect(model_.index(0));
    const int pitch = count > 1 ? visualRect(model_.index(1)).top() - first.top() : first.height();
    if (pitch <= 0)
        return {0, -1};
    const int top = std::max(0, (-first.bottom()) / pitch);
    const int bottom = std::min(count - 1, (viewport()->height() - first.top()) / pitch);
    return {top, bottom};
}

int ThumbnailList::nextRow() {
    while (!waiting_.empty()) {
        const int row = waiting_.back();
        waiting_.pop_back();
        if (!model_.hasPicture(row) && onScreen(row))
            return row;
    }
    if (!isVisible())
        return -1;
    const auto [top, bottom] = rowsOnScreen();
    const int screen = bottom - top + 1;
    for (int row = top; row <= bottom + screen && row < model_.rowCount(); ++row)
        if (!model_.hasPicture(row))
            return row;
    for (int row = top - 1; row >= top - screen && row >= 0; --row)
        if (!model_.hasPicture(row))
            return row;
    return -1;
}

void ThumbnailList::drawNext() {
    if (drawingRow_ >= 0)
        return;
    const int row = nextRow();
    if (!model_.wants(row)) // none, or a layout is running: refresh() starts again
        return;
    drawingRow_ = row;
    // The worker keeps the page alive: a new layout may drop the store's pages meanwhile.
    const std::shared_ptr<const PageRecording> page = store_.GetSharedPage(row);
    const TPrinterInfo printer = store_.referenceDevice();
    const unsigned refreshes = refreshes_;
    worker_.start([this, page, printer, refreshes, row] {
        QImage picture;
        try {
            picture = ThumbnailModel::render(*page, printer);
        } catch (const std::exception&) {
            // A figure without memory: the row keeps its blank sheet.
        }
        QMetaObject::invokeMethod(
            this, [this, refreshes, row, picture] { pictureDone(refreshes, row, picture); },
            Qt::QueuedConnection);
    });
}

void ThumbnailList::pictureDone(unsigned refreshes, int row, const QImage& picture) {
    if (refreshes != refreshes_)
        return;
    drawingRow_ = -1;
    model_.setPicture(row, picture);
    drawNext();
}
