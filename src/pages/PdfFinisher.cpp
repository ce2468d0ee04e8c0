#include "pages/PdfFinisher.h"

#include <QIODevice>
#include <QSet>
#include <cstdlib>
#include <qpdf/Buffer.hh>
#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <stdexcept>

#include "pages/PrintPreview.h"

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

// Whether data (the engine's stream, decoded to 8-bit samples) shows the same picture as
// reference: at most 10 levels apart on average. A second JPEG encoding at the engine's
// quality stays within 1 to 3 levels on photographs and about 5 on sharp colour edges; another
// picture, or the same one turned or flipped (EXIF orientation), is tens of levels apart.
bool samePicture(const Buffer& data, const QImage& reference, int components) {
    const QImage image = reference.convertToFormat(components == 1 ? QImage::Format_Grayscale8
                                                                   : QImage::Format_RGB888);
    const qsizetype rowBytes = qsizetype(image.width()) * components;
    if (qsizetype(data.getSize()) != rowBytes * image.height())
        return false;
    const unsigned char* samples = data.getBuffer();
    quint64 total = 0;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        const unsigned char* other = samples + y * rowBytes;
        for (qsizetype x = 0; x < rowBytes; ++x)
            total += quint64(std::abs(int(row[x]) - int(other[x])));
    }
    return total <= quint64(10) * quint64(rowBytes) * quint64(image.height());
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
            if (r.encoded->format() == EncodedImage::Format::Jpeg) {
                figure.jpeg = r.encoded->bytes();
                figure.reference = r.encoded->pixels();
            }
            figures.append(std::move(figure));
        }
    }
    return figures;
}

void PdfFinisher::finish(const QByteArray& pdf, QIODevice& out) const {
    try {
        QPDF doc;
        doc.setSuppressWarnings(true);
        doc.processMemoryFile("PDF", pdf.constData(), size_t(pdf.size()));
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

// Each image the engine wrote is matched to the figures by its size in pixels. It gets the
// interpolation flag when the figures of that size all ask for it; an image of a size no
// figure has (a bitmap inside a metafile) is left as it is.
void PdfFinisher::finishImages(QPDF& doc) const {
    if (figures_.isEmpty())
        return;
    for (QPDFObjectHandle object : doc.getAllObjects()) {
        if (!object.isStream() || !object.isImage())
            continue;
        QPDFObjectHandle dict = object.getDict();
        QPDFObjectHandle w = dict.getKey("/Width");
        QPDFObjectHandle h = dict.getKey("/Height");
        if (!w.isInteger() || !h.isInteger())
            continue;
        const QSize size(int(w.getIntValue()), int(h.getIntValue()));
        bool any = false;
        bool smooth = true;
        const PdfFigure* jpeg = nullptr;
        for (const PdfFigure& figure : figures_) {
            if (figure.pixels != size)
                continue;
            any = true;
            smooth = smooth && figure.interpolate;
            if (!figure.jpeg.isEmpty() && !jpeg)
                jpeg = &figure;
        }
        if (!any)
            continue;
        if (smooth)
            dict.replaceKey("/Interpolate", QPDFObjectHandle::newBool(true));
        if (jpeg)
            passJpeg(object, *jpeg);
    }
}

// The engine decodes a JPEG figure and encodes it again. Where its stream is a JPEG of the
// same size and colours as the file and shows the same picture, the file's own data takes its
// place: smaller, and no second loss. Kept otherwise: a file that a PDF reader's DCT decoder may
// not read (arithmetic coding, 12 bits, CMYK), or a picture the engine wrote otherwise (grey
// pixels as grey, a picture turned by its orientation tag).
void PdfFinisher::passJpeg(QPDFObjectHandle& image, const PdfFigure& figure) {
    QPDFObjectHandle dict = image.getDict();
    QPDFObjectHandle filter = dict.getKey("/Filter");
    if (!filter.isNameAndEquals("/DCTDecode"))
        return;
    const JpegFrame frame = jpegFrame(figure.jpeg);
    if (!frame.readable || QSize(frame.width, frame.height) != figure.pixels)
        return;
    QPDFObjectHandle space = dict.getKey("/ColorSpace");
    const int components = space.isNameAndEquals("/DeviceGray")  ? 1
                           : space.isNameAndEquals("/DeviceRGB") ? 3
                                                                 : 0;
    if (components != frame.components)
        return;
    const std::shared_ptr<Buffer> decoded = image.getStreamData(qpdf_dl_all);
    if (!decoded || !samePicture(*decoded, figure.reference, components))
        return;
    image.replaceStreamData(figure.jpeg.toStdString(), QPDFObjectHandle::newName("/DCTDecode"),
                            QPDFObjectHandle::newNull());
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
    if (!title_.isNull())
        info.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(utf8(shortLabel(title_))));
    QPDFObjectHandle program = QPDFObjectHandle::newUnicodeString(utf8(programName()));
    info.replaceKey("/Creator", program);
    info.replaceKey("/Producer", program);
}
