// Golden pictures: a frame against a reference PNG, within a tolerance for a
// rasteriser's rounding along edges. `make goldens` writes them anew.
#pragma once

#include <QImage>
#include <gtest/gtest.h>

namespace triview::test {

// Expects actual to be reference but for edges that fall the other way:
// 0.2 % of the picture at most. Saves both, as name.*.png, where not.
inline void expectAlike(const QImage& actual, const QImage& reference, const std::string& name)
{
    ASSERT_EQ(actual.size(), reference.size()) << name << " (`make goldens` writes goldens)";
    QImage difference(actual.size(), QImage::Format_RGB32);
    int differing = 0;
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            const QRgb a = actual.pixel(x, y), g = reference.pixel(x, y);
            const int d = std::max({ std::abs(qRed(a) - qRed(g)), std::abs(qGreen(a) - qGreen(g)),
                std::abs(qBlue(a) - qBlue(g)) });
            differing += d > 16;
            difference.setPixel(x, y, qRgb(std::min(255, 8 * d), 0, 0));
        }
    }
    EXPECT_LE(differing, actual.width() * actual.height() / 500) << "see " << name << ".*.png";
    if (testing::Test::HasFailure()) {
        actual.save(QString::fromStdString(name + ".actual.png"));
        difference.save(QString::fromStdString(name + ".difference.png"));
    }
}

inline void expectGolden(const QImage& actual, const std::string& folder, const std::string& name)
{
    const QString path = QString::fromStdString(folder + "/" + name + ".png");
    if (std::getenv("TRIVIEW_UPDATE_GOLDENS"))
        EXPECT_TRUE(actual.convertToFormat(QImage::Format_RGB32).save(path)) << name;
    else
        expectAlike(actual, QImage(path), name);
}

} // namespace triview::test
