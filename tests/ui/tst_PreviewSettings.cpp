// The preview window with its settings and font dialogs, as a user works them: every
// confirmed change lays the document out again (page count and text positions follow),
// cancelled ones do not; values carry to the next preview of the run; the printable-area
// outline shows only in the preview; Esc leaves the window open; the windows open centred
// on the main window.

#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cmath>
#include <memory>

#include "app/Application.h"
#include "app/FormFolioscopeMain.h"
#include "document/OutputSettings.h"
#include "pages/CurrentPrinter.h"
#include "pages/PageRecording.h"
#include "platform/FontSubstitution.h"
#include "support/ModalWatcher.h"
#include "ui/FormFontSettei.h"
#include "ui/FormPreView.h"
#include "ui/FormProgressBar.h"
#include "ui/FormRegDatInjiSettei.h"
#include "ui/PageImage.h"
#include "ui/PageImageView.h"
#include "ui/RangeUpDown.h"

namespace {

QStringList errors;
constexpr int Dpi = 150;

// A numeric body in Font3, long enough for a few pages.
QByteArrayList bodyLines(int count) {
    QByteArrayList lines{"<Font3>"};
    for (int i = 1; i <= count; ++i)
        lines << "  1.000  2.000  " + QByteArray::number(i);
    return lines;
}

int mmToDots(int mm) {
    return int(std::nearbyint(mm / 25.4 * Dpi));
}

// The texts of a recorded page: position, face, pixel size and bytes of each.
QStringList texts(const PageRecording& page) {
    QStringList out;
    for (const PageRecord& record : page.records())
        if (const auto* text = std::get_if<TextRecord>(&record)) {
            const FontSpec& font = page.fonts().at(text->fontIndex);
            out << QStringLiteral("%1,%2 %3 %4 %5")
                       .arg(text->topLeft.x())
                       .arg(text->topLeft.y())
                       .arg(font.face)
                       .arg(font.pixelSize)
                       .arg(QString::fromLatin1(text->bytes.toHex()));
        }
    return out;
}

struct Preview {
    QByteArrayList lines;
    std::unique_ptr<TFormPreView> window = std::make_unique<TFormPreView>();

    explicit Preview(QByteArrayList body) : lines(std::move(body)) {
        window->FileName = QStringLiteral("/data/report.txt");
        window->Lines = &lines;
        window->show();
    }
    TFormPreView* operator->() { return window.get(); }
    int pages() { return window->PrintPreview1.PageCount(); }
    // Top and pixel size of the first text on page 1.
    std::pair<int, int> firstText() {
        const PageRecording& page = window->PrintPreview1.GetPage(0);
        for (const PageRecord& record : page.records())
            if (const auto* text = std::get_if<TextRecord>(&record))
                return {text->topLeft.y(), page.fonts().at(text->fontIndex).pixelSize};
        return {-1, -1};
    }
    QImage picture() { return window->Image1->picture()->toImage(); }
};

// Runs the output settings dialog from the preview's button; edit changes the dialog, then
// the preview button (or cancel) is pressed.
void runSettings(Preview& preview, const std::function<void(TFormRegDatInjiSettei&)>& edit,
                 bool confirm = true) {
    int seen = 0;
    ModalWatcher watcher([&](QWidget* modal) {
        auto* dialog = qobject_cast<TFormRegDatInjiSettei*>(modal);
        if (!dialog)
            return;
        ++seen;
        edit(*dialog);
        (confirm ? dialog->BitBtnPreView : dialog->BitBtnCancel)->click();
    });
    QTest::mouseClick(preview->BitBtnSettei, Qt::LeftButton);
    QCOMPARE(seen, 1);
}

// Runs the font settings dialog from the preview's button; choose changes the dialog.
void runFonts(Preview& preview, const std::function<void(TFormFontSettei&)>& choose,
              bool confirm = true) {
    int seen = 0;
    ModalWatcher watcher([&](QWidget* modal) {
        auto* dialog = qobject_cast<TFormFontSettei*>(modal);
        if (!dialog)
            return;
        ++seen;
        choose(*dialog);
        (confirm ? dialog->BitBtnOK : dialog->BitBtnCancel)->click();
    });
    QTest::mouseClick(preview->BitBtnFont, Qt::LeftButton);
    QCOMPARE(seen, 1);
}

// Chooses font in the font dialog that the next click opens.
void answerFontDialog(const QFont& font) {
    QTimer::singleShot(0, [font] {
        if (auto* chooser = qobject_cast<QFontDialog*>(QApplication::activeModalWidget())) {
            chooser->setCurrentFont(font);
            chooser->accept();
        }
    });
}

} // namespace

class TestPreviewSettings : public QObject {
    Q_OBJECT
    QTemporaryDir settingsDir_;

private slots:
    void initTestCase() {
        // The main window remembers folders, places and recent files: never in the user's own
        // settings file.
        QVERIFY(settingsDir_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
        font_substitution::install();
        auto printer = current_printer::createPdfPrinter();
        printer->setResolution(Dpi);
        current_printer::replace(std::move(printer));
    }
    void init() {
        resetOutputSettings();
        errors.clear();
    }
    void cleanup() { QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n'))); }

    // The preview button lays out again even when nothing changed; cancel does not.
    void settingsLayOutAgainOnlyWhenConfirmed() {
        Preview preview(bodyLines(10));
        QCOMPARE(preview.pages(), 1);
        preview.lines << "<Page-End>"
                      << "more"; // shows only in a new layout
        runSettings(
            preview, [](TFormRegDatInjiSettei&) {}, false);
        QCOMPARE(preview.pages(), 1);
        runSettings(preview, [](TFormRegDatInjiSettei&) {});
        QCOMPARE(preview.pages(), 2);
        QCOMPARE(preview->LabelTotalPage->text(), QStringLiteral("/2"));
    }

    // A larger top frame margin moves the text down and adds pages; a cleared box stores 20.
    void marginsMoveTextAndChangeThePageCount() {
        Preview preview(bodyLines(200));
        const auto [top, size] = preview.firstText();
        const int pages = preview.pages();
        QVERIFY(pages >= 2);

        runSettings(preview, [](TFormRegDatInjiSettei& dialog) { dialog.Edit4->setText("60"); });
        QCOMPARE(OutputSettings.FrameTopMarginMm, 60);
        // The text starts below frame top plus body top margin.
        QCOMPARE(preview.firstText().first - top, mmToDots(60 + 5) - mmToDots(15 + 5));
        QVERIFY(preview.pages() > pages);

        runSettings(preview, [](TFormRegDatInjiSettei& dialog) { dialog.Edit4->clear(); });
        QCOMPARE(OutputSettings.FrameTopMarginMm, 20);
        QCOMPARE(preview.firstText().first - top, mmToDots(20 + 5) - mmToDots(15 + 5));

        runSettings(preview, [](TFormRegDatInjiSettei& dialog) { dialog.Edit2->setText("12.5"); });
        QCOMPARE(OutputSettings.BodyTopMarginMm, 5); // not an integer: the row's fixed value
        QCOMPARE(preview.firstText().second, size);
    }

    // A larger Font3 from the font dialog makes bigger text and more pages; cancel keeps all.
    void fontsLayOutAgainOnlyAfterOk() {
        Preview preview(bodyLines(200));
        const int pages = preview.pages();
        QCOMPARE(preview.firstText().second, int(std::nearbyint(9.0 * Dpi / 72)));

        runFonts(
            preview,
            [](TFormFontSettei& dialog) {
                answerFontDialog(QFont(QStringLiteral("IPAGothic"), 18));
                dialog.BitBtn3->click();
            },
            false);
        QCOMPARE(OutputSettings.FontSize[2], 9);
        QCOMPARE(preview.pages(), pages);

        runFonts(preview, [](TFormFontSettei& dialog) {
            answerFontDialog(QFont(QStringLiteral("IPAGothic"), 18));
            dialog.BitBtn3->click();
        });
        QCOMPARE(OutputSettings.FontSize[2], 18);
        QCOMPARE(preview.firstText().second, int(std::nearbyint(18.0 * Dpi / 72)));
        QVERIFY(preview.pages() > pages);

        // "戻る" without choosing anything still lays out again.
        preview.lines << "<Page-End>"
                      << "more";
        const int before = preview.pages();
        runFonts(preview, [](TFormFontSettei&) {});
        QCOMPARE(preview.pages(), before + 1);
    }

    // Bold, underline and strike-out chosen in the font dialog leave the pages as they are.
    void fontEffectsDoNotReachThePages() {
        OutputSettings.FontName[2] = QStringLiteral("IPAGothic");
        Preview plain(bodyLines(30));
        const QStringList expected = texts(plain->PrintPreview1.GetPage(0));
        QVERIFY(!expected.isEmpty());

        resetOutputSettings();
        Preview preview(bodyLines(30));
        runFonts(preview, [](TFormFontSettei& dialog) {
            QFont effects(QStringLiteral("IPAGothic"), 9);
            effects.setBold(true);
            effects.setItalic(true);
            effects.setUnderline(true);
            effects.setStrikeOut(true);
            answerFontDialog(effects);
            dialog.BitBtn3->click();
            QVERIFY(dialog.FontDialog3.Font.underline());
        });
        QCOMPARE(OutputSettings.FontName[2].text(), QStringLiteral("IPAGothic"));
        QCOMPARE(texts(preview->PrintPreview1.GetPage(0)), expected);
    }

    // The next preview window of the run starts from the values stored in this one.
    void valuesShownAgainInALaterPreview() {
        {
            Preview first(bodyLines(5));
            runSettings(first, [](TFormRegDatInjiSettei& dialog) {
                dialog.RadioButton5->setChecked(true);
                dialog.Edit7->setText("33");
                dialog.UpDown4->step(+1);
            });
            first->reject();
        }
        Preview second(bodyLines(5));
        QString shownRight, shownWidth;
        bool frameOn = false;
        runSettings(
            second,
            [&](TFormRegDatInjiSettei& dialog) {
                shownRight = dialog.Edit7->text();
                shownWidth = dialog.EditSen->text();
                frameOn = dialog.RadioButton5->isChecked();
            },
            false);
        QCOMPARE(shownRight, QStringLiteral("33"));
        QCOMPARE(shownWidth, QStringLiteral("2"));
        QVERIFY(frameOn);
    }

    // The dotted printable area shows on the preview picture only, never in the pages.
    void printableAreaOutlineIsPreviewOnly() {
        Preview preview(bodyLines(5));
        const QImage without = preview.picture();
        const QStringList pageTexts = texts(preview->PrintPreview1.GetPage(0));
        const std::size_t recordCount = preview->PrintPreview1.GetPage(0).records().size();
        runSettings(preview,
                    [](TFormRegDatInjiSettei& dialog) { dialog.RadioButton13->setChecked(true); });
        QCOMPARE(OutputSettings.ShowPrintableArea, 1);
        QVERIFY(preview.picture() != without);
        QCOMPARE(texts(preview->PrintPreview1.GetPage(0)), pageTexts);
        QCOMPARE(preview->PrintPreview1.GetPage(0).records().size(), recordCount);
        runSettings(preview,
                    [](TFormRegDatInjiSettei& dialog) { dialog.RadioButton14->setChecked(true); });
        QVERIFY(preview.picture() == without);
    }

    void escapeDoesNotCloseThePreview() {
        Preview preview(bodyLines(5));
        for (QWidget* focus : {static_cast<QWidget*>(preview->EditBoxBairitu),
                               static_cast<QWidget*>(preview->EditBoxPage),
                               static_cast<QWidget*>(preview.window.get())}) {
            focus->setFocus();
            QTest::keyClick(focus, Qt::Key_Escape);
            QVERIFY(preview->isVisible());
        }
        QTest::mouseClick(preview->BitBtnReturn, Qt::LeftButton); // "戻る" still closes it
        QVERIFY(!preview->isVisible());
    }

    // The preview, its progress window and its dialogs open centred on the main window, also
    // while that is hidden.
    void windowsOpenCentredOnTheMainWindow() {
        TFormFolioscopeMain main;
        main.show();
        const QRect screen = main.screen()->availableGeometry();
        main.move(screen.center() - QPoint(200, 100)); // away from the screen's centre
        const QPoint centre = main.frameGeometry().center();
        main.hide();
        // A window system keeps a window larger than its screen on the screen (a small
        // virtual display); such windows are left out of the comparison.
        const auto centredOnMain = [&](const QRect& frame) {
            return frame.height() > screen.height() || frame.width() > screen.width() ||
                   (frame.center() - centre).manhattanLength() <= 2;
        };

        Preview preview(bodyLines(5));
        QVERIFY(centredOnMain(preview->frameGeometry()));
        int progressWindows = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<TFormProgressBar*>(w)) {
                ++progressWindows;
                QVERIFY(centredOnMain(w->frameGeometry()));
            }
        QCOMPARE(progressWindows, 1);

        QRect settingsFrame, fontsFrame;
        runSettings(
            preview, [&](TFormRegDatInjiSettei& dialog) { settingsFrame = dialog.frameGeometry(); },
            false);
        runFonts(
            preview, [&](TFormFontSettei& dialog) { fontsFrame = dialog.frameGeometry(); }, false);
        QVERIFY(centredOnMain(settingsFrame));
        QVERIFY(centredOnMain(fontsFrame));
    }
};

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    Application app(argc, argv);
    app.ReportError = [](const QString& message) { errors << message; };
    TestPreviewSettings test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_PreviewSettings.moc"
