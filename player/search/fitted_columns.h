// Lists of files and stills (recorder, time, channel, keyword, file name): each column is made
// wide enough to show its header and every row's text in full, whatever the font, the scale or
// the language of the headers.
#pragma once

#include <span>

class QTreeWidget;

namespace player {

// Widens each column to the least width that shows its header and its rows unclipped, and never
// below `least[column]` (columns past the end of `least` have no floor).
void FitColumnsToTexts(QTreeWidget* list, std::span<const int> least);

}  // namespace player
