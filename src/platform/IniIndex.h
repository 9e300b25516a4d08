#pragma once

// The name index's templates, for the parts of TIniFile that look names up.

#include "platform/IniFile.h"

template <class Same>
qint64 TIniFile::NameIndex::Find(quint32 hash, Same same) const
{
    if (slots_.empty())
        return -1;
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.position == kNone)
            return -1;
        if (slot.hash == hash && same(slot.position))
            return slot.position;
    }
}

template <class Same>
void TIniFile::NameIndex::Put(quint32 hash, quint32 position, Same same)
{
    if ((used_ + 1) * 2 > slots_.size())
        Grow();
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        Slot& slot = slots_[i];
        if (slot.position == kNone) {
            slot = Slot { hash, position };
            ++used_;
            return;
        }
        if (slot.hash == hash && same(slot.position)) {
            slot.position = position;
            return;
        }
    }
}
