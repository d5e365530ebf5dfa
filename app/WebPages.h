#pragma once

// The web pages the tray menu and the about box open; the search service's
// address lives with the search requests.
inline constexpr char kPortalTopPage[] = "http://www.zumtal.example";
inline constexpr char kMakerPage[] = "http://www.vornelix.example/amuse";
