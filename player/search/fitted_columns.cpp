#include "player/search/fitted_columns.h"

#include <QTreeWidget>
#include <algorithm>

namespace player {

void FitColumnsToTexts(QTreeWidget* list, std::span<const int> least) {
    for (int c = 0; c < list->columnCount(); ++c) {
        // The view measures the header with its padding and the rows with their item margins.
        list->resizeColumnToContents(c);
        if (static_cast<size_t>(c) < least.size())
            list->setColumnWidth(c, std::max(list->columnWidth(c), least[c]));
    }
}

}  // namespace player
