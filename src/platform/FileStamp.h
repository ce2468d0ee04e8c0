#pragma once
// What the file system says about a file without reading it: which file it is, its size and
// when its contents or attributes last changed. Two equal stamps taken before and after a read
// mean that the bytes read are the file's bytes at both moments, as far as the file system's
// timestamps can tell (a rewrite of the same length within one timestamp tick is not seen).

#include <QString>
#include <cstdint>
#include <optional>

struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;

    // The stamp of the file at path (links followed), or nothing when it cannot be had.
    static std::optional<FileStamp> of(const QString& path);

    bool operator==(const FileStamp&) const = default;
};
