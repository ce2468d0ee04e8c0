#include "document/FigurePathResolver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <dirent.h>

namespace {

// Only regular files (or links to them) count: opening a FIFO or a device would block or
// read without end.
bool isRegularFile(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

QString joined(const QString& folder, const QString& name) {
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

// The folder names of a Windows-style path, empty ones (doubled separators) dropped.
QStringList partsOf(const QString& path) {
    QString unified = path;
    unified.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return unified.split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

bool isAscii(QByteArrayView bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool equalAsciiIgnoringCase(QByteArrayView entry, QByteArrayView wanted) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (entry.size() != wanted.size())
        return false;
    for (qsizetype i = 0; i < entry.size(); ++i)
        if (lower(entry[i]) != lower(wanted[i]))
            return false;
    return true;
}

bool hasDriveLetter(const QString& name) {
    return name.size() >= 2 && name[1] == QLatin1Char(':') && name[0].isLetter() &&
           name[0].unicode() < 0x80;
}

} // namespace

// The entries of folder whose names equal name but for letter case, in code-unit order (the
// same choice on every run, whatever order the folder lists them in). readdir gives the
// names without looking at each entry on disk: a figure folder may hold thousands of files.
QStringList FigurePathResolver::namesIgnoringCase(const QString& folder,
                                                  const QString& name) const {
    QStringList matches;
    auto listing = listings_.find(folder);
    if (listing == listings_.end()) {
        QByteArrayList names;
        if (DIR* dir =
                ::opendir(QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder))) {
            while (const dirent* entry = ::readdir(dir))
                names.append(QByteArray(entry->d_name));
            ::closedir(dir);
        }
        listing = listings_.insert(folder, names);
    }
    const QByteArray wanted = QFile::encodeName(name);
    const bool ascii = isAscii(wanted);
    for (const QByteArray& entry : std::as_const(*listing)) {
        // An ASCII name equals only ASCII names but for case; those are compared as bytes,
        // without decoding every name of the folder.
        if (ascii) {
            if (equalAsciiIgnoringCase(entry, wanted))
                matches.append(QFile::decodeName(entry));
            continue;
        }
        const QString entryName = QFile::decodeName(entry);
        if (entryName.compare(name, Qt::CaseInsensitive) == 0)
            matches.append(entryName);
    }
    matches.sort();
    return matches;
}

// parts below folder, each folder and the file matched without regard to letter case when
// the spelling as written does not exist.
QString FigurePathResolver::findIgnoringCase(const QString& folder,
                                             const QStringList& parts) const {
    QString path = folder;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& part = parts[i];
        const bool last = i == parts.size() - 1;
        const QString exact = joined(path, part);
        const QFileInfo info(exact);
        if (last ? info.isFile() : info.isDir()) {
            path = exact;
            continue;
        }
        if (part == QLatin1String(".") || part == QLatin1String(".."))
            return {};
        // Names are compared first and only the few that match are looked at on disk: a
        // figure folder may hold thousands of files.
        const QStringList matches = namesIgnoringCase(path, part);
        QString match;
        for (const QString& entry : std::as_const(matches)) {
            const QFileInfo candidate(joined(path, entry));
            if (last ? candidate.isFile() : candidate.isDir()) {
                match = entry;
                break;
            }
        }
        if (match.isEmpty())
            return {};
        path = joined(path, match);
    }
    return isRegularFile(path) ? path : QString();
}

FigurePathResolver::FigurePathResolver(QString reportFolder)
    : reportFolder_(std::move(reportFolder)) {}

QStringList FigurePathResolver::searchFolders() const {
    QStringList folders;
    if (!reportFolder_.isEmpty())
        folders.append(QDir::cleanPath(reportFolder_));
    const QString working = QDir::currentPath();
    if (!folders.contains(working))
        folders.append(working);
    return folders;
}

QString FigurePathResolver::resolve(const QString& name) const {
    // A NUL cannot be part of a file name; the rest of the name would be cut off silently.
    if (name.isEmpty() || name.contains(QChar(0)))
        return {};

    if (name.startsWith(QLatin1Char('/'))) {
        if (isRegularFile(name))
            return name;
        return findIgnoringCase(QStringLiteral("/"), partsOf(name));
    }

    const bool unc = name.startsWith(QLatin1String("\\\\"));
    if (unc || hasDriveLetter(name) || name.startsWith(QLatin1Char('\\'))) {
        // The folders of another machine: only their tail can be here. A server name is not
        // a folder of it; the share name may be.
        QStringList parts = partsOf(hasDriveLetter(name) ? name.mid(2) : name);
        if (unc && !parts.isEmpty())
            parts.removeFirst();
        for (const QString& folder : searchFolders())
            for (qsizetype first = 0; first < parts.size(); ++first) {
                const QString found = findIgnoringCase(folder, parts.mid(first));
                if (!found.isEmpty())
                    return found;
            }
        return {};
    }

    const QStringList parts = partsOf(name);
    for (const QString& folder : searchFolders()) {
        // As written first: a file copied from a Windows archive may carry '\' in its name.
        const QString asWritten = joined(folder, name);
        if (isRegularFile(asWritten))
            return asWritten;
        const QString found = findIgnoringCase(folder, parts);
        if (!found.isEmpty())
            return found;
    }
    return {};
}
