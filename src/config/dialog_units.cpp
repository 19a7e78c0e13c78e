#include "config/dialog_units.h"

#include <QFont>
#include <QFontMetrics>
#include <QString>

namespace chronivo {

namespace {

// units * base / divisor rounded half away from zero, in 64 bits so no product overflows.
int ScaleRounded(int units, int base, int divisor) {
    const long long product = static_cast<long long>(units) * base;
    const long long half = divisor / 2;
    return static_cast<int>(product >= 0 ? (product + half) / divisor
                                         : -((-product + half) / divisor));
}

} // namespace

DialogBaseUnits BaseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // Half the width of the 26-letter pair, rounded: the average of one letter.
    return {(letters / 26 + 1) / 2, metrics.height()};
}

int DialogXToPixels(int units, DialogBaseUnits base) {
    return ScaleRounded(units, base.x, 4);
}

int DialogYToPixels(int units, DialogBaseUnits base) {
    return ScaleRounded(units, base.y, 8);
}

QRect DialogRectToPixels(int x, int y, int width, int height, DialogBaseUnits base) {
    return QRect(DialogXToPixels(x, base), DialogYToPixels(y, base), DialogXToPixels(width, base),
                 DialogYToPixels(height, base));
}

} // namespace chronivo
