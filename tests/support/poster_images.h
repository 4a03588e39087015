#pragma once

#include <QByteArray>
#include <QString>

// Real image files for the poster tests, made with QImage.

// A JPEG of noisy pixels: about 60 bytes per 10x10 block at quality 90, so 300x300 is well over
// 20 000 bytes and 16x16 far under. `seed` varies the content.
QByteArray NoisyJpeg(int width, int height, int seed = 1);
QByteArray NoisyPng(int width, int height);
// Bytes that pass for a complete JPEG (FF D8 ... FF D9) of exactly `size` bytes.
QByteArray JpegShapedBytes(int size);
