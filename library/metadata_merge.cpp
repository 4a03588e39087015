#include "library/metadata_merge.h"

#include "extract/labels.h"

const std::array<MetadataField, 12> MetadataFields = {
    &MovieRecord::Title,   &MovieRecord::OriginalTitle, &MovieRecord::CountryOfOrigin, &MovieRecord::ProductionYear,
    &MovieRecord::Rating,  &MovieRecord::Genres,        &MovieRecord::Overview,        &MovieRecord::Notes,
    &MovieRecord::watched, &MovieRecord::infourl,       &MovieRecord::movieurl,        &MovieRecord::picurl,
};

namespace {

bool Cleaned(MetadataField field) {
    for (size_t i = 0; i < 6; ++i)
        if (MetadataFields[i] == field)
            return true;
    return false;
}

} // namespace

bool SameMetadataField(MetadataField field, const MovieRecord& a, const MovieRecord& b) {
    if (a.*field == b.*field)
        return true;
    return Cleaned(field) && CleanFieldValue(a.*field) == CleanFieldValue(b.*field);
}

bool SameMetadata(const MovieRecord& a, const MovieRecord& b) {
    for (MetadataField field : MetadataFields)
        if (!SameMetadataField(field, a, b))
            return false;
    return true;
}

void CopyMetadata(MovieRecord& to, const MovieRecord& from) {
    for (MetadataField field : MetadataFields)
        to.*field = from.*field;
}

MovieRecord MergeMetadata(const MovieRecord& base, const MovieRecord& theirs, const MovieRecord& ours,
                          MergeWinner bothChanged) {
    MovieRecord merged = ours;
    for (MetadataField field : MetadataFields) {
        const bool oursChanged = !SameMetadataField(field, ours, base);
        const bool theirsChanged = !SameMetadataField(field, theirs, base);
        if (theirsChanged && (!oursChanged || bothChanged == MergeWinner::Theirs))
            merged.*field = theirs.*field;
    }
    return merged;
}
