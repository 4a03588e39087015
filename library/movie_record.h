#pragma once

#include <QString>
#include <cstdint>

// One video file. Field order mirrors the metadata file and the pages that list the fields.
struct MovieRecord {
    QString FilePath; // full path as the file system spells it; the movie's identity
    QString FileName;
    QString Folder;
    QString FolderImage;
    int32_t FolderVideoCount = 0;
    int32_t FolderImageCount = 0;
    int32_t FolderSubfolderCount = 0;
    QString SearchKey;
    QString DisplayTitle;
    QString infourl;
    QString movieurl;
    QString picurl;
    QString Title;
    QString OriginalTitle;
    QString CountryOfOrigin;
    QString ProductionYear;
    QString Rating;
    QString Genres;
    QString Overview;
    QString Notes;
    QString watched;
    int64_t ModifiedTime = 0; // the video file's modification time (seconds since 1970), from the scan
    // Empty while the movie's side files (metadata, posters, thumbnails) lie beside the video; else
    // the folder of the local store that keeps them, because the video's folder cannot be written.
    QString StoreFolder;

    bool operator==(const MovieRecord&) const = default;
};

// One scanned folder; summaries of subfolders precede their parent's.
struct FolderSummary {
    int32_t VideoCount = 0;
    int32_t ImageCount = 0;
    int32_t SubfolderCount = 0;
    QString Path;       // the folder string exactly as the scan received it
    QString FirstImage; // the first picture in name order that is no video's poster ("<video>.jpg", "<video>.N.jpg")
};
