#include "pages/PdfFinisher.h"

#include <QCryptographicHash>
#include <QIODevice>
#include <QImage>
#include <QSet>
#include <cstdlib>
#include <map>
#include <qpdf/Buffer.hh>
#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <set>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "pages/PrintPreview.h"
#include "platform/JpegReader.h"

namespace {

// qpdf's output handed to a Qt device (the CountingDevice in front of the file, which keeps
// the first failed write).
class DevicePipeline : public Pipeline {
public:
    explicit DevicePipeline(QIODevice& device) : Pipeline("device", nullptr), device_(device) {}
    void write(unsigned char const* data, size_t len) override {
        device_.write(reinterpret_cast<const char*>(data), qint64(len));
    }
    void finish() override {}

private:
    QIODevice& device_;
};

// The frame header of a JPEG file: what a PDF reader's DCT decoder must be able to read.
struct JpegFrame {
    int width = 0;
    int height = 0;
    int components = 0;
    bool readable = false; // Huffman-coded (baseline, extended or progressive), 8 bits
};

JpegFrame jpegFrame(const QByteArray& file) {
    JpegFrame frame;
    const auto byte = [&](qsizetype i) { return quint8(file.at(i)); };
    qsizetype i = 2;
    if (file.size() < 4 || byte(0) != 0xFF || byte(1) != 0xD8)
        return frame;
    while (i + 4 <= file.size()) {
        if (byte(i) != 0xFF)
            return frame;
        const quint8 marker = byte(i + 1);
        if (marker == 0xFF) {
            ++i; // fill byte
            continue;
        }
        const int length = byte(i + 2) << 8 | byte(i + 3);
        const bool sof =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (sof) {
            if (i + 10 > file.size())
                return frame;
            frame.height = byte(i + 5) << 8 | byte(i + 6);
            frame.width = byte(i + 7) << 8 | byte(i + 8);
            frame.components = byte(i + 9);
            frame.readable = (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) &&
                             byte(i + 4) == 8 && (frame.components == 1 || frame.components == 3);
            return frame;
        }
        if (marker == 0xDA || marker == 0xD9)
            return frame; // scan data before any frame header
        i += 2 + length;
    }
    return frame;
}

// Whether two JPEG files show the same picture: decoded at an eighth of their size (libjpeg
// then reads little more than each block's mean), at most 10 levels apart on average. A second
// encoding at the engine's quality stays within 1 to 3 levels on photographs and about 5 on
// sharp colour edges; another picture is tens of levels apart.
bool samePicture(const QByteArray& file, const QByteArray& other) {
    QImage a, b;
    try {
        a = jpeg_reader::decodeScaled(file, 8).convertToFormat(QImage::Format_RGB888);
        b = jpeg_reader::decodeScaled(other, 8).convertToFormat(QImage::Format_RGB888);
    } catch (const std::exception&) {
        return false;
    }
    if (a.isNull() || a.size() != b.size())
        return false;
    const qsizetype rowBytes = qsizetype(a.width()) * 3;
    quint64 total = 0;
    for (int y = 0; y < a.height(); ++y) {
        const uchar* p = a.constScanLine(y);
        const uchar* q = b.constScanLine(y);
        for (qsizetype x = 0; x < rowBytes; ++x)
            total += quint64(std::abs(int(p[x]) - int(q[x])));
    }
    return total <= quint64(10) * quint64(rowBytes) * quint64(a.height());
}

std::string utf8(const QString& text) {
    return text.toStdString();
}

} // namespace

// Not cut inside a surrogate pair. A bookmark's title is a PDF text string of any length, but
// a viewer's panel shows a line of it, and a title line of megabytes would only swell the file.
QString PdfFinisher::shortLabel(const QString& label) {
    if (label.size() <= MaxLabelLength)
        return label;
    qsizetype cut = MaxLabelLength - 1;
    if (label.at(cut - 1).isHighSurrogate())
        --cut;
    return label.left(cut) + QChar(0x2026);
}

QString PdfFinisher::programName() {
    return QStringLiteral("Folioscope " FOLIOSCOPE_VERSION);
}

QList<PdfFigure> PdfFinisher::figuresOf(const TPrintPreview& store, const QList<int>& pages) {
    QList<PdfFigure> figures;
    QSet<quint64> seen;
    for (const int number : pages) {
        for (const ImageRecord& r : store.GetPage(number - 1).images()) {
            if (!r.encoded || seen.contains(r.encoded->id()))
                continue;
            seen.insert(r.encoded->id());
            PdfFigure figure;
            figure.pixels = r.encoded->pixelSize();
            figure.interpolate = r.smooth || !r.resampleTo.isEmpty();
            if (r.encoded->format() == EncodedImage::Format::Jpeg)
                figure.jpeg = r.encoded;
            figures.append(std::move(figure));
        }
    }
    return figures;
}

void PdfFinisher::finish(const QByteArray& pdf, QIODevice& out) const {
    finish(QList<QByteArray>{pdf}, out);
}

void PdfFinisher::finish(const QList<QByteArray>& slices, QIODevice& out) const {
    if (slices.isEmpty())
        throw std::runtime_error("no PDF to finish");
    try {
        QPDF doc;
        doc.setSuppressWarnings(true);
        doc.processMemoryFile("PDF", slices.front().constData(), size_t(slices.front().size()));
        // The later slices' pages are copied after the first one's. qpdf copies their streams
        // only when the file is written, so their documents stay open until then.
        std::vector<std::unique_ptr<QPDF>> later;
        QPDFPageDocumentHelper pages(doc);
        for (qsizetype i = 1; i < slices.size(); ++i) {
            auto slice = std::make_unique<QPDF>();
            slice->setSuppressWarnings(true);
            slice->processMemoryFile("PDF slice", slices[i].constData(), size_t(slices[i].size()));
            for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(*slice).getAllPages())
                pages.addPage(page, false);
            later.push_back(std::move(slice));
        }
        finishImages(doc);
        if (!outline_.isEmpty())
            addBookmarks(doc);
        setInformation(doc);

        DevicePipeline pipeline(out);
        QPDFWriter writer(doc);
        writer.setOutputPipeline(&pipeline);
        // Streams go out as they came: the engine has compressed them already.
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setCompressStreams(false);
        writer.write();
    } catch (const std::runtime_error&) {
        throw;
    } catch (const std::exception& e) {
        throw std::runtime_error(e.what());
    }
}

// The engine writes an image once for each QImage it is given: a figure decoded again (the
// decode cache had let it go between two pages that show it) comes out twice. Images of the
// same size and the same bytes become one, referred to by every page that shows it; the
// copies, no longer referred to, are not written.
std::set<QPDFObjGen> PdfFinisher::mergeRepeatedImages(QPDF& doc) {
    std::map<std::tuple<long long, long long, size_t>, std::vector<QPDFObjectHandle>> groups;
    for (QPDFObjectHandle object : doc.getAllObjects()) {
        if (!object.isStream() || !object.isImage())
            continue;
        QPDFObjectHandle dict = object.getDict();
        QPDFObjectHandle w = dict.getKey("/Width");
        QPDFObjectHandle h = dict.getKey("/Height");
        if (!w.isInteger() || !h.isInteger() || dict.hasKey("/SMask"))
            continue;
        // A stream copied from a later slice has no /Length until it is written.
        QPDFObjectHandle length = dict.getKey("/Length");
        const long long bytes = length.isInteger()
                                    ? length.getIntValue()
                                    : (long long)object.getRawStreamData()->getSize();
        groups[{w.getIntValue(), h.getIntValue(), size_t(bytes)}].push_back(object);
    }
    std::map<QPDFObjGen, QPDFObjectHandle> first; // a copy -> the image that stays
    for (auto& [key, images] : groups) {
        if (images.size() < 2)
            continue;
        std::map<QByteArray, QPDFObjectHandle> byHash;
        for (QPDFObjectHandle& image : images) {
            const std::shared_ptr<Buffer> data = image.getRawStreamData();
            const QByteArray hash = QCryptographicHash::hash(
                QByteArrayView(data->getBuffer(), qsizetype(data->getSize())),
                QCryptographicHash::Sha256);
            const auto [it, added] = byHash.emplace(hash, image);
            if (!added)
                first.emplace(image.getObjGen(), it->second);
        }
    }
    std::set<QPDFObjGen> copies;
    if (first.empty())
        return copies;
    for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(doc).getAllPages()) {
        QPDFObjectHandle xobjects = page.getObjectHandle().getKey("/Resources").getKey("/XObject");
        if (!xobjects.isDictionary())
            continue;
        for (const std::string& name : xobjects.getKeys()) {
            const auto it = first.find(xobjects.getKey(name).getObjGen());
            if (it != first.end())
                xobjects.replaceKey(name, it->second);
        }
    }
    for (const auto& [copy, kept] : first)
        copies.insert(copy);
    return copies;
}

// Each image the engine wrote is matched to the figures by its size in pixels. It gets the
// interpolation flag when the figures of that size all ask for it; an image of a size no
// figure has (a bitmap inside a metafile) is left as it is.
void PdfFinisher::finishImages(QPDF& doc) const {
    if (figures_.isEmpty())
        return;
    const std::set<QPDFObjGen> copies = mergeRepeatedImages(doc);
    for (QPDFObjectHandle object : doc.getAllObjects()) {
        if (!object.isStream() || !object.isImage() || copies.count(object.getObjGen()))
            continue;
        QPDFObjectHandle dict = object.getDict();
        QPDFObjectHandle w = dict.getKey("/Width");
        QPDFObjectHandle h = dict.getKey("/Height");
        if (!w.isInteger() || !h.isInteger())
            continue;
        const QSize size(int(w.getIntValue()), int(h.getIntValue()));
        bool any = false;
        bool smooth = true;
        QList<const PdfFigure*> jpegs;
        for (const PdfFigure& figure : figures_) {
            if (figure.pixels != size)
                continue;
            any = true;
            smooth = smooth && figure.interpolate;
            if (figure.jpeg)
                jpegs.append(&figure);
        }
        if (!any)
            continue;
        if (smooth)
            dict.replaceKey("/Interpolate", QPDFObjectHandle::newBool(true));
        for (const PdfFigure* jpeg : jpegs)
            if (passJpeg(object, *jpeg))
                break;
    }
}

// The engine decodes a JPEG figure and encodes it again. Where its stream is a JPEG of the
// same size and colours as the file and shows the same picture, the file's own data takes its
// place: smaller, and no second loss. Kept otherwise: a file that a PDF reader's DCT decoder may
// not read (arithmetic coding, 12 bits, CMYK), or a picture the engine wrote otherwise (all
// grey pixels as grey), or another picture of the same size.
bool PdfFinisher::passJpeg(QPDFObjectHandle& image, const PdfFigure& figure) {
    QPDFObjectHandle dict = image.getDict();
    QPDFObjectHandle filter = dict.getKey("/Filter");
    if (!filter.isNameAndEquals("/DCTDecode"))
        return false;
    const QByteArray file = figure.jpeg->bytes();
    const JpegFrame frame = jpegFrame(file);
    if (!frame.readable || QSize(frame.width, frame.height) != figure.pixels)
        return false;
    QPDFObjectHandle space = dict.getKey("/ColorSpace");
    const int components = space.isNameAndEquals("/DeviceGray")  ? 1
                           : space.isNameAndEquals("/DeviceRGB") ? 3
                                                                 : 0;
    if (components != frame.components)
        return false;
    const std::shared_ptr<Buffer> stream = image.getRawStreamData();
    if (!stream || !samePicture(file, QByteArray::fromRawData(
                                          reinterpret_cast<const char*>(stream->getBuffer()),
                                          qsizetype(stream->getSize()))))
        return false;
    // The file's bytes are fetched again when the stream is written, so that a report's
    // photographs are not all held at once.
    std::shared_ptr<const EncodedImage> source = figure.jpeg;
    image.replaceStreamData(
        [source](Pipeline* pipeline) {
            const QByteArray bytes = source->bytes();
            pipeline->write(reinterpret_cast<const unsigned char*>(bytes.constData()),
                            size_t(bytes.size()));
            pipeline->finish();
        },
        QPDFObjectHandle::newName("/DCTDecode"), QPDFObjectHandle::newNull());
    return true;
}

void PdfFinisher::addBookmarks(QPDF& doc) const {
    const std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(doc).getAllPages();
    QPDFObjectHandle root = doc.makeIndirectObject(QPDFObjectHandle::newDictionary());
    root.replaceKey("/Type", QPDFObjectHandle::newName("/Outlines"));

    // Appends item as the last child of parent, keeping the counts of open items.
    const auto append = [](QPDFObjectHandle& parent, QPDFObjectHandle& item) {
        item.replaceKey("/Parent", parent);
        if (parent.hasKey("/Last")) {
            QPDFObjectHandle last = parent.getKey("/Last");
            last.replaceKey("/Next", item);
            item.replaceKey("/Prev", last);
        } else {
            parent.replaceKey("/First", item);
        }
        parent.replaceKey("/Last", item);
    };

    QPDFObjectHandle chapter;
    int topCount = 0;
    int chapterCount = 0;
    for (const OutlineEntry& entry : outline_) {
        if (entry.page < 1 || entry.page > int(pages.size()))
            continue;
        QPDFObjectHandle page = pages[size_t(entry.page - 1)].getObjectHandle();
        QPDFObjectHandle::Rectangle box = page.getKey("/MediaBox").getArrayAsRectangle();
        QPDFObjectHandle item = doc.makeIndirectObject(QPDFObjectHandle::newDictionary());
        item.replaceKey("/Title",
                        QPDFObjectHandle::newUnicodeString(utf8(shortLabel(entry.label))));
        // The page's top edge, at the zoom and left position the viewer has.
        item.replaceKey("/Dest",
                        QPDFObjectHandle::newArray(
                            {page, QPDFObjectHandle::newName("/XYZ"), QPDFObjectHandle::newNull(),
                             QPDFObjectHandle::newReal(box.ury, 2), QPDFObjectHandle::newNull()}));
        ++topCount;
        if (entry.level == 2 && chapter.isDictionary()) {
            append(chapter, item);
            chapter.replaceKey("/Count", QPDFObjectHandle::newInteger(++chapterCount));
        } else {
            append(root, item);
            if (entry.level == 1) {
                chapter = item;
                chapterCount = 0;
            }
        }
    }
    if (topCount == 0)
        return;
    root.replaceKey("/Count", QPDFObjectHandle::newInteger(topCount));
    QPDFObjectHandle catalog = doc.getRoot();
    catalog.replaceKey("/Outlines", root);
    catalog.replaceKey("/PageMode", QPDFObjectHandle::newName("/UseOutlines"));
}

void PdfFinisher::setInformation(QPDF& doc) const {
    QPDFObjectHandle trailer = doc.getTrailer();
    QPDFObjectHandle info = trailer.getKey("/Info");
    if (!info.isDictionary()) {
        info = doc.makeIndirectObject(QPDFObjectHandle::newDictionary());
        trailer.replaceKey("/Info", info);
    }
    // A document without a file name (nothing read from disk) has no title.
    if (title_.isEmpty())
        info.removeKey("/Title");
    else
        info.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(utf8(shortLabel(title_))));
    QPDFObjectHandle program = QPDFObjectHandle::newUnicodeString(utf8(programName()));
    info.replaceKey("/Creator", program);
    info.replaceKey("/Producer", program);
}
