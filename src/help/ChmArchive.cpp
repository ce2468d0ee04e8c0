#include "help/ChmArchive.h"

#include <algorithm>
#include <chm_lib.h>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace {

constexpr std::uint64_t ItsfV2Length = 0x58;
constexpr std::uint64_t ItsfV3Length = 0x60;
constexpr std::uint64_t ItspLength = 0x54;
constexpr std::uint64_t PmglHeaderLength = 0x14;
constexpr std::uint64_t PmgiHeaderLength = 0x08;
constexpr std::uint64_t ResetTableLength = 0x28;
constexpr std::uint64_t LzxFrame = 0x8000;    // the only reset-table block length we accept
constexpr std::uint64_t LzxSlack = 6144;      // chmlib's room for one compressed block beyond it
constexpr std::uint64_t MaxControlData = 256; // chmlib reads the control data into 256 bytes
constexpr std::uint64_t MaxResetBlocks = 1u << 16;

const char* const ResetTablePath = "::DataSpace/Storage/MSCompressed/Transform/"
                                   "{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/InstanceData/ResetTable";
const char* const ContentPath = "::DataSpace/Storage/MSCompressed/Content";
const char* const ControlDataPath = "::DataSpace/Storage/MSCompressed/ControlData";

// What a stage of the checks found wrong with the file, or nullptr when the stage passed.
using Refusal = const char*;

// Records why the file is refused; the reader does not throw, because it also runs in a
// forked child, where unwinding is best avoided.
std::nullptr_t refuse(std::string* error, Refusal why) {
    if (error)
        *error = why;
    return nullptr;
}

bool addOverflows(std::uint64_t a, std::uint64_t b, std::uint64_t& sum) {
    return __builtin_add_overflow(a, b, &sum);
}

// Little-endian reads from a range already known to lie inside the bytes.
struct Bytes {
    std::string_view data;
    std::uint32_t u32(std::uint64_t at) const {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | static_cast<unsigned char>(data[at + i]);
        return v;
    }
    std::uint64_t u64(std::uint64_t at) const {
        return u32(at) | (static_cast<std::uint64_t>(u32(at + 4)) << 32);
    }
    bool has(std::uint64_t at, std::uint64_t length) const {
        std::uint64_t end = 0;
        return !addOverflows(at, length, end) && end <= data.size();
    }
};

// One chunk of the directory, with the cursor bounded by its entry area.
struct Cursor {
    const unsigned char* at;
    const unsigned char* end;
    // An encoded number as chmlib reads it (7 bits a byte, high bit: more follows). At most nine
    // bytes, so the value fits; the last byte must lie inside the entry area.
    bool number(std::uint64_t& value) {
        value = 0;
        for (int i = 0; i < 9; ++i) {
            if (at >= end)
                return false;
            const unsigned char b = *at++;
            value = (value << 7) | (b & 0x7f);
            if (b < 0x80)
                return true;
        }
        return false;
    }
    bool name(std::string& out) {
        std::uint64_t length = 0;
        if (!number(length) || length > CHM_MAX_PATHLEN || length > std::uint64_t(end - at))
            return false;
        out.assign(reinterpret_cast<const char*>(at), length);
        at += length;
        // chmlib compares names as C strings: an embedded NUL would make two names one.
        return out.find('\0') == std::string::npos;
    }
};

bool validUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = s[i];
        std::size_t extra = 0;
        if (c < 0x80)
            extra = 0;
        else if (c >= 0xC2 && c <= 0xDF)
            extra = 1;
        else if (c >= 0xE0 && c <= 0xEF)
            extra = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            extra = 3;
        else
            return false;
        if (extra > s.size() - i - 1)
            return false;
        for (std::size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2)
                return false;
        i += extra + 1;
    }
    return true;
}

struct Directory {
    std::uint64_t offset = 0; // of chunk 0
    std::uint64_t chunkLength = 0;
    std::uint64_t chunks = 0;
    std::int64_t root = -1;
    std::int64_t head = 0;
};

enum class ChunkKind { Listing, Index };

// Parses one chunk; fills entries (listing) or children (index). False on any fault.
bool parseChunk(const Bytes& file, const Directory& dir, std::uint64_t index, ChunkKind& kind,
                std::vector<ChmEntry>* entries, std::vector<std::int64_t>& children,
                std::int64_t& next) {
    const std::uint64_t at = dir.offset + index * dir.chunkLength;
    const auto* chunk = reinterpret_cast<const unsigned char*>(file.data.data() + at);
    const std::uint32_t freeSpace = file.u32(at + 4);
    std::uint64_t header = 0;
    if (std::memcmp(chunk, "PMGL", 4) == 0) {
        kind = ChunkKind::Listing;
        header = PmglHeaderLength;
        next = static_cast<std::int32_t>(file.u32(at + 0x10));
    } else if (std::memcmp(chunk, "PMGI", 4) == 0) {
        kind = ChunkKind::Index;
        header = PmgiHeaderLength;
    } else {
        return false;
    }
    if (freeSpace > dir.chunkLength - header)
        return false;
    Cursor cursor{chunk + header, chunk + dir.chunkLength - freeSpace};
    std::string name;
    while (cursor.at < cursor.end) {
        if (!cursor.name(name))
            return false;
        if (kind == ChunkKind::Index) {
            std::uint64_t child = 0;
            if (!cursor.number(child) || child >= dir.chunks)
                return false;
            children.push_back(static_cast<std::int64_t>(child));
            continue;
        }
        std::uint64_t space = 0, start = 0, length = 0;
        if (!cursor.number(space) || !cursor.number(start) || !cursor.number(length) || space > 1)
            return false;
        if (entries)
            entries->push_back(ChmEntry{name, static_cast<int>(space), start, length});
    }
    return true;
}

// chmlib descends from the root through index chunks until it meets a listing chunk; a cycle
// among index chunks would keep it there forever. Checks that every path from the root ends.
bool indexTreeEnds(const Bytes& file, const Directory& dir) {
    const std::int64_t root = dir.root < 0 ? dir.head : dir.root;
    std::vector<unsigned char> state(dir.chunks, 0); // 0 new, 1 on the path, 2 done
    struct Frame {
        std::int64_t chunk;
        std::vector<std::int64_t> children;
        std::size_t nextChild;
    };
    std::vector<Frame> stack;
    auto enter = [&](std::int64_t chunk) {
        ChunkKind kind{};
        std::vector<std::int64_t> children;
        std::int64_t next = -1;
        if (!parseChunk(file, dir, chunk, kind, nullptr, children, next))
            return false;
        state[chunk] = 1;
        stack.push_back(Frame{chunk, std::move(children), 0});
        return true;
    };
    if (!enter(root))
        return false;
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.nextChild == top.children.size()) {
            state[top.chunk] = 2;
            stack.pop_back();
            continue;
        }
        const std::int64_t child = top.children[top.nextChild++];
        if (state[child] == 1)
            return false;
        if (state[child] == 0 && !enter(child))
            return false;
    }
    return true;
}

// Stage 1, the headers: the file header (ITSF, versions 2 and 3 as chmlib knows them) and the
// directory header (ITSP). Finds the directory's chunks and where the objects' data begins.
Refusal readHeaders(const Bytes& file, Directory& dir, std::uint64_t& dataOffset) {
    const std::string_view bytes = file.data;
    if (!file.has(0, ItsfV3Length) || bytes.substr(0, 4) != "ITSF")
        return "no ITSF header";
    const std::uint32_t version = file.u32(4);
    const std::uint32_t headerLength = file.u32(8);
    if (!((version == 2 && headerLength == ItsfV2Length) ||
          (version == 3 && headerLength == ItsfV3Length)))
        return "unknown ITSF version";
    const std::uint64_t dirOffset = file.u64(0x48);
    const std::uint64_t dirLength = file.u64(0x50);
    if (version == 3)
        dataOffset = file.u64(0x58);
    else if (addOverflows(dirOffset, dirLength, dataOffset))
        return "directory out of the file";
    if (!file.has(dirOffset, dirLength) || dirLength < ItspLength || dataOffset > bytes.size())
        return "directory out of the file";

    if (bytes.substr(dirOffset, 4) != "ITSP" || file.u32(dirOffset + 4) != 1 ||
        file.u32(dirOffset + 8) != ItspLength)
        return "no ITSP header";
    dir.offset = dirOffset + ItspLength;
    dir.chunkLength = file.u32(dirOffset + 0x10);
    dir.root = static_cast<std::int32_t>(file.u32(dirOffset + 0x1c));
    dir.head = static_cast<std::int32_t>(file.u32(dirOffset + 0x20));
    dir.chunks = file.u32(dirOffset + 0x2c);
    if (dir.chunkLength < 0x100 || dir.chunkLength > 0x10000 || dir.chunks == 0 ||
        dir.chunks > (dirLength - ItspLength) / dir.chunkLength)
        return "directory chunks out of the directory";
    if (dir.root < -1 || dir.root >= std::int64_t(dir.chunks) || dir.head < 0 ||
        dir.head >= std::int64_t(dir.chunks))
        return "directory root out of range";
    return nullptr;
}

// Stage 2, the directory: the index tree (every path from its root ends) and the listing
// chunks, chained from the head, each once. Fills entries from the listing.
Refusal readDirectory(const Bytes& file, const Directory& dir, std::uint64_t maxEntries,
                      std::vector<ChmEntry>& entries) {
    if (!indexTreeEnds(file, dir))
        return "damaged directory index";
    std::vector<unsigned char> seen(dir.chunks, 0);
    for (std::int64_t chunk = dir.head; chunk != -1;) {
        if (chunk < 0 || chunk >= std::int64_t(dir.chunks) || seen[chunk])
            return "damaged directory chain";
        seen[chunk] = 1;
        ChunkKind kind{};
        std::vector<std::int64_t> children;
        std::int64_t next = -1;
        if (!parseChunk(file, dir, chunk, kind, &entries, children, next) ||
            kind != ChunkKind::Listing)
            return "damaged directory chunk";
        if (entries.size() > maxEntries)
            return "too many directory entries";
        chunk = next;
    }
    return nullptr;
}

const ChmEntry* findEntry(const std::vector<ChmEntry>& entries, std::string_view path) {
    for (const ChmEntry& e : entries)
        if (e.path.size() == path.size() &&
            strncasecmp(e.path.data(), path.data(), path.size()) == 0)
            return &e;
    return nullptr;
}

// The offset of a stored object in the file, or nothing when it does not lie inside.
std::optional<std::uint64_t> storedExtent(const Bytes& file, std::uint64_t dataOffset,
                                          const ChmEntry& e) {
    std::uint64_t at = 0, end = 0;
    if (e.space != 0 || addOverflows(dataOffset, e.start, at) || addOverflows(at, e.length, end) ||
        end > file.data.size())
        return std::nullopt;
    return at;
}

// The LZX control data at c: version, window and reset interval. chmlib keeps these in 32 bits
// and divides by the block count derived from them.
Refusal checkControlData(const Bytes& file, std::uint64_t c, std::uint64_t length) {
    if (length < 0x18 || length > MaxControlData || file.data.substr(c + 4, 4) != "LZXC")
        return "bad LZX control data";
    const std::uint32_t lzxVersion = file.u32(c + 8);
    std::uint64_t resetInterval = file.u32(c + 12);
    std::uint64_t windowSize = file.u32(c + 16);
    const std::uint64_t windowsPerReset = file.u32(c + 20);
    if (lzxVersion == 2) {
        resetInterval *= 0x8000;
        windowSize *= 0x8000;
    } else if (lzxVersion != 1) {
        return "bad LZX control data";
    }
    if (windowSize < (1u << 15) || windowSize > (1u << 21) || (windowSize & (windowSize - 1)) ||
        resetInterval == 0 || resetInterval > 0xffffffffu || resetInterval % (windowSize / 2))
        return "bad LZX window";
    const std::uint64_t resetBlocks = resetInterval / (windowSize / 2) * windowsPerReset;
    if (windowsPerReset == 0 || resetBlocks == 0 || resetBlocks > MaxResetBlocks)
        return "bad LZX reset interval";
    return nullptr;
}

// The LZX reset table at r (32 KB frames, one start per block) and the compressed content it
// indexes. Gives the length of the uncompressed space.
Refusal checkResetTable(const Bytes& file, std::uint64_t r, const ChmEntry& reset,
                        const ChmEntry& content, std::uint64_t dataOffset,
                        std::uint64_t& uncompressedLength) {
    if (reset.length < ResetTableLength || file.u32(r) != 2)
        return "bad LZX reset table";
    const std::uint64_t blockCount = file.u32(r + 4);
    const std::uint64_t tableOffset = file.u32(r + 12);
    const std::uint64_t uncompressed = file.u64(r + 16);
    const std::uint64_t compressed = file.u64(r + 24);
    const std::uint64_t blockLength = file.u64(r + 32);
    // One start per block, and compilers may add the end of the data as one more.
    const std::uint64_t blocksNeeded = uncompressed / LzxFrame + (uncompressed % LzxFrame != 0);
    if (blockLength != LzxFrame || blockCount == 0 || blockCount > MaxResetBlocks ||
        (blockCount != blocksNeeded && blockCount != blocksNeeded + 1) ||
        tableOffset > reset.length || blockCount * 8 > reset.length - tableOffset)
        return "bad LZX reset table";
    if (!storedExtent(file, dataOffset, content) || compressed > content.length)
        return "compressed data out of its object";
    // Rising starts, each block no longer than chmlib's buffer takes.
    std::uint64_t previous = 0;
    for (std::uint64_t b = 0; b < blockCount; ++b) {
        const std::uint64_t startOfBlock = file.u64(r + tableOffset + b * 8);
        if ((b == 0 && startOfBlock != 0) || startOfBlock < previous ||
            startOfBlock - previous > LzxFrame + LzxSlack || startOfBlock > compressed)
            return "bad LZX block table";
        previous = startOfBlock;
    }
    if (compressed - previous > LzxFrame + LzxSlack)
        return "bad LZX block table";
    uncompressedLength = uncompressed;
    return nullptr;
}

// Stage 3a, the LZX settings, checked whenever anything is compressed: the three objects that
// describe the compressed space, all stored inside the file.
Refusal checkLzxSettings(const Bytes& file, const std::vector<ChmEntry>& entries,
                         std::uint64_t dataOffset, std::uint64_t& uncompressedLength) {
    const ChmEntry* control = findEntry(entries, ControlDataPath);
    const ChmEntry* reset = findEntry(entries, ResetTablePath);
    const ChmEntry* content = findEntry(entries, ContentPath);
    if (!control || !reset || !content)
        return "compressed objects without LZX parameters";
    const auto controlAt = storedExtent(file, dataOffset, *control);
    if (!controlAt)
        return "stored object out of the file";
    if (const Refusal refusal = checkControlData(file, *controlAt, control->length))
        return refusal;
    const auto resetAt = storedExtent(file, dataOffset, *reset);
    if (!resetAt)
        return "stored object out of the file";
    return checkResetTable(file, *resetAt, *reset, *content, dataOffset, uncompressedLength);
}

// Stage 3b, the object extents: every object inside its space, a stored one inside the file,
// a compressed one inside the uncompressed space.
Refusal checkObjectExtents(const Bytes& file, const std::vector<ChmEntry>& entries,
                           std::uint64_t dataOffset, std::uint64_t uncompressedLength) {
    for (const ChmEntry& e : entries) {
        if (e.space == 0) {
            if (!storedExtent(file, dataOffset, e))
                return "stored object out of the file";
        } else {
            std::uint64_t end = 0;
            if (addOverflows(e.start, e.length, end) || end > uncompressedLength)
                return "compressed object out of its space";
        }
    }
    return nullptr;
}

// The entries handed out as files: not folders, safe names, the first of names that differ
// only in case.
std::vector<ChmEntry> filesOf(const std::vector<ChmEntry>& entries) {
    std::vector<ChmEntry> files;
    for (const ChmEntry& e : entries) {
        if (e.path.empty() || e.path.back() == '/' || !ChmArchive::isSafePath(e.path))
            continue;
        if (!findEntry(files, e.path))
            files.push_back(e);
    }
    return files;
}

} // namespace

bool ChmArchive::isSafePath(std::string_view path) {
    if (path.size() < 2 || path.front() != '/' || !validUtf8(path))
        return false;
    for (const char c : path)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f || c == '\\' || c == ':')
            return false;
    std::size_t from = 1;
    while (from <= path.size()) {
        std::size_t to = path.find('/', from);
        if (to == std::string_view::npos)
            to = path.size();
        const std::string_view segment = path.substr(from, to - from);
        if (segment == "." || segment == ".." || (segment.empty() && to != path.size()))
            return false;
        from = to + 1;
    }
    return true;
}

std::unique_ptr<ChmArchive> ChmArchive::open(std::string_view bytes, const ChmLimits& limits) {
    std::string error;
    auto archive = tryOpen(bytes, limits, &error);
    if (!archive)
        throw ChmError(error);
    return archive;
}

std::unique_ptr<ChmArchive> ChmArchive::tryOpen(std::string_view bytes, const ChmLimits& limits,
                                                std::string* error) {
    if (bytes.size() > limits.fileBytes)
        return refuse(error, "file too large");
    const Bytes file{bytes};
    Directory dir;
    std::uint64_t dataOffset = 0;
    if (const Refusal refusal = readHeaders(file, dir, dataOffset))
        return refuse(error, refusal);
    std::vector<ChmEntry> entries;
    if (const Refusal refusal = readDirectory(file, dir, limits.entries, entries))
        return refuse(error, refusal);
    const bool anyCompressed =
        std::any_of(entries.begin(), entries.end(), [](const ChmEntry& e) { return e.space == 1; });
    std::uint64_t uncompressedLength = 0;
    if (anyCompressed) {
        if (const Refusal refusal = checkLzxSettings(file, entries, dataOffset, uncompressedLength))
            return refuse(error, refusal);
    }
    if (const Refusal refusal = checkObjectExtents(file, entries, dataOffset, uncompressedLength))
        return refuse(error, refusal);

    std::unique_ptr<ChmArchive> archive(new ChmArchive);
    archive->limits_ = limits;
    archive->dataOffset_ = dataOffset;
    archive->uncompressedLength_ = uncompressedLength;
    archive->files_ = filesOf(entries);
    // chmlib reads a private copy of exactly these bytes.
    archive->bytes_.assign(bytes);
    if (!anyCompressed)
        return archive; // stored objects are read from the bytes; chmlib is not needed
    if (const Refusal refusal = archive->openWithChmlib(entries))
        return refuse(error, refusal);
    return archive;
}

// Hands chmlib a memory file of the checked bytes. chmlib finds its LZX objects by its own
// descent through the index: they must be the ones checked.
const char* ChmArchive::openWithChmlib(const std::vector<ChmEntry>& entries) {
    memoryFile_ = memfd_create("folioscope-help", MFD_CLOEXEC);
    if (memoryFile_ < 0)
        return "no memory file";
    for (std::size_t done = 0; done < bytes_.size();) {
        const ssize_t n = ::write(memoryFile_, bytes_.data() + done, bytes_.size() - done);
        if (n <= 0)
            return "cannot copy the file";
        done += std::size_t(n);
    }
    const std::string path = "/proc/self/fd/" + std::to_string(memoryFile_);
    chm_ = chm_open(path.c_str());
    if (!chm_)
        return "chmlib cannot open the file";
    for (const char* special : {ControlDataPath, ResetTablePath, ContentPath}) {
        chmUnitInfo ui{};
        const ChmEntry* checked = findEntry(entries, special);
        if (chm_resolve_object(chm_, special, &ui) != CHM_RESOLVE_SUCCESS || ui.space != 0 ||
            ui.start != checked->start || ui.length != checked->length)
            return "directory index disagrees with its listing";
    }
    return nullptr;
}

ChmArchive::~ChmArchive() {
    if (chm_)
        chm_close(chm_);
    if (memoryFile_ >= 0)
        ::close(memoryFile_);
}

std::optional<std::string> ChmArchive::read(const ChmEntry& entry) const {
    if (entry.length > limits_.objectBytes)
        return std::nullopt;
    if (entry.space == 0)
        return bytes_.substr(dataOffset_ + entry.start, entry.length);
    if (!chm_)
        return std::nullopt;
    std::string out(entry.length, '\0');
    chmUnitInfo ui{};
    ui.start = entry.start;
    ui.length = entry.length;
    ui.space = CHM_COMPRESSED;
    std::memcpy(ui.path, entry.path.data(),
                std::min<std::size_t>(entry.path.size(), CHM_MAX_PATHLEN));
    const LONGINT64 got =
        chm_retrieve_object(chm_, &ui, reinterpret_cast<unsigned char*>(out.data()), 0,
                            static_cast<LONGINT64>(entry.length));
    if (got != static_cast<LONGINT64>(entry.length))
        return std::nullopt;
    return out;
}
