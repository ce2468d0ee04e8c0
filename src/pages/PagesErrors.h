#pragma once
// Messages of the page store layer, shown to the user as they stand.

namespace pages_errors {
inline constexpr const char* GetCanvasNotPrinting = "TPrintPreview.GetCanvas: not Printing";
inline constexpr const char* GetPageWhilePrinting =
    "TPrinterPreview.GetPage: Pages cannot be used when printing";
inline constexpr const char* GetPageOutOfRange = "TPrinterCanvas.GetPage: Index is out of Range";
inline constexpr const char* BeginDocAlreadyPrinting = "TPrintPreview: BeginDoc: Already Printing";
inline constexpr const char* NewPageNotPrinting = "TPrintPreview.NewPage: not Printing";
inline constexpr const char* EndDocNotPrinting = "TPrintPreview.EndDoc: not Printing";
// No printer can be had, or the selected print queue no longer exists.
inline constexpr const char* NoPrinter = "選択されたプリンタは使用できません";
// Before the print dialog, when the machine has no print queue to offer.
inline constexpr const char* NoPrinterSetUp =
    "プリンタが設定されていません。\n"
    "印刷するには、システムの設定でプリンタを追加してください。"
    "PDF ファイルへは「PDF出力...」ボタンで出力できます。";
// The print scheduler refused a job; %1 is the queue, %2 the scheduler's reason.
inline constexpr const char* JobNotSent = "印刷ジョブを %1 に送れません: %2";
// The print scheduler cannot be reached at all; %1 is its address, %2 the reason.
inline constexpr const char* SchedulerUnreachable = "印刷スケジューラ (%1) に接続できません: %2";
// The connection to the scheduler broke while a job's file was sent; %1 is the queue. The
// scheduler cancels what it had received.
inline constexpr const char* JobInterrupted =
    "印刷ジョブを %1 に送る途中で印刷スケジューラとの接続が切れました。ジョブは取り消されました";
// The print job's spool file could not be written whole; %1 is the file, %2 the reason. Such a
// job is not sent.
inline constexpr const char* SpoolNotWritten =
    "印刷用の一時ファイル \"%1\" を書き込めません。ジョブは送られていません: %2";
// The pages could not be written to a PDF file (also the spool file of a print job); %1 is the
// file, %2 the reason.
inline constexpr const char* PdfNotWritten = "PDF ファイル \"%1\" を書き込めません: %2";
// Decoding or smoothing a figure bitmap at replay needed more memory than there was.
inline constexpr const char* FigureOutOfMemory = "図のイメージを展開するメモリが足りません。ほかの"
                                                 "アプリケーションを終了してからやり直してください";
} // namespace pages_errors
