#pragma once
// The launcher's pictures, drawn rather than loaded: the full-window background and Image1, a
// module with its antenna sending a short message.

#include <QPixmap>
#include <QRect>

class QPainter;

void PaintLauncherBackground(QPainter &painter, const QRect &area);
QPixmap LauncherModulePicture(int side);
