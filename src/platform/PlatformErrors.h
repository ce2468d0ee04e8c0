#pragma once
// Texts of the errors that the platform stand-ins raise and the user sees in the standard
// error box, and the exceptions that carry them. They are the system's own texts: keep them
// byte for byte.

#include <stdexcept>

#include <stdexcept>

namespace platform_errors {

// A bitmap file whose headers or pixel data cannot be read.
inline constexpr char invalidBitmap[] = "ビットマップイメージが不正です";

// A JPEG file that libjpeg refuses; %d is libjpeg's message code.
inline constexpr char jpegErrorFormat[] = "JPEG エラー #%d";

// A broken internal precondition (a bitmap of zero width or height given to the resampler).
inline constexpr char assertionFailure[] = "Assertion failure";

// A metafile that is not an enhanced metafile or a placeable Windows metafile, or whose
// records do not hold together.
inline constexpr char invalidMetafile[] = "メタファイルが不正です";

} // namespace platform_errors

// Raised by the metafile loader; what() is always platform_errors::invalidMetafile.
class MetafileError : public std::runtime_error {
public:
    MetafileError() : std::runtime_error(platform_errors::invalidMetafile) {}
};
