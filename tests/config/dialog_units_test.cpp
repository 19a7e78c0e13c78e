#include "config/dialog_units.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetrics>

namespace chronivo {
namespace {

struct UnitsCase {
    int units;
    DialogBaseUnits base;
    int x;
    int y;
    const char* fact;
};

TEST(DialogUnits, ScaleByAQuarterOfTheWidthAndAnEighthOfTheHeight) {
    const UnitsCase cases[] = {
        {186, {6, 13}, 279, 302, "the dialog's width: 186 * 6 / 4"},
        {135, {6, 13}, 203, 219, "the dialog's height: 135 * 13 / 8 = 219.375; 202.5 rounds up"},
        {4, {6, 13}, 6, 7, "four units are one letter wide; 6.5 rounds up"},
        {8, {7, 16}, 14, 16, "eight units are one line high"},
        {1, {6, 12}, 2, 2, "1.5 rounds up"},
        {1, {5, 11}, 1, 1, "1.25 and 1.375 round down"},
        {0, {6, 13}, 0, 0, "zero stays zero"},
        {-1, {6, 12}, -2, -2, "negative units round away from zero like positive ones"},
    };
    for (const UnitsCase& c : cases) {
        EXPECT_EQ(DialogXToPixels(c.units, c.base), c.x) << c.fact;
        EXPECT_EQ(DialogYToPixels(c.units, c.base), c.y) << c.fact;
    }
}

TEST(DialogUnits, RectanglesConvertEachFieldOnItsOwnAxis) {
    // The OK button at 129, 7, 50 x 14 units with 6 x 13 base units.
    EXPECT_EQ(DialogRectToPixels(129, 7, 50, 14, {6, 13}), QRect(194, 11, 75, 23));
}

TEST(DialogUnits, BaseUnitsComeFromTheAverageLetterAndTheLineHeight) {
    QFont font;
    font.setPixelSize(20);
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const DialogBaseUnits base = BaseUnitsOf(font);
    // The average letter, rounded to the nearest pixel.
    EXPECT_LE(std::abs(base.x * 52 - letters), 26);
    EXPECT_EQ(base.y, metrics.height());
}

TEST(DialogUnits, ALargerFontGivesLargerUnits) {
    QFont small;
    small.setPixelSize(10);
    QFont large;
    large.setPixelSize(30);
    EXPECT_LT(BaseUnitsOf(small).x, BaseUnitsOf(large).x);
    EXPECT_LT(BaseUnitsOf(small).y, BaseUnitsOf(large).y);
}

} // namespace
} // namespace chronivo
