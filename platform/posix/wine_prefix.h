// The Wine prefix that holds the game: $WINEPREFIX, else ~/.wine.
#pragma once

// The prefix's folder, or null when neither variable names one. Read afresh at every call.
const char *WinePrefix();
