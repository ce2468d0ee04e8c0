#pragma once
// The graphic formats a picture file can be loaded in, chosen by the file's extension.

#include "pages/VectorFigure.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace picture_registry {

// Loads the file with the format registered for its extension (case does not matter).
// Returns null for an extension no format is registered for; a loader's own error (e.g.
// MetafileError) travels to the caller.
std::unique_ptr<VectorFigure> load(const QString& path);

// The description registered for an extension ("wmf" -> "Windows Metafile"), or empty.
QString description(const QString& extension);

// Every registered extension, lower case.
QStringList extensions();

} // namespace picture_registry
