// The help file and its reader: the built Folioscope2.chm (pages, links, images, contents,
// index, search), damaged files that must be refused without harm, and the help window.

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include "help/ChmArchive.h"
#include "help/ChmHelpViewer.h"
#include "help/ChmLoader.h"
#include "help/HelpContents.h"
#include "help/HelpWindow.h"
#include "ui/FormPreView.h"

namespace {

QString builtHelpFile() {
    return QFileInfo(QStringLiteral(FOLIOSCOPE_BINARY)).absolutePath() +
           QStringLiteral("/Folioscope2.chm");
}

QString dataDir() {
    return QStringLiteral(FOLIOSCOPE_SOURCE_DIR "/tests/help/data");
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return f.readAll();
}

std::string_view view(const QByteArray& b) {
    return {b.constData(), std::size_t(b.size())};
}

// Opens in this process and reads every file; false when the archive refuses the bytes.
bool openAndReadAll(const QByteArray& bytes) {
    try {
        const auto archive = ChmArchive::open(view(bytes));
        for (const ChmEntry& e : archive->files())
            (void)archive->read(e);
        return true;
    } catch (const ChmError&) {
        return false;
    }
}

// Every page path a page refers to (links, images, style sheets), without anchors; external
// links left out.
QStringList references(const QString& html) {
    static const QRegularExpression re(QStringLiteral("(?:href|src)\\s*=\\s*\"([^\"]*)\""));
    QStringList out;
    auto it = re.globalMatch(html);
    while (it.hasNext()) {
        const QString target = it.next().captured(1).section(QLatin1Char('#'), 0, 0);
        if (!target.isEmpty() && !target.contains(QLatin1Char(':')))
            out << target;
    }
    return out;
}

void collect(const QList<SitemapItem>& items, QStringList& locals) {
    for (const SitemapItem& item : items) {
        if (!item.local.isEmpty())
            locals << item.local;
        collect(item.children, locals);
    }
}

} // namespace

class TestHelpFile : public QObject {
    Q_OBJECT
    std::optional<QList<ChmFileData>> built_;

private slots:
    void initTestCase() {
        if (QFileInfo::exists(builtHelpFile()))
            built_ = LoadChmFiles(builtHelpFile());
    }

    // Every page of the built file exists, is UTF-8, and what it links to, shows or styles
    // itself with is inside the file; the three topics of the windows are there.
    void builtFileResolves() {
        if (!QFileInfo::exists(builtHelpFile()))
            QSKIP("Folioscope2.chm is not built (target help_file)");
        QVERIFY(built_);
        const HelpContents contents(*built_);
        for (const char* topic :
             {"Zeph機能特徴.htm", "Zeph印刷プレビュー.htm", "Zeph印字出力設定.htm"})
            QVERIFY2(contents.contains(QString::fromUtf8(topic)), topic);
        int pages = 0;
        for (const ChmFileData& f : *built_) {
            if (!f.path.endsWith(QLatin1String(".htm")))
                continue;
            ++pages;
            const QString html = QString::fromUtf8(f.bytes);
            QVERIFY2(html.toUtf8() == f.bytes, qPrintable(f.path));
            for (const QString& target : references(html))
                QVERIFY2(contents.contains(target), qPrintable(f.path + " -> " + target));
        }
        QVERIFY(pages >= 7);

        QStringList locals;
        collect(contents.tableOfContents(), locals);
        QVERIFY(locals.size() >= 9);
        collect(contents.index(), locals);
        for (const QString& local : locals) {
            const QString page = local.section(QLatin1Char('#'), 0, 0);
            const QString anchor = local.section(QLatin1Char('#'), 1);
            QVERIFY2(contents.contains(page), qPrintable(local));
            if (!anchor.isEmpty())
                QVERIFY2(QString::fromUtf8(contents.file(page))
                             .contains(QStringLiteral("name=\"%1\"").arg(anchor)),
                         qPrintable(local));
        }
        QCOMPARE(contents.defaultPage(), QStringLiteral("Zeph機能特徴.htm"));

        const auto found = contents.search(QStringLiteral("分数式 ━"));
        QVERIFY(!found.isEmpty());
        QVERIFY(contents.search(QStringLiteral("語句のない検索xyz")).isEmpty());
    }

    // The same file read in this process and through the child process gives the same files.
    void archiveMatchesLoader() {
        if (!built_)
            QSKIP("Folioscope2.chm is not built (target help_file)");
        const QByteArray bytes = readAll(builtHelpFile());
        const auto archive = ChmArchive::open(view(bytes));
        QCOMPARE(qsizetype(archive->files().size()), built_->size());
        for (qsizetype i = 0; i < built_->size(); ++i) {
            const auto data = archive->read(archive->files()[i]);
            QVERIFY(data);
            QCOMPARE(QByteArray::fromStdString(*data), built_->at(i).bytes);
        }
    }

    // Damaged copies: each fault is refused before chmlib would follow it; the loader gives
    // nothing, and the tool runs on.
    void damagedFiles_data() {
        QTest::addColumn<QString>("file");
        const QDir dir(dataDir());
        const QStringList bad = dir.entryList({QStringLiteral("bad-*.chm")});
        QVERIFY(bad.size() >= 10);
        for (const QString& name : bad)
            QTest::newRow(qPrintable(name)) << dir.filePath(name);
    }
    void damagedFiles() {
        QFETCH(QString, file);
        QVERIFY_THROWS_EXCEPTION(ChmError, ChmArchive::open(view(readAll(file))));
        QVERIFY(!LoadChmFiles(file));
    }

    void goodSmallFiles() {
        const auto small = LoadChmFiles(dataDir() + "/ok-small.chm");
        QVERIFY(small);
        QVERIFY(HelpContents(*small).contains(QStringLiteral("/Zeph機能特徴.htm")));
        // A name with ".." is left out; the rest of the file is read.
        const auto dotdot = LoadChmFiles(dataDir() + "/ok-dotdot-name.chm");
        QVERIFY(dotdot);
        QCOMPARE(dotdot->size(), small->size() - 1);
        for (const ChmFileData& f : *dotdot)
            QVERIFY2(!f.path.contains(QLatin1String("..")), qPrintable(f.path));
        QVERIFY(!LoadChmFiles(dataDir() + "/missing.chm"));
    }

    void safePaths() {
        for (const char* good : {"/a.htm", "/dir/b.png", "/Zeph機能特徴.htm"})
            QVERIFY2(ChmArchive::isSafePath(good), good);
        for (const char* bad : {"", "/", "a.htm", "/../a", "/a/../b", "/a/./b", "/a//b", "/a\\b",
                                "/a\x01", "::DataSpace/x", "/\xff\xfe"})
            QVERIFY2(!ChmArchive::isSafePath(bad), bad);
    }

    // Every cut of the built file, and every single byte of its headers and directory turned
    // over, is read or refused without a crash (the sanitizer build checks the reads).
    void cutsAndFlips() {
        if (!QFileInfo::exists(builtHelpFile()))
            QSKIP("Folioscope2.chm is not built (target help_file)");
        const QByteArray bytes = readAll(builtHelpFile());
        // The compressed data runs to the end of the file: every cut loses part of it.
        for (qsizetype cut = 0; cut < bytes.size(); cut += 97)
            QVERIFY2(!openAndReadAll(bytes.left(cut)), qPrintable(QString::number(cut)));
        const qsizetype directoryEnd = qMin<qsizetype>(bytes.size(), 0x78 + 0x54 + 0x1000);
        for (qsizetype at = 0; at < directoryEnd; at += 7) {
            QByteArray flipped = bytes;
            flipped[at] = char(~flipped[at]);
            (void)openAndReadAll(flipped);
        }
    }

    // The preview's topic names every key of the window's actions and every entry of its
    // page menu and toolbar buttons, so nothing the window offers goes unmentioned.
    void previewTopicNamesWhatTheWindowOffers() {
        if (!built_)
            QSKIP("Folioscope2.chm is not built (target help_file)");
        const QString page =
            QString::fromUtf8(HelpContents(*built_).file(QStringLiteral("Zeph印刷プレビュー.htm")));
        QVERIFY(!page.isEmpty());
        TFormPreView preview;
        QStringList offered;
        for (const QAction* action : preview.actions())
            if (!action->shortcut().isEmpty())
                offered << action->shortcut().toString(QKeySequence::PortableText);
        QVERIFY(offered.size() >= 5);
        for (const QAction* entry : preview.PopupMenu1->actions())
            if (!entry->isSeparator())
                offered << entry->text();
        for (const QPushButton* button : preview.findChildren<QPushButton*>())
            if (!button->text().isEmpty())
                offered << button->text();
        for (const QString& what : offered)
            QVERIFY2(page.contains(what), qPrintable(what));
        for (const char* option : {"--pdf", "--print", "F1", "F7", "F8"})
            QVERIFY2(page.contains(QLatin1String(option)), option);
    }

    void sitemapNesting() {
        const auto items = ParseSitemap(QStringLiteral(
            "<ul><li><object type=\"text/sitemap\"><param name=\"Name\" value=\"A &amp; B\">"
            "<param name=\"Local\" value=\"a.htm\"></object><ul><li><object "
            "type=\"text/sitemap\"><param name=\"Name\" value=\"C\"><param name=\"Local\" "
            "value=\"c.htm#x\"></object></ul><li><OBJECT type=\"text/sitemap\"><param "
            "name=\"Name\" value=\"D\"></OBJECT></ul></ul></ul>"));
        QCOMPARE(items.size(), 2);
        QCOMPARE(items[0].name, QStringLiteral("A & B"));
        QCOMPARE(items[0].children.size(), 1);
        QCOMPARE(items[0].children[0].local, QStringLiteral("c.htm#x"));
        QVERIFY(items[1].local.isEmpty());
    }

    // One window for the process, turned to each topic and raised; a missing or damaged file
    // opens nothing.
    void viewerWindow() {
        ChmHelpViewer viewer;
        viewer.DisplayTopic(dataDir() + "/missing.chm", QStringLiteral("Zeph機能特徴.htm"));
        viewer.DisplayTopic(dataDir() + "/bad-index-loop.chm", QStringLiteral("Zeph機能特徴.htm"));
        QVERIFY(!viewer.window());
        if (!built_)
            QSKIP("Folioscope2.chm is not built (target help_file)");

        viewer.DisplayTopic(builtHelpFile(), QStringLiteral("Zeph印刷プレビュー.htm"));
        QPointer<HelpWindow> window = viewer.window();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->currentPage(), QStringLiteral("/Zeph印刷プレビュー.htm"));
        QVERIFY(window->Browser->toPlainText().contains(QStringLiteral("表示倍率")));
        QVERIFY2(window->windowTitle().contains(QStringLiteral("印刷プレビュー画面")),
                 qPrintable(window->windowTitle()));
        // The page's style sheet and images come from the help file.
        QVERIFY(
            !window->Browser
                 ->loadResource(QTextDocument::StyleSheetResource, HelpBrowser::pageUrl("help.css"))
                 .toString()
                 .isEmpty());

        viewer.DisplayTopic(builtHelpFile(), QStringLiteral("Zeph印字出力設定.htm"));
        QCOMPARE(viewer.window(), window.data());
        QCOMPARE(window->currentPage(), QStringLiteral("/Zeph印字出力設定.htm"));
        QVERIFY(window->BackButton->isEnabled());
        QVERIFY(window->Contents->currentItem());
        QCOMPARE(window->Contents->currentItem()->text(0), QStringLiteral("印字出力設定"));
        QVERIFY(
            !window->Browser
                 ->loadResource(QTextDocument::ImageResource, HelpBrowser::pageUrl("margins.png"))
                 .value<QImage>()
                 .isNull());
        window->BackButton->click();
        QCOMPARE(window->currentPage(), QStringLiteral("/Zeph印刷プレビュー.htm"));
        // A relative link of a page resolves inside the help file.
        window->Browser->setSource(QUrl(QStringLiteral("Zeph図形.htm")));
        QCOMPARE(window->currentPage(), QStringLiteral("/Zeph図形.htm"));
        QVERIFY(window->Browser->toPlainText().contains(QStringLiteral("図形パラメータ行")));
        // The page's relative style sheet and picture were found: the document holds them.
        window->Browser->setSource(QUrl(QStringLiteral("Zeph印字出力設定.htm")));
        const QVariant picture = window->Browser->document()->resource(
            QTextDocument::ImageResource, QUrl(QStringLiteral("margins.png")));
        QVERIFY(!picture.value<QImage>().isNull() || !picture.value<QPixmap>().isNull());
        QVERIFY(
            window->Browser
                ->loadResource(QTextDocument::StyleSheetResource, QUrl(QStringLiteral("help.css")))
                .toString()
                .contains(QStringLiteral("border-collapse")));
        window->Browser->setSource(QUrl(QStringLiteral("Zeph図形.htm")));

        viewer.ShowTableOfContents(builtHelpFile());
        QCOMPARE(window->currentPage(), QStringLiteral("/Zeph機能特徴.htm"));
        QVERIFY(window->Contents->topLevelItemCount() >= 5);

        // The index filter keeps the matching keywords; Enter opens the first.
        window->IndexFilter->setText(QStringLiteral("分数"));
        int shown = 0;
        for (int i = 0; i < window->Index->count(); ++i)
            shown += window->Index->item(i)->isHidden() ? 0 : 1;
        QCOMPARE(shown, 1);
        QTest::keyClick(window->IndexFilter, Qt::Key_Return);
        QCOMPARE(window->currentPage(), QStringLiteral("/Zeph入力データ形式.htm"));

        window->SearchText->setText(QStringLiteral("TPrinterCanvas"));
        window->runSearch();
        QCOMPARE(window->SearchResults->count(), 1);
        QCOMPARE(window->SearchResults->item(0)->text(), QStringLiteral("印刷プレビュー画面"));

        // A later damaged file shows nothing and leaves the window as it was.
        viewer.DisplayTopic(dataDir() + "/bad-truncated-content.chm", QString());
        QCOMPARE(window->currentPage(), QStringLiteral("/Zeph入力データ形式.htm"));

        // Asked from a modal window, help belongs to it so that it is not blocked by it.
        QVERIFY(!window->testAttribute(Qt::WA_QuitOnClose));
        {
            QDialog modal;
            modal.setWindowModality(Qt::ApplicationModal);
            modal.show();
            viewer.DisplayTopic(builtHelpFile(), QStringLiteral("Zeph印字出力設定.htm"));
            QCOMPARE(viewer.window(), window.data());
            QCOMPARE(window->parentWidget(), &modal);
            QVERIFY(window->isVisible());
            QVERIFY(!window->testAttribute(Qt::WA_QuitOnClose));
        }
        QVERIFY(!window); // closed with its owner; the next request opens a new one

        viewer.DisplayTopic(builtHelpFile(), QString());
        window = viewer.window();
        QVERIFY(window && !window->parentWidget());
        viewer.ShutDown();
        QVERIFY(!window);
    }
};

QTEST_MAIN(TestHelpFile)
#include "tst_HelpFile.moc"
