#pragma once

#include <QString>

// Rewrites a downloaded picture that is not a JPEG (PNG, GIF, WebP, …) as a JPEG in place, since posters
// are stored as JPEG files. False, leaving the file, when it is a JPEG already, cannot be decoded,
// declares more than 8192 x 8192 pixels, or is smaller than a poster (an icon, a button).
bool ConvertPictureToJpeg(const QString& path);
