#pragma once

// Page commands of a film page's own lookup.
inline constexpr int IdentifySearchCommand = 108; // argument: FilePath, "`", the search words
inline constexpr int IdentifyPickCommand = 109;   // argument: FilePath, "`", a result's address
