#include "platform/GdiObjects.h"

void GdiObjectTable::put(quint32 index, GdiObject object) {
    if (index >= capacity_)
        return;
    if (index >= slots_.size()) {
        for (quint32 i = quint32(slots_.size()); i < index; ++i)
            freed_.insert(i);
        slots_.resize(size_t(index) + 1);
    }
    freed_.erase(index);
    slots_[index] = std::move(object);
}

void GdiObjectTable::putFirstFree(GdiObject object) {
    if (!freed_.empty()) {
        const quint32 index = *freed_.begin();
        freed_.erase(freed_.begin());
        slots_[index] = std::move(object);
        return;
    }
    if (slots_.size() < capacity_)
        slots_.push_back(std::move(object));
}

const GdiObject* GdiObjectTable::find(quint32 index) const {
    if (index >= slots_.size() || std::holds_alternative<std::monostate>(slots_[index]))
        return nullptr;
    return &slots_[index];
}

void GdiObjectTable::remove(quint32 index) {
    if (index >= slots_.size())
        return;
    slots_[index] = std::monostate{};
    freed_.insert(index);
}
