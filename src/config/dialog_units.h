#pragma once

#include <QRect>

class QFont;

namespace chronivo {

// The base units of a dialog font, in pixels: the average width of a letter and the height of
// a line. A dialog laid out in dialog units keeps its arrangement on any font because every
// position scales with these two numbers.
struct DialogBaseUnits {
    int x = 0; // average width of the 52 letters A-Z a-z, rounded
    int y = 0; // line height (ascent + descent)
};

DialogBaseUnits BaseUnitsOf(const QFont& font);

// Dialog units to pixels: x = units * base.x / 4 and y = units * base.y / 8, each rounded to
// the nearest pixel.
int DialogXToPixels(int units, DialogBaseUnits base);
int DialogYToPixels(int units, DialogBaseUnits base);

// A rectangle given as x, y, width and height in dialog units, in pixels.
QRect DialogRectToPixels(int x, int y, int width, int height, DialogBaseUnits base);

} // namespace chronivo
