#pragma once
// Plays a validated metafile onto a QPainter, mapping the picture's frame onto a rectangle of
// the painter's coordinates the way the Windows playback does. The painter's state is restored
// afterwards.

#include <QRectF>

class Metafile;
class QPainter;

class MetafilePlayer {
public:
    static void play(const Metafile& metafile, QPainter& painter, const QRectF& target);
};
