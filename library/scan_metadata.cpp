#include "library/scan_metadata.h"

#include "library/atomic_file.h"
#include "library/file_access.h"
#include "library/file_move.h"
#include "library/file_name.h"
#include "library/local_store.h"
#include "library/metadata_store.h"
#include "library/movie_xml.h"
#include "library/video_lock.h"

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

QString NameOf(const QString& path) {
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QString FolderOf(const QString& path) {
    return path.left(path.lastIndexOf(u'/'));
}

// The entry's pictures go beside the video; a name taken there already keeps the file there.
void MovePicturesBack(const QString& entry, const QString& video) {
    const QString name = NameOf(video);
    const QString folder = FolderOf(video);
    for (const QString& file : FileNamesIn(entry))
        if (file.startsWith(name) && file.endsWith(u".jpg"_s))
            MoveFileWithoutReplacing(entry + u'/' + file, folder + u'/' + file);
}

} // namespace

void ReadListedMetadata(MovieLibrary& library, MovieRecord& record, int folderFd, const QSet<QString>& metadataNames) {
    const QString exact = record.FileName + u".xml"_s;
    const QString lowered = exact.toLower();
    for (const QString& name : {exact, lowered}) {
        if (!metadataNames.contains(name))
            continue;
        QByteArray bytes;
        const MetadataStamp stamp = ReadStamped(folderFd, name, bytes);
        if (!stamp.Exists)
            continue;
        ParseMovieXml(record, bytes);
        NoteMetadataVersion(library, record.FilePath, stamp, record);
        return;
    }
}

void ReadStoredMetadata(MovieLibrary& library, MovieRecord& record, int folderFd, const StoreListing& store) {
    if (store.Entries.isEmpty())
        return;
    struct stat st {};
    if (fstatat(folderFd, EncodeFileName(record.FileName).constData(), &st, 0) != 0)
        return;
    const qint64 modified = static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    const QString key = LocalStoreKey(record.FilePath, st.st_size, modified);
    if (store.Entries.contains(key))
        TakeFromLocalStore(library, record, store.Root + u'/' + key);
}

void TakeFromLocalStore(MovieLibrary& library, MovieRecord& record, const QString& entry) {
    const VideoLock lock(record.FilePath);
    const bool besideExists = library.MetadataVersions.contains(record.FilePath);
    const QString kept = entry + u'/' + NameOf(record.FilePath) + u".xml"_s;
    QByteArray keptBytes;
    const MetadataStamp keptStamp = ReadStamped(AT_FDCWD, kept, keptBytes);
    MovieRecord merged = record;
    MovieRecord ours;
    QByteArray baseBytes;
    if (keptStamp.Exists) {
        ours = WithoutMetadata(record);
        ParseMovieXml(ours, keptBytes);
        // The file beside the video as the store's version started from it; none: there was none.
        MovieRecord base = WithoutMetadata(record);
        if (ReadWholeFile(AT_FDCWD, kept + u".base"_s, baseBytes))
            ParseMovieXml(base, baseBytes);
        merged = MergeMetadata(base, besideExists ? record : base, ours, MergeWinner::Theirs);
        merged.SearchKey = SearchKeyOf(merged);
    }

    if (FolderWritable(record.FilePath)) {
        merged.StoreFolder.clear();
        bool placed = true;
        if (keptStamp.Exists && (!besideExists || !SameMetadata(merged, record))) {
            placed = WriteMovieXml(merged);
            if (placed)
                NoteMetadataVersion(library, merged.FilePath,
                                    StampOfWritten(MetadataPath(merged), MovieXmlBytes(merged)), merged);
        }
        if (placed) {
            MovePicturesBack(entry, record.FilePath);
            RemoveLocalStoreFolder(entry);
            record = merged;
            return;
        }
    }

    merged.StoreFolder = entry;
    if (keptStamp.Exists) {
        // The store's version is brought up to the file beside the video, which becomes its new base.
        QByteArray besideBytes;
        if (besideExists)
            ReadWholeFile(AT_FDCWD, record.FilePath + u".xml"_s, besideBytes);
        MetadataStamp stamp = keptStamp;
        if ((besideBytes != baseBytes || !SameMetadata(merged, ours)) &&
            (besideBytes.isEmpty() || WriteFileAtomically(kept + u".base"_s, besideBytes)) && WriteMovieXml(merged))
            stamp = StampOfWritten(kept, MovieXmlBytes(merged));
        NoteMetadataVersion(library, merged.FilePath, stamp, merged);
    }
    record = merged;
}
