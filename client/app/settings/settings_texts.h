// Texts and look shared by the client's recording settings and setup dialogs.
#pragma once

#include <QString>

#include "platform/string_table.h"

class QWidget;

namespace client {

// Text `id` from the client's table (the language pack's translation first), else empty.
QString SettingsText(const platform::StringTable& table, int id);

// Light text on the dark skin panels, inset edits and lists, for every child of `dialog`.
void ApplySettingsDialogStyle(QWidget* dialog);

}  // namespace client
