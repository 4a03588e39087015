#pragma once

#include "library/movie_record.h"

#include <QString>

// The markup of one movie on a wall: thumbnail opening the detail page, tooltip, play link.
// Reads the record only (the caller holds RecordsMutex when the record is shared).
QString MakeWallItem(const MovieRecord& record);

// The same markup with the thumbnail path (slot 9) already known, so that a page builder can make
// the thumbnails of many items in parallel first. Touches no file.
QString WallItemMarkup(const MovieRecord& record, const QString& thumbnail);
// ... and with the record's BracketText already known (a page builder reuses it across records).
QString WallItemMarkup(const MovieRecord& record, const QString& thumbnail, const QString& bracket);

// The picture the wall shows for a movie, before thumbnailing: the folder's first image, or in a
// folder shared by several videos the movie's own poster (FilePath + ".jpg") when it exists, or
// always in a crowded folder. May name a missing file or be empty.
QString WallPicture(const MovieRecord& record);

// MakeThumbnail(WallPicture(record)), testing each file once: the thumbnail path, or empty.
QString WallThumbnail(const MovieRecord& record);

// "[country year]" from the cleaned CountryOfOrigin and ProductionYear; empty when both clean to nothing.
QString BracketText(const MovieRecord& record);
