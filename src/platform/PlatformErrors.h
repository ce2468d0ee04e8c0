#pragma once
// User-facing error texts of the platform layer and the exceptions that carry them.

#include <stdexcept>

namespace platform_errors {

// A metafile that is not an enhanced metafile or a placeable Windows metafile, or whose
// records do not hold together.
inline constexpr char kMetafileInvalid[] = "メタファイルが不正です";

} // namespace platform_errors

// Raised by the metafile loader; what() is always platform_errors::kMetafileInvalid.
class MetafileError : public std::runtime_error {
public:
    MetafileError() : std::runtime_error(platform_errors::kMetafileInvalid) {}
};
