#pragma once
// Texts the application shell shows to the user.

#include <QString>

namespace app_errors {

// Warnings of the open-file flow.
inline const QString DirectoryNameInvalid = QStringLiteral("ディレクトリ名が不適切です");
inline const QString FileNameInvalid = QStringLiteral("ファイル名が不適切です");
inline const QString FileDoesNotExist = QStringLiteral("指定されたファイルは存在しません");

// Reading a text file; %1 is the file's path, %2 the reason.
inline const QString CannotOpenFile = QStringLiteral("ファイル \"%1\" を開けません。%2");
inline const QString CannotReadFile = QStringLiteral("ファイル \"%1\" を読み込めません。%2");
inline const QString NotARegularFile = QStringLiteral("通常のファイルではありません。");
inline const QString LockedByAnotherProgram =
    QStringLiteral("別のプログラムがファイルをロックしています。");

// Errors that reach the standard error box without a message of their own.
inline const QString OutOfMemory = QStringLiteral("メモリが不足しています。");
inline const QString UnknownError = QStringLiteral("不明なエラーが発生しました。");

// Command line; %1 is the first file too many.
inline const QString TooManyFiles =
    QStringLiteral("Give at most one file to open: '%1' is one too many.");

// Command-line PDF export; %1 and %2 as each text says.
inline constexpr const char* MissingPdfOutput = "--pdf needs the name of the PDF file to write.";
inline constexpr const char* MissingInput = "No input file given.";
inline constexpr const char* TooManyInputs = "Give exactly one input file.";
inline constexpr const char* BadOptionValue = "Invalid value for %1: '%2'.";
inline constexpr const char* MarginsTooLarge = "The margins leave no room for text on the paper.";
inline constexpr const char* CannotWrite = "Cannot write %1: %2";
inline constexpr const char* LayoutFailed = "Layout of %1 failed: %2";

// Command-line printing; %1 and %2 as each text says.
inline constexpr const char* PdfOrPrint = "Give either --pdf or --print, not both.";
inline constexpr const char* OutlineAlone = "--outline goes with neither --pdf nor --print.";
inline constexpr const char* PrintOnlyOption = "%1 goes with --print only.";
inline constexpr const char* UnknownQueue = "Unknown print queue: %1";
inline constexpr const char* NoDefaultQueue =
    "There is no default print queue; name one with --printer.";
inline constexpr const char* PagesBeyondCount =
    "Pages %1 to %2 asked for, but the document has %3 page(s); nothing was printed.";
inline constexpr const char* PrintFailed = "Printing %1 failed, nothing was printed: %2";
// Output failures (EOutputError) as the command line words them: %1 the file, queue or
// scheduler, %2 the system's or the scheduler's reason.
inline constexpr const char* SpoolNotWritten = "Cannot write the print spool file %1: %2";
inline constexpr const char* SchedulerUnreachable = "Cannot reach the print scheduler at %1: %2";
inline constexpr const char* JobNotSent = "The print queue %1 did not take the job: %2";
inline constexpr const char* JobInterrupted =
    "The connection to the print scheduler broke while the job was sent to %1; the job was "
    "cancelled";
inline constexpr const char* JobSent = "Sent %1 page(s) of %2 to %3 as job %4.";
// Notes after a command-line layout: %1 the report file, %2 its line, %3 the figure name.
inline constexpr const char* ConvertedFromUtf8 = "%1: UTF-8 text converted to code page 932";
inline constexpr const char* ByteOrderMarkDropped = "; byte-order mark dropped";
inline constexpr const char* UnmappedCharacters =
    "; %1 character(s) without a code page 932 form printed as \"？\"";
inline constexpr const char* FigureNotFound = "%1:%2: figure file not found: %3";

} // namespace app_errors
