#pragma once
// Messages of the application layer, shown to the user as they stand.

namespace app_errors {
// Command-line PDF export.
inline constexpr const char* MissingPdfOutput = "--pdf needs the name of the PDF file to write.";
inline constexpr const char* MissingInput = "No input file given.";
inline constexpr const char* TooManyInputs = "Give exactly one input file.";
inline constexpr const char* BadOptionValue = "Invalid value for %1: '%2'.";
inline constexpr const char* MarginsTooLarge = "The margins leave no room for text on the paper.";
inline constexpr const char* CannotRead = "Cannot read %1: %2";
inline constexpr const char* CannotWrite = "Cannot write %1: %2";
inline constexpr const char* LayoutFailed = "Layout of %1 failed: %2";
} // namespace app_errors
