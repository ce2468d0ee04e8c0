#include "pages/DecodedImageCache.h"

#include <new>

#include "pages/EncodedImage.h"

DecodedImageCache& DecodedImageCache::shared() {
    static DecodedImageCache cache;
    return cache;
}

std::size_t DecodedImageCache::KeyHash::operator()(const Key& k) const noexcept {
    std::size_t h = std::hash<std::uint64_t>()(k.source);
    h ^= (std::size_t(k.kind) + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2));
    h ^= (std::size_t(std::uint32_t(k.size.width())) << 32 | std::uint32_t(k.size.height())) +
         0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
    h ^= std::size_t(std::uint32_t(k.part.x()) * 31u + std::uint32_t(k.part.y())) +
         0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
    return h;
}

QImage DecodedImageCache::find(const Key& key) {
    const std::lock_guard lock(mutex_);
    const auto found = index_.find(key);
    if (found == index_.end())
        return QImage();
    entries_.splice(entries_.begin(), entries_, found->second);
    return found->second->image;
}

QImage DecodedImageCache::get(const Key& key, const std::function<QImage()>& make) {
    if (QImage found = find(key); !found.isNull())
        return found;
    {
        const std::lock_guard lock(mutex_);
        ++misses_;
    }
    // Made without the lock: make() may take a while and may itself ask the cache (a smoothed
    // image asks for the decoded pixels).
    QImage image;
    try {
        image = make();
    } catch (const std::bad_alloc&) {
        // What the cache holds may be all that is missing: give it back and try once more.
        clear();
        try {
            image = make();
        } catch (const std::bad_alloc&) {
            throw FigureMemoryError();
        }
    }
    const std::lock_guard lock(mutex_);
    if (index_.count(key) == 0)
        insert(key, image);
    return image;
}

void DecodedImageCache::put(const Key& key, const QImage& image) {
    const std::lock_guard lock(mutex_);
    if (const auto found = index_.find(key); found != index_.end()) {
        entries_.splice(entries_.begin(), entries_, found->second);
        return;
    }
    insert(key, image);
}

bool DecodedImageCache::contains(const Key& key) const {
    const std::lock_guard lock(mutex_);
    return index_.count(key) != 0;
}

qint64 DecodedImageCache::budget() const {
    const std::lock_guard lock(mutex_);
    return budget_;
}

qint64 DecodedImageCache::bytes() const {
    const std::lock_guard lock(mutex_);
    return bytes_;
}

std::size_t DecodedImageCache::count() const {
    const std::lock_guard lock(mutex_);
    return entries_.size();
}

std::uint64_t DecodedImageCache::misses() const {
    const std::lock_guard lock(mutex_);
    return misses_;
}

void DecodedImageCache::insert(const Key& key, const QImage& image) {
    if (image.isNull())
        return;
    const qint64 size = image.sizeInBytes();
    if (size > budget_)
        return; // handed out, not kept: it would push out everything else
    entries_.push_front(Entry{key, image, size});
    index_.emplace(key, entries_.begin());
    bytes_ += size;
    trim();
}

void DecodedImageCache::trim() {
    while (bytes_ > budget_ && !entries_.empty()) {
        const Entry& last = entries_.back();
        bytes_ -= last.bytes;
        index_.erase(last.key);
        entries_.pop_back();
    }
}

void DecodedImageCache::forget(std::uint64_t source) {
    const std::lock_guard lock(mutex_);
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (it->key.source == source) {
            bytes_ -= it->bytes;
            index_.erase(it->key);
            it = entries_.erase(it);
        } else {
            ++it;
        }
    }
}

void DecodedImageCache::clear() {
    const std::lock_guard lock(mutex_);
    index_.clear();
    entries_.clear();
    bytes_ = 0;
}

void DecodedImageCache::setBudget(qint64 bytes) {
    const std::lock_guard lock(mutex_);
    budget_ = bytes;
    trim();
}
