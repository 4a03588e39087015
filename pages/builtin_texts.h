#pragma once

// The nine built-in texts in their stored (encoded) form. Their readable sources live in pages/texts/;
// the build encodes them. Decode with DecodeText or DecodeWideText (pages/text_codec.h) at the moment of use.
extern const char StartPageText[];
extern const char SearchLinkPrefixes[];
extern const char SearchLinkExclusions[];
extern const char WallPageTemplate[];
extern const char DetailHeaderTemplate[];
extern const char DetailBodyTemplate[];
extern const char EditFormTemplate[];
extern const char DefaultFolderList[];
extern const char FolderListHeader[];
