// The one tool the script tests look at pictures with, so that what they
// check does not depend on an image tool's output formats (which changed
// between ImageMagick 6 and 7). Reads any picture Qt reads.
//
//   picture_check same A B         status 0: same size, same RGBA in every pixel
//   picture_check fills FILE F     status 0: the ground (the corner's colour) is
//                                  transparent and what differs from it spans at
//                                  least F of the picture's larger side
//   picture_check size FILE        prints WxH
//   picture_check brightness FILE [WxH+X+Y]
//                                  prints the mean grey (0 to 1) of the picture,
//                                  or of that part of it
//
// Status 1: the check does not hold; 2: a picture cannot be read or the
// arguments are wrong. A FILE may be -, standard input.
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

[[noreturn]] void refuse(const char* why, const char* what)
{
    std::fprintf(stderr, "picture_check: %s: %s\n", why, what);
    std::exit(2);
}

// "-" is standard input.
QImage load(const char* path)
{
    QFile file;
    const bool opened = std::string_view(path) == "-"
        ? file.open(stdin, QIODevice::ReadOnly)
        : (file.setFileName(QFile::decodeName(path)), file.open(QIODevice::ReadOnly));
    // Read whole first: a pipe cannot be sought back to guess the format.
    QImage picture = opened ? QImage::fromData(file.readAll()) : QImage();
    if (picture.isNull())
        refuse("cannot read the picture", path);
    // Straight (not premultiplied) alpha, so that colours compare as stored.
    return picture.convertToFormat(QImage::Format_RGBA8888);
}

bool same(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return false;
    for (int y = 0; y < a.height(); ++y)
        if (!std::equal(a.constScanLine(y), a.constScanLine(y) + 4 * a.width(), b.constScanLine(y)))
            return false;
    return true;
}

bool fills(const QImage& picture, double fraction)
{
    const QRgb ground = picture.pixel(0, 0);
    if (qAlpha(ground) != 0)
        return false;
    int left = picture.width(), right = -1, top = picture.height(), bottom = -1;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixel(x, y) != ground) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    if (right < 0)
        return false;
    const int span = std::max(right - left + 1, bottom - top + 1);
    return span >= fraction * std::max(picture.width(), picture.height());
}

double brightness(const QImage& picture, QRect part)
{
    double sum = 0;
    for (int y = part.top(); y <= part.bottom(); ++y)
        for (int x = part.left(); x <= part.right(); ++x)
            sum += qGray(picture.pixel(x, y)) / 255.0;
    return sum / (double(part.width()) * part.height());
}

QRect parsePart(const char* text, const QImage& picture)
{
    static const QRegularExpression geometry(QStringLiteral("^(\\d+)x(\\d+)\\+(\\d+)\\+(\\d+)$"));
    const auto match = geometry.match(QString::fromLatin1(text));
    if (!match.hasMatch())
        refuse("not a part WxH+X+Y", text);
    const QRect part(match.captured(3).toInt(), match.captured(4).toInt(),
        match.captured(1).toInt(), match.captured(2).toInt());
    if (part.isEmpty() || !picture.rect().contains(part))
        refuse("the part is not inside the picture", text);
    return part;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv); // Qt's image plugins are found through it
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "same" && argc == 4)
        return same(load(argv[2]), load(argv[3])) ? 0 : 1;
    if (command == "fills" && argc == 4)
        return fills(load(argv[2]), std::atof(argv[3])) ? 0 : 1;
    if (command == "size" && argc == 3) {
        const QImage picture = load(argv[2]);
        std::printf("%dx%d\n", picture.width(), picture.height());
        return 0;
    }
    if (command == "brightness" && (argc == 3 || argc == 4)) {
        const QImage picture = load(argv[2]);
        std::printf("%.6f\n", brightness(picture, argc == 4 ? parsePart(argv[3], picture) : picture.rect()));
        return 0;
    }
    refuse("usage", "picture_check same A B | fills FILE FRACTION | size FILE | brightness FILE [WxH+X+Y]");
}
