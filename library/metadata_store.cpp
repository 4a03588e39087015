#include "library/metadata_store.h"

#include "library/atomic_file.h"
#include "library/local_store.h"
#include "library/movie_xml.h"
#include "library/video_lock.h"

#include <fcntl.h>

using namespace Qt::StringLiterals;

namespace {

// The file as it is now. A movie kept in the local store whose store file is not made yet (only its
// posters went there) still has its file beside the video, which is then the one to merge with.
struct CurrentFile {
    MetadataStamp Stamp;
    QByteArray Bytes;
    bool Beside = true;
};

CurrentFile ReadCurrent(const MovieRecord& ours) {
    CurrentFile now;
    now.Stamp = ReadStamped(AT_FDCWD, MetadataPath(ours), now.Bytes);
    now.Beside = ours.StoreFolder.isEmpty();
    if (!now.Stamp.Exists && !now.Beside) {
        now.Stamp = ReadStamped(AT_FDCWD, ours.FilePath + u".xml"_s, now.Bytes);
        now.Beside = now.Stamp.Exists;
    }
    return now;
}

MovieRecord TheirsOf(const MovieLibrary& library, const MovieRecord& base, const CurrentFile& now) {
    if (!now.Stamp.Exists)
        return base; // nobody else wrote one
    const auto known = library.MetadataVersions.constFind(base.FilePath);
    if (known != library.MetadataVersions.cend() && known->Stamp == now.Stamp)
        return known->Fields;
    MovieRecord theirs = WithoutMetadata(base);
    ParseMovieXml(theirs, now.Bytes);
    return theirs;
}

// Writes to the local store; `now` is the file beside the video the store's version starts from,
// kept as the base of the merge the scan makes once the folder can be written again.
bool WriteToLocalStore(MovieRecord& merged, const CurrentFile& now) {
    // Made again if the user cleared the cache during the run.
    const QString folder = merged.StoreFolder.isEmpty() ? LocalStoreFolderOf(merged.FilePath) : merged.StoreFolder;
    if (folder.isEmpty() || !MakeLocalStoreFolder(folder, merged.FilePath))
        return false;
    merged.StoreFolder = folder;
    if (now.Beside && now.Stamp.Exists && !WriteFileAtomically(MetadataPath(merged) + u".base"_s, now.Bytes))
        return false;
    return WriteMovieXml(merged);
}

} // namespace

MovieRecord WithoutMetadata(const MovieRecord& record) {
    MovieRecord blank = record;
    for (MetadataField field : MetadataFields)
        (blank.*field).clear();
    return blank;
}

void NoteMetadataVersion(MovieLibrary& library, const QString& filePath, const MetadataStamp& stamp,
                         const MovieRecord& fields) {
    library.MetadataVersions.insert(filePath, {stamp, fields});
}

MetadataSave SaveMetadata(MovieLibrary& library, const MovieRecord& base, const MovieRecord& ours,
                          MergeWinner bothChanged) {
    const VideoLock lock(ours.FilePath);
    const CurrentFile now = ReadCurrent(ours);
    const MovieRecord theirs = TheirsOf(library, base, now);
    MetadataSave save;
    save.Merged = MergeMetadata(base, theirs, ours, bothChanged);
    MovieRecord& merged = save.Merged;
    merged.SearchKey = SearchKeyOf(merged);
    const bool inStore = !merged.StoreFolder.isEmpty();
    // The file holds this version already: nothing to write.
    if (now.Stamp.Exists && now.Beside != inStore && SameMetadata(merged, theirs)) {
        save.Place = inStore ? MetadataPlace::LocalStore : MetadataPlace::Beside;
        save.Path = MetadataPath(merged);
        NoteMetadataVersion(library, merged.FilePath, now.Stamp, merged);
        return save;
    }
    if (!inStore && WriteMovieXml(merged))
        save.Place = MetadataPlace::Beside;
    else if (WriteToLocalStore(merged, now))
        save.Place = MetadataPlace::LocalStore;
    else
        merged.StoreFolder = ours.StoreFolder;
    if (save.Place == MetadataPlace::Nowhere)
        return save;
    save.Path = MetadataPath(merged);
    NoteMetadataVersion(library, merged.FilePath, StampOfWritten(save.Path, MovieXmlBytes(merged)), merged);
    return save;
}
