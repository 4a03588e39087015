#pragma once

#include <QSize>
#include <QString>

// The box the wall shows pictures in.
inline constexpr int ThumbnailWidth = 117;
inline constexpr int ThumbnailHeight = 165;

// The thumbnail beside a picture: the picture's path without its last four characters (".jpg" in any
// letter case) followed by ".thumb.jpg".
QString ThumbnailPath(const QString& picture);

// The picture scaled to fit the box, one side exactly on it; smaller pictures are enlarged.
QSize ThumbnailSize(QSize picture);

// Returns the thumbnail path of `picture`, making the thumbnail (JPEG, quality 90) when it does not
// exist yet; an existing thumbnail is never remade. Empty when the picture does not exist. Where the
// picture's folder cannot be written, the thumbnail is made in (and returned from) the local store.
// When the picture cannot be decoded or the thumbnail cannot be written at all, nothing is written
// and the path beside the picture is still returned, so the next wall build tries again.
QString MakeThumbnail(QString picture);

// MakeThumbnail for a picture the caller has just found to exist: one file test fewer per movie,
// which counts when a wall of thousands of movies is built.
QString MakeThumbnailOfExisting(const QString& picture);
