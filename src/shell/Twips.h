#pragma once
// Window positions and sizes are given in twips; the screen has 15 twips per pixel.

#include <QMdiSubWindow>
#include <QWidget>
#include <QtMath>

constexpr int TwipsPerPixel = 15;

inline int TwipsToPixels(int twips)
{
    return qRound(double(twips) / TwipsPerPixel);
}

// Moves and sizes a window given in twips. An MDI child is placed through its sub-window, so the
// size includes the frame, as the sizes of the windows are meant.
inline void PlaceWindow(QWidget *window, int left, int top, int width, int height)
{
    if (!window)
        return;
    QWidget *target = window;
    if (auto *sub = qobject_cast<QMdiSubWindow *>(window->parentWidget()))
        target = sub;
    target->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                        TwipsToPixels(height));
}

// Sizes a window given in twips, leaving its position alone.
inline void SizeWindow(QWidget *window, int width, int height)
{
    if (!window)
        return;
    QWidget *target = window;
    if (auto *sub = qobject_cast<QMdiSubWindow *>(window->parentWidget()))
        target = sub;
    target->resize(TwipsToPixels(width), TwipsToPixels(height));
}
