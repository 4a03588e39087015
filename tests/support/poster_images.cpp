#include "tests/support/poster_images.h"

#include <QBuffer>
#include <QImage>
#include <QRandomGenerator>

namespace {

QImage NoisyImage(int width, int height, int seed) {
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, random.generate() | 0xFF000000u);
    return image;
}

QByteArray Encode(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 90);
    return bytes;
}

} // namespace

QByteArray NoisyJpeg(int width, int height, int seed) {
    return Encode(NoisyImage(width, height, seed), "JPG");
}

QByteArray NoisyPng(int width, int height) {
    return Encode(NoisyImage(width, height, 7), "PNG");
}

QByteArray JpegShapedBytes(int size) {
    QByteArray bytes(size, 'x');
    bytes[0] = char(0xFF);
    bytes[1] = char(0xD8);
    bytes[size - 2] = char(0xFF);
    bytes[size - 1] = char(0xD9);
    return bytes;
}
