#include <QTest>

#include "document/OutputSettings.h"
#include "platform/Cp932.h"

namespace {

const QByteArray Mincho = cp932::encode(QStringLiteral("ＭＳ 明朝"));

} // namespace

class TestOutputSettings : public QObject {
    Q_OBJECT
private slots:
    void resetGivesTheDefaults() {
        OutputSettings.DrawOuterFrame = 1;
        OutputSettings.FontName[2] = "Other";
        OutputSettings.FontSize = {1, 2, 3};
        OutputSettings.PreviewZoomText = "250";
        OutputSettings.LinePitchFactor = 2.0;
        resetOutputSettings();

        const TOutputSettings& s = OutputSettings;
        QCOMPARE(s.FrameColor, 0u);
        QCOMPARE(s.ShowPrintableArea, 0);
        QCOMPARE(s.DrawOuterFrame, 0);
        QCOMPARE(s.DrawPageNumber, 0);
        QCOMPARE(s.DrawTableSideLines, 1);
        QCOMPARE(s.PageNumberStart, 1);
        QCOMPARE(s.BodyTopMarginMm, 5);
        QCOMPARE(s.BodyLeftMarginMm, 10);
        QCOMPARE(s.FrameTopMarginMm, 15);
        QCOMPARE(s.FrameBottomMarginMm, 10);
        QCOMPARE(s.FrameLeftMarginMm, 10);
        QCOMPARE(s.FrameRightMarginMm, 10);
        QCOMPARE(s.FrameLineWidthText.bytes(), QByteArray("1"));
        QCOMPARE(s.PreviewZoomText.bytes(), QByteArray("100"));
        QCOMPARE(s.DecorationFontName.bytes(), Mincho);
        QCOMPARE(s.DecorationFontSize, 9);
        QCOMPARE(s.LinePitchFactor, 1.2);
        QCOMPARE(s.TablePitchFactor, 1.0);
        QCOMPARE(s.BitmapDrawType, 1);
        for (const auto& name : s.FontName)
            QCOMPARE(name.bytes(), Mincho);
        QCOMPARE(s.FontSize, (std::array<std::int32_t, 3>{11, 9, 9}));
    }

    void fieldTypesAndCapacities() {
        static_assert(std::is_same_v<decltype(TOutputSettings::FrameColor), std::uint32_t>);
        static_assert(std::is_same_v<decltype(TOutputSettings::PageNumberStart), std::int32_t>);
        static_assert(std::is_same_v<decltype(TOutputSettings::LinePitchFactor), double>);
        QCOMPARE(decltype(TOutputSettings::FrameLineWidthText)::capacity(), 8);
        QCOMPARE(decltype(TOutputSettings::PreviewZoomText)::capacity(), 8);
        QCOMPARE(decltype(TOutputSettings::DecorationFontName)::capacity(), 32);
        QCOMPARE(std::tuple_size_v<decltype(TOutputSettings::FontName)>, std::size_t(3));
        QCOMPARE(decltype(TOutputSettings::FontName)::value_type::capacity(), 30);
    }

    void minchoIsNineBytes() {
        // Full-width M and S, one ASCII blank, two kanji.
        QCOMPARE(Mincho, QByteArray("\x82\x6C\x82\x72\x20\x96\xBE\x92\xA9"));
        QCOMPARE(OutputSettings.FontName[0].text(), QStringLiteral("ＭＳ 明朝"));
    }

    void longTextsAreCutToTheirCapacity() {
        TOutputSettings s;
        s.PreviewZoomText = "123456789";
        QCOMPARE(s.PreviewZoomText.bytes(), QByteArray("12345678"));
        s.FrameLineWidthText = QStringLiteral("1234567890");
        QCOMPARE(s.FrameLineWidthText.bytes(), QByteArray("12345678"));

        const QByteArray ascii40(40, 'x');
        s.FontName[1] = ascii40;
        QCOMPARE(s.FontName[1].bytes(), ascii40.left(30));
        s.DecorationFontName = ascii40;
        QCOMPARE(s.DecorationFontName.bytes(), ascii40.left(32));
    }

    void cutsNeverLeaveHalfACharacter() {
        TOutputSettings s;
        // Four names are 36 bytes; 30 bytes end inside the fourth name's first character
        // pair boundary: "ＭＳ 明朝" x3 = 27 bytes, then "Ｍ" (2) = 29, "Ｓ" would need 31.
        const QString four = QStringLiteral("ＭＳ 明朝ＭＳ 明朝ＭＳ 明朝ＭＳ 明朝");
        s.FontName[0] = four;
        QCOMPARE(s.FontName[0].bytes().size(), 29);
        QCOMPARE(s.FontName[0].text(), QStringLiteral("ＭＳ 明朝ＭＳ 明朝ＭＳ 明朝Ｍ"));

        // 32 bytes: 27 + "ＭＳ" (4) = 31, the blank makes 32 exactly.
        s.DecorationFontName = four;
        QCOMPARE(s.DecorationFontName.bytes().size(), 32);
        QCOMPARE(s.DecorationFontName.text(), QStringLiteral("ＭＳ 明朝ＭＳ 明朝ＭＳ 明朝ＭＳ "));

        // 8 bytes of "1" + kanji: "1" then three kanji is 7 bytes, a fourth would be 9.
        s.PreviewZoomText = QStringLiteral("1明朝明朝");
        QCOMPARE(s.PreviewZoomText.bytes().size(), 7);
        s.PreviewZoomText = QStringLiteral("12明朝明朝");
        QCOMPARE(s.PreviewZoomText.bytes().size(), 8);

        // Half-width katakana are single bytes and are never mistaken for lead bytes.
        s.PreviewZoomText = QStringLiteral("ｱｲｳｴｵｶｷｸｹ");
        QCOMPARE(s.PreviewZoomText.text(), QStringLiteral("ｱｲｳｴｵｶｷｸ"));
    }
};

QTEST_GUILESS_MAIN(TestOutputSettings)
#include "tst_OutputSettings.moc"
