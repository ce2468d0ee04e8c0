#include "platform/FontSubstitution.h"

#include <QFont>
#include <QStringList>

namespace font_substitution {

void install() {
    struct Mapping {
        const char16_t* face;
        const char* ipaFace;
    };
    static const Mapping mappings[] = {
        {u"ＭＳ 明朝", "IPAMincho"},
        {u"ＭＳ Ｐ明朝", "IPAPMincho"},
        {u"ＭＳ ゴシック", "IPAGothic"},
        {u"ＭＳ Ｐゴシック", "IPAPGothic"},
        {u"MS Mincho", "IPAMincho"},
        {u"MS PMincho", "IPAPMincho"},
        {u"MS Gothic", "IPAGothic"},
        {u"MS PGothic", "IPAPGothic"},
        {u"ＭＳ ＵＩゴシック", "IPAPGothic"},
        {u"MS UI Gothic", "IPAPGothic"},
        {u"System", "IPAGothic"},
    };
    for (const Mapping& m : mappings) {
        const QString face = QString::fromUtf16(m.face);
        if (!QFont::substitutes(face).contains(QLatin1String(m.ipaFace)))
            QFont::insertSubstitution(face, QLatin1String(m.ipaFace));
    }
}

QString defaultFace() {
    return QStringLiteral("ＭＳ 明朝");
}

} // namespace font_substitution
