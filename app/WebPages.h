#pragma once

// The program's web addresses, kept in one place.
inline constexpr char kPortalTopPage[] = "http://www.zumtal.example";
inline constexpr char kMakerPage[] = "http://www.vornelix.example/amuse";
inline constexpr char kSearchService[] = "http://search.zumtal.example";
