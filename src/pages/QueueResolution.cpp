#include "pages/QueueResolution.h"

#include <QStringList>
#include <algorithm>
#include <cups/cups.h>

namespace queue_resolution {

std::optional<int> queueDefault(const QString& queue) {
    const QStringList parts = queue.split(QLatin1Char('/'));
    const QByteArray name = parts.value(0).toLocal8Bit();
    const QByteArray instance = parts.size() > 1 ? parts.value(1).toLocal8Bit() : QByteArray();
    if (name.isEmpty())
        return std::nullopt;
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(),
                                         instance.isEmpty() ? nullptr : instance.constData());
    if (!dest)
        return std::nullopt;
    std::optional<int> dpi;
    if (cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
        ipp_attribute_t* attr =
            cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, "printer-resolution");
        if (attr && ippGetValueTag(attr) == IPP_TAG_RESOLUTION && ippGetCount(attr) > 0) {
            int y = 0;
            ipp_res_t units = IPP_RES_PER_INCH;
            const int x = ippGetResolution(attr, 0, &y, &units);
            int best = std::max(x, y);
            if (units == IPP_RES_PER_CM)
                best = int(best * 2.54 + 0.5);
            // Beyond this a page of dots stops fitting the layout's 32-bit coordinates comfortably.
            if (best >= 36 && best <= 9600)
                dpi = best;
        }
        cupsFreeDestInfo(info);
    }
    cupsFreeDests(1, dest);
    return dpi;
}

int forQueue(const QString& queue) {
    return queueDefault(queue).value_or(Fallback);
}

} // namespace queue_resolution
