#pragma once
// Reading the preview's file again when it changes on disk: the watcher, the moment to read
// (not during a layout, nor under a dialog of the window) and the note that says what
// happened. The window's pages stay as they are when the file cannot be read.

#include <QObject>
#include <QString>
#include <functional>

class FileChangeWatcher;
class NoteBar;
class QWidget;

class PreviewReload : public QObject {
    Q_OBJECT
public:
    struct Window {
        QWidget* widget;                   // the preview window
        NoteBar* note;                     // where the outcome is said
        std::function<bool()> laying;      // a layout is running
        std::function<void()> layoutAgain; // lays out the new lines, the page kept
        // Reads a file into the window's lines; "" when done, else why not (lines kept).
        // The window's own seam, set by its creator; no reading again while it is unset.
        std::function<QString(const QString& fileName)>& readAgain;
    };
    PreviewReload(Window window, FileChangeWatcher* watcher);

    // Watches fileName (nothing when no reader is set).
    void watch(const QString& fileName);
    FileChangeWatcher& watcher() { return *watcher_; }

private:
    void reload();

    Window window_;
    FileChangeWatcher* watcher_;
    QString fileName_;
};
