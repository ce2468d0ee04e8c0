#pragma once
// A compiled HTML help file (.chm) read with chmlib, after our own checks of everything chmlib
// would trust: headers, directory chunks, the index tree, object extents and the LZX parameters.
// chmlib follows index chunks without loop detection, reads entry numbers past a chunk's end,
// divides by header values and copies compressed blocks into fixed buffers by lengths taken from
// the file; a file that could lead it there is refused before chmlib sees it. chmlib reads a
// private in-memory copy of the checked bytes, so the file cannot change behind the checks.
//
// Deliberately free of Qt: the help window runs this in a child process (ChmLoader).

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct chmFile;

struct ChmLimits {
    std::uint64_t fileBytes = 64u << 20;   // largest .chm accepted
    std::uint64_t objectBytes = 16u << 20; // largest single object read
    std::uint64_t entries = 65536;         // directory entries
};

struct ChmEntry {
    std::string path; // as stored, UTF-8, e.g. "/Zeph機能特徴.htm"
    int space = 0;    // 0 stored, 1 LZX-compressed
    std::uint64_t start = 0;
    std::uint64_t length = 0;
};

class ChmError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ChmArchive {
public:
    // Checks bytes and opens them with chmlib. Throws ChmError when the file is not a .chm
    // that can be read safely.
    static std::unique_ptr<ChmArchive> open(std::string_view bytes, const ChmLimits& limits = {});
    // The same without exceptions: nothing, and the reason in error, when refused.
    static std::unique_ptr<ChmArchive> tryOpen(std::string_view bytes, const ChmLimits& limits,
                                               std::string* error = nullptr);
    ~ChmArchive();
    ChmArchive(const ChmArchive&) = delete;
    ChmArchive& operator=(const ChmArchive&) = delete;

    // The files of the archive (paths beginning with "/", not folders), unsafe names left out.
    const std::vector<ChmEntry>& files() const { return files_; }

    // The contents of one of files(), or nothing when it cannot be read.
    std::optional<std::string> read(const ChmEntry& entry) const;

    // Whether a stored path is one we hand out: "/" first, no "." or ".." segment, no
    // backslash or control character, valid UTF-8.
    static bool isSafePath(std::string_view path);

private:
    ChmArchive() = default;
    // The last step of tryOpen for a file with compressed objects: chmlib opens a memory copy
    // of bytes_. The reason when it fails, else nullptr.
    const char* openWithChmlib(const std::vector<ChmEntry>& entries);

    std::string bytes_;
    std::vector<ChmEntry> files_;
    int memoryFile_ = -1;
    chmFile* chm_ = nullptr;
    std::uint64_t dataOffset_ = 0;
    std::uint64_t uncompressedLength_ = 0;
    ChmLimits limits_;
};
