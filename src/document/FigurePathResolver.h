#pragma once
// Finds the file that a figure name of a report means. The producing programs run on Windows:
// their names use '\' between folders, differ from the files in letter case, and may carry the
// drive letter or server of the machine that wrote them. The report is copied here with its
// figures beside it, so names are looked up from the report's folder first.

#include <QByteArrayList>
#include <QHash>
#include <QString>
#include <QStringList>

class FigurePathResolver {
public:
    // reportFolder: the folder of the report file (may be empty: then only the working
    // directory is searched). A resolver remembers the folders it had to list (a report may
    // name a thousand figures in one folder, all in other letter case): make a new one for
    // each layout.
    explicit FigurePathResolver(QString reportFolder = QString());

    // The path of the regular file that name means, or an empty string. Order:
    // - a name starting with '/' is a path of this system: as written, then without regard
    //   to letter case;
    // - a name with a drive letter ("C:\..."), a server ("\\server\share\...") or starting
    //   with one '\' is looked up by its trailing folders below each search folder, longest
    //   tail first;
    // - any other name is relative: below each search folder, as written, then with '\' as a
    //   folder separator, then without regard to letter case.
    // The search folders are the report's folder, then the working directory. Without regard
    // to letter case, each folder of the path is looked up in turn, the spelling as written
    // first, then the first entry (in code-unit order) that differs from it only in case.
    QString resolve(const QString& name) const;

private:
    QStringList searchFolders() const;
    QString findIgnoringCase(const QString& folder, const QStringList& parts) const;
    QStringList namesIgnoringCase(const QString& folder, const QString& name) const;

    QString reportFolder_;
    mutable QHash<QString, QByteArrayList> listings_; // folder -> its entries' names
};
