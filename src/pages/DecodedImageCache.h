#pragma once
// A bounded cache of decoded figure pixels, most recently used kept. Pages hold figure file
// bytes (EncodedImage); what a replay decodes, smooths or scales for the screen is kept here
// until the budget is reached, then the least recently used images are dropped. An image
// larger than the whole budget is handed out and not kept.
//
// One cache serves the process (shared()): the preview, the PDF export and printing replay
// the same pages, and the budget bounds the memory of the process, not of one of them. The
// cache changes no result: a dropped image is decoded again to the same pixels. It may be used
// from several threads at once (a long PDF is played on worker threads); an image is made
// outside the lock, so two threads that miss the same key at once both make it.

#include <QImage>
#include <QRect>
#include <QSize>
#include <QtGlobal>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <unordered_map>

class DecodedImageCache {
public:
    enum class Kind : std::uint8_t { Decoded, Smoothed, View };
    struct Key {
        std::uint64_t source = 0; // EncodedImage::id()
        Kind kind = Kind::Decoded;
        QSize size;
        QRect part; // of a smoothed image: the part of it, when not the whole
        bool operator==(const Key&) const = default;
    };

    static constexpr qint64 DefaultBudget = qint64(192) * 1024 * 1024;

    explicit DecodedImageCache(qint64 budgetBytes = DefaultBudget) : budget_(budgetBytes) {}
    static DecodedImageCache& shared();

    // The cached image of key, or make()'s image, kept when it fits the budget. When make()
    // runs out of memory, the cache is emptied and make() tried once more; if that fails too,
    // FigureMemoryError is thrown. Other exceptions of make() pass through.
    QImage get(const Key& key, const std::function<QImage()>& make);
    // Keeps image under key (the first decoding at layout time), as get() would.
    void put(const Key& key, const QImage& image);
    bool contains(const Key& key) const;
    // Drops every image of one source (the figure is gone).
    void forget(std::uint64_t source);
    void clear();

    qint64 budget() const;
    void setBudget(qint64 bytes);
    qint64 bytes() const;
    std::size_t count() const;
    // Times make() ran (misses), for tests and benchmarks.
    std::uint64_t misses() const;

private:
    struct Entry {
        Key key;
        QImage image;
        qint64 bytes;
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const noexcept;
    };
    // The image of key, moved to the front, or null. Takes the lock.
    QImage find(const Key& key);
    // These two expect the lock held.
    void insert(const Key& key, const QImage& image);
    void trim();

    mutable std::mutex mutex_;

    qint64 budget_;
    qint64 bytes_ = 0;
    std::uint64_t misses_ = 0;
    std::list<Entry> entries_; // most recently used first
    std::unordered_map<Key, std::list<Entry>::iterator, KeyHash> index_;
};
