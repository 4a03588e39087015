#pragma once

#include "library/movie_record.h"

#include <array>

// The twelve fields the metadata file stores, in file order.
using MetadataField = QString MovieRecord::*;
extern const std::array<MetadataField, 12> MetadataFields;

// Equal as the metadata file gives them back: the six short fields are compared after the label
// cleaning that reading applies, so a value and its re-read copy are the same version.
bool SameMetadataField(MetadataField field, const MovieRecord& a, const MovieRecord& b);
bool SameMetadata(const MovieRecord& a, const MovieRecord& b);

// Copies the twelve stored fields.
void CopyMetadata(MovieRecord& to, const MovieRecord& from);

// Whose value a field takes when both sides changed it: a user's edit wins over a lookup, and of two
// edits the later one (this write) wins.
enum class MergeWinner { Ours, Theirs };

// Three-way merge of a metadata write: `base` is the version the writer started from, `theirs` the
// file as it is now, `ours` what this write would store. A field only one side changed takes that
// side's value. Everything but the twelve stored fields is taken from `ours`.
MovieRecord MergeMetadata(const MovieRecord& base, const MovieRecord& theirs, const MovieRecord& ours,
                          MergeWinner bothChanged);
