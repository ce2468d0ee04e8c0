#pragma once
// Reading the EXPECT.tsv tables of the third-party image folders: one line per file,
// TAB-separated: file name, "draws" or "error", the pixel size "WxH" (or "-"), a note.

#include <QFile>
#include <QList>
#include <QRandomGenerator>
#include <QSize>
#include <QString>
#include <QStringList>

struct ImageExpectation {
    QString file;
    bool draws = false;
    QSize size;
    QString note;
};

inline QString sharedImageFolder(const QString& name) {
    return QStringLiteral(FOLIOSCOPE_SHARED_TESTDATA) + u'/' + name;
}

inline QList<ImageExpectation> readExpectations(const QString& folder) {
    QList<ImageExpectation> result;
    QFile table(folder + QStringLiteral("/EXPECT.tsv"));
    if (!table.open(QIODevice::ReadOnly | QIODevice::Text))
        return result;
    while (!table.atEnd()) {
        const QString line = QString::fromUtf8(table.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList fields = line.split(u'\t');
        if (fields.size() < 3)
            continue;
        ImageExpectation e;
        e.file = fields[0];
        e.draws = fields[1] == QStringLiteral("draws");
        const QStringList size = fields[2].split(u'x');
        if (size.size() == 2)
            e.size = QSize(size[0].toInt(), size[1].toInt());
        e.note = fields.size() > 3 ? fields[3] : QString();
        result.append(e);
    }
    return result;
}

// Damaged copies of a file for robustness tests: cut at a random length, or with a few
// random bytes overwritten (half the time within the headers). The same seed gives the same
// copies.
inline QList<QByteArray> damagedCopies(const QByteArray& original, int count, quint32 seed) {
    QRandomGenerator random(seed);
    QList<QByteArray> copies;
    if (original.isEmpty())
        return copies;
    for (int i = 0; i < count; ++i) {
        QByteArray copy = original;
        if (i % 3 == 0) {
            copy.truncate(random.bounded(int(copy.size())));
        } else {
            const int reach = i % 3 == 1 ? qMin<int>(int(copy.size()), 160) : int(copy.size());
            for (int n = 1 + random.bounded(6); n > 0; --n)
                copy[random.bounded(reach)] = char(random.bounded(256));
        }
        copies.append(copy);
    }
    return copies;
}

// What a reader made of the damaged copies of the small files listed in a folder's
// EXPECT.tsv: decoded to a picture, refused with its own error, or decoded to a null image
// (a fault). Files larger than maxSize are passed over to keep the run short.
struct DamagedOutcome {
    int decoded = 0;
    int refused = 0;
    int nullImages = 0;
};

template <typename Error, typename Decode>
DamagedOutcome decodeDamagedCopies(const QString& folder,
                                   const QList<ImageExpectation>& expectations, qint64 maxSize,
                                   int copiesPerFile, quint32 seed, Decode decode) {
    DamagedOutcome outcome;
    for (const ImageExpectation& e : expectations) {
        QFile file(folder + u'/' + e.file);
        if (!file.open(QIODevice::ReadOnly) || file.size() > maxSize)
            continue;
        for (const QByteArray& copy : damagedCopies(file.readAll(), copiesPerFile, seed)) {
            try {
                if (decode(copy).isNull())
                    ++outcome.nullImages;
                else
                    ++outcome.decoded;
            } catch (const Error&) {
                ++outcome.refused;
            }
        }
    }
    return outcome;
}

// The outcome of one reading: the size read, or the error's message code (what() for errors
// without one) after '#'.
template <typename Error, typename Read> QString readingOutcome(Read read) {
    try {
        const QSize size = read();
        return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
    } catch (const Error& e) {
        if constexpr (requires { e.messageCode(); })
            return QStringLiteral("#%1").arg(e.messageCode());
        else
            return QStringLiteral("#") + QString::fromUtf8(e.what());
    }
}

// Compares a reader's check (size without pixels) with its decoding over the small files of a
// folder's EXPECT.tsv and damaged copies of them: the first copy where the two differ, and how
// many copies were compared and refused.
struct CheckAgreement {
    QString firstDifference;
    int compared = 0;
    int refused = 0;
};

template <typename Error, typename Check, typename Decode>
CheckAgreement compareCheckWithDecode(const QString& folder,
                                      const QList<ImageExpectation>& expectations, qint64 maxSize,
                                      quint32 seed, Check check, Decode decode) {
    CheckAgreement agreement;
    for (const ImageExpectation& e : expectations) {
        QFile file(folder + u'/' + e.file);
        if (!file.open(QIODevice::ReadOnly) || file.size() > maxSize)
            continue;
        const QByteArray whole = file.readAll();
        QList<QByteArray> copies = damagedCopies(whole, 12, seed);
        copies.append(whole);
        for (const QByteArray& copy : copies) {
            const QString decoded = readingOutcome<Error>([&] { return decode(copy).size(); });
            const QString checked = readingOutcome<Error>([&] { return check(copy); });
            if (checked != decoded && agreement.firstDifference.isEmpty())
                agreement.firstDifference =
                    QStringLiteral("%1: check %2, decode %3").arg(e.file, checked, decoded);
            agreement.refused += decoded.startsWith(u'#');
            ++agreement.compared;
        }
    }
    return agreement;
}
